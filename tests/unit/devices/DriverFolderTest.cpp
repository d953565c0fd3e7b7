// GetFilesList and CopyFolderTree on real folders.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "devices/Devices.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

namespace {
namespace fs = std::filesystem;

class DriverFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("quillon-folder-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(root); }
  void Write(const std::string& rel, const std::string& content = "x") {
    fs::create_directories((root / rel).parent_path());
    std::ofstream(root / rel, std::ios::binary) << content;
  }
  WString Folder(const std::string& rel) { return paths::IncludeTrailingPathDelimiter(text::FromPath(root / rel)); }
  static WStringList Sorted(WStringList l) {
    std::sort(l.begin(), l.end());
    return l;
  }
  static WString P(const char16_t* s) {  // "a/b" in the host's delimiter
    WString out(s);
    std::replace(out.begin(), out.end(), u'/', paths::kPathDelim);
    return out;
  }
  fs::path root;
};

TEST_F(DriverFolderTest, ListsEveryFileBelowTheFolderExceptPrecompiledInfs) {
  Write("pkg/a.inf");
  Write("pkg/a.pnf");
  Write("pkg/B.PNF");
  Write("pkg/README");
  Write("pkg/sub/deeper/c.sys");
  fs::create_directories(root / "pkg/empty");
  EXPECT_EQ(Sorted(GetFilesList(Folder("pkg"), true)), (WStringList{u"README", u"a.inf", P(u"sub/deeper/c.sys")}));
}

TEST_F(DriverFolderTest, FullPathsStartWithTheFolder) {
  Write("pkg/sub/c.sys");
  EXPECT_EQ(GetFilesList(Folder("pkg"), false), WStringList{Folder("pkg") + P(u"sub/c.sys")});
}

TEST_F(DriverFolderTest, FolderOfOnlyPrecompiledInfsOrMissingGivesNothing) {
  Write("pkg/a.pnf");
  Write("pkg/b.PNF");
  EXPECT_TRUE(GetFilesList(Folder("pkg"), true).empty());
  EXPECT_TRUE(GetFilesList(Folder("missing"), true).empty());
}

TEST_F(DriverFolderTest, CopyReplacesTheDestinationWithoutPrecompiledInfs) {
  Write("src/a.inf", "inf text");
  Write("src/a.pnf");
  Write("src/x64/b.sys", "driver");
  fs::create_directories(root / "src/empty");
  Write("dst/stale.txt");
  CopyFolderTree(Folder("src"), text::FromPath(root / "dst"));
  EXPECT_EQ(Sorted(GetFilesList(Folder("dst"), true)), (WStringList{u"a.inf", P(u"x64/b.sys")}));
  EXPECT_FALSE(fs::exists(root / "dst/empty"));
  std::ifstream copied(root / "dst/x64/b.sys");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "driver");
}

TEST_F(DriverFolderTest, CopyKeepsEachFilesModificationTime) {
  Write("src/a.inf");
  Write("src/x64/b.sys");
  const auto now = fs::file_time_type::clock::now();
  const fs::file_time_type old = now - std::chrono::hours(24 * 400) + std::chrono::nanoseconds(123456789);
  const fs::file_time_type older = now - std::chrono::hours(24 * 4000);
  fs::last_write_time(root / "src/a.inf", old);
  fs::last_write_time(root / "src/x64/b.sys", older);
  CopyFolderTree(Folder("src"), text::FromPath(root / "dst"));
  EXPECT_EQ(fs::last_write_time(root / "dst/a.inf"), old);
  EXPECT_EQ(fs::last_write_time(root / "dst/x64/b.sys"), older);
}

TEST_F(DriverFolderTest, CopyFromAMissingSourceLeavesTheDestinationAlone) {
  Write("dst/keep.txt");
  CopyFolderTree(Folder("missing"), text::FromPath(root / "dst"));
  EXPECT_TRUE(fs::exists(root / "dst/keep.txt"));
}

TEST_F(DriverFolderTest, CopyOntoItsOwnSourceOrAnEnclosingFolderIsRefusedAndLosesNothing) {
  Write("store/pkg/a.sys");
  EXPECT_THROW(CopyFolderTree(Folder("store/pkg"), text::FromPath(root / "store/pkg")), QuillonError);
  EXPECT_THROW(CopyFolderTree(Folder("store/pkg"), text::FromPath(root / "store")), QuillonError);
  EXPECT_THROW(CopyFolderTree(Folder("store/pkg"), text::FromPath(root / "store/pkg/inner")), QuillonError);
  EXPECT_TRUE(fs::exists(root / "store/pkg/a.sys"));
}

TEST_F(DriverFolderTest, CopyFailureRaisesTheFileSystemsMessage) {
  Write("src/a.sys");
  Write("blocker");  // a file where the destination's parent folder should be
  try {
    CopyFolderTree(Folder("src"), text::FromPath(root / "blocker/dst"));
    FAIL() << "no error raised";
  } catch (const QuillonError& e) {
    EXPECT_NE(e.Message().find(u"blocker"), WString::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("Not a directory"), std::string::npos) << e.what();
  }
}

// A driver-store folder on a mounted NTFS volume shows reparse points as links.
TEST_F(DriverFolderTest, ALinkToAFileIsListedAndCopiedAsTheFileItPointsTo) {
  Write("elsewhere/real.sys", "driver bytes");
  Write("src/a.inf");
  fs::create_symlink(root / "elsewhere/real.sys", root / "src/linked.sys");
  EXPECT_EQ(Sorted(GetFilesList(Folder("src"), true)), (WStringList{u"a.inf", u"linked.sys"}));
  CopyFolderTree(Folder("src"), text::FromPath(root / "dst"));
  EXPECT_FALSE(fs::is_symlink(root / "dst/linked.sys"));
  std::ifstream copied(root / "dst/linked.sys");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "driver bytes");
}

TEST_F(DriverFolderTest, ALinkWhoseTargetIsMissingIsListedAndItsCopyFailsNamingIt) {
  Write("src/a.inf");
  fs::create_symlink(root / "nowhere.sys", root / "src/dangling.sys");
  EXPECT_EQ(Sorted(GetFilesList(Folder("src"), true)), (WStringList{u"a.inf", u"dangling.sys"}));
  try {
    CopyFolderTree(Folder("src"), text::FromPath(root / "dst"));
    FAIL() << "copy raised no error";
  } catch (const QuillonError& e) {
    const std::string named = "Cannot copy \"" + (root / "src/dangling.sys").string() + "\" to \"" +
                              (root / "dst/dangling.sys").string() + "\": ";
    EXPECT_EQ(std::string(e.what()).rfind(named, 0), 0u) << e.what();
  }
}

TEST_F(DriverFolderTest, AnEntryThatIsNoFileFailsListingAndCopyNamingIt) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;
    std::string why;
  };
  const std::vector<Case> cases = {
      {"pipe.sys", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, "it is a pipe, not a file."},
      {"folder-link", [&](const fs::path& p) { fs::create_directory_symlink(root / "elsewhere", p); },
       "it is a link to a folder, which is not followed."},
  };
  fs::create_directories(root / "elsewhere");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(root / "src");
    Write("src/a.inf");
    fs::create_directories(root / "src/sub");
    c.make(root / "src/sub" / c.name);
    const std::string expected = "Cannot back up \"" + (root / "src/sub" / c.name).string() + "\": " + c.why;
    try {
      GetFilesList(Folder("src"), true);
      ADD_FAILURE() << "listing raised no error";
    } catch (const QuillonError& e) {
      EXPECT_EQ(e.what(), expected);
    }
    Write("dst/keep.txt");
    try {
      CopyFolderTree(Folder("src"), text::FromPath(root / "dst"));
      ADD_FAILURE() << "copy raised no error";
    } catch (const QuillonError& e) {
      EXPECT_EQ(e.what(), expected);
    }
    EXPECT_TRUE(fs::exists(root / "dst/keep.txt"));  // refused before anything was deleted
  }
}

}  // namespace
