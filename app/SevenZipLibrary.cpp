#include "app/SevenZipLibrary.h"

#include <vector>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace {

const WString kLibraryName = u"7z.dll";

// Closes the registry key on every way out.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key_ != 0) Os().registry->CloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ports::HKey* Receive() { return &key_; }
  ports::HKey Get() const { return key_; }

 private:
  ports::HKey key_ = 0;
};

// A string value of the key; empty when it is missing, empty or not a string.
WString ReadStringValue(ports::HKey key, const char16_t* name) {
  ports::IRegistry& registry = *Os().registry;
  uint32_t type = 0, size = 0;
  if (registry.QueryValue(key, name, &type, nullptr, &size) != int32_t(winapi::kErrorSuccess)) return WString();
  if ((type != winapi::kRegSz && type != winapi::kRegExpandSz) || size < sizeof(char16_t)) return WString();
  std::vector<char16_t> data(size / sizeof(char16_t) + 1, u'\0');
  if (registry.QueryValue(key, name, &type, reinterpret_cast<uint8_t*>(data.data()), &size) !=
      int32_t(winapi::kErrorSuccess))
    return WString();
  return text::UpToNul(data.data(), size / sizeof(char16_t));
}

// ExpandEnvironmentStringsW into a buffer of MAX_PATH characters.
WString Expand(const WString& templ) {
  char16_t buffer[260] = {};
  const uint32_t needed = Os().system->ExpandEnvironmentStrings(templ.c_str(), buffer, 260);
  if (needed == 0 || needed > 260) return WString();
  return text::UpToNul(buffer, 260);
}

}  // namespace

WString FindSevenZipLibrary() {
  const WString besideProgram = paths::ExtractFilePath(Os().system->ModuleFileName()) + kLibraryName;
  if (paths::FileExists(besideProgram)) return besideProgram;

  RegistryKey key;
  const int32_t opened = Os().registry->OpenKey(ports::kHKeyLocalMachine, u"Software\\7-zip", ports::kKeyRead,
                                                key.Receive());
  // Without 7-Zip's own key no installation is assumed, not even in the usual folders.
  if (opened == int32_t(winapi::kErrorFileNotFound) || opened == int32_t(winapi::kErrorPathNotFound))
    return WString();

  WString result;
  if (opened == int32_t(winapi::kErrorSuccess)) {
    // A missing "Path64" names no folder; it must not turn into a root-relative "\7z.dll".
    const WString folder = ReadStringValue(key.Get(), u"Path64");
    if (!folder.empty()) result = paths::IncludeTrailingPathDelimiter(folder) + kLibraryName;
  }
  if (!result.empty() && paths::FileExists(result)) return result;

  for (const char16_t* templ : {u"%ProgramFiles%\\7-Zip\\7z.dll", u"%ProgramFiles(x86)%\\7-Zip\\7z.dll"}) {
    const WString candidate = Expand(templ);
    if (!candidate.empty() && paths::FileExists(candidate)) return candidate;
  }
  return WString();
}
