// The record of an export: its name, its quoted CSV rows (a formula from the disk
// shown as text), the file created new, and the archives' SHA-256.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "backup/ExportRecord.h"
#include "backup/Sha256.h"
#include "platform/StillWorking.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Record, QuotedCsvRowsInAFileCreatedNewAndTheArchivesHash) {
  winapi::SystemTime t;
  t.wYear = 2026; t.wMonth = 3; t.wDay = 7; t.wHour = 14; t.wMinute = 5; t.wSecond = 9;
  EXPECT_EQ(backup::RecordFileStem(t), "Quillon-2026_03_07_14_05_09");

  const fs::path folder = fs::temp_directory_path() / ("quillon-record-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  // The name is taken by a link to a file of the user's: the link is neither followed nor replaced.
  std::ofstream(folder / "mine.txt") << "the user's";
  fs::create_symlink(folder / "mine.txt", folder / "Quillon-2026_03_07_14_05_09.csv");
  backup::RecordRow row;
  row.instanceId = "ROOT\\X\\0000";
  row.name = "Say \"hi\", all";
  row.verdict = "exported";
  row.archive = "X_1.0.7z";
  row.archiveSize = 42;
  row.sha256 = "ab";
  row.signer = "CN=Quillon Test Driver Signer";
  backup::RecordRow failed = row;
  failed.name = "=HYPERLINK(\"http://x\")";
  failed.provider = "-2+3";
  failed.archive.clear();
  failed.sha256.clear();
  failed.signer.clear();
  failed.verdict = "verification failed: File x.sys: The hash does not match.";
  const fs::path file = backup::WriteRecord(folder, t, {row, failed});
  EXPECT_EQ(file, folder / "Quillon-2026_03_07_14_05_09 (2).csv");
  EXPECT_EQ(ReadAll(folder / "mine.txt"), "the user's");
  const std::string text = ReadAll(file);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);  // the header and two rows, CR LF each
  EXPECT_NE(text.find("\r\n\"ROOT\\X\\0000\",\"Say \"\"hi\"\", all\",\"\",\"\",\"\",\"\",\"\",\"\",\"exported\","
                      "\"X_1.0.7z\",\"42\",\"ab\",\"CN=Quillon Test Driver Signer\"\r\n"),
            std::string::npos)
      << text;
  // Formulas read as text in a spreadsheet.
  EXPECT_NE(text.find("\r\n\"ROOT\\X\\0000\",\"'=HYPERLINK(\"\"http://x\"\")\",\"\",\"\",\"'-2+3\","), std::string::npos)
      << text;
  EXPECT_TRUE(text.ends_with(",\"verification failed: File x.sys: The hash does not match.\",\"\",\"\",\"\",\"\"\r\n"))
      << text;
  EXPECT_TRUE(text.starts_with("\"Instance Id\",")) << text;
  EXPECT_NE(text.find(",\"SHA-256\",\"Signer\"\r\n"), std::string::npos) << text;  // the last column

  // SHA-256 of "abc" (FIPS 180-2), read in pieces like any archive.
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "abc";
  EXPECT_EQ(backup::Sha256OfFile(file), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(3000000, 'a');  // three reads
  EXPECT_EQ(backup::Sha256OfFile(file), "2a152c894398719c0570f83fac34ac03a0f6e8e474b995c2403aa5434f7b9dd4");
  fs::remove(file);
  EXPECT_THROW(backup::Sha256OfFile(file), std::exception);
  EXPECT_THROW(backup::WriteRecord(fs::path("/proc/no-such"), t, {row}), std::exception);
  fs::remove_all(folder);
}

// Hashing one big archive ticks once per MiB read, for the window to answer by;
// the digest is the same as without a listener.
TEST(Record, HashingABigFileTicksForEveryMegabyte) {
  const fs::path file = fs::temp_directory_path() / ("quillon-big-" + std::to_string(::getpid()) + ".bin");
  std::ofstream(file, std::ios::binary) << std::string(5 << 20, 'q');
  const std::string quiet = backup::Sha256OfFile(file);
  int ticks = 0;
  {
    working::ScopedListener listener([&] { ++ticks; }, std::chrono::milliseconds(0));
    EXPECT_EQ(backup::Sha256OfFile(file), quiet);
  }
  EXPECT_EQ(ticks, 5);
  fs::remove(file);
}

}  // namespace
