// bench_hash: the catalog hashes of the offline catalog services (SHA-1 and
// SHA-256, the Authenticode image hash for PE files), as the catalog checks ask
// for them, against sha1sum / sha256sum over the same ~200 MB of driver files;
// and SHA-1 again as the window runs it, each file's hash beside a thread that
// ticks so that the window keeps answering.
#include <cstdio>
#include <fstream>
#include <map>
#include <stdexcept>

#include "bench/support/BenchSupport.h"
#include "platform/Platform.h"
#include "platform/StillWorking.h"
#include "platform/offline/Machine.h"
#include "platform/offline/OfflinePlatform.h"
#include "signing/CryptCat.h"

namespace {

constexpr const char* kBench = "bench_hash";

struct Peer {
  const char* name;
  const char* tool;
};

bool IsPe(const bench::fs::path& p) {
  const std::string ext = p.extension().string();
  return ext == ".sys" || ext == ".dll" || ext == ".exe";
}

// Hex digests of the tool's output ("<hex>  <path>" lines), by path.
std::map<std::string, std::string> ReadSums(const bench::fs::path& output) {
  std::map<std::string, std::string> sums;
  std::ifstream in(output);
  for (std::string line; std::getline(in, line);) {
    const size_t blank = line.find("  ");
    if (blank != std::string::npos) sums[line.substr(blank + 2)] = line.substr(0, blank);
  }
  return sums;
}

std::string Upper(std::string s) {
  for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

int Run() {
  const double megabytes = bench::EnvNumber("QUILLON_BENCH_HASH_MB", 200);
  const int rounds = int(bench::EnvNumber("QUILLON_BENCH_HASH_ROUNDS", 3));
  bench::TempFolder temp("quillon-bench-hash");
  // Inside the machine: its catalog services read nothing outside it.
  const bench::fs::path tree = temp.Path() / "machine" / "C" / "tree";
  bench::Generate("gen_tree.py", {tree.string(), bench::Fixed(megabytes, 0)});
  const std::vector<bench::fs::path> files = bench::TreeFiles(tree);
  const uint64_t bytes = bench::TreeBytes(tree);
  size_t peFiles = 0;
  for (const auto& f : files) peFiles += IsPe(f);
  bench::Report(kBench, "files:", std::to_string(files.size()) + " (" + std::to_string(peFiles) + " PE), " +
                                      bench::Fixed(double(bytes) / (1 << 20), 1) + " MiB");

  // The catalog services of an empty offline machine: only the hash calls are used.
  offline::OfflinePlatform platform(offline::Machine::Load(temp.Path() / "machine"));
  ScopedPlatform installed(platform.Ports());

  std::vector<std::string> sha1Args = {"sha1sum"}, sha256Args = {"sha256sum"};
  for (const auto& f : files) {
    sha1Args.push_back(f.string());
    sha256Args.push_back(f.string());
  }
  bench::RunChecked(sha1Args);  // warms the page cache for everyone

  std::map<std::string, WString> ours1, ours256;
  auto hashAll = [&](bool sha256) {
    for (const auto& f : files) {
      const WString name = text::FromPath(f);
      WString message;
      WString hash = sha256 ? CalcFileHashSha256(name, message) : CalcFileHash(name);
      if (hash.empty()) throw std::runtime_error("no hash for " + f.string() + " " + text::ToUtf8(message));
      (sha256 ? ours256 : ours1)[f.string()] = std::move(hash);
    }
  };
  std::vector<double> t1, t256, p1, p256, t1Answering;
  const bench::fs::path sums1 = temp.Path() / "sha1.txt", sums256 = temp.Path() / "sha256.txt";
  for (int r = 0; r < rounds; ++r) {  // interleaved, so that load changes hit both sides alike
    t1.push_back(bench::Seconds([&] { hashAll(false); }));
    p1.push_back(bench::RunChecked(sha1Args, {.output = sums1}).seconds);
    t256.push_back(bench::Seconds([&] { hashAll(true); }));
    p256.push_back(bench::RunChecked(sha256Args, {.output = sums256}).seconds);
    t1Answering.push_back(bench::Seconds([&] {
      working::ScopedListener answering([] {});
      hashAll(false);
    }));
  }

  // Flat files must hash as the tools do; PE files by their image hash, so differ.
  auto check = [&](const std::map<std::string, WString>& ours, const bench::fs::path& sums, const char* what) {
    const auto theirs = ReadSums(sums);
    size_t flatSame = 0, peDiffer = 0;
    for (const auto& f : files) {
      const bool same = Upper(theirs.at(f.string())) == text::ToUtf8(ours.at(f.string()));
      if (IsPe(f)) peDiffer += !same;
      else flatSame += same;
    }
    bench::Report(kBench, std::string(what) + " flat files equal to the tool's digest:",
                  std::to_string(flatSame) + " of " + std::to_string(files.size() - peFiles) +
                      "; PE files hashed without checksum and certificate entry (differ): " +
                      std::to_string(peDiffer) + " of " + std::to_string(peFiles));
    return flatSame == files.size() - peFiles && peDiffer == peFiles;
  };
  const bool ok = check(ours1, sums1, "SHA-1") & check(ours256, sums256, "SHA-256");

  auto line = [&](const char* what, const std::vector<double>& ours, const std::vector<double>& peer,
                  const char* tool) {
    const double o = bench::Median(ours), p = bench::Median(peer);
    bench::Report(kBench, std::string(what) + ":", "ours " + bench::MiBps(bytes, o) + ", " + tool + " " +
                                                       bench::MiBps(bytes, p) + ", ratio " + bench::Fixed(p / o, 2) +
                                                       " (median of " + std::to_string(rounds) + ")");
  };
  line("SHA-1", t1, p1, "sha1sum");
  line("SHA-256", t256, p256, "sha256sum");
  const double quiet = bench::Median(t1), answering = bench::Median(t1Answering);
  bench::Report(kBench, "SHA-1 while the window answers:",
                "ours " + bench::MiBps(bytes, answering) + ", " + bench::Fixed(answering / quiet, 2) +
                    " x the time without (median of " + std::to_string(rounds) + ")");
  return ok ? 0 : 1;
}

}  // namespace

int main() { return bench::Main(kBench, Run); }
