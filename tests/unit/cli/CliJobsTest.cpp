// export-all on several threads writes what one thread writes: archives the same
// to the byte, the same reports in the same order, the same record.
#include "cli/ExportRun.h"
#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

// The JSON result without the record's name, which holds the time of the run.
nlohmann::json Comparable(nlohmann::json result) {
  result.erase("record");
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

TEST(ExportGroups, DevicesSharingAnArchiveOrWorkFolderNameStayTogether) {
  auto device = [](const char16_t* description, const char16_t* version, const char16_t* inf) {
    TDevice d;
    d.DriverDescription = description;
    d.DriverVersion = version;
    d.OriginalInfName = inf;
    d.DriverStore = WString(u"/store/") + inf + u"/" + inf;
    return d;
  };
  const TDeviceList devices = {device(u"Hub", u"1.0", u"hub.inf"),      device(u"Audio", u"2.0", u"audio.inf"),
                               device(u"HUB", u"1.0", u"other.inf"),    device(u"Net", u"3.0", u"net.inf"),
                               device(u"Serial", u"4.0", u"OTHER.inf"), device(u"Audio", u"2.0", u"audio.inf"),
                               device(u"Ger\u00e4t", u"1.0", u"g1.inf"), device(u"GER\u00c4T", u"1.0", u"g2.inf")};
  // 0 and 2 share an archive name (letter case aside), 2 and 4 a work folder, 1 and 5
  // both; 6 and 7 may name one file on Windows, which folds case beyond ASCII.
  EXPECT_EQ(cli::ExportGroups(devices, u"/out"),
            (std::vector<std::vector<size_t>>{{0, 2, 4}, {1, 5}, {3}, {6, 7}}));
}

}  // namespace
}  // namespace clitest
