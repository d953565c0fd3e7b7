// Runs a libFuzzer target without a fuzzer engine: deterministic mutations of
// built-in seeds (and of the files named on the command line), bounded by a count
// and a time budget, so that CTest can run it on every build.
//   reg_fuzz_driver [--iterations N] [--seconds S] [seed files...]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

std::vector<std::string> BuiltInSeeds() {
  const std::string body =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "; comment\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1&DEV_2\\3&4]\r\n"
      "\"DeviceDesc\"=\"Disk \\\"A\\\" \\\\\"\r\n"
      "\"ConfigFlags\"=dword:00000000\r\n"
      "\"HardwareID\"=hex(7):50,00,43,00,49,00,00,00,\\\r\n  00,00\r\n"
      "\"Path\"=hex(2):25,00,00,00\r\n"
      "\"Bin\"=hex:01,02,\\\r\n  03\r\n"
      "\"Q\"=hex(b):00,00,00,00,00,00,00,00\r\n"
      "\"N\"=hex(0):\r\n"
      "@=\"default\"\r\n"
      "\"Gone\"=-\r\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n"
      "[HKEY_CURRENT_USER\\Software]\r\n\"x\"=dword:1\r\n";
  return {body, Utf16(body), "\xEF\xBB\xBF" + body, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"m\"=hex(7):41,00\n", ""};
}

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

// Fragments the parser treats specially, spliced in to reach its branches.
const char* const kTokens[] = {"\\",    "\"",     "[",      "]",   ",",     "\r\n", "\n",  "=",   "-",
                               "@",     ";",      "dword:", "hex:", "hex(7):", "hex(2):", "hex(b):",
                               "hex(ffffffff):", "ff", "0", "\\\r\n  ", "[-", "HKEY_LOCAL_MACHINE\\", "\xFF\xFE", "\0"};

void Mutate(std::string& s, Random& r) {
  int steps = 1 + int(r.Below(4));
  for (int i = 0; i < steps; ++i) {
    switch (r.Below(6)) {
      case 0:  // flip a byte
        if (!s.empty()) s[r.Below(s.size())] ^= char(1 + r.Below(255));
        break;
      case 1: {  // insert a token
        const char* t = kTokens[r.Below(std::size(kTokens))];
        std::string token = *t ? std::string(t) : std::string(1, '\0');
        s.insert(r.Below(s.size() + 1), token);
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

}  // namespace

int main(int argc, char** argv) {
  long iterations = 20000;
  double seconds = 15;
  std::vector<std::string> seeds = BuiltInSeeds();
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--iterations" && i + 1 < argc) iterations = std::atol(argv[++i]);
    else if (a == "--seconds" && i + 1 < argc) seconds = std::atof(argv[++i]);
    else {
      std::ifstream in(a, std::ios::binary);
      if (!in) {
        std::fprintf(stderr, "cannot read seed file %s\n", a.c_str());
        return 2;
      }
      std::ostringstream content;
      content << in.rdbuf();
      seeds.push_back(content.str());
    }
  }
  auto feed = [](const std::string& s) { LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(s.data()), s.size()); };
  for (const std::string& s : seeds) feed(s);

  Random random(0x5EED);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  long done = 0;
  for (; done < iterations; ++done) {
    if (done % 256 == 0 && std::chrono::steady_clock::now() > deadline) break;
    std::string input = seeds[random.Below(seeds.size())];
    Mutate(input, random);
    feed(input);
  }
  std::printf("fed %ld mutated inputs from %zu seeds\n", done, seeds.size());
  return 0;
}
