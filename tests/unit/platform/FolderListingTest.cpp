// ListFolder and RemoveFolderTree on real folders: what counts as a file, a folder
// or a link to one, and that deleting a tree never follows a link out of it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/Errors.h"
#include "platform/FolderListing.h"
#include "platform/NewFile.h"

namespace {

namespace fs = std::filesystem;
using Kind = paths::FolderEntry::Kind;

class FolderListing : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("quillon-listing-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "tree/sub");
    fs::create_directories(root / "outside");
    std::ofstream(root / "tree/a.inf") << "a";
    std::ofstream(root / "tree/sub/b.sys") << "b";
    std::ofstream(root / "outside/keep.txt") << "keep";
    fs::create_directory_symlink(root / "outside", root / "tree/linked");
    fs::create_symlink(root / "outside/keep.txt", root / "tree/file-link");
    fs::create_symlink(root / "nowhere", root / "tree/dangling");
  }
  void TearDown() override { fs::remove_all(root); }
  WString Text(const fs::path& p) { return text::FromPath(p); }
  fs::path root;
};

TEST_F(FolderListing, TellsFilesFoldersLinksAndUnreadableEntriesApart) {
  ASSERT_EQ(::mkfifo((root / "tree/pipe").c_str(), 0600), 0);
  std::vector<paths::FolderEntry> entries = paths::ListFolder(Text(root / "tree"));
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 6u);  // nothing left out
  EXPECT_EQ(entries[0].name, u"a.inf");
  EXPECT_EQ(entries[0].kind, Kind::File);
  EXPECT_EQ(entries[1].name, u"dangling");
  EXPECT_EQ(entries[1].kind, Kind::BrokenLink);
  EXPECT_EQ(entries[2].name, u"file-link");
  EXPECT_EQ(entries[2].kind, Kind::File);
  EXPECT_EQ(entries[3].name, u"linked");
  EXPECT_EQ(entries[3].kind, Kind::FolderLink);
  EXPECT_EQ(entries[4].name, u"pipe");
  EXPECT_EQ(entries[4].kind, Kind::Unreadable);
  EXPECT_EQ(entries[4].why, u"a pipe, not a file");
  EXPECT_EQ(entries[5].name, u"sub");
  EXPECT_EQ(entries[5].kind, Kind::Folder);
}

TEST_F(FolderListing, AFolderThatCannotBeListedRaisesWithItsName) {
  try {
    paths::ListFolder(Text(root / "missing"));
    FAIL() << "no error raised";
  } catch (const QuillonError& e) {
    EXPECT_NE(e.Message().find(u"missing"), WString::npos) << e.what();
  }
}

TEST_F(FolderListing, RemovingATreeRemovesLinksButNotWhatTheyPointTo) {
  std::error_code ec;
  paths::RemoveFolderTree(Text(root / "tree"), ec);
  EXPECT_FALSE(ec) << ec.message();
  EXPECT_FALSE(fs::exists(root / "tree"));
  EXPECT_TRUE(fs::exists(root / "outside/keep.txt"));
  paths::RemoveFolderTree(Text(root / "tree"), ec);  // already gone
  EXPECT_FALSE(ec) << ec.message();
}

}  // namespace

// A name held by anything (file, folder, link to a file, link to nothing) is
// never opened or replaced: the next free number is taken.
TEST(CreateNewFile, TakesTheNameOrTheFirstFreeNumberedOneAndNeverFollowsALink) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("quillon-newfile-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "Quillon (3).csv");
  std::ofstream(dir / "Quillon.csv") << "the user's";
  std::ofstream(dir / "target.txt") << "the user's";
  std::filesystem::create_symlink(dir / "target.txt", dir / "Quillon (2).csv");
  std::filesystem::create_symlink(dir / "missing.txt", dir / "Quillon (4).csv");
  const WString folder = text::FromPath(dir);

  EXPECT_EQ(paths::CreateNewFile(folder, u"Quillon", u".csv"), text::FromPath(dir / "Quillon (5).csv"));
  EXPECT_EQ(paths::CreateNewFile(folder, u"fresh", u".7z"), text::FromPath(dir / "fresh.7z"));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.txt"));
  EXPECT_EQ(std::filesystem::file_size(dir / "target.txt"), 10u);
  EXPECT_THROW(paths::CreateNewFile(text::FromPath(dir / "no-such-folder"), u"x", u".csv"), QuillonError);
  std::filesystem::remove_all(dir);
}
