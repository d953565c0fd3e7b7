// Mask lists and the order in which a folder tree's files are visited.
#include "archive/FileBatch.h"
#include "tests/unit/archive/ArchiveTestSupport.h"

namespace archive_test {
namespace {

TEST(SplitMasks, SeparatesAtSemicolonsAndBlanksButKeepsQuotedParts) {
  EXPECT_EQ(archive::SplitMasks(u"*.*"), WStringList({u"*.*"}));
  EXPECT_EQ(archive::SplitMasks(u"*.inf;*.sys *.cat"), WStringList({u"*.inf", u"*.sys", u"*.cat"}));
  EXPECT_EQ(archive::SplitMasks(u"\"my file*.txt\";;*.x"), WStringList({u"my file*.txt", u"*.x"}));
  EXPECT_TRUE(archive::SplitMasks(u" ; ").empty());
}

class FolderWalk : public ArchiveTest {};

TEST_F(FolderWalk, VisitsSubfoldersFirstThenOwnFilesMaskByMask) {
  MakeFile("src/b.sys", "");
  MakeFile("src/a.inf", "");
  MakeFile("src/z/inner.sys", "");
  MakeFile("src/m/deep/x.inf", "");
  MakeFile("src/m/y.sys", "");
  std::vector<std::string> seen;
  archive::ForEachMatchingFile(Host(Root() / "src"), {u"*.sys", u"*.inf"},
                               [&](const WString& file, const WString& rel) {
                                 EXPECT_EQ(file, Host(Root() / "src") + u"/" + rel);
                                 seen.push_back(text::ToUtf8(rel));
                               });
  EXPECT_EQ(seen, (std::vector<std::string>{"m/deep/x.inf", "m/y.sys", "z/inner.sys", "b.sys", "a.inf"}));
}

TEST_F(FolderWalk, AMissingFolderRaises) {
  EXPECT_THROW(archive::ForEachMatchingFile(Host(Root() / "none"), {u"*"}, [](const WString&, const WString&) {}),
               QuillonError);
}

}  // namespace
}  // namespace archive_test
