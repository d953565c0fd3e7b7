// GetFilesList and CopyFolderTree on real folders.
#include <algorithm>
#include <filesystem>
#include <fstream>

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

}  // namespace
