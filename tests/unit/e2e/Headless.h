// Runs the built quillon-headless on a private copy of a generated machine and
// reads back what it printed, what it wrote and what the archives hold.
#pragma once
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace e2e {

namespace fs = std::filesystem;

struct RunResult {
  int exitCode = -1;
  std::string out, err;
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream s(out);
    for (std::string line; std::getline(s, line);) lines.push_back(line);
    return lines;
  }
  bool Has(const std::string& line) const {
    const std::vector<std::string> lines = Lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  // The printed lines that start with `prefix` ("[error]", "[start]", ...).
  std::vector<std::string> Starting(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& line : Lines())
      if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
  }
};

inline std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const fs::path& p, const std::string& content) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
}

// Runs `program` with `args`; stdout and stderr captured. Never through a shell.
inline RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            const fs::path& scratch) {
  const fs::path outFile = scratch / "stdout.txt", errFile = scratch / "stderr.txt";
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!std::freopen(outFile.c_str(), "w", stdout) || !std::freopen(errFile.c_str(), "w", stderr)) ::_exit(126);
    ::setenv("LC_ALL", "C.UTF-8", 1);  // names beyond ASCII print as UTF-8
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  RunResult r;
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  r.out = ReadFile(outFile);
  r.err = ReadFile(errFile);
  return r;
}

// Path, size and content of every file below `folder` (relative, '/' separated).
inline std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    const std::string relative = e.path().lexically_relative(folder).generic_string();
    files[relative + (e.is_directory() ? "/" : "")] = e.is_regular_file() ? ReadFile(e.path()) : std::string();
  }
  return files;
}

inline std::set<std::string> Names(const std::map<std::string, std::string>& snapshot) {
  std::set<std::string> names;
  for (const auto& [name, content] : snapshot) names.insert(name);
  return names;
}

// The files of a driver-store folder an archive must hold: all but *.pnf.
inline std::set<std::string> PackageContent(const fs::path& folder) {
  std::set<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (!e.is_regular_file()) continue;
    std::string ext = e.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    if (ext != ".pnf") files.insert(e.path().lexically_relative(folder).generic_string());
  }
  return files;
}

// The file entries of a .7z (7z l -slt) or .Zip (unzip -Z1) archive, in archive order.
inline std::vector<std::string> ArchiveEntryList(const fs::path& archive, const fs::path& scratch) {
  std::vector<std::string> entries;
  const bool zip = archive.extension() == ".Zip";
  const RunResult r = zip ? RunProgram("/usr/bin/unzip", {"-Z1", archive.string()}, scratch)
                          : RunProgram("/usr/bin/7z", {"l", "-slt", "-ba", archive.string()}, scratch);
  // unzip lists a well-formed Zip without entries as "Empty zipfile." (exit code 1).
  if (zip && r.exitCode == 1 && r.out.rfind("Empty zipfile.", 0) == 0) return entries;
  EXPECT_EQ(r.exitCode, 0) << archive << "\n" << r.out << r.err;
  std::istringstream s(r.out);
  for (std::string line; std::getline(s, line);) {
    if (zip) {
      if (!line.empty() && line.back() != '/') entries.push_back(line);
    } else if (line.rfind("Path = ", 0) == 0) {
      entries.push_back(line.substr(7));
    }
  }
  return entries;
}

inline std::set<std::string> ArchiveEntries(const fs::path& archive, const fs::path& scratch) {
  const std::vector<std::string> list = ArchiveEntryList(archive, scratch);
  return std::set<std::string>(list.begin(), list.end());
}

// Unpacks `archive` into `into` with 7z (it reads both formats).
inline void Extract(const fs::path& archive, const fs::path& into, const fs::path& scratch) {
  const RunResult r = RunProgram("/usr/bin/7z", {"x", "-y", "-o" + into.string(), archive.string()}, scratch);
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
}

class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessTest() {
    root_ = fs::temp_directory_path() /
            ("quillon-e2e-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
             std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "scratch");
  }
  ~HeadlessTest() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // A private copy of the generated machine `name`.
  fs::path UseMachine(const std::string& name = "command-machine") {
    machine_ = root_ / "machine";
    fs::remove_all(machine_);
    fs::copy(fs::path(QUILLON_FIXTURES_DIR) / name, machine_,
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    return machine_;
  }
  fs::path Root() const { return root_; }
  fs::path Scratch() const { return root_ / "scratch"; }
  fs::path PackageDir(const std::string& package) const {
    return machine_ / "C/Windows/System32/DriverStore/FileRepository" / package;
  }

  // quillon-headless --machine <copy> OPTIONS... ACTIONS...
  RunResult Headless(const std::vector<std::string>& optionsAndActions) {
    std::vector<std::string> args = {"--machine", machine_.string()};
    args.insert(args.end(), optionsAndActions.begin(), optionsAndActions.end());
    return RunProgram(std::string(QUILLON_BINARY_DIR) + "/tools/quillon-headless", args, Scratch());
  }

 private:
  fs::path root_, machine_;
};

// The local time the tests give quillon-headless (--now), and the backup index an
// export writes beside its archives then.
inline const std::string kNow = "2026-03-07 14:05:09";
inline const std::string kIndexAtNow = "Quillon-index-2026_03_07_14_05_09.json";

// The archives an export of every device of the command machine writes, and
// the package each one holds. Tailspin fails verification (an altered file);
// Microsoft's own drivers are not listed; the widget has the zero class GUID.
inline const std::map<std::string, std::string> kCommandMachineArchives = {
    {"Audio CodecHD_6.0.1.1", "audiocodec.inf_amd64_6060606060606060"},
    {"Bad Name x64      end_1.0.0.0", "forbidden.inf_amd64_6161616161616161"},
    {"Contoso Filter Device_5.1.0.0", "confilter.inf_amd64_abcdef0123456789"},
    {"Contoso GeForce GTX 1050 Ti_31.0.15.3623", "contgfx.inf_amd64_5f1d2c3b4a596877"},
    {"Fabrikam Ethernet Connection_12.19.2.45", "fabnet.inf_amd64_8f3c2b1a9d0e4f57"},
    {"Litware Virtual Audio_2.4.0.7", "litaudio.inf_amd64_0a1b2c3d4e5f6071"},
    {"Microsoft Basic Display Adapter_10.0.19041.1", "basicdisplay.inf_amd64_1a2b3c4d5e6f7081"},
    {"Northwind USB Serial Port_3.8.27.0", "nwserial.inf_amd64_1122334455667788"},
    {"Own Signature Device_3.0.0.0", "ownsig.inf_amd64_6363636363636363"},
    {"Two Catalogs Device_2.0.0.0", "twocats.inf_amd64_6262626262626262"},
    {"Ger\u00e4t \u03a9 \U0001F3B5_1.2.0.0", "unicode.inf_amd64_6666666666666666"},
};

}  // namespace e2e
