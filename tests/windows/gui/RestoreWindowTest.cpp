// File ▸ Restore Drivers… by keys alone under Wine: Alt+F opens File, R picks
// Restore Drivers…, the folder picker answers the installable backup that
// `quillon export-all` wrote, the question is answered Yes, and the result
// message and the Shell tab tell what happened to a root device made for the test
// with the package's hardware id. It installs into the prefix: a Seeded* suite.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "windows/gui/GuiFixture.h"
#include "windows/gui/ThreadWindows.h"
#include "windows/support/Fixtures.h"
#include "windows/support/InstallTestDevice.h"

namespace gui_test {
namespace {

namespace fs = std::filesystem;

class SeededRestoreWindow : public MainWindowFixture {
 protected:
  void SetUp() override {
    if (!win32_test::FixturesPresent()) GTEST_SKIP() << "fixtures missing: build the linux preset first";
    MainWindowFixture::SetUp();
    scratch_ = fs::temp_directory_path() / ("quillon-restore-window-" + std::to_string(::GetCurrentProcessId()));
    fs::remove_all(scratch_);
    fs::create_directories(scratch_);
    // A copy: the record goes into the backup folder.
    fs::copy(fs::path(reinterpret_cast<const wchar_t*>(win32_test::FixturePath("installable-backup").c_str())),
             scratch_ / "backup");
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    std::error_code ec;
    fs::remove_all(scratch_, ec);
  }
  // The window started with the picker answering the backup and the question
  // answered `yes`.
  void StartAnswering(bool yes) {
    picker.answer = text::FromPath(scratch_ / "backup");
    os.dialogs.answers = {yes};
    Start();
  }

  // Alt+F, then R in the File menu once it is open; returns when a message was shown.
  void RestoreDriversByKeys() {
    Watchdog watchdog(std::chrono::seconds(120));
    RepeatUntilDone pickRestore(20, [] {
      HWND menu = ::FindWindowW(L"#32768", nullptr);
      if (!menu || !::IsWindowVisible(menu)) return false;
      ::PostMessageW(menu, WM_KEYDOWN, 'R', 1);
      return true;
    });
    PostAltKey(::GetFocus() ? ::GetFocus() : Main(), 'F');
    for (int i = 0; i < 3000 && os.dialogs.shown.empty(); ++i) {
      ::Sleep(20);
      window->ProcessMessages();
    }
    EXPECT_TRUE(pickRestore.Done()) << "the File menu did not open";
  }

  // The extracted packages in the temporary folder.
  static std::set<fs::path> LeftPackages() {
    std::set<fs::path> left;
    for (const auto& e : fs::directory_iterator(fs::temp_directory_path()))
      if (e.path().filename().wstring().rfind(L"quillon-package-", 0) == 0) left.insert(e.path());
    return left;
  }

  // The INF files of C:\windows\inf.
  static std::set<fs::path> InfFiles() {
    std::set<fs::path> infs;
    for (const auto& e : fs::directory_iterator(win32_test::WindowsFolder(L"\\inf")))
      if (e.path().extension() == L".inf") infs.insert(e.path());
    return infs;
  }

  fs::path scratch_;
};

// The package passes its checks under Wine too (the catalog's members are walked;
// the driver is a flat file, see fixtures/gen-50-installable-package) and is
// installed: the result says so and the device's driver key names the published INF.
TEST_F(SeededRestoreWindow, KeysRestoreTheBackupAfterYesAndThePlanAndTheResultAreShown) {
  win32_test::InstalledPackageCleanup cleanup;
  win32_test::RootDevice device(win32_test::kHardwareId);
  StartAnswering(true);
  const std::set<fs::path> leftBefore = LeftPackages();
  const std::set<fs::path> infBefore = InfFiles();
  RestoreDriversByKeys();
  std::wstring published;
  for (const fs::path& inf : InfFiles())
    if (!infBefore.count(inf)) published = inf.filename().wstring();
  if (!published.empty()) cleanup.Published(win32_test::WindowsFolder(L"\\inf\\") + published);

  EXPECT_EQ(picker.runs, 1);
  ASSERT_EQ(os.dialogs.questions, std::vector<WString>{u"Install 1 driver package on 1 device?"});
  ASSERT_EQ(os.dialogs.shown.size(), 1u);
  EXPECT_EQ(os.dialogs.shown[0].kind, ports::MessageKind::Information);
  EXPECT_EQ(os.dialogs.shown[0].text, u"Installed 1 of 1 driver package.");
  ASSERT_FALSE(published.empty()) << "no INF was published";
  EXPECT_EQ(device.DriverValue(L"InfPath"), published);
  EXPECT_EQ(window->Form().frmProgress(), nullptr) << "the progress window is still open";

  EXPECT_EQ(window->Pages().ActivePage(), view::Page::tsOutput);
  const WString shell = window->OutputBox().Text();
  const WString id(device.InstanceId().begin(), device.InstanceId().end());
  EXPECT_NE(shell.find(u"*** Restore Plan ***\r\n"), WString::npos) << text::ToUtf8(shell);
  EXPECT_NE(shell.find(u"(" + id + u"): Northwind USB Serial Port_3.8.27.0.Zip (nwserial.inf, 3.8.27.0, matched "
                                   u"USB\\VID_1234&PID_5678)\r\n"),
            WString::npos)
      << text::ToUtf8(shell);
  EXPECT_NE(shell.find(u"(" + id + u"): Northwind USB Serial Port_3.8.27.0.Zip: installed\r\n"), WString::npos)
      << text::ToUtf8(shell);
  EXPECT_NE(shell.find(u"Record: " + text::FromPath(scratch_ / "backup") + u"\\Quillon-restore-"), WString::npos)
      << text::ToUtf8(shell);
  // Wine may keep the extracted catalog open (Windows closes it): a folder left is named.
  for (const fs::path& left : LeftPackages()) {
    if (!leftBefore.count(left)) {
      EXPECT_NE(shell.find(text::FromPath(left.filename()) + u" could not be removed"), WString::npos)
          << text::ToUtf8(shell);
    }
  }
}

TEST_F(SeededRestoreWindow, NoMeansNothingIsInstalled) {
  win32_test::RootDevice device(win32_test::kHardwareId);
  StartAnswering(false);
  Command(gui::kMenuRestore);
  EXPECT_EQ(os.dialogs.questions.size(), 1u);
  EXPECT_TRUE(os.dialogs.shown.empty());
  EXPECT_TRUE(device.DriverValue(L"InfPath").empty());
  for (const auto& e : fs::directory_iterator(scratch_ / "backup"))
    EXPECT_NE(e.path().filename().string().rfind("Quillon-restore-", 0), 0u) << "a restore record was written";
}

}  // namespace
}  // namespace gui_test
