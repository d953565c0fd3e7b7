// The [Version] section of an INF file on the host, as the INF reader reads it
// (strings substituted, in any of the INF encodings).
#pragma once
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Text.h"

namespace offline {

using InfEntries = std::vector<std::pair<WString, WString>>;

// The key=value lines of [Version], values unquoted; nullopt when the file
// cannot be read, is larger than the INF reader takes, or is an INF SetupAPI refuses.
std::optional<InfEntries> ReadInfVersion(const std::filesystem::path& inf);

// The value of `key` (case-insensitive) in the entries; empty when absent.
WString InfValue(const InfEntries& entries, WStringView key);

}  // namespace offline
