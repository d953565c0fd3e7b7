// The restore record: RFC 4180 cells, formulas defused, and a new file every
// time, never one written over.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Errors.h"
#include "platform/NewFile.h"
#include "restore/RestoreRecord.h"

namespace {

using restore::CsvCell;
using restore::RestoreRow;

class RestoreRecordTest : public ::testing::Test {
 protected:
  RestoreRecordTest() {
    folder_ = std::filesystem::temp_directory_path() / ("quillon-restore-record-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  ~RestoreRecordTest() override {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  static std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path folder_;
  const winapi::SystemTime time_{2026, 12, 3, 9, 23, 5, 7, 0};
};

TEST_F(RestoreRecordTest, CellsAreQuotedWithQuotesDoubledAndFormulasDefused) {
  EXPECT_EQ(CsvCell(u"plain"), "\"plain\"");
  EXPECT_EQ(CsvCell(u"say \"hi\", then\r\nleave"), "\"say \"\"hi\"\", then\r\nleave\"");
  EXPECT_EQ(CsvCell(u""), "\"\"");
  for (const WString start : {u"=", u"+", u"-", u"@", u"\t", u"\r"})
    EXPECT_EQ(CsvCell(start + WString(u"SUM(A1)")), "\"'" + text::ToUtf8(start) + "SUM(A1)\"");
  EXPECT_EQ(CsvCell(u"a=b-c"), "\"a=b-c\"") << "only the first character makes a formula";
  EXPECT_EQ(CsvCell(u"Ger\u00e4t"), "\"Ger\xC3\xA4t\"");
}

TEST_F(RestoreRecordTest, WritesAHeaderAndOneRowPerEntryWithCrLf) {
  const auto file = restore::WriteRestoreRecord(
      folder_, time_,
      {RestoreRow{u"Northwind USB Serial Port (USB\\VID_1234&PID_5678\\NW0001)", u"nwserial.7z", u"",
                  u"Northwind 3.8.27.0 (oem7.inf)", u"installed"},
       RestoreRow{u"=cmd|' /C calc'!A0", u"x.7z", u"-1", u"@x", u"failed: Access is denied"}});
  EXPECT_EQ(file.filename(), "Quillon-restore-2026_12_09_23_05_07.csv");
  EXPECT_EQ(Read(file),
            "\"Device\",\"Package\",\"Old Driver\",\"New Driver\",\"Result\"\r\n"
            "\"Northwind USB Serial Port (USB\\VID_1234&PID_5678\\NW0001)\",\"nwserial.7z\",\"\","
            "\"Northwind 3.8.27.0 (oem7.inf)\",\"installed\"\r\n"
            "\"'=cmd|' /C calc'!A0\",\"x.7z\",\"'-1\",\"'@x\",\"failed: Access is denied\"\r\n");
}

TEST_F(RestoreRecordTest, AnotherRecordInTheSameSecondTakesTheNextFreeName) {
  std::ofstream(folder_ / "Quillon-restore-2026_12_09_23_05_07.csv") << "someone else's";
  std::ofstream(folder_ / "Quillon-restore-2026_12_09_23_05_07 (2).csv") << "an earlier run";
  const auto file = restore::WriteRestoreRecord(folder_, time_, {});
  EXPECT_EQ(file.filename(), "Quillon-restore-2026_12_09_23_05_07 (3).csv");
  EXPECT_EQ(Read(folder_ / "Quillon-restore-2026_12_09_23_05_07.csv"), "someone else's");
  EXPECT_EQ(Read(folder_ / "Quillon-restore-2026_12_09_23_05_07 (2).csv"), "an earlier run");
}

TEST_F(RestoreRecordTest, ALinkInTheRecordsPlaceIsNotFollowed) {
  const auto outside = folder_ / "outside.txt";
  std::filesystem::create_symlink(outside, folder_ / "Quillon-restore-2026_12_09_23_05_07.csv");
  const auto file = restore::WriteRestoreRecord(folder_, time_, {});
  EXPECT_EQ(file.filename(), "Quillon-restore-2026_12_09_23_05_07 (2).csv");
  EXPECT_FALSE(std::filesystem::exists(outside)) << "the dangling link's target was created";
}

TEST_F(RestoreRecordTest, AMissingFolderIsNamedWithTheCause) {
  try {
    restore::WriteRestoreRecord(folder_ / "gone", time_, {});
    FAIL() << "expected an error";
  } catch (const QuillonError& e) {
    const std::string message = text::ToUtf8(e.Message());
    const std::string file = "gone/Quillon-restore-2026_12_09_23_05_07.csv\": ";
    ASSERT_NE(message.find(file), std::string::npos) << message;
    EXPECT_GT(message.size(), message.find(file) + file.size()) << "no cause given";
  }
  EXPECT_FALSE(std::filesystem::exists(folder_ / "gone"));
}

}  // namespace
