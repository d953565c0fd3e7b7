// A Windows 7 disk whose legacy devices' descriptions point into driver files it
// no longer has: every front end names each device, none shows an empty row.
#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

const std::map<std::string, std::string> kLegacyNames = {
    {"ROOT\\LEGACY_QUILLONAFD\\0000", "QuillonAfd"},           // its service
    {"ROOT\\LEGACY_QUILLONBEEP\\0000", "Quillon Beep"},        // the text after ';'
    {"ROOT\\LEGACY_QUILLONGONE\\0000", "LEGACY_QUILLONGONE"},  // its instance id's device part
    {"ROOT\\LEGACY_QUILLONBARE\\0000", "QuillonBare"},         // no description stored
};

// The fields of each line of a CSV whose fields are all quoted ("" inside).
std::vector<std::vector<std::string>> CsvRows(const std::string& csv) {
  std::vector<std::vector<std::string>> rows(1);
  bool quoted = false;
  std::string field;
  for (size_t i = 0; i < csv.size(); ++i) {
    const char c = csv[i];
    if (quoted) {
      if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') field += csv[++i];
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().push_back(std::move(field));
      field.clear();
    } else if (c == '\n') {
      rows.back().push_back(std::move(field));
      field.clear();
      rows.emplace_back();
    }
  }
  rows.pop_back();  // after the last line break
  return rows;
}

class LegacyDevices : public CliTest {
 protected:
  void SetUp() override { UseMachine("legacy-installation"); }
  RunResult OnLegacy(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--windows", (Root() / "machine").string()};
    all.insert(all.end(), args.begin(), args.end());
    return QuillonBare(all);
  }
};

TEST_F(LegacyDevices, TheTreeNamesEveryClassAndDevice) {
  const RunResult r = Headless({"tree"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const auto& [id, name] : kLegacyNames) EXPECT_TRUE(r.Has("    " + name)) << name << " in\n" << r.out;
  EXPECT_TRUE(r.Has("  [+] LegacyDriver")) << r.out;  // the class name stands in for its lost description
  for (std::string line : r.Lines()) {
    line.erase(0, line.find_first_not_of(' '));
    if (line.rfind("[+] ", 0) == 0 || line.rfind("[-] ", 0) == 0) line.erase(0, 4);
    EXPECT_FALSE(line.empty()) << "an empty row in\n" << r.out;
  }
}

TEST_F(LegacyDevices, ListAllAndTheExportRecordNameEveryDevice) {
  const RunResult list = OnLegacy({"--json", "list", "--all"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  std::map<std::string, std::string> legacy;
  const nlohmann::json listed = Json(list);
  for (const auto& d : listed["devices"]) {
    const std::string id = d["instanceId"].get<std::string>(), name = d["name"].get<std::string>();
    EXPECT_NE(name, "") << id;
    EXPECT_NE(d["class"].get<std::string>(), "") << id;
    if (kLegacyNames.count(id)) legacy[id] = name;
  }
  EXPECT_EQ(legacy, kLegacyNames);

  const fs::path out = Root() / "out";
  const RunResult exported = OnLegacy({"--json", "export-all", "--to", out.string()});
  ASSERT_NE(exported.exitCode, 2) << exported.err;
  const auto rows = CsvRows(e2e::ReadFile(Json(exported)["record"].get<std::string>()));
  ASSERT_GT(rows.size(), 1u);
  ASSERT_EQ(rows[0].at(1), "Name");
  std::map<std::string, std::string> recorded;
  for (size_t i = 1; i < rows.size(); ++i) {
    EXPECT_NE(rows[i].at(1), "") << rows[i].at(0);
    if (kLegacyNames.count(rows[i].at(0))) recorded[rows[i].at(0)] = rows[i].at(1);
  }
  EXPECT_EQ(recorded, kLegacyNames);
}

}  // namespace
}  // namespace clitest
