#include "bench/support/BenchSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

extern char** environ;

namespace bench {

namespace {

constexpr const char* kGnuTime = "/usr/bin/time";

std::string Joined(const std::vector<std::string>& argv) {
  std::string out;
  for (const std::string& a : argv) out += (out.empty() ? "" : " ") + a;
  return out;
}

// Owns a posix_spawn file-actions object.
class FileActions {
 public:
  FileActions() { posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  posix_spawn_file_actions_t* Get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

}  // namespace

TempFolder::TempFolder(const std::string& prefix) {
  const char* root = std::getenv("QUILLON_BENCH_TMP");
  const fs::path base = root && *root ? fs::path(root) : fs::temp_directory_path();
  std::random_device rd;
  path_ = base / (prefix + "-" + std::to_string(rd()));
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
  if (ec) std::fprintf(stderr, "bench: could not remove %s: %s\n", path_.c_str(), ec.message().c_str());
}

// The child runs under GNU time, which reports the rusage of the process it
// forked itself. Our own wait4 would not do: the kernel carries the spawning
// process's peak memory into its child's ru_maxrss at exec, so a benchmark that
// holds much memory would see it in every child.
ChildRun RunChild(const std::vector<std::string>& argv, const ChildOptions& options) {
  char usageFile[] = "/tmp/quillon-bench-usage-XXXXXX";
  const int usageFd = mkstemp(usageFile);
  if (usageFd < 0) throw std::system_error(errno, std::generic_category(), "mkstemp");
  close(usageFd);
  struct Remover {
    const char* name;
    ~Remover() { unlink(name); }
  } remover{usageFile};

  FileActions actions;
  const std::string output = options.output.empty() ? std::string("/dev/null") : options.output.string();
  if (!options.inheritOutput) {
    posix_spawn_file_actions_addopen(actions.Get(), 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(actions.Get(), 1, 2);
  }
  if (!options.workingDir.empty()) posix_spawn_file_actions_addchdir_np(actions.Get(), options.workingDir.c_str());
  std::vector<std::string> timed = {kGnuTime, "-q", "-f", "%M %U %S", "-o", usageFile};
  timed.insert(timed.end(), argv.begin(), argv.end());
  std::vector<char*> args;
  for (const std::string& a : timed) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (int e = posix_spawn(&pid, kGnuTime, actions.Get(), nullptr, args.data(), environ))
    throw std::system_error(e, std::generic_category(), std::string("cannot start ") + kGnuTime);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) throw std::system_error(errno, std::generic_category(), "waitpid");
  ChildRun run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

  // The last line is ours; a line before it tells of a signal.
  std::ifstream in(usageFile);
  std::string line, last;
  while (std::getline(in, line))
    if (!line.empty()) last = line;
  double user = 0, system = 0;
  if (std::sscanf(last.c_str(), "%ld %lf %lf", &run.peakKiB, &user, &system) != 3)
    throw std::runtime_error("no resource usage for \"" + Joined(argv) + "\" (" + last + ")");
  run.cpuSeconds = user + system;
  return run;
}

ChildRun RunChecked(const std::vector<std::string>& argv, const ChildOptions& options) {
  ChildRun run = RunChild(argv, options);
  if (run.exitCode != 0)
    throw std::runtime_error("\"" + Joined(argv) + "\" failed with exit code " + std::to_string(run.exitCode) +
                             (options.output.empty() ? "" : " (output in " + options.output.string() + ")"));
  return run;
}

fs::path BenchSourceDir() { return QUILLON_BENCH_SOURCE_DIR; }
fs::path FixtureSourceDir() { return QUILLON_FIXTURE_SOURCE_DIR; }
fs::path SelfExecutable() { return fs::read_symlink("/proc/self/exe"); }

void Generate(const std::string& script, const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"python3", (BenchSourceDir() / script).string()};
  argv.insert(argv.end(), args.begin(), args.end());
  // Generator errors reach the reader directly.
  ChildOptions options;
  options.inheritOutput = true;
  RunChecked(argv, options);
}

double EnvNumber(const char* name, double fallback) {
  const char* v = std::getenv(name);
  if (!v || !*v) return fallback;
  char* end = nullptr;
  const double d = std::strtod(v, &end);
  if (*end) throw std::runtime_error(std::string(name) + "=" + v + ": not a number");
  return d;
}

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<fs::path> TreeFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

uint64_t TreeBytes(const fs::path& folder) {
  uint64_t total = 0;
  for (const fs::path& f : TreeFiles(folder)) total += fs::file_size(f);
  return total;
}

void Report(const std::string& bench, const std::string& what, const std::string& value) {
  std::printf("%s: %s %s\n", bench.c_str(), what.c_str(), value.c_str());
  std::fflush(stdout);
}

std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

std::string MiBps(uint64_t bytes, double seconds) {
  return Fixed(seconds > 0 ? double(bytes) / (1 << 20) / seconds : 0, 1) + " MiB/s";
}

int Main(const char* bench, const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", bench, e.what());
    return 1;
  }
}

std::string Verdict(bool met) { return met ? "met" : "MISSED"; }

}  // namespace bench
