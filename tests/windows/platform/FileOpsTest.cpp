// The file operations a backup does, on paths too long for the plain form: under
// Windows' stat rule (tests/wine/WindowsStat.cpp) std::filesystem cannot reach
// them, the file APIs can.
#include <gtest/gtest.h>

#include <string>

#include "backup/BackupContents.h"
#include "platform/FileOps.h"
#include "platform/FolderListing.h"
#include "platform/NewFile.h"
#include "platform/Paths.h"
#include "windows/support/Win32TestPlatform.h"

namespace {

class LongPathFileOps : public ::testing::Test {
 protected:
  // A folder well past MAX_PATH below the temp folder.
  WString DeepFolder() const {
    const WString level(100, u'd');
    return paths::Join(paths::Join(paths::Join(root, level), level + u"e"), level + u"f");
  }
  void TearDown() override {
    std::error_code ec;
    paths::RemoveFolderTree(root, ec);
    EXPECT_FALSE(ec) << ec.message();
    EXPECT_FALSE(paths::IsFolder(root));
  }
  win32_test::TempFolder temp{L"file-ops"};
  WString root = text::FromPath(std::filesystem::path(temp.Path())) + u"\\tree";
};

TEST_F(LongPathFileOps, CreateSizeCopyAndRemoveAFileThere) {
  const WString folder = DeepFolder();
  ASSERT_GT(folder.size(), 300u);
  std::error_code ec;
  paths::CreateFolders(folder, ec);
  ASSERT_FALSE(ec) << ec.message();
  EXPECT_TRUE(paths::IsFolder(folder));
  paths::CreateFolders(folder, ec);  // there already: no error
  EXPECT_FALSE(ec) << ec.message();

  const WString file = paths::WriteNewFile(folder, u"data", u".bin", [](std::ostream& out) { out << "twelve bytes"; });
  EXPECT_EQ(paths::FileSize(file, ec), 12u);
  EXPECT_FALSE(ec) << ec.message();
  const WString copy = paths::Join(folder, u"copy.bin");
  paths::CopyFileOver(file, copy, ec);
  ASSERT_FALSE(ec) << ec.message();
  EXPECT_EQ(paths::FileSize(copy, ec), 12u);

  paths::RemoveFile(copy, ec);
  EXPECT_FALSE(ec) << ec.message();
  EXPECT_FALSE(paths::FileExists(copy));
  EXPECT_TRUE(paths::FileExists(file));
  paths::RemoveFile(copy, ec);  // gone already: no error
  EXPECT_FALSE(ec) << ec.message();
}

TEST_F(LongPathFileOps, AFolderHasNoSizeAndAMissingFileIsNamedMissing) {
  const WString folder = DeepFolder();
  std::error_code ec;
  paths::CreateFolders(folder, ec);
  ASSERT_FALSE(ec) << ec.message();
  EXPECT_EQ(paths::FileSize(folder, ec), 0u);
  EXPECT_EQ(ec, std::make_error_code(std::errc::is_a_directory));
  paths::FileSize(paths::Join(folder, u"none.bin"), ec);
  EXPECT_EQ(ec.value(), 2) << ec.message();  // ERROR_FILE_NOT_FOUND
  paths::CopyFileOver(paths::Join(folder, u"none.bin"), paths::Join(folder, u"copy.bin"), ec);
  EXPECT_TRUE(ec);
  EXPECT_FALSE(paths::FileExists(paths::Join(folder, u"copy.bin")));
}

// A backup folder that deep is listed whole: MinGW's std::filesystem lists
// another folder, or none, past MAX_PATH.
TEST_F(LongPathFileOps, ABackupFolderThereListsItsArchivesAndItsNewestIndex) {
  const WString folder = DeepFolder();
  std::error_code ec;
  paths::CreateFolders(folder, ec);
  ASSERT_FALSE(ec) << ec.message();
  const auto write = [&](const WString& base, const WString& extension) {
    return paths::WriteNewFile(folder, base, extension, [](std::ostream& out) { out << "x"; });
  };
  const WString zip = write(u"Serial_1.0", u".zip");
  const WString sevenZip = write(u"Audio_2.0", u".7z");
  write(u"notes", u".txt");
  write(u"Quillon-index-2026_01_02_03_04_05", u".json");
  const WString newest = write(u"Quillon-index-2026_11_02_03_04_05", u".json");
  paths::CreateFolders(paths::Join(folder, u"Folder.zip"), ec);  // a folder is no archive
  ASSERT_FALSE(ec) << ec.message();

  const std::vector<std::filesystem::path> archives = backup::ArchivesIn(text::ToPath(folder));
  ASSERT_EQ(archives.size(), 2u);
  EXPECT_EQ(text::FromPath(archives[0]), sevenZip);
  EXPECT_EQ(text::FromPath(archives[1]), zip);
  const std::optional<std::filesystem::path> index = backup::NewestIndex(text::ToPath(folder));
  ASSERT_TRUE(index);
  EXPECT_EQ(text::FromPath(*index), newest);
}

}  // namespace
