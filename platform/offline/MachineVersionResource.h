// The VS_VERSION_INFO resource of a PE file, read as version.dll does, so that
// the offline system reports the version of a real Windows executable.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace offline {

struct VersionResource {
  uint32_t error = 0;          // 0, or the Win32 error GetFileVersionInfoSizeW leaves
  std::vector<uint8_t> block;  // the resource bytes (VS_VERSIONINFO)
};

// The resource of `type` named `name` (the first name when none), in its first
// language. Reads only the headers and the resource: the file is never loaded whole.
VersionResource ReadResource(const std::filesystem::path& file, uint32_t type, std::optional<uint32_t> name);
VersionResource ReadVersionResource(const std::filesystem::path& file);

// VerQueryValueW(block, "\\"): the file-version words of VS_FIXEDFILEINFO.
bool FixedFileVersion(const uint8_t* block, uint32_t& versionMS, uint32_t& versionLS);

}  // namespace offline
