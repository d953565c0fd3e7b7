// Creating a file that must not replace one: records and scripts are created
// new, so that an earlier one (or a file someone else put there) is never
// overwritten.
#pragma once
#include <filesystem>
#include <system_error>

namespace paths {

// Creates `file` empty, failing when anything already has that name (ec then is
// std::errc::file_exists); links are not followed. True when this call created it.
bool CreateNewFile(const std::filesystem::path& file, std::error_code& ec);

// `folder`/`stem``extension`, or the first free of `stem`-2`extension`,
// `stem`-3`extension`, ..., created empty and new. Raises QuillonError naming the
// file and the cause when none can be created.
std::filesystem::path CreateNextFreeFile(const std::filesystem::path& folder, const std::string& stem,
                                         const std::string& extension);

}  // namespace paths
