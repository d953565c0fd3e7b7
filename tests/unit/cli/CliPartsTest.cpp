// The command line's own parts: the table, the mount table, the record.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/CliOptions.h"
#include "cli/ExportRecord.h"
#include "cli/Installations.h"
#include "cli/ProgressLine.h"
#include "cli/Sha256.h"
#include "cli/Table.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> lines;
  std::istringstream in(s);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(Table, PadsColumnsAndCutsTheWidestToFitTheTerminal) {
  const cli::TableRow header = {"#", "Name", "Folder"};
  const std::vector<cli::TableRow> rows = {{"1", "Ger\u00e4t \u03a9", "a-very-long-store-folder-name"}, {"12", "B", ""}};
  std::ostringstream wide;
  cli::PrintTable(wide, header, rows, 0);
  EXPECT_EQ(Lines(wide.str()), (std::vector<std::string>{"#   Name     Folder", "1   Ger\u00e4t \u03a9  a-very-long-store-folder-name",
                                                         "12  B"}));
  std::ostringstream narrow;
  cli::PrintTable(narrow, header, rows, 24);
  for (const std::string& line : Lines(narrow.str())) EXPECT_LE(cli::DisplayLength(line), 24u) << line;
  EXPECT_EQ(Lines(narrow.str())[1], "1   Ger\u00e4t \u03a9  a-very-lon\u2026");
}

TEST(ProgressLine, OneLineRewrittenInPlaceCutToTheTerminalAndGoneWhenCleared) {
  std::ostringstream err;
  {
    cli::ProgressLine line(err, true, 12, 40);
    line.Show(2, u"Ger\u00e4t", u"Creating Archive", u"big.sys", u"1.5MB / 3.0MB");
    line.Show(3, u"Next", u"", u"", u"");  // within the tenth of a second: not shown
  }
  EXPECT_EQ(err.str(), "\r\033[Kdevice 3 of 12: Ger\u00e4t | Creating Archiv\r\033[K");  // 39 characters

  std::ostringstream quiet;
  cli::ProgressLine off(quiet, false, 12, 40);
  off.Show(0, u"A", u"Verifying Driver Files", u"", u"");
  off.Clear();
  EXPECT_EQ(quiet.str(), "");
}

TEST(Installations, OnlyNtfsMountsHoldingTheSystemHive) {
  const fs::path root = fs::temp_directory_path() / ("quillon-mounts-" + std::to_string(::getpid()));
  fs::remove_all(root);
  auto hive = [&](const std::string& at) {
    fs::create_directories(root / at);
    std::ofstream(root / at / "SYSTEM") << "hive";
  };
  hive("a b/windows/SYSTEM32/CONFIG");
  hive("fuse/Windows/System32/config");
  hive("ext/Windows/System32/config");
  fs::create_directories(root / "bare");
  std::ofstream(root / "mounts") << "/dev/sda1 " << (root / "a\\040b").string() << " ntfs3 ro 0 0\n"
                                 << "/dev/sda2 " << (root / "fuse").string() << " fuseblk rw 0 0\n"
                                 << "/dev/sda3 " << (root / "ext").string() << " ext4 rw 0 0\n"
                                 << "/dev/sda4 " << (root / "bare").string() << " ntfs rw 0 0\n";
  const auto found = cli::FindMountedInstallations(root / "mounts");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].root, root / "a b");
  EXPECT_EQ(found[0].source, "/dev/sda1");
  EXPECT_EQ(found[1].root, root / "fuse");
  EXPECT_EQ(cli::TheOnlyInstallation({found[1]}), root / "fuse");
  EXPECT_THROW(cli::TheOnlyInstallation(found), cli::UsageError);
  EXPECT_THROW(cli::TheOnlyInstallation({}), cli::UsageError);
  EXPECT_THROW(cli::FindMountedInstallations(root / "no-such-table"), cli::UsageError);
  fs::remove_all(root);
}

TEST(Record, QuotedCsvRowsAndTheNamesOfTheRecordAndItsHash) {
  winapi::SystemTime t;
  t.wYear = 2026; t.wMonth = 3; t.wDay = 7; t.wHour = 14; t.wMinute = 5; t.wSecond = 9;
  EXPECT_EQ(cli::RecordFileName(t), "Quillon-2026_03_07_14_05_09.csv");

  const fs::path file = fs::temp_directory_path() / ("quillon-record-" + std::to_string(::getpid()) + ".csv");
  cli::RecordRow row;
  row.instanceId = "ROOT\\X\\0000";
  row.name = "Say \"hi\", all";
  row.verdict = "exported";
  row.archive = "X_1.0.7z";
  row.archiveSize = 42;
  row.sha256 = "ab";
  cli::RecordRow failed = row;
  failed.archive.clear();
  failed.sha256.clear();
  failed.verdict = "verification failed";
  cli::WriteRecord(file, {row, failed});
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::vector<std::string> lines = Lines(text.str());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "\"ROOT\\X\\0000\",\"Say \"\"hi\"\", all\",\"\",\"\",\"\",\"\",\"\",\"\",\"exported\","
                      "\"X_1.0.7z\",\"42\",\"ab\"\r");
  EXPECT_TRUE(lines[2].ends_with(",\"verification failed\",\"\",\"\",\"\"\r")) << lines[2];

  // SHA-256 of "abc" (FIPS 180-2), read in pieces like any archive.
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "abc";
  EXPECT_EQ(cli::Sha256OfFile(file), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(3000000, 'a');  // three reads
  EXPECT_EQ(cli::Sha256OfFile(file), "2a152c894398719c0570f83fac34ac03a0f6e8e474b995c2403aa5434f7b9dd4");
  fs::remove(file);
  EXPECT_THROW(cli::Sha256OfFile(file), std::exception);
  EXPECT_THROW(cli::WriteRecord(fs::path("/proc/no-such/record.csv"), {row}), std::exception);
}

}  // namespace
