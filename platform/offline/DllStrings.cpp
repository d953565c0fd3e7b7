#include "platform/offline/DllStrings.h"

#include <cstring>

#include "platform/offline/MachineVersionResource.h"

namespace offline {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kRtString = 6;
constexpr uint32_t kStringsPerBlock = 16;
constexpr WStringView kWindows = u"C:\\Windows";

// The Windows path of a DLL reference, with its folder variables expanded.
WString WindowsPathOf(WStringView dllPath) {
  WString path(dllPath);
  for (WStringView variable : {WStringView(u"%SystemRoot%"), WStringView(u"%windir%")}) {
    if (path.size() >= variable.size() && text::EqualsIgnoreCase(WStringView(path).substr(0, variable.size()), variable))
      path = WString(kWindows) + path.substr(variable.size());
  }
  if (path.size() >= 2 && path[1] == u':') return path;
  if (path.find_first_of(u"\\/") == WString::npos) return WString(kWindows) + u"\\System32\\" + path;
  return WString(kWindows) + u"\\" + path;
}

// String `id` of a string-table block: sixteen counted UTF-16 strings.
std::optional<WString> FromBlock(const std::vector<uint8_t>& block, uint32_t id) {
  size_t at = 0;
  for (uint32_t i = 0; i < kStringsPerBlock; ++i) {
    if (at + 2 > block.size()) return std::nullopt;
    uint16_t length;
    std::memcpy(&length, block.data() + at, 2);
    at += 2;
    if (at + size_t(length) * 2 > block.size()) return std::nullopt;
    if (i == id % kStringsPerBlock) {
      if (length == 0) return std::nullopt;
      WString s(length, u'\0');
      std::memcpy(s.data(), block.data() + at, size_t(length) * 2);
      return s;
    }
    at += size_t(length) * 2;
  }
  return std::nullopt;
}

std::optional<WString> FromFile(const Machine& machine, const WString& windowsPath, uint32_t id) {
  const Located file = machine.Locate(windowsPath, u"The string resource file");
  if (!file) return std::nullopt;
  VersionResource block = ReadResource(file.path, kRtString, id / kStringsPerBlock + 1);
  if (block.error) return std::nullopt;
  return FromBlock(block.block, id);
}

}  // namespace

std::optional<WString> LoadDllString(const Machine& machine, WStringView dllPath, uint32_t id) {
  const WString dll = WindowsPathOf(dllPath);
  const size_t slash = dll.rfind(u'\\');
  const WString folder = dll.substr(0, slash), mui = dll.substr(slash + 1) + u".mui";
  if (auto s = FromFile(machine, folder + u"\\en-US\\" + mui, id)) return s;
  const Located dllFolder = machine.Locate(folder, u"The folder of");
  if (!dllFolder) return std::nullopt;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dllFolder.path, ec)) {
    const WString language = text::FromPath(entry.path().filename());
    if (language.find(u'-') != WString::npos)
      if (auto s = FromFile(machine, folder + u"\\" + language + u"\\" + mui, id)) return s;
  }
  return FromFile(machine, dll, id);
}

}  // namespace offline
