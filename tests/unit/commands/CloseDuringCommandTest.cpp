// Closing the window while a command runs: the window asks first; Yes stops the
// command after the file it is on (no work folder, no partial archive, no
// message about the stop) and then closes the window; No lets the command finish.
#include <functional>

#include "backup/BackupIndex.h"
#include "platform/Interrupt.h"
#include "tests/unit/commands/CommandMachine.h"

namespace commandtest {
namespace {

const std::string kQuestion =
    "[question] A command is still running. Stop it after the current file and close?";

class CloseDuringCommand : public CommandTest {
 protected:
  void SetUp() override { Start(); }

  // The user tries to close the window once a progress title makes `arms` true, at
  // the next moment the window answers its messages; what the query said is kept.
  void CloseWhen(std::function<bool(const WString& title)> arms) {
    view.progressEvents.titled = [this, arms](const WString& t) {
      events.push_back("[progress] " + text::ToUtf8(t));
      armed = armed || arms(t);
    };
    view.onProcessMessages = [this] {
      if (!armed || queried) return;
      queried = true;
      mayClose = form->FormCloseQuery();
    };
  }
  // At the second device's export: the first one's archive is written by then.
  void CloseAtTheSecondExport() {
    CloseWhen([exports = 0](const WString& t) mutable { return t == u"Exporting Driver" && ++exports == 2; });
  }
  void CloseWhenProgressShows(const WString& title) {
    CloseWhen([title](const WString& t) { return t == title; });
  }
  void Run(void (TfrmMainForm::*handler)()) { RunHandler([&] { (form.get()->*handler)(); }); }
  std::vector<std::string> Questions() const {
    std::vector<std::string> asked;
    for (const std::string& e : events)
      if (e.rfind("[question]", 0) == 0) asked.push_back(e);
    return asked;
  }
  bool HasEvent(const std::string& prefix) const {
    for (const std::string& e : events)
      if (e.rfind(prefix, 0) == 0) return true;
    return false;
  }

  bool armed = false, queried = false, mayClose = true;
};

TEST_F(CloseDuringCommand, WithoutACommandTheWindowClosesUnasked) {
  EXPECT_TRUE(form->FormCloseQuery());
  EXPECT_TRUE(Questions().empty());
}

TEST_F(CloseDuringCommand, YesStopsExportAllInTheFirstCopyAndLeavesNothingThenCloses) {
  const fs::path out = Pick();
  Answer(true);
  CloseWhenProgressShows(u"Exporting Driver");
  Run(&TfrmMainForm::btnExportAllClick);

  ASSERT_TRUE(queried);
  EXPECT_FALSE(mayClose);  // not at once: first the command stops
  EXPECT_EQ(Messages(), std::vector<std::string>{kQuestion});  // no error about the stop, no other box
  EXPECT_TRUE(Tree(out).empty());  // the work folder went, no archive was begun or finished
  EXPECT_FALSE(HasEvent("[start] explorer.exe"));
  EXPECT_EQ(form->frmProgress(), nullptr);
  EXPECT_TRUE(view.closed);
  EXPECT_FALSE(form->CommandRunning());
  EXPECT_FALSE(interrupt::Requested());  // the next run of anything starts unstopped
  // Only the first device got as far as its export.
  EXPECT_EQ(Occurrences(Log(), u"*** Exporting Driver ***"), 1u);
}

TEST_F(CloseDuringCommand, YesDuringExportAllKeepsTheArchivesFinishedAndIndexesThem) {
  offline::SetClockOverride(LocalTime(3, 4, 5));
  const fs::path out = Pick();
  Answer(true);
  CloseAtTheSecondExport();
  Run(&TfrmMainForm::btnExportAllClick);

  ASSERT_TRUE(queried);
  EXPECT_EQ(Messages(), std::vector<std::string>{kQuestion});
  const std::set<std::string> left = Tree(out);
  ASSERT_EQ(left.size(), 2u);
  ASSERT_EQ(left.count(kIndexAt030405), 1u);
  const std::string archive = *left.begin() == kIndexAt030405 ? *left.rbegin() : *left.begin();
  const backup::BackupIndex index = backup::ReadBackupIndex(out / kIndexAt030405);
  ASSERT_EQ(index.packages.size(), 1u);
  EXPECT_EQ(text::ToUtf8(index.packages[0].archive), archive);
  EXPECT_FALSE(HasEvent("[start] explorer.exe"));
  EXPECT_TRUE(view.closed);
}

TEST_F(CloseDuringCommand, YesWhileArchivingRemovesThePartialArchiveAndTheWorkFolder) {
  const fs::path out = Pick();
  Answer(true);
  CloseWhenProgressShows(u"Creating Archive");
  Select(kAudioCodec);
  Run(&TfrmMainForm::btnExportClick);

  ASSERT_TRUE(queried);
  EXPECT_EQ(Messages(), std::vector<std::string>{kQuestion});  // no "Driver exported successfully."
  EXPECT_TRUE(Tree(out).empty());
  EXPECT_FALSE(HasEvent("[start] explorer.exe"));
  EXPECT_TRUE(view.closed);
}

TEST_F(CloseDuringCommand, YesDuringTheSubmissionPacksNothingAndDeletesTheDeviceArchives) {
  const fs::path out = Pick();
  const fs::path kept = out / "kept by the user.txt";
  WriteFile(kept, "mine");
  Answer(true);
  CloseAtTheSecondExport();
  Run(&TfrmMainForm::btnSubmitClick);

  ASSERT_TRUE(queried);
  EXPECT_EQ(Questions(), std::vector<std::string>{kQuestion});
  EXPECT_EQ(Tree(out), std::set<std::string>{"kept by the user.txt"});
  EXPECT_FALSE(HasEvent("[start] explorer.exe"));
  EXPECT_TRUE(view.closed);
}

TEST_F(CloseDuringCommand, NoLetsTheCommandFinishAndKeepsTheWindow) {
  const fs::path out = Pick();
  Answer(false);
  CloseWhenProgressShows(u"Exporting Driver");
  Run(&TfrmMainForm::btnExportAllClick);

  ASSERT_TRUE(queried);
  EXPECT_FALSE(mayClose);
  EXPECT_EQ(Messages(), std::vector<std::string>{kQuestion});
  EXPECT_EQ(Tree(out).count("Audio CodecHD_6.0.1.1.7z"), 1u);  // as a run nobody interrupted
  EXPECT_EQ(events.back(), "[start] explorer.exe " + out.string());
  EXPECT_FALSE(view.closed);
  EXPECT_TRUE(form->FormCloseQuery());  // the command is over: no question now
  EXPECT_EQ(Questions().size(), 1u);
}

TEST_F(CloseDuringCommand, AskingAgainWhileTheCommandStopsDoesNotAskTwice) {
  Pick();
  Answer(true);
  view.onProcessMessages = [this] {
    if (!form->CommandRunning()) return;
    EXPECT_FALSE(form->FormCloseQuery());  // every pump: the user keeps clicking the close box
  };
  Select(kAudioCodec);
  Run(&TfrmMainForm::btnVerifyClick);
  EXPECT_EQ(Questions().size(), 1u);
  EXPECT_EQ(Messages(), std::vector<std::string>{kQuestion});  // no verify verdict either
  EXPECT_TRUE(view.closed);
}

}  // namespace
}  // namespace commandtest
