// libFuzzer entry point for reading a hive file (header checks, then hivex): any
// input either opens and walks or is rejected with MachineError; anything else
// (a crash, another exception) is a bug. A rescue tool reads disks it cannot trust.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "platform/offline/HiveFile.h"

namespace {

constexpr int kMaxDepth = 16;
constexpr size_t kMaxKeys = 4096;  // a damaged hive may link its keys in a circle

void Walk(const offline::HiveFile& hive, uint64_t node, int depth, size_t& keys) {
  if (depth > kMaxDepth || ++keys > kMaxKeys) return;
  for (const auto& [name, child] : hive.Read(node).children) Walk(hive, child, depth + 1, keys);
}

std::string ReadFileBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// hivex reads files only: each input is written to one scratch file, removed at exit.
struct ScratchFile {
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("quillon-hive-fuzz-" + std::to_string(::getpid()));
  ~ScratchFile() {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchFile scratch;
  const std::filesystem::path& file = scratch.path;
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 std::streamsize(size));
  try {
    auto hive = offline::HiveFile::Open(file);
    size_t keys = 0;
    Walk(*hive, hive->Root(), 0, keys);
  } catch (const offline::MachineError&) {
    // Rejected input is the expected outcome for most mutations.
  }
  return 0;
}

// The hives the driver is given on its command line are the seeds; hivex's
// minimal hive is always one.
std::vector<std::string> FuzzBuiltInSeeds() { return {ReadFileBytes(QUILLON_MINIMAL_HIVE)}; }

// Fragments of the hive format: block signatures and cell sizes.
std::vector<std::string> FuzzTokens() {
  return {"regf", "hbin", "nk", "vk", "lf", "lh", "li", "ri", "sk", "db",
          std::string("\xff\xff\xff\xff", 4), std::string("\x00\x00\x00\x00", 4), std::string("\x00\x10\x00\x00", 4)};
}
