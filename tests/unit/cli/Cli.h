// Runs the built `quillon` on a private copy of a generated machine, beside the
// window's logic (quillon-headless) on the same copy.
#pragma once
#include <nlohmann/json.hpp>

#include "tests/unit/e2e/Headless.h"

namespace clitest {

namespace fs = std::filesystem;
using e2e::RunResult;

class CliTest : public e2e::HeadlessTest {
 protected:
  void SetUp() override { Machine(); }
  // quillon --windows <machine copy> ARGS...
  RunResult Quillon(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--windows", Machine().string()};
    all.insert(all.end(), args.begin(), args.end());
    return QuillonBare(all);
  }
  // quillon ARGS... (no --windows added)
  RunResult QuillonBare(const std::vector<std::string>& args) {
    return e2e::RunProgram(std::string(QUILLON_BINARY_DIR) + "/cli/quillon", args, Scratch());
  }
  // A copy of the sample machine in the form of a real Windows installation
  // (binary hives, the system drive's folders at its root).
  fs::path Machine() {
    if (machine_.empty()) machine_ = UseMachine("sample-installation");
    return machine_;
  }
  fs::path StoreFolder(const std::string& package) {
    return Machine() / "Windows/System32/DriverStore/FileRepository" / package;
  }
  // export-all of the sample installation into Root()/<name>, once per test.
  fs::path Backup(const std::string& name = "backup") {
    const fs::path out = Root() / name;
    if (!fs::exists(out)) {
      const RunResult r = Quillon({"export-all", "--to", out.string()});
      EXPECT_EQ(r.exitCode, 1) << r.out << r.err;  // Tailspin and the driverless device fail verification
    }
    return out;
  }
  static nlohmann::json Json(const RunResult& r) {
    try {
      return nlohmann::json::parse(r.out);
    } catch (const std::exception& e) {
      ADD_FAILURE() << "not JSON: " << e.what() << "\n" << r.out << r.err;
      return nlohmann::json();
    }
  }

 private:
  fs::path machine_;
};

// The entries of an archive as `7z l -slt` lists them: path -> "size crc modified".
inline std::map<std::string, std::string> EntryFacts(const fs::path& archive, const fs::path& scratch) {
  const RunResult r = e2e::RunProgram("/usr/bin/7z", {"l", "-slt", "-ba", archive.string()}, scratch);
  EXPECT_EQ(r.exitCode, 0) << archive << r.out << r.err;
  std::map<std::string, std::string> facts;
  std::istringstream s(r.out);
  std::string path;
  for (std::string line; std::getline(s, line);) {
    if (line.rfind("Path = ", 0) == 0) path = line.substr(7);
    for (const char* field : {"Size = ", "CRC = ", "Modified = "})
      if (line.rfind(field, 0) == 0) facts[path] += line + ";";
  }
  return facts;
}

// The backup index of a folder one export wrote.
inline fs::path IndexIn(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().rfind("Quillon-index-", 0) == 0) return entry.path();
  throw std::runtime_error("no backup index in " + folder.string());
}

inline std::string Sha256(const fs::path& file, const fs::path& scratch) {
  return e2e::RunProgram("/usr/bin/sha256sum", {file.string()}, scratch).out.substr(0, 64);
}

}  // namespace clitest
