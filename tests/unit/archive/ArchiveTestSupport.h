// What the archive tests share: a Platform whose library port is dlopen (with a
// count of loads and frees) and whose system port knows the few message texts
// the writer shows; temporary folders; running the 7-Zip and Zip command-line tools.
#pragma once
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/Errors.h"
#include "platform/Library.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace archive_test {

namespace fs = std::filesystem;

inline const char* kSevenZipLibrary = "/usr/lib/p7zip/7z.so";

class CountingLoader : public ports::ILibraryLoader {
 public:
  winapi::Handle LoadLibrary(const WString& path) override {
    void* module = dlopen(text::ToUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      lastError = fs::exists(text::ToPath(path)) ? 193 : 126;  // ERROR_BAD_EXE_FORMAT / ERROR_MOD_NOT_FOUND
      return 0;
    }
    ++loaded;
    return reinterpret_cast<winapi::Handle>(module);
  }
  void* GetProcAddress(winapi::Handle module, const char* name) override {
    return dlsym(reinterpret_cast<void*>(module), name);
  }
  bool FreeLibrary(winapi::Handle module) override {
    ++freed;
    return dlclose(reinterpret_cast<void*>(module)) == 0;
  }
  int loaded = 0, freed = 0;
  uint32_t lastError = 0;
};

// Only GetLastError and FormatMessage are used by the archive code.
class MessageTableSystem final : public ports::ISystem {
 public:
  explicit MessageTableSystem(CountingLoader& loader) : loader_(loader) {}
  uint32_t GetLastError() override { return loader_.lastError; }
  void SetLastError(uint32_t code) override { loader_.lastError = code; }
  uint32_t FormatMessage(uint32_t code, char16_t* buffer, uint32_t size) override {
    static const std::map<uint32_t, const char*> kTexts = {
        {2, "The system cannot find the file specified.\r\n"},
        {112, "There is not enough space on the disk.\r\n"},
        {126, "The specified module could not be found.\r\n"},
        {193, "%1 is not a valid Win32 application.\r\n"},
        {0x80004004, "Operation aborted\r\n"},
        {0x80004005, "Unspecified error\r\n"},
        {0x80070070, "There is not enough space on the disk.\r\n"},
    };
    auto it = kTexts.find(code);
    if (it == kTexts.end()) return 0;
    const WString t = text::W(it->second);
    if (t.size() + 1 > size) return 0;
    std::copy(t.begin(), t.end(), buffer);
    buffer[t.size()] = 0;
    return uint32_t(t.size());
  }
  bool GetComputerNameEx(char16_t*, uint32_t*) override { return false; }
  uint32_t ExpandEnvironmentStrings(const char16_t*, char16_t*, uint32_t) override { return 0; }
  bool FileTimeToLocalFileTime(const winapi::FileTime&, winapi::FileTime*) override { return false; }
  bool FileTimeToSystemTime(const winapi::FileTime&, winapi::SystemTime*) override { return false; }
  winapi::SystemTime GetLocalTime() override { return {}; }
  WString FormatShortDate(const winapi::SystemTime&) override { return {}; }
  int CompareStringLocale(const char16_t*, const char16_t*) override { return 0; }
  ports::OsVersion GetVersion() override { return {10, 0, 19045}; }
  WString ModuleFileName() override { return {}; }
  uint32_t GetFileVersionInfoSize(const char16_t*) override { return 0; }
  bool GetFileVersionInfo(const char16_t*, uint32_t, void*) override { return false; }
  bool QueryFixedFileVersion(const void*, uint32_t*, uint32_t*) override { return false; }
  bool OpenProcessToken(uint32_t, winapi::Handle*) override { return false; }
  bool LookupPrivilegeValue(const char16_t*, uint64_t*) override { return false; }
  bool AdjustTokenPrivileges(winapi::Handle, uint64_t, uint32_t) override { return false; }
  bool CloseHandle(winapi::Handle) override { return false; }

 private:
  CountingLoader& loader_;
};

// A fresh temporary folder and the test platform, for the life of one test.
class ArchiveTest : public ::testing::Test {
 protected:
  ArchiveTest() : system_(loader_), scoped_(InstallPorts()) {
    root_ = fs::temp_directory_path() / ("quillon-archive-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  ~ArchiveTest() override { fs::remove_all(root_); }

  WString Host(const fs::path& p) const { return text::FromPath(p); }
  fs::path Root() const { return root_; }
  static WString StandIn(const char* name) {
    return text::W(std::string(QUILLON_STANDIN_DIR) + "/" + name + ".so");
  }

  // Writes `content` to root/relative, creating folders.
  fs::path MakeFile(const std::string& relative, const std::string& content) {
    const fs::path p = root_ / fs::u8path(relative);
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }

  // Runs a shell command; returns its exit code and puts its output into `out`.
  static int Run(const std::string& command, std::string* out = nullptr) {
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::string output;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int status = ::pclose(pipe);
    if (out) *out = output;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }
  static std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  CountingLoader loader_;
  MessageTableSystem system_;

 private:
  Platform& InstallPorts() {
    platform_.libraries = &loader_;
    platform_.system = &system_;
    return platform_;
  }
  Platform platform_;
  ScopedPlatform scoped_;
  fs::path root_;
};

}  // namespace archive_test
