// What every benchmark needs: temporary folders, the data generators, child
// processes with their peak memory, timing and result lines.
#pragma once
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace bench {

namespace fs = std::filesystem;

// A fresh folder below $QUILLON_BENCH_TMP (else the system's temporary folder),
// removed with everything in it when the object goes.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

struct ChildRun {
  int exitCode = -1;  // -1 when killed by a signal
  double seconds = 0;
  double cpuSeconds = 0;  // user + system time, less disturbed by other load than `seconds`
  long peakKiB = 0;  // the child's ru_maxrss (with the children it waited for)
};

struct ChildOptions {
  fs::path workingDir;  // empty: this process's
  fs::path output;      // stdout and stderr go here; empty: /dev/null
  bool inheritOutput = false;  // keep this process's stdout and stderr instead
};

// Starts `argv` (searched on PATH) under GNU time (/usr/bin/time) and waits for
// it; the peak memory and CPU time are the child's own.
ChildRun RunChild(const std::vector<std::string>& argv, const ChildOptions& options = {});
// RunChild that raises when the child does not exit with 0.
ChildRun RunChecked(const std::vector<std::string>& argv, const ChildOptions& options = {});

// Runs one of the data generators of the bench folder (bench/<script>).
void Generate(const std::string& script, const std::vector<std::string>& args);
fs::path BenchSourceDir();
fs::path FixtureSourceDir();
fs::path SelfExecutable();

// A number from the environment (sizes and run counts can be scaled down for a
// quick look); `fallback` when unset.
double EnvNumber(const char* name, double fallback);

double Seconds(const std::function<void()>& work);
double Median(std::vector<double> values);
uint64_t TreeBytes(const fs::path& folder);
std::vector<fs::path> TreeFiles(const fs::path& folder);

// The body of a benchmark's main: runs `body`, turning an escaping error into a
// message on stderr and exit code 1.
int Main(const char* bench, const std::function<int()>& body);

// One result line: "<bench>: <what> <value>".
void Report(const std::string& bench, const std::string& what, const std::string& value);
std::string Fixed(double value, int decimals);
std::string MiBps(uint64_t bytes, double seconds);
// "met" or "MISSED", for a result line naming its target.
std::string Verdict(bool met);

}  // namespace bench
