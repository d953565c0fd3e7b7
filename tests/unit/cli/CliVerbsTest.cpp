// Each verb of `quillon` end to end on the sample installation, checked against what
// the window's logic (quillon-headless) shows and writes on the same machine.
#include "backup/BackupIndex.h"
#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

const std::string kGeForce = "PCI\\VEN_10DE&DEV_1C82&SUBSYS_11BF1462&REV_A1\\4&1a2b3c4d&0&0008";
const std::string kTailspin = "ROOT\\TAILSPINSENSOR\\0000";
// The subject of the test certificate that signs the sample drivers.
const std::string kSigner = "CN=Quillon Test Driver Signer";

// The device lines of the window's tree, in tree order (depth 2).
std::vector<std::string> TreeDevices(const RunResult& tree) {
  std::vector<std::string> devices;
  for (const std::string& line : tree.Lines())
    if (line.rfind("    ", 0) == 0) devices.push_back(line.substr(4));
  return devices;
}

std::set<std::string> FilesIn(const fs::path& folder) { return e2e::Names(e2e::Snapshot(folder)); }

TEST_F(CliTest, ListNumbersTheDevicesInTheTreesOrder) {
  const RunResult tree = Headless({"tree"});
  for (const bool microsoft : {false, true}) {
    SCOPED_TRACE(microsoft);
    std::vector<std::string> args = {"--json", "list"};
    if (microsoft) args.insert(args.begin(), "--include-microsoft");
    const RunResult r = Quillon(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const nlohmann::json list = Json(r)["devices"];
    std::vector<std::string> names;
    for (size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list[i]["number"], int(i) + 1);
      names.push_back(list[i]["name"]);
    }
    const RunResult windowTree = microsoft ? Headless({"toggle-microsoft", "scan", "tree"}) : tree;
    EXPECT_EQ(names, TreeDevices(windowTree));
  }

  // The table: a header, then one line a device starting with its number.
  const RunResult table = Quillon({"list"});
  ASSERT_EQ(table.exitCode, 0) << table.err;
  const std::vector<std::string> lines = table.Lines();
  ASSERT_EQ(lines.size(), TreeDevices(tree).size() + 1);
  EXPECT_EQ(lines[0].rfind("#  Class", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("1  Display adapters  ", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find("contgfx.inf_amd64_5f1d2c3b4a596877"), std::string::npos) << lines[1];
}

TEST_F(CliTest, ListAllAddsTheDevicesTheTreeLeavesOutAndWhy) {
  const RunResult r = Quillon({"--json", "list", "--all"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::map<std::string, std::string> leftOut;
  const nlohmann::json list = Json(r);
  for (const auto& d : list["devices"])
    if (!d["listed"].get<bool>()) leftOut[d["instanceId"]] = d["leftOut"];
  EXPECT_EQ(leftOut.at("ROOT\\LEGACY_WIDGET\\0000"), "no device class");
  EXPECT_NE(leftOut.at("ACPI\\PNP0A08\\0").find("Microsoft"), std::string::npos);
  EXPECT_EQ(leftOut.count("USB\\VID_0781&PID_5581\\4C530001"), 0u);  // absent devices are no devices
}

TEST_F(CliTest, ShowGivesThePanelsOfTheWindow) {
  const RunResult window = Headless({"select", kGeForce, "grid", "files", "inf"});
  const RunResult r = Quillon({"--json", "show", "1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::json shown = Json(r);
  ASSERT_EQ(shown["properties"].size(), 24u);
  for (const auto& [name, value] : shown["properties"].items())
    EXPECT_TRUE(window.Has(name + "\t" + value.get<std::string>())) << name;
  EXPECT_EQ(shown["properties"]["Instance Id"], kGeForce);
  EXPECT_TRUE(window.Has("contgfx_cpl.dll\tbin"));
  EXPECT_NE(std::find(shown["files"].begin(), shown["files"].end(),
                      nlohmann::json{{"file", "contgfx_cpl.dll"}, {"subDirectory", "bin"}}),
            shown["files"].end());
  EXPECT_NE(window.out.find(shown["inf"].get<std::string>()), std::string::npos);

  // The same device by its instance id, in any letter case, as text.
  std::string lower = kGeForce;
  std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
  const RunResult text = Quillon({"show", lower});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_TRUE(text.Has("Instance Id        : " + kGeForce)) << text.out;
  EXPECT_TRUE(text.Has("  bin\\contgfx_cpl.dll")) << text.out;
}

TEST_F(CliTest, VerifyPrintsTheWindowsReportAndFailsForABadDriver) {
  const RunResult window = Headless({"select", kGeForce, "verify", "log"});
  const RunResult r = Quillon({"verify", kGeForce});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string report = window.out.substr(window.out.find("*** Verifying Driver ***"));
  EXPECT_NE(r.out.find("=== Contoso GeForce GTX 1050 Ti (" + kGeForce + ")\n" + report), std::string::npos)
      << r.out << "\n---\n" << report;

  const RunResult all = Quillon({"--json", "--jobs", "3", "verify", "--all"});
  EXPECT_EQ(all.exitCode, 1);
  std::map<std::string, bool> verified;
  const nlohmann::json reports = Json(all);
  for (const auto& d : reports["devices"]) verified[d["instanceId"]] = d["verified"];
  EXPECT_EQ(verified.size(), 9u);
  EXPECT_FALSE(verified.at(kTailspin));
  EXPECT_TRUE(verified.at(kGeForce));

  // Each check an object: the catalog with its tag and trust, each file with its
  // hashes, trust and error, as the text report gives them.
  for (const auto& d : reports["devices"]) {
    if (d["instanceId"] != kTailspin) continue;
    EXPECT_EQ(d["catalog"]["trust"], "Verified");
    EXPECT_EQ(d["catalog"]["tag"].get<std::string>().size(), 40u);
    EXPECT_TRUE(d["catalog"]["error"].is_null());
    EXPECT_EQ(d["files"][0]["kind"], "inf");
    std::map<std::string, nlohmann::json> files;
    for (const auto& f : d["files"]) files[f["name"]] = f;
    const nlohmann::json& bad = files.at("tailspin.sys");
    EXPECT_EQ(bad["trust"], "Failed");
    EXPECT_EQ(bad["error"], "File not found in the catalog");
    // Who signed: the catalog's signer, for the catalog, the device and each file it lists.
    EXPECT_EQ(d["signer"], kSigner);
    EXPECT_EQ(d["catalog"]["signer"], kSigner);
    EXPECT_EQ(d["files"][0]["signer"], kSigner);
    EXPECT_TRUE(bad["signer"].is_null());
    const RunResult text = Quillon({"verify", kTailspin});
    EXPECT_NE(text.out.find("File       : tailspin.sys\nSHA-1      : " + bad["sha1"].get<std::string>() +
                            "\nSHA-256    : " + bad["sha256"].get<std::string>() + "\nTrust      : Failed\n"),
              std::string::npos)
        << text.out;
  }
}

TEST_F(CliTest, ExportWritesTheNamedDevicesArchivesAndTheRecord) {
  const fs::path out = Root() / "out";
  const RunResult r = Quillon({"export", "1", "5", "1", "--to", out.string()});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  std::set<std::string> files = FilesIn(out);
  ASSERT_EQ(files.size(), 4u);  // two archives, the record and the index
  EXPECT_TRUE(files.count("Contoso GeForce GTX 1050 Ti_31.0.15.3623.7z"));
  EXPECT_TRUE(files.count("Northwind USB Serial Port_3.8.27.0.7z"));
  EXPECT_EQ(e2e::ArchiveEntries(out / "Northwind USB Serial Port_3.8.27.0.7z", Scratch()),
            e2e::PackageContent(StoreFolder("nwserial.inf_amd64_1122334455667788")));
  const std::string record = *std::find_if(files.begin(), files.end(), [](const std::string& f) {
    return f.rfind("Quillon-", 0) == 0 && f.size() == std::string("Quillon-2026_01_02_03_04_05.csv").size();
  });
  const std::string csv = e2e::ReadFile(out / record);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);  // header and two devices
  EXPECT_NE(csv.find(Sha256(out / "Northwind USB Serial Port_3.8.27.0.7z", Scratch())), std::string::npos);
}

TEST_F(CliTest, ExportAllWritesWhatTheWindowWritesWithARecordOfIt) {
  const fs::path window = Root() / "window", out = Root() / "cli";
  Headless({"--pick", window.string(), "--now", e2e::kNow, "export-all"});
  const auto before = e2e::Snapshot(Machine());
  const RunResult r = Quillon({"--json", "export-all", "--to", out.string()});
  EXPECT_EQ(r.exitCode, 1) << r.err;  // Tailspin and the driverless device fail verification
  EXPECT_EQ(r.err, "");  // no progress where stderr is no terminal
  EXPECT_EQ(e2e::Snapshot(Machine()), before);  // nothing written below the installation

  std::set<std::string> archives = FilesIn(out);
  const nlohmann::json result = Json(r);
  const fs::path record = result["record"].get<std::string>();
  ASSERT_EQ(archives.erase(record.filename().string()), 1u);
  ASSERT_EQ(archives.erase(fs::path(result["index"].get<std::string>()).filename().string()), 1u);
  std::set<std::string> windowFiles = FilesIn(window);
  ASSERT_EQ(windowFiles.erase(e2e::kIndexAtNow), 1u);  // the window writes no record
  EXPECT_EQ(archives, windowFiles);
  // Both indexes describe the same packages the same way.
  const backup::BackupIndex fromCli = backup::ReadBackupIndex(result["index"].get<std::string>());
  const backup::BackupIndex fromWindow = backup::ReadBackupIndex(window / e2e::kIndexAtNow);
  EXPECT_EQ(fromWindow.record, u"");
  EXPECT_EQ(fromWindow.created, "2026-03-07T14:05:09");
  ASSERT_EQ(fromWindow.packages.size(), fromCli.packages.size());
  for (size_t i = 0; i < fromCli.packages.size(); ++i) {
    const backup::BackupPackage &w = fromWindow.packages[i], &c = fromCli.packages[i];
    SCOPED_TRACE(text::ToUtf8(c.archive));
    EXPECT_EQ(w.archive, c.archive);
    EXPECT_EQ(w.storeFolder, c.storeFolder);
    EXPECT_EQ(w.infName, c.infName);
    EXPECT_EQ(w.signature, c.signature);
    EXPECT_EQ(w.signer, c.signer);
    EXPECT_EQ(w.models.size(), c.models.size());
    ASSERT_EQ(w.files.size(), c.files.size());
    for (size_t f = 0; f < c.files.size(); ++f) {
      EXPECT_EQ(w.files[f].path, c.files[f].path);
      EXPECT_EQ(w.files[f].sha256, c.files[f].sha256);
    }
  }
  for (const std::string& a : archives) EXPECT_EQ(EntryFacts(out / a, Scratch()), EntryFacts(window / a, Scratch())) << a;

  // Every device once, in the window's order, with the archive's real size and SHA-256.
  ASSERT_EQ(result["devices"].size(), 9u);
  std::set<std::string> failed, written;
  for (const auto& d : result["devices"]) {
    if (d["archive"].is_null()) {
      failed.insert(d["instanceId"]);
      // The first reason: the file and the checker's words, or why nothing was checked.
      EXPECT_EQ(d["verdict"], d["instanceId"] == kTailspin
                                  ? "verification failed: File tailspin.sys: File not found in the catalog"
                                  : "verification failed: the driver-store folder holds no files");
      continue;
    }
    const fs::path archive = out / d["archive"].get<std::string>();
    EXPECT_EQ(d["signer"], kSigner);
    EXPECT_EQ(d["sha256"], Sha256(archive, Scratch()));
    EXPECT_EQ(d["archiveSize"], fs::file_size(archive));
    // A package shared by several devices is written once; each device still has its report.
    const bool archived = d["report"].get<std::string>().find("*** Archiving Files ***") != std::string::npos;
    EXPECT_EQ(archived, written.insert(d["archive"]).second) << d["name"];
  }
  EXPECT_EQ(failed, (std::set<std::string>{kTailspin, "PCI\\VEN_1B21&DEV_1242&SUBSYS_86751043&REV_00\\4&3ad2b7b&0&00E5"}));
  EXPECT_EQ(result["failures"].size(), 2u);

  // The CSV holds the same rows.
  const std::string csv = e2e::ReadFile(record);
  EXPECT_EQ(csv.rfind("\"Instance Id\",\"Name\",\"Class\",\"Hardware Ids\",\"Provider\",\"Version\",\"Date\",\"INF\","
                      "\"Verdict\",\"Archive\",\"Archive Size\",\"SHA-256\",\"Signer\"\r\n", 0), 0u);
  for (const auto& d : result["devices"])
    if (!d["archive"].is_null())
      EXPECT_NE(csv.find("\"" + d["sha256"].get<std::string>() + "\",\"" + kSigner + "\"\r\n"), std::string::npos);
}

TEST_F(CliTest, ExportAllSaysInOneLinePerDeviceWhatBecameOfItAndEverythingWithVerbose) {
  const RunResult brief = Quillon({"--jobs", "2", "export-all", "--to", (Root() / "brief").string()});
  EXPECT_EQ(brief.exitCode, 1) << brief.err;
  const std::vector<std::string> lines = brief.Lines();
  ASSERT_GE(lines.size(), 9u) << brief.out;
  EXPECT_EQ(lines[0], "Contoso Filter Device (ROOT\\CONTOSOFILTER\\0000): exported Contoso Filter Device_5.1.0.0.7z");
  // Two devices on one package: the second names the archive the first wrote.
  EXPECT_EQ(lines[3], "Litware Virtual Audio 1 (ROOT\\LITAUDIO\\0000): exported Litware Virtual Audio_2.4.0.7.7z");
  EXPECT_EQ(lines[4],
            "Litware Virtual Audio 2 (ROOT\\LITAUDIO\\0001): already exported as Litware Virtual Audio_2.4.0.7.7z");
  EXPECT_EQ(lines[8], "Tailspin Multi-Sensor Hub (" + kTailspin + "): failed: File tailspin.sys: File not found in the catalog");
  EXPECT_EQ(brief.out.find("*** Verifying Driver ***"), std::string::npos);

  const RunResult verbose = Quillon({"export-all", "--verbose", "--to", (Root() / "verbose").string()});
  EXPECT_EQ(verbose.exitCode, 1) << verbose.err;
  EXPECT_TRUE(verbose.Has("=== Litware Virtual Audio 2 (ROOT\\LITAUDIO\\0001)")) << verbose.out;
  EXPECT_TRUE(verbose.Has("--> exported: Litware Virtual Audio_2.4.0.7.7z")) << verbose.out;
  EXPECT_EQ(verbose.Starting("*** Verifying Driver ***").size(), 9u) << verbose.out;
}

TEST_F(CliTest, SubmitPacksTheVerifiedDriversIntoOneArchive) {
  const fs::path out = Root() / "out";
  e2e::WriteFile(out / "mine.txt", "kept");
  const RunResult r = Quillon({"--json", "submit", "--zip", "--to", out.string()});
  EXPECT_EQ(r.exitCode, 1) << r.err;  // Tailspin fails verification and is left out
  const nlohmann::json result = Json(r);
  const std::string submission = result["submission"]["archive"];
  EXPECT_EQ(submission.rfind("NAVU-", 0), 0u);
  EXPECT_EQ(submission.substr(submission.size() - 4), ".Zip");
  EXPECT_EQ(FilesIn(out), (std::set<std::string>{"mine.txt", submission,
                                                 fs::path(result["record"].get<std::string>()).filename().string(),
                                                 fs::path(result["index"].get<std::string>()).filename().string()}));
  EXPECT_EQ(result["submission"]["sha256"], Sha256(out / submission, Scratch()));
  std::set<std::string> packed;
  for (const auto& d : result["devices"]) {
    EXPECT_NE(d["provider"], "Microsoft");
    if (!d["archive"].is_null()) packed.insert(d["archive"]);
  }
  EXPECT_EQ(e2e::ArchiveEntries(out / submission, Scratch()), packed);
}

}  // namespace
}  // namespace clitest
