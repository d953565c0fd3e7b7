#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/offline/MachineVersionResource.h"

namespace {

namespace fs = std::filesystem;

// A PE32+ header whose COFF header claims `sections` sections, in a file of `size` bytes.
std::vector<char> PeClaiming(uint16_t sections, size_t size) {
  std::vector<char> bytes(size, 0);
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&bytes[at], &v, 2); };
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&bytes[at], &v, 4); };
  put16(0, 0x5A4D);          // MZ
  put32(0x3C, 0x40);         // e_lfanew
  put32(0x40, 0x00004550);   // PE\0\0
  put16(0x44 + 2, sections);
  put16(0x44 + 16, 0xF0);    // size of the optional header
  put16(0x58, 0x20B);        // PE32+
  return bytes;
}

// A DLL of the disk that lies about its section count is refused at once, by its
// size, instead of being read 40 bytes at a time for each string asked of it.
TEST(PeResource, ASectionCountTheFileCannotHoldIsABadImage) {
  const fs::path file = fs::temp_directory_path() / ("quillon-liar-" + std::to_string(::getpid()) + ".dll");
  const std::vector<char> liar = PeClaiming(65535, 4096);
  std::ofstream(file, std::ios::binary).write(liar.data(), std::streamsize(liar.size()));
  EXPECT_EQ(offline::ReadVersionResource(file).error, 193u);  // ERROR_BAD_EXE_FORMAT
  EXPECT_EQ(offline::ReadResource(file, 6, 7).error, 193u);
  // The same count in a file that holds the table is read (and has no resources).
  const std::vector<char> honest = PeClaiming(3, 4096);
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(honest.data(), std::streamsize(honest.size()));
  fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(2));  // not the cached answer
  EXPECT_EQ(offline::ReadVersionResource(file).error, 1813u);  // ERROR_RESOURCE_TYPE_NOT_FOUND
  fs::remove(file);
}

}  // namespace
