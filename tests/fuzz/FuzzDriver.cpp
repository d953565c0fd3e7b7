// Runs a libFuzzer target without a fuzzer engine: deterministic mutations of
// the target's built-in seeds (and of the files, or every file of the folders,
// named on the command line), bounded by a count and a time budget, so that CTest
// can run it on every build.
//   <target>_fuzz_driver [--iterations N] [--seconds S] [seed files or folders...]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzTarget.h"

namespace {

// xorshift64*: the same sequence on every run and platform.
class Random {
 public:
  explicit Random(uint64_t seed) : s_(seed ? seed : 1) {}
  uint64_t Next() {
    s_ ^= s_ >> 12;
    s_ ^= s_ << 25;
    s_ ^= s_ >> 27;
    return s_ * 0x2545F4914F6CDD1Dull;
  }
  size_t Below(size_t n) { return n ? size_t(Next() % n) : 0; }

 private:
  uint64_t s_;
};

void Mutate(std::string& s, Random& r, const std::vector<std::string>& tokens) {
  int steps = 1 + int(r.Below(4));
  for (int i = 0; i < steps; ++i) {
    switch (r.Below(6)) {
      case 0:  // flip a byte
        if (!s.empty()) s[r.Below(s.size())] ^= char(1 + r.Below(255));
        break;
      case 1: {  // insert a token
        if (!tokens.empty()) s.insert(r.Below(s.size() + 1), tokens[r.Below(tokens.size())]);
        break;
      }
      case 2:  // delete a range
        if (!s.empty()) {
          size_t at = r.Below(s.size());
          s.erase(at, 1 + r.Below(std::min<size_t>(16, s.size() - at)));
        }
        break;
      case 3:  // duplicate a range
        if (!s.empty()) {
          size_t at = r.Below(s.size());
          std::string piece = s.substr(at, 1 + r.Below(32));
          s.insert(r.Below(s.size() + 1), piece);
        }
        break;
      case 4:  // truncate
        s.resize(r.Below(s.size() + 1));
        break;
      default:  // a random byte
        s.insert(r.Below(s.size() + 1), 1, char(r.Next()));
        break;
    }
  }
}

bool AddSeedFile(const std::filesystem::path& file, std::vector<std::string>& seeds) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read seed file %s\n", file.string().c_str());
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  seeds.push_back(content.str());
  return true;
}

// A file, or every file of a folder in name order (the same seeds on every run).
bool AddSeeds(const std::filesystem::path& path, std::vector<std::string>& seeds) {
  std::error_code ec;
  if (!std::filesystem::is_directory(path, ec)) return AddSeedFile(path, seeds);
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(path, ec))
    if (entry.is_regular_file(ec)) files.push_back(entry.path());
  if (ec || files.empty()) {
    std::fprintf(stderr, "no seed files in %s\n", path.string().c_str());
    return false;
  }
  std::sort(files.begin(), files.end());
  for (const auto& f : files)
    if (!AddSeedFile(f, seeds)) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  long iterations = 20000;
  double seconds = 15;
  std::vector<std::string> seeds = FuzzBuiltInSeeds();
  const std::vector<std::string> tokens = FuzzTokens();
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--iterations" && i + 1 < argc) iterations = std::atol(argv[++i]);
    else if (a == "--seconds" && i + 1 < argc) seconds = std::atof(argv[++i]);
    else if (!AddSeeds(a, seeds))
      return 2;
  }
  auto feed = [](const std::string& s) { LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(s.data()), s.size()); };
  for (const std::string& s : seeds) feed(s);

  Random random(0x5EED);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  long done = 0;
  for (; done < iterations; ++done) {
    if (done % 256 == 0 && std::chrono::steady_clock::now() > deadline) break;
    std::string input = seeds[random.Below(seeds.size())];
    Mutate(input, random, tokens);
    feed(input);
  }
  std::printf("fed %ld mutated inputs from %zu seeds\n", done, seeds.size());
  return 0;
}
