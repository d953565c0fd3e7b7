// Installations an attacker crafted on top of the sample installation
// (tests/fixtures/hostile_installation.py): links out of it, registry and INF
// paths that leave it, values of the wrong type, a pipe, a huge INF. Whatever they
// hold, nothing outside the installation is opened (every file the run opens is
// logged by strace with the place it really is), nothing from outside reaches any
// output, each refusal is named, and the installation is left as it was.
#include <fstream>
#include <regex>

#include "devices/Devices.h"
#include "platform/MessageDialogs.h"
#include "platform/offline/OfflinePlatform.h"
#include "support/RecordedImageList.h"
#include "tests/unit/cli/Cli.h"

namespace {

namespace fs = std::filesystem;
using e2e::RunResult;

const std::string kFabnet = "PCI\\VEN_8086&DEV_15B8&SUBSYS_86721043&REV_00\\3&11583659&0&FE";
const std::string kPackage = "fabnet.inf_amd64_8f3c2b1a9d0e4f57";
const std::string kSecret = "OUTSIDE-SECRET";

// What a folder holds, links and pipes as what they are (never followed or opened),
// files by a hash of their bytes.
std::string Checksum(const fs::path& folder) {
  std::string sum;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
    const fs::file_status status = it->symlink_status();
    sum += it->path().lexically_relative(folder).generic_string() + ":";
    if (fs::is_symlink(status)) {
      sum += "link " + fs::read_symlink(it->path()).string();
    } else if (fs::is_regular_file(status)) {
      uint64_t hash = 1469598103934665603ull;  // FNV-1a
      std::ifstream in(it->path(), std::ios::binary);
      char buffer[1 << 16];
      while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        for (std::streamsize i = 0; i < in.gcount(); ++i) hash = (hash ^ uint8_t(buffer[i])) * 1099511628211ull;
      sum += std::to_string(hash);
    } else {
      sum += std::to_string(int(status.type()));
    }
    sum += "\n";
  }
  return sum;
}

class NoDialogs final : public ports::IMessageDialogs {
 public:
  void ShowMessage(ports::MessageKind, const WString& text) override { shown += text::ToUtf8(text) + "\n"; }
  std::string shown;
};

class HostileInstallation : public clitest::CliTest {
 protected:
  fs::path Outside() { return Root() / "outside"; }

  void Craft(const std::string& attack) {
    const RunResult r = e2e::RunProgram(
        "/usr/bin/python3",
        {std::string(QUILLON_SOURCE_DIR) + "/tests/fixtures/hostile_installation.py", attack, Machine().string(),
         Outside().string()},
        Scratch());
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    TakeChecksum();
  }
  void TakeChecksum() { before_ = Checksum(Machine()); }

  // quillon --windows <installation> ARGS under strace; fails the test for any
  // file opened outside the installation or outside content in the output.
  RunResult Traced(const std::vector<std::string>& args) {
    const fs::path log = Scratch() / "openat.log";
    std::vector<std::string> all = {"-f", "-qq", "-y", "-e", "trace=open,openat,openat2", "-o", log.string(),
                                    std::string(QUILLON_BINARY_DIR) + "/cli/quillon", "--windows",
                                    Machine().string()};
    all.insert(all.end(), args.begin(), args.end());
    const RunResult r = e2e::RunProgram("/usr/bin/strace", all, Scratch());
    std::ifstream in(log);
    const std::string outside = fs::canonical(Outside()).string();
    int opened = 0;
    // Each successful open ends "= 3</the/real/path>": where the file really is.
    static const std::regex kOpened(R"(= \d+<([^>]*)>$)");
    for (std::string line; std::getline(in, line);) {
      std::smatch m;
      if (!std::regex_search(line, m, kOpened)) continue;
      ++opened;
      EXPECT_NE(m[1].str().rfind(outside, 0), 0u) << "opened outside the installation: " << line;
    }
    EXPECT_GT(opened, 0) << "strace logged no open: " << log;
    EXPECT_EQ(r.out.find(kSecret), std::string::npos) << r.out;
    EXPECT_EQ(r.err.find(kSecret), std::string::npos) << r.err;
    return r;
  }

  void ExpectUntouched() { EXPECT_EQ(Checksum(Machine()), before_); }

  // The attacked device as the command line's scan reads it: kept, with why it
  // could not be read whole.
  TDevice Scanned() {
    offline::OfflinePlatform platform(offline::Machine::Load(Machine()));
    NoDialogs dialogs;
    platform.SetDialogs(&dialogs);
    ScopedPlatform installed(platform.Ports());
    BindDriverStoreLocation();
    test_support::RecordedImageList images;
    const TDeviceList devices = ScanDevices({}, nullptr, images, {}, WrongTypedValues::SpoilTheDevice);
    for (const TDevice& d : devices)
      if (text::ToUtf8(d.InstanceId) == kFabnet) return d;
    ADD_FAILURE() << "the attacked device is not listed; " << devices.size() << " devices; " << dialogs.shown;
    return {};
  }
  std::string ReadProblem() { return text::ToUtf8(Scanned().ReadProblem); }

  // Every verb over every device runs without opening anything outside.
  void ExpectEveryVerbContained() {
    Traced({"list", "--all"});
    Traced({"verify", "--all"});
    Traced({"export-all", "--to", (Root() / "out").string()});
    ExpectUntouched();
  }

  // Shows, verifies and exports the attacked device; none reads outside, the
  // export writes no archive, and the reason (the scan's, the device kept with
  // it, or the walk of its store folder's) is what `show` names as not read, the
  // verify summary's and the export's line for the device, and the record's verdict.
  enum class Where { Scan, StoreFolder };
  void ExpectRefusedEverywhere(Where where, const std::string& reason) {
    if (where == Where::Scan) EXPECT_EQ(ReadProblem(), reason);
    const RunResult shown = Traced({"show", kFabnet});
    EXPECT_EQ(shown.exitCode, 1) << shown.out << shown.err;
    EXPECT_NE(shown.out.find("\nCould not be read:\n  " + reason + "\n"), std::string::npos) << shown.out << shown.err;
    const RunResult verified = Traced({"verify", kFabnet});
    EXPECT_EQ(verified.exitCode, 1) << verified.out << verified.err;
    EXPECT_NE(verified.out.find("(" + kFabnet + "): " + reason + "\n"), std::string::npos) << verified.out;
    const RunResult exported = Traced({"export", kFabnet, "--to", (Root() / "out").string()});
    EXPECT_EQ(exported.exitCode, 1) << exported.out << exported.err;
    EXPECT_NE(exported.out.find("(" + kFabnet + "): failed: " + reason + "\n"), std::string::npos) << exported.out;
    std::string cell = "\"export failed: ";  // as RFC 4180 quotes it
    for (const char c : reason) cell += c == '"' ? std::string("\"\"") : std::string(1, c);
    EXPECT_NE(RecordText(Root() / "out").find("," + cell + "\","), std::string::npos) << cell;
    EXPECT_FALSE(fs::exists(Root() / "out") && !e2e::Names(e2e::Snapshot(Root() / "out")).empty() &&
                 std::any_of(fs::directory_iterator(Root() / "out"), fs::directory_iterator(),
                             [](const auto& e) { return e.path().extension() != ".csv" && e.path().extension() != ".json"; }))
        << "an archive was written";
    ExpectUntouched();
  }

  // The text of the one record in `folder`.
  static std::string RecordText(const fs::path& folder) {
    std::string record;
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".csv") {
        EXPECT_TRUE(record.empty()) << "more than one record in " << folder;
        record = e2e::ReadFile(entry.path());
      }
    EXPECT_FALSE(record.empty()) << "no record in " << folder;
    return record;
  }

  std::string Store() { return (Machine() / "Windows/System32/DriverStore/FileRepository" / kPackage).string(); }
  // OUTSIDE/secret.inf as a relative Windows path from the installation.
  std::string Relative() {
    std::string path = (fs::canonical(Outside()) / "secret.inf").lexically_relative(fs::canonical(Machine())).string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  }
  std::string Out(const std::string& name) { return fs::canonical(Outside()).string() + "/" + name; }

 private:
  std::string before_;
};

TEST_F(HostileInstallation, AStoreFileLinkedOutsideIsNeitherReadNorArchived) {
  Craft("store-file-link");
  ExpectRefusedEverywhere(Where::StoreFolder, "Cannot back up \"" + Store() + "/fabnet.sys\": it is a link that leads outside the driver "
                          "store, to " + Out("fabnet.sys") + ".");
}

TEST_F(HostileInstallation, AStoreFolderLinkedOutsideIsRefused) {
  Craft("store-folder-link");
  ExpectRefusedEverywhere(Where::Scan, "The INF \"C:\\Windows\\System32\\DriverStore\\FileRepository\\" +
                          kPackage + "\\fabnet.inf\" leads outside the installation, to " + Out(kPackage) +
                          " (Windows/System32/DriverStore/FileRepository/" + kPackage + " is a link)");
}

TEST_F(HostileInstallation, AHiveLinkedOutsideIsRefusedAsNothingToRead) {
  Craft("hive-link");
  const RunResult r = Traced({"list"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("The hive \"C:\\Windows\\System32\\config\\SYSTEM\" leads outside the installation, to " +
                       Out("SYSTEM") + " (Windows/System32/config/SYSTEM is a link)"),
            std::string::npos)
      << r.err;
  ExpectUntouched();
}

TEST_F(HostileInstallation, AnInfFolderLinkedOutsideIsNeverRead) {
  Craft("inf-folder-link");
  ExpectEveryVerbContained();
}

TEST_F(HostileInstallation, ACatRootLinkedOutsideIsNeverRead) {
  Craft("catroot-link");
  ExpectEveryVerbContained();
}

TEST_F(HostileInstallation, InfPathOutsideIsRefusedNamingWhereItPointed) {
  Craft("infpath-absolute");
  ExpectRefusedEverywhere(Where::Scan, "The INF \"" + Out("secret.inf") + "\" leads outside the installation, to " +
                                           Out("secret.inf"));
}

TEST_F(HostileInstallation, InfPathClimbingOutIsRefused) {
  Craft("infpath-dotdot");
  ExpectRefusedEverywhere(Where::Scan, "The INF \"" + Relative() + "\" leads outside the installation, to " +
                                           Out("secret.inf"));
}

TEST_F(HostileInstallation, AnActivePackageOutsideTheStoreIsRefused) {
  Craft("active-absolute");
  ExpectRefusedEverywhere(Where::Scan, "Active of DRIVERS\\DriverDatabase\\DriverInfFiles\\oem1.inf \"" + Out(kPackage) +
                                           "\" names no folder of the driver store");
}

TEST_F(HostileInstallation, AnActivePackageClimbingOutIsRefused) {
  Craft("active-dotdot");
  std::string climbing = "..\\..\\..\\..\\..\\..\\..\\..\\" + Out(kPackage).substr(1);
  std::replace(climbing.begin(), climbing.end(), '/', '\\');
  ExpectRefusedEverywhere(Where::Scan, "Active of DRIVERS\\DriverDatabase\\DriverInfFiles\\oem1.inf \"" + climbing +
                                           "\" names no folder of the driver store");
}

TEST_F(HostileInstallation, ACatalogFileOutsideThePackageIsRefused) {
  Craft("catalog-absolute");
  ExpectRefusedEverywhere(Where::Scan, "CatalogFile of C:\\Windows\\System32\\DriverStore\\FileRepository\\" +
                                           kPackage + "\\fabnet.inf \"" + Out("secret.cat") +
                                           "\" names no file of its package");
}

TEST_F(HostileInstallation, ACatalogFileClimbingOutIsRefused) {
  Craft("catalog-dotdot");
  ExpectRefusedEverywhere(Where::Scan, "CatalogFile of C:\\Windows\\System32\\DriverStore\\FileRepository\\" +
                                           kPackage + "\\fabnet.inf \"../../../../../../outside/secret.cat\" names no "
                                           "file of its package");
}

TEST_F(HostileInstallation, APipeInAStoreFolderFailsOnlyItsDevice) {
  Craft("pipe");
  ExpectRefusedEverywhere(Where::StoreFolder, "Cannot back up \"" + Store() + "/fabnet.pipe\": it is a pipe, not a file.");
}

// The device is listed with the value named and fails with it; every other
// device is exported as from the sample installation.
TEST_F(HostileInstallation, AValueOfTheWrongTypeSpoilsOnlyItsDevice) {
  Craft("wrong-type");
  const std::string reason =
      "DriverDesc of {4D36E972-E325-11CE-BFC1-08002BE10318}\\0000 in SYSTEM is REG_DWORD, not a string";
  const RunResult listed = Traced({"list", "--all"});
  EXPECT_EQ(listed.exitCode, 1) << listed.err;
  EXPECT_NE(listed.out.find("\n1 device could not be read whole:\n"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find(" (" + kFabnet + "): " + reason + "\n"), std::string::npos) << listed.out;
  const nlohmann::json list = Json(Traced({"--json", "list"}));
  ASSERT_EQ(list["devices"].size(), 9u) << list.dump();

  const RunResult exported = Traced({"--json", "export-all", "--to", (Root() / "all").string()});
  EXPECT_EQ(exported.exitCode, 1) << exported.err;
  const nlohmann::json result = Json(exported);
  ASSERT_EQ(result["devices"].size(), 9u) << exported.out;
  size_t written = 0;
  for (const auto& d : result["devices"]) {
    written += !d["archive"].is_null();
    if (d["instanceId"] == kFabnet) EXPECT_EQ(d["verdict"], "export failed: " + reason);
  }
  EXPECT_EQ(written, 6u) << "all but the spoiled device, Tailspin and the driverless device";
  EXPECT_EQ(result["failures"].size(), 3u);
  EXPECT_EQ(result["failures"][0], "Fabrikam Ethernet Connection (" + kFabnet + "): export failed: " + reason);
  ExpectRefusedEverywhere(Where::Scan, reason);
}

// Escape sequences, a bell, CR LF and bidirectional overrides from the disk
// reach no output raw; formulas reach the record as text.
TEST_F(HostileInstallation, NamesWithEscapesAndFormulasStayText) {
  Craft("hostile-names");
  const std::string name = "=HYPERLINK(\"http://evil\",\"x\")\\x1b]0;owned\\x07";
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"list"}, {"show", kFabnet}, {"verify", kFabnet},
                                             {"--verbose", "export-all", "--to", (Root() / "out").string()}}) {
    const RunResult r = Traced(args);
    SCOPED_TRACE(args.front());
    for (const char raw : {'\x1b', '\x07', '\r'})
      EXPECT_EQ((r.out + r.err).find(raw), std::string::npos) << "a raw control character: " << r.out << r.err;
    EXPECT_EQ((r.out + r.err).find("\u202e"), std::string::npos) << "a raw right-to-left override";
    EXPECT_NE(r.out.find(args.front() == "show" ? "-2+3\\r\\n\\x1b[2Jfake" : name), std::string::npos) << r.out;
  }
  const std::string record = RecordText(Root() / "out");
  EXPECT_NE(record.find(",\"'=HYPERLINK(\"\"http://evil\"\",\"\"x\"\")\x1b]0;owned\x07\","), std::string::npos) << record;
  EXPECT_NE(record.find(",\"'-2+3\r\n\x1b[2Jfake\","), std::string::npos) << record;
  EXPECT_TRUE(fs::exists(Root() / "out" / "Fabrikam[31m NIC\u202e_12.19.2.45.7z")) << "the archive keeps its name";
  ExpectUntouched();
}

TEST_F(HostileInstallation, AHugeInfIsCheckedStreamingAndNothingLeaves) {
  Craft("huge-inf");
  const RunResult r = Traced({"verify", kFabnet});
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  // Its head shown, the NULs of the sparse rest made visible, and how much was left out.
  const RunResult shown = Traced({"show", kFabnet});
  EXPECT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_NE(shown.out.find("\\x00\\x00"), std::string::npos);
  EXPECT_NE(shown.out.find("[Only the first 4 MiB of this 191 MiB file are shown.]\n"), std::string::npos)
      << shown.out.substr(shown.out.size() - std::min<size_t>(shown.out.size(), 200));
  ExpectUntouched();
}

// A DLL claiming 65,535 sections in 4 KB is refused by its size: its strings are
// absent, so the class shows its name and the device the text after ';'.
TEST_F(HostileInstallation, ADllLyingAboutItsSectionsGivesNoStrings) {
  Craft("lying-dll");
  const RunResult r = Traced({"--json", "list"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  bool found = false;
  const nlohmann::json listed = Json(r);
  for (const auto& d : listed["devices"])
    if (d["instanceId"] == kFabnet) {
      found = true;
      EXPECT_EQ(d["class"], "Net");
      EXPECT_EQ(d["name"], "Liar Ethernet");
    }
  EXPECT_TRUE(found) << r.out;
  EXPECT_NE(e2e::ReadFile(Scratch() / "openat.log").find("liar.dll"), std::string::npos) << "the DLL was not read";
  ExpectUntouched();
}

// Whatever holds an archive's name in --to (a link to a file outside, a file of
// the user's) is neither opened nor replaced: the archive takes the next free name.
TEST_F(HostileInstallation, TheOutputFolderIsTheUsers) {
  const fs::path out = Root() / "out";
  fs::create_directories(out);
  fs::create_directories(Outside());
  std::ofstream(Outside() / "target.txt") << kSecret;
  const std::string archive = "Fabrikam Ethernet Connection_12.19.2.45";
  fs::create_symlink(Outside() / "target.txt", out / (archive + ".7z"));
  std::ofstream(out / (archive + " (2).7z")) << "the user's";
  TakeChecksum();
  const RunResult r = Traced({"export", kFabnet, "--to", out.string()});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("): exported " + archive + " (3).7z\n"), std::string::npos) << r.out;
  EXPECT_EQ(e2e::RunProgram("/usr/bin/7z", {"t", (out / (archive + " (3).7z")).string()}, Scratch()).exitCode, 0);
  EXPECT_EQ(e2e::ReadFile(Outside() / "target.txt"), kSecret);
  EXPECT_EQ(e2e::ReadFile(out / (archive + " (2).7z")), "the user's");
  EXPECT_TRUE(fs::is_symlink(out / (archive + ".7z")));
  ExpectUntouched();
}

}  // namespace
