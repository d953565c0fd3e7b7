// For targets whose parser reads files: the input written to a file of this
// process's own, removed when the run ends.
#pragma once
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

// Writes the input to <temp>/quillon-<name>-fuzz-<pid><extension> and returns that path.
inline const std::filesystem::path& WriteFuzzInput(const char* name, const char* extension, const uint8_t* data,
                                                   size_t size) {
  static const struct InputFile {
    std::filesystem::path path;
    ~InputFile() {
      std::error_code ec;
      std::filesystem::remove(path, ec);
    }
  } input{std::filesystem::temp_directory_path() /
          ("quillon-" + std::string(name) + "-fuzz-" + std::to_string(::getpid()) + extension)};
  std::ofstream(input.path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), std::streamsize(size));
  return input.path;
}
