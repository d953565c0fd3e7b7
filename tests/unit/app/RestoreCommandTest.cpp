// File ▸ Restore Drivers… over the in-memory view when the process is not
// elevated: one error message saying so and how to start Quillon, before the
// folder picker or anything else runs. (Under Wine the process is always
// elevated; the whole command runs there in tests/windows/gui.)
#include "app/MainFormUnit.h"
#include "support/FixedElevation.h"
#include "tests/unit/app/AppTestMachine.h"

namespace apptest {
namespace {

class RestoreCommand : public AppTest {
 protected:
  RestoreCommand() {
    Write("machine.ini", "[machine]\n");
    Start();
    form->FormCreate();
  }
};

TEST_F(RestoreCommand, NotElevatedShowsOneMessageAndPicksNoFolder) {
  test_support::FixedElevation limited(false, [](uint32_t code) { offline::SetLastError(code); });
  Platform ports = Os();
  ports.elevation = &limited;
  ScopedPlatform scoped(ports);
  dialogs.shown.clear();

  form->mnuRestoreClick();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].first, ports::MessageKind::Error);
  EXPECT_EQ(dialogs.shown[0].second.rfind(u"Restoring drivers needs an administrator", 0), 0u)
      << text::ToUtf8(dialogs.shown[0].second);
  EXPECT_NE(dialogs.shown[0].second.find(u"\"Run as administrator\""), WString::npos);
  EXPECT_EQ(limited.calls, 1);
  EXPECT_EQ(view.pickerRuns, 0);
  EXPECT_EQ(form->dlg(), nullptr) << "the folder picker was made";
}

}  // namespace
}  // namespace apptest
