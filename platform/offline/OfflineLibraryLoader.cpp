// The library port of the offline machine: dlopen of this machine's own
// libraries (the machine's 7-Zip folder may link to this machine's 7z.so). Code
// from the disk being read is never run: a path that really is a file of the
// machine folder is refused.
#include <dlfcn.h>

#include <system_error>

#include "platform/Library.h"
#include "platform/offline/Adapters.h"

namespace offline {

namespace {

constexpr uint32_t kErrorModNotFound = 126;
constexpr uint32_t kErrorBadExeFormat = 193;

class OfflineLibraryLoader final : public ports::ILibraryLoader {
 public:
  explicit OfflineLibraryLoader(Machine& m) : machine_(m) {}

  winapi::Handle LoadLibrary(const WString& path) override {
    const Located located = machine_.Locate(path, u"The library");
    std::error_code ec;
    if (located && std::filesystem::exists(located.path, ec))
      return Fail(RefusalCode(u"The library \"" + path + u"\" is a file of the installation, whose code is never run"));
    if (located || located.outside.empty()) return Fail(kErrorModNotFound);
    std::filesystem::path file = std::filesystem::canonical(located.outside, ec);
    if (ec || !std::filesystem::is_regular_file(file, ec)) return Fail(kErrorModNotFound);
    if (uint32_t fault = machine_.Fault("LoadLibraryW", text::ToUtf8(FileNameOf(file)))) return Fail(fault);
    void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) return Fail(kErrorBadExeFormat);
    return reinterpret_cast<winapi::Handle>(module);
  }

  void* GetProcAddress(winapi::Handle module, const char* name) override {
    if (!module || !name) {
      SetLastError(winapi::kErrorInvalidHandle);
      return nullptr;
    }
    void* symbol = dlsym(reinterpret_cast<void*>(module), name);
    if (!symbol) SetLastError(winapi::kErrorProcNotFound);
    return symbol;
  }

  bool FreeLibrary(winapi::Handle module) override {
    if (!module || dlclose(reinterpret_cast<void*>(module)) != 0) {
      SetLastError(winapi::kErrorInvalidHandle);
      return false;
    }
    return true;
  }

 private:
  static WString FileNameOf(const std::filesystem::path& p) { return text::FromPath(p.filename()); }

  static winapi::Handle Fail(uint32_t code) {
    SetLastError(code);
    return 0;
  }

  Machine& machine_;
};

}  // namespace

std::unique_ptr<ports::ILibraryLoader> MakeLibraryLoader(Machine& m) { return std::make_unique<OfflineLibraryLoader>(m); }

}  // namespace offline
