// The real Win32 adapters for tests under Wine, with the message dialogs and the
// image list replaced by recorders (a real message box would block a headless run).
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "platform/FolderListing.h"
#include "platform/ImageList.h"
#include "support/RecordedImageList.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/win32/Adapters.h"

namespace win32_test {

class RecordedDialogs final : public ports::IMessageDialogs {
 public:
  void ShowMessage(ports::MessageKind kind, const WString& text) override { shown.push_back({kind, text}); }
  struct Shown {
    ports::MessageKind kind;
    WString text;
  };
  std::vector<Shown> shown;
};

using test_support::RecordedImageList;

// Installed for the lifetime of the object.
class Win32TestPlatform {
 public:
  std::unique_ptr<ports::ISetupApi> setup = win32::MakeSetupApi();
  std::unique_ptr<ports::IRegistry> registry = win32::MakeRegistry();
  std::unique_ptr<ports::ICatalogTrust> trust = win32::MakeCatalogTrust();
  std::unique_ptr<ports::ISystem> system = win32::MakeSystem();
  std::unique_ptr<ports::ILibraryLoader> libraries = win32::MakeLibraryLoader();
  RecordedDialogs dialogs;

 private:
  Platform ports_{setup.get(), registry.get(), trust.get(), nullptr, &dialogs, system.get(), libraries.get()};
  ScopedPlatform installed_{ports_};
};

// The system's text for a code as Quillon shows it: FormatMessage's text without
// the message table's line break and final full stop.
inline WString SystemText(DWORD code) {
  wchar_t buffer[512] = {};
  const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                   buffer, DWORD(std::size(buffer)), nullptr);
  WString text(reinterpret_cast<const char16_t*>(buffer), n);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u'.')) text.pop_back();
  return text;
}

// The running test's name, for folders of its own.
inline std::wstring CurrentTestName() {
  const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  return std::wstring(name.begin(), name.end());
}

// A folder of its own below %TEMP% per test (tests of one exe run in parallel
// processes under ctest), removed with everything in it at the end.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& tag) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"quillon-" + tag + L"-" + std::to_wstring(::GetCurrentProcessId());
    std::error_code ec;
    paths::RemoveFolderTree(text::FromPath(std::filesystem::path(path_)), ec);
    std::filesystem::create_directories(path_);
  }
  // Removed by the file APIs: a test may leave paths too long for std::filesystem.
  ~TempFolder() {
    std::error_code ec;
    paths::RemoveFolderTree(text::FromPath(std::filesystem::path(path_)), ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // The folder as a Windows path, without a trailing delimiter.
  const std::wstring& Path() const { return path_; }
  WString Text() const { return WString(path_.begin(), path_.end()); }

 private:
  std::wstring path_;
};

}  // namespace win32_test
