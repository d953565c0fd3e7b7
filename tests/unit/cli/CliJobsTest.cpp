// export-all on several threads writes what one thread writes: archives the same
// to the byte, the same reports in the same order, the same record.
#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

// The JSON result without the record's name, which holds the time of the run.
nlohmann::json Comparable(nlohmann::json result) {
  result.erase("record");
  result.erase("index");
  return result;
}

TEST_F(CliTest, ExportAllGivesTheSameOutcomeWhateverTheNumberOfJobs) {
  UseMachine("command-machine");
  std::map<std::string, nlohmann::json> results;
  std::map<std::string, std::map<std::string, std::string>> archives;  // jobs -> name -> bytes
  for (const std::string jobs : {"1", "2", "5"}) {
    const fs::path out = Root() / ("jobs-" + jobs);
    const RunResult r = QuillonBare({"--windows", (Root() / "machine").string(), "--json", "export-all", "--jobs",
                                     jobs, "--to", out.string()});
    ASSERT_NE(r.exitCode, 2) << r.err;
    results[jobs] = Comparable(Json(r));
    for (const std::string& name : e2e::Names(e2e::Snapshot(out)))
      if (name.rfind("Quillon-", 0) != 0) archives[jobs][name] = e2e::ReadFile(out / name);
  }
  EXPECT_EQ(archives["1"].size(), e2e::kCommandMachineArchives.size());
  for (const std::string jobs : {"2", "5"}) {
    EXPECT_EQ(results[jobs], results["1"]) << jobs;
    EXPECT_TRUE(archives[jobs] == archives["1"]) << jobs << " jobs: the archives differ";
  }
}

}  // namespace
}  // namespace clitest
