// The commands end to end through quillon-headless: the Shell log of Verify, and
// every archive of Export Driver, Export All and the submission, with the real
// 7-Zip library and without it, compared with the driver-store folders.
#include <regex>

#include "tests/unit/e2e/Headless.h"

namespace e2e {
namespace {

const std::string kSubmission = "NAVU-2026_03_07_14_05_09";
const std::string& kIndex = kIndexAtNow;
const std::string kCatRoot = "C/Windows/System32/CatRoot/{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";

// The hashes of PE files (their Authenticode hash) are left to the signing tests;
// every other hash in a log is compared as it is.
std::string MaskPeHashes(const std::string& log) {
  const std::string sha1 = std::regex_replace(
      log, std::regex("(File       : [^\n]*\\.(sys|dll)\nSHA-1      : )[0-9A-F]+\n"), "$1#\n");
  return std::regex_replace(sha1, std::regex("(SHA-1      : #\nSHA-256    : )[0-9A-F]+\n"), "$1#\n");
}

// The SHA-1 of a whole file in upper-case hexadecimal, as the reports write it.
std::string Sha1(const fs::path& file, const fs::path& scratch) {
  const RunResult r = RunProgram("/usr/bin/sha1sum", {file.string()}, scratch);
  std::string hash = r.out.substr(0, 40);
  std::transform(hash.begin(), hash.end(), hash.begin(), ::toupper);
  return hash;
}

// A text as `log` prints it: every CR LF (or lone CR) a line break.
std::string Printed(const std::string& text) {
  return std::regex_replace(std::regex_replace(text, std::regex("\r\n"), "\n"), std::regex("\r"), "\n");
}

// The Shell tab as `log` printed it, from its first line to the end of the output.
std::string PrintedLog(const RunResult& r) {
  const std::string marker = "*** Verifying Driver ***";
  const size_t at = r.out.find(marker);
  return at == std::string::npos ? std::string() : r.out.substr(at);
}

// The files grid as `files` printed it, header row left out: name and subfolder.
std::vector<std::pair<std::string, std::string>> FileRows(const RunResult& r) {
  std::vector<std::pair<std::string, std::string>> rows;
  const std::vector<std::string> lines = r.Lines();
  auto line = std::find(lines.begin(), lines.end(), "File\tSub Directory");
  if (line == lines.end()) return rows;
  for (++line; line != lines.end() && line->find('\t') != std::string::npos && (*line)[0] != '['; ++line) {
    const size_t tab = line->find('\t');
    rows.emplace_back(line->substr(0, tab), line->substr(tab + 1));
  }
  return rows;
}

class EndToEnd : public HeadlessTest {
 protected:
  void SetUp() override { UseMachine(); }

  // Checks every archive in `out` against the package it was made from; the
  // export's index (at kNow) lies beside them.
  void ExpectArchivesMatchTheirPackages(const fs::path& out, const std::string& extension,
                                        const std::map<std::string, std::string>& expected) {
    std::set<std::string> wanted = {kIndex};
    for (const auto& [name, package] : expected) wanted.insert(name + extension);
    EXPECT_EQ(Names(Snapshot(out)), wanted);  // no work folders, nothing else
    for (const auto& [name, package] : expected) {
      SCOPED_TRACE(name);
      EXPECT_EQ(ArchiveEntries(out / (name + extension), Scratch()), PackageContent(PackageDir(package)));
    }
  }
};

TEST_F(EndToEnd, VerifyLogOfAValidPackageWithASubfolder) {
  const std::string id = "PCI\\VEN_10DE&DEV_1C82&SUBSYS_11BF1462&REV_A1\\4&1a2b3c4d&0&0008";
  const RunResult r = Headless({"select", id, "files", "verify", "log"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const fs::path folder = PackageDir("contgfx.inf_amd64_5f1d2c3b4a596877");
  std::string want = "*** Verifying Driver ***\r\n\r\nCatalog    : " + (folder / "contgfx.cat").string() +
                     "\r\nTag        : " + Sha1(folder / "contgfx.cat", Scratch()) +
                     "\r\nTrust      : Verified\r\n\r\nINF File   : " + (folder / "contgfx.inf").string() +
                     "\r\nSHA-1      : " + Sha1(folder / "contgfx.inf", Scratch()) +
                     "\r\nTrust      : Verified\r\n\r\n";
  const auto rows = FileRows(r);
  ASSERT_EQ(rows.size(), 5u);  // the .PNF is not listed
  for (const auto& [name, sub] : rows)
    if (name != "contgfx.cat" && name != "contgfx.inf")
      want += "File       : " + name + "\r\nSHA-1      : #\r\nTrust      : Verified\r\n\r\n";
  EXPECT_EQ(MaskPeHashes(PrintedLog(r)), Printed(want));
  EXPECT_TRUE(r.Has("[information] Verify completed with no reported errors. See Shell output for details."));
  EXPECT_NE(std::find(rows.begin(), rows.end(), std::make_pair(std::string("contgfx_cpl.dll"), std::string("bin"))),
            rows.end());
}

TEST_F(EndToEnd, VerifyLogOfATamperedPackage) {
  const RunResult r = Headless({"select", "ROOT\\TAILSPINSENSOR\\0000", "verify", "log"});
  const fs::path folder = PackageDir("tailspin.inf_amd64_99aabbccddeeff00");
  const std::string want = "*** Verifying Driver ***\r\n\r\nCatalog    : " + (folder / "tailspin.cat").string() +
                           "\r\nTag        : " + Sha1(folder / "tailspin.cat", Scratch()) +
                           "\r\nTrust      : Verified\r\n\r\nINF File   : " + (folder / "tailspin.inf").string() +
                           "\r\nSHA-1      : " + Sha1(folder / "tailspin.inf", Scratch()) +
                           "\r\nTrust      : Verified\r\n\r\n"
                           "File       : tailspin.sys\r\nSHA-1      : #\r\nSHA-256    : #\r\n"
                           "Trust      : Failed\r\nError      : File not found in the catalog\r\n\r\n";
  EXPECT_EQ(MaskPeHashes(PrintedLog(r)), Printed(want));
  EXPECT_TRUE(r.Has("[error] Verify completed with errors. See Shell output for details."));
  const std::vector<std::string> progress = r.Starting("[progress]");
  EXPECT_EQ(progress.back(), "[progress] closed");
}

TEST_F(EndToEnd, VerifyLogOfAPackageCheckedThroughTheSystemCatalogs) {
  const RunResult r = Headless({"select", "ROOT\\LITAUDIO\\0001", "verify", "log"});
  const fs::path folder = PackageDir("litaudio.inf_amd64_0a1b2c3d4e5f6071");
  const fs::path catalog = Root() / "machine" / kCatRoot / "oem5.cat";
  const std::string want = "*** Verifying Driver ***\r\n\r\nCatalog    : " + catalog.string() +
                           "\r\nTag        : " + Sha1(catalog, Scratch()) +
                           "\r\nTrust      : Verified\r\n\r\nINF File   : " + (folder / "litaudio.inf").string() +
                           "\r\nSHA-1      : " + Sha1(folder / "litaudio.inf", Scratch()) +
                           "\r\nTrust      : Verified\r\n\r\n"
                           "File       : litaudio.sys\r\nSHA-1      : #\r\nTrust      : Verified\r\n\r\n";
  EXPECT_EQ(MaskPeHashes(PrintedLog(r)), Printed(want));
}

TEST_F(EndToEnd, VerifyLogOfFilesCheckedByTheirOwnSignature) {
  const RunResult r = Headless({"select", "ROOT\\OWNSIG\\0000", "files", "verify", "log"});
  std::string want = "*** Verifying Driver ***\r\n\r\n";
  for (const auto& [name, sub] : FileRows(r)) {
    if (name == "ownsig.sys") want += "File       : ownsig.sys\r\nTrust      : Verified\r\n\r\n";
    if (name == "listed.sys")
      want += "File       : listed.sys\r\nCatalog    : " + (Root() / "machine" / kCatRoot / "oem63.cat").string() +
              "\r\nTrust      : Verified\r\n\r\n";
  }
  EXPECT_EQ(PrintedLog(r), Printed(want));
}

TEST_F(EndToEnd, ExportDriverWithSevenZipAndWithZip) {
  for (const bool sevenZip : {true, false}) {
    SCOPED_TRACE(sevenZip ? "7z" : "Zip");
    const fs::path out = Root() / (sevenZip ? "out7z" : "outzip");
    std::vector<std::string> args = {"--pick", out.string(), "--now", kNow, "select", "ROOT\\AUDIOCODEC\\0000",
                                     "export"};
    if (!sevenZip) args.insert(args.begin(), "--no-7zip");
    const RunResult r = Headless(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string extension = sevenZip ? ".7z" : ".Zip";
    const std::string archive = (out / ("Audio CodecHD_6.0.1.1" + extension)).string();
    EXPECT_EQ(r.Starting("[information]"), (std::vector<std::string>{"[information] Driver exported successfully."}));
    EXPECT_EQ(r.Starting("[start]"), (std::vector<std::string>{"[start] explorer.exe /select," + archive}));
    ExpectArchivesMatchTheirPackages(out, extension,
                                     {{"Audio CodecHD_6.0.1.1", "audiocodec.inf_amd64_6060606060606060"}});
    EXPECT_EQ(ArchiveEntries(archive, Scratch()).count("sub/codec.dat"), 1u);
  }
}

TEST_F(EndToEnd, ExportAllWithSevenZipAndWithZip) {
  for (const bool sevenZip : {true, false}) {
    SCOPED_TRACE(sevenZip ? "7z" : "Zip");
    const fs::path out = Root() / (sevenZip ? "out7z" : "outzip");
    std::vector<std::string> args = {"--pick", out.string(), "--now", kNow, "export-all"};
    if (!sevenZip) args.insert(args.begin(), "--no-7zip");
    const RunResult r = Headless(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.Starting("[information]").empty());
    EXPECT_TRUE(r.Starting("[error]").empty());
    EXPECT_EQ(r.Starting("[start]"), (std::vector<std::string>{"[start] explorer.exe " + out.string()}));
    ExpectArchivesMatchTheirPackages(out, sevenZip ? ".7z" : ".Zip", kCommandMachineArchives);
  }
}

const std::string kLitwarePackage = "litaudio.inf_amd64_0a1b2c3d4e5f6071";

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Path, size and CRC of every entry, as `7z l -slt` lists them (both formats).
std::string ContentListing(const fs::path& archive, const fs::path& scratch) {
  const RunResult r = RunProgram("/usr/bin/7z", {"l", "-slt", "-ba", archive.string()}, scratch);
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  std::string listing;
  for (const std::string& line : r.Lines())
    if (line.rfind("Path = ", 0) == 0 || line.rfind("Size = ", 0) == 0 || line.rfind("CRC = ", 0) == 0)
      listing += line + "\n";
  return listing;
}

TEST_F(EndToEnd, ExportAllLeavesTheSameArchiveOfASharedPackageAsExportingItsLastDeviceAlone) {
  for (const bool sevenZip : {true, false}) {
    SCOPED_TRACE(sevenZip ? "7z" : "Zip");
    const std::string archive = "Litware Virtual Audio_2.4.0.7" + std::string(sevenZip ? ".7z" : ".Zip");
    const fs::path all = Root() / (sevenZip ? "all7z" : "allzip"), alone = Root() / (sevenZip ? "one7z" : "onezip");
    std::vector<std::string> exportAll = {"--pick", all.string(), "--now", kNow, "export-all", "log"};
    std::vector<std::string> exportOne = {"--pick", alone.string(), "select", "ROOT\\LITAUDIO\\0001", "export"};
    if (!sevenZip) {
      exportAll.insert(exportAll.begin(), "--no-7zip");
      exportOne.insert(exportOne.begin(), "--no-7zip");
    }
    const RunResult r = Headless(exportAll);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(Headless(exportOne).exitCode, 0);
    // Both devices are verified and reported; the package is archived once.
    const std::string log = PrintedLog(r), inf = "INF File   : " +
                                               (PackageDir(kLitwarePackage) / "litaudio.inf").string() + "\n";
    EXPECT_EQ(Occurrences(log, inf), 2u) << log;
    std::set<std::string> written = Names(Snapshot(all));
    EXPECT_EQ(written.erase(kIndex), 1u);
    EXPECT_EQ(Occurrences(log, "*** Archiving Files ***"), written.size());
    const std::string listing = ContentListing(all / archive, Scratch());
    EXPECT_NE(listing.find("Path = litaudio.sys"), std::string::npos) << listing;
    EXPECT_EQ(listing, ContentListing(alone / archive, Scratch()));
  }
}

TEST_F(EndToEnd, SubmissionHoldsThePerDeviceArchivesAndNoMicrosoftDriver) {
  for (const bool sevenZip : {true, false}) {
    SCOPED_TRACE(sevenZip ? "7z" : "Zip");
    const std::string extension = sevenZip ? ".7z" : ".Zip";
    const fs::path out = Root() / (sevenZip ? "out7z" : "outzip");
    std::vector<std::string> args = {"--pick", out.string(), "--now", kNow, "toggle-microsoft", "scan", "submit",
                                     "state"};
    if (!sevenZip) args.insert(args.begin(), "--no-7zip");
    const RunResult r = Headless(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path submission = out / (kSubmission + extension);
    EXPECT_EQ(r.Starting("[start]"), (std::vector<std::string>{"[start] explorer.exe /select," + submission.string()}));
    EXPECT_EQ(Names(Snapshot(out)), (std::set<std::string>{kSubmission + extension, kIndex}));
    EXPECT_TRUE(r.Has("mnuIncludeMicrosoft=0"));

    std::set<std::string> wanted;
    for (const auto& [name, package] : kCommandMachineArchives) wanted.insert(name + extension);
    EXPECT_EQ(ArchiveEntries(submission, Scratch()), wanted);  // top level, by file name; no Microsoft driver
    EXPECT_EQ(ArchiveEntryList(submission, Scratch()).size(), wanted.size());  // two devices, one archive: once

    const fs::path unpacked = Root() / ("unpacked" + extension);
    Extract(submission, unpacked, Scratch());
    for (const auto& [name, package] : kCommandMachineArchives) {
      SCOPED_TRACE(name);
      EXPECT_EQ(ArchiveEntries(unpacked / (name + extension), Scratch()), PackageContent(PackageDir(package)));
    }
  }
}

TEST_F(EndToEnd, WhenNoDevicePassesTheSubmissionIsWrittenEmpty) {
  // Without the trusted root no catalog is trusted, so every device fails.
  const fs::path ini = Root() / "machine" / "machine.ini";
  const std::string config = ReadFile(ini);
  WriteFile(ini, config.substr(0, config.find("[trust]")));
  for (const bool sevenZip : {true, false}) {
    SCOPED_TRACE(sevenZip ? "7z" : "Zip");
    const std::string extension = sevenZip ? ".7z" : ".Zip";
    const fs::path out = Root() / (sevenZip ? "out7z" : "outzip");
    std::vector<std::string> args = {"--pick", out.string(), "--now", kNow, "submit"};
    if (!sevenZip) args.insert(args.begin(), "--no-7zip");
    const RunResult r = Headless(args);
    EXPECT_TRUE(r.Starting("[error]").empty()) << r.out;  // left out without a message
    EXPECT_EQ(Names(Snapshot(out)), (std::set<std::string>{kSubmission + extension, kIndex}));
    EXPECT_TRUE(ArchiveEntryList(out / (kSubmission + extension), Scratch()).empty());
  }
}

TEST_F(EndToEnd, TwoSubmissionsInOneSecondLeaveOne) {
  const fs::path out = Root() / "out";
  const RunResult r = Headless({"--pick", out.string(), "--now", kNow, "submit", "submit"});
  const std::string start = "[start] explorer.exe /select," + (out / (kSubmission + ".7z")).string();
  EXPECT_EQ(r.Starting("[start]"), (std::vector<std::string>{start, start}));
  EXPECT_EQ(Names(Snapshot(out)),
            (std::set<std::string>{kSubmission + ".7z", kIndex, "Quillon-index-2026_03_07_14_05_09 (2).json"}));
  EXPECT_EQ(ArchiveEntries(out / (kSubmission + ".7z"), Scratch()).size(), kCommandMachineArchives.size());
}

TEST_F(EndToEnd, CancelledPickerPaths) {
  const RunResult exported = Headless({"--cancel", "select", "ROOT\\AUDIOCODEC\\0000", "export"});
  EXPECT_TRUE(exported.Starting("[start]").empty());
  EXPECT_TRUE(exported.Starting("[information]").empty());
  const RunResult all = Headless({"--cancel", "export-all", "log"});
  EXPECT_EQ(all.Starting("[start]"), (std::vector<std::string>{"[start] explorer.exe "}));
  EXPECT_TRUE(all.Has("*** Complete ***"));
  const RunResult submitted = Headless({"--cancel", "submit"});
  EXPECT_EQ(submitted.Starting("[start]"), (std::vector<std::string>{"[start] explorer.exe /select,"}));
}

TEST_F(EndToEnd, EmptyDeviceListPaths) {
  UseMachine("empty-machine");
  const fs::path out = Root() / "out";
  const RunResult r = Headless({"--pick", out.string(), "export-all", "submit", "log"});
  EXPECT_TRUE(r.Has("[warning] No installed drivers were found!?!?"));
  EXPECT_EQ(r.Starting("[start]"),
            (std::vector<std::string>{"[start] explorer.exe ", "[start] explorer.exe /select,"}));
  EXPECT_TRUE(Snapshot(out).empty());
}

TEST_F(EndToEnd, OldWindowsIsRefusedByEveryExportCommand) {
  UseMachine("win7-machine");
  const fs::path out = Root() / "out";
  const RunResult r = Headless({"--pick", out.string(), "select", "ROOT\\CONTOSOFILTER\\0000", "export",
                                "export-all", "submit", "verify"});
  const std::string refused = "[error] Windows 7 and below is not supported.";
  EXPECT_EQ(r.Starting("[error]"), (std::vector<std::string>{refused, refused, refused}));
  EXPECT_TRUE(r.Starting("[start]").empty());
  EXPECT_TRUE(r.Has("[information] Verify completed with no reported errors. See Shell output for details."));
  EXPECT_TRUE(Snapshot(out).empty());
}

}  // namespace
}  // namespace e2e
