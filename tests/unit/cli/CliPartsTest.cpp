// The command line's own parts: the table, the progress line, the disk's text as
// the terminal shows it, the mount table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/CliOptions.h"
#include "cli/Installations.h"
#include "cli/ProgressLine.h"
#include "cli/ShownText.h"
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

// A name from the disk cannot move the cursor, clear the screen or retitle the
// terminal: the progress line's own sequences are the only ones it writes.
TEST(ProgressLine, ShowsTheDisksControlCharactersAsEscapes) {
  std::ostringstream err;
  {
    cli::ProgressLine line(err, true, 1, 80);
    line.Show(0, u"Evil\x1b]0;owned\x07\r", u"Verifying Driver Files", u"a\x1b[2J.sys", u"");
  }
  EXPECT_EQ(err.str(),
            "\r\033[Kdevice 1 of 1: Evil\\x1b]0;owned\\x07\\r | Verifying Driver Files | a\\x1b[2J.sys\r\033[K");
}

// Reports and an INF's text keep their lines and tabs; every other control
// character shows as an escape.
TEST(ShownText, LinesAndTabsStayAndEveryOtherControlCharacterIsShownAsAnEscape) {
  EXPECT_EQ(cli::PlainLines(u"[Version]\r\nSignature\t= x\rnext\nlast\x1b[31m\u202e\x07"),
            "[Version]\nSignature\t= x\nnext\nlast\\x1b[31m\\u202e\\x07");
  EXPECT_EQ(cli::PlainLines(u"ends\r\n"), "ends\n");
  EXPECT_EQ(cli::Shown(u"one\r\nline\t\x9b"), "one\\r\\nline\\t\\x9b");
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

}  // namespace
