#include "platform/offline/OfflineInfFile.h"

#include <optional>

#include "inf/InfFile.h"

namespace offline {

std::optional<InfEntries> ReadInfVersion(const std::filesystem::path& inf) {
  std::error_code ec;
  // A folder in the INF's place opens but holds no lines: the package keeps its
  // INF's name and no catalog, and verification then finds what the folder holds.
  if (std::filesystem::is_directory(inf, ec)) return InfEntries{};
  std::optional<inf::InfFile> file;
  try {
    file.emplace(inf);
  } catch (const inf::InfError&) {
    return std::nullopt;  // unreadable, too large, or an INF SetupAPI refuses as well
  }
  InfEntries entries;
  for (const inf::InfLine& line : file->Lines(u"Version"))
    if (line.hasKey) entries.emplace_back(line.key, line.Field(1));
  return entries;
}

WString InfValue(const InfEntries& entries, WStringView key) {
  for (const auto& [name, value] : entries)
    if (text::EqualsIgnoreCase(name, key)) return value;
  return {};
}

}  // namespace offline
