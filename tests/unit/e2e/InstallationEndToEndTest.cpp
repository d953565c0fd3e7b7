// The sample machine as the root of a real Windows installation (binary hives,
// no machine.ini) reads exactly like its registry.reg form, and the commands
// write nothing below it.
#include "Headless.h"

namespace e2e {
namespace {

const std::vector<std::string> kSelected = {
    "PCI\\VEN_10DE&DEV_1C82&SUBSYS_11BF1462&REV_A1\\4&1a2b3c4d&0&0008",  // signed, a subfolder
    "ROOT\\TAILSPINSENSOR\\0000",                                       // an altered file
    "ROOT\\LITAUDIO\\0000",                                             // through the system catalogs
    "USB\\VID_1234&PID_5678\\NW0001",                                   // friendly name, x64 subfolder
    "ROOT\\CONTOSOFILTER\\0000",
};

class InstallationEndToEnd : public HeadlessTest {
 protected:
  // Everything a user sees of the machine, with the system drive's host path
  // (`drive`) written as "<C:>" and the output folder as "<out>".
  std::string Session(const std::string& machineName, const std::string& drive) {
    const fs::path machine = UseMachine(machineName);
    const fs::path out = Root() / "out";
    fs::remove_all(out);
    std::vector<std::string> actions = {"--pick", out.string(), "--now", "2024-05-06 07:08:09",
                                        "tree", "toggle-microsoft", "scan", "tree"};
    for (const std::string& id : kSelected)
      actions.insert(actions.end(), {"select", id, "grid", "files", "inf", "verify", "log"});
    actions.insert(actions.end(), {"select-root", "export-all", "log"});
    const auto before = Snapshot(machine);
    RunResult r = Headless(actions);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Snapshot(machine), before) << machineName << ": the commands wrote below the machine folder";
    std::string printed = r.out;
    Replace(printed, (drive.empty() ? machine : machine / drive).string(), "<C:>");
    Replace(printed, out.string(), "<out>");
    for (const auto& [name, content] : Snapshot(out)) {
      if (name == "Quillon-index-2024_05_06_07_08_09.json") {  // Export All's index, at --now
        printed += "\n[index] " + name;
        continue;
      }
      printed += "\n[archive] " + name;
      if (name.back() != '/')
        for (const std::string& entry : ArchiveEntryList(out / name, Scratch())) printed += "\n  " + entry;
    }
    return printed;
  }
  static void Replace(std::string& s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
  }
};

TEST_F(InstallationEndToEnd, HivesAndRegFileGiveTheSameTreeGridFilesVerifyAndExportAll) {
  const std::string fromRegFile = Session("sample-machine", "C");
  const std::string fromHives = Session("sample-installation", "");
  EXPECT_EQ(fromHives, fromRegFile);
  // The comparison covers what it claims: both forms listed, verified and exported.
  EXPECT_NE(fromRegFile.find("Northwind USB Serial Port (COM3)"), std::string::npos);
  EXPECT_NE(fromRegFile.find("Trust      : Failed"), std::string::npos);
  EXPECT_NE(fromRegFile.find("[archive] Contoso GeForce GTX 1050 Ti_31.0.15.3623"), std::string::npos);
  EXPECT_NE(fromRegFile.find("\n[index] Quillon-index-2024_05_06_07_08_09.json"), std::string::npos);
  EXPECT_NE(fromRegFile.find("<C:>/Windows/System32/DriverStore/FileRepository/contgfx.inf_amd64_5f1d2c3b4a596877"),
            std::string::npos);
  EXPECT_EQ(fromRegFile.find("SanDisk"), std::string::npos);  // absent in both forms
}

// A disk that cannot be read: one error naming the file, nothing written anywhere.
TEST_F(InstallationEndToEnd, ADamagedHiveStopsTheProgramBeforeItWritesAnything) {
  const fs::path machine = UseMachine("sample-installation");
  const fs::path hive = machine / "Windows/System32/config/SOFTWARE";
  fs::resize_file(hive, fs::file_size(hive) - 4096);
  const fs::path out = Root() / "out";
  const auto before = Snapshot(machine);
  const RunResult r = Headless({"--pick", out.string(), "export-all"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "quillon-headless: " + hive.string() + ": truncated hive (" +
                       std::to_string(fs::file_size(hive)) + " bytes, its header needs " +
                       std::to_string(fs::file_size(hive) + 4096) + ")\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Snapshot(machine), before);
  EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace e2e
