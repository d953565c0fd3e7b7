// Reading the [Version] section of an INF file on the host, line by line
// (UTF-16LE with BOM, or 8-bit text).
#pragma once
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Text.h"

namespace offline {

using InfEntries = std::vector<std::pair<WString, WString>>;

// The key=value lines of [Version], values unquoted; nullopt when the file
// cannot be opened.
std::optional<InfEntries> ReadInfVersion(const std::filesystem::path& inf);

// The value of `key` (case-insensitive) in the entries; empty when absent.
WString InfValue(const InfEntries& entries, WStringView key);

}  // namespace offline
