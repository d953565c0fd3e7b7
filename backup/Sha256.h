// SHA-256 of a file, read in pieces: OpenSSL on Linux, the system's CNG (bcrypt)
// on Windows, so that the exe needs no DLL beside the system's.
#pragma once
#include <filesystem>
#include <string>

namespace backup {

// Lower-case hexadecimal. Raises QuillonError naming the file and the cause.
std::string Sha256OfFile(const std::filesystem::path& file);

}  // namespace backup
