#include "backup/SevenZipLibrary.h"

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryKey.h"
#include "platform/System.h"

namespace {

const WString kLibraryName = u"7z.dll";

// ExpandEnvironmentStringsW into a buffer of MAX_PATH characters.
WString Expand(const WString& templ) {
  char16_t buffer[winapi::kMaxPath] = {};
  const uint32_t needed = Os().system->ExpandEnvironmentStrings(templ.c_str(), buffer, winapi::kMaxPath);
  if (needed == 0 || needed > winapi::kMaxPath) return WString();
  return text::UpToNul(buffer, winapi::kMaxPath);
}

}  // namespace

WString FindSevenZipLibrary() {
  const WString besideProgram = paths::ExtractFilePath(Os().system->ModuleFileName()) + kLibraryName;
  if (paths::FileExists(besideProgram)) return besideProgram;

  TRegistryKey key;
  const int32_t opened = key.OpenReadOnly(u"Software\\7-zip");
  // Without 7-Zip's own key no installation is assumed, not even in the usual folders.
  if (opened == int32_t(winapi::kErrorFileNotFound) || opened == int32_t(winapi::kErrorPathNotFound))
    return WString();

  WString result;
  if (opened == int32_t(winapi::kErrorSuccess)) {
    // A missing "Path64" names no folder; it must not turn into a root-relative "\7z.dll".
    // Nor does one of another type, which is no reason for the window not to open.
    const WString folder = key.HoldsString(u"Path64") ? key.ReadString(u"Path64") : WString();
    if (!folder.empty()) result = paths::IncludeTrailingPathDelimiter(folder) + kLibraryName;
  }
  if (!result.empty() && paths::FileExists(result)) return result;

  for (const char16_t* templ : {u"%ProgramFiles%\\7-Zip\\7z.dll", u"%ProgramFiles(x86)%\\7-Zip\\7z.dll"}) {
    const WString candidate = Expand(templ);
    if (!candidate.empty() && paths::FileExists(candidate)) return candidate;
  }
  return WString();
}
