// Which earlier archive a device of the same package may be left at: only one
// that nothing written since may have replaced.
#include <gtest/gtest.h>

#include "backup/DriverExport.h"

namespace {

using backup::TExportedPackages;

const WString kStoreA = u"C:\\Windows\\System32\\DriverStore\\FileRepository\\a.inf_amd64_1\\";
const WString kStoreB = u"C:\\Windows\\System32\\DriverStore\\FileRepository\\b.inf_amd64_2\\";

TEST(ExportedPackages, TheSameNameAndFolderGiveTheEarlierArchive) {
  TExportedPackages exported;
  EXPECT_EQ(exported.ArchiveOf(u"D:\\out\\Hub_1.0", kStoreA), u"");
  exported.Record(u"D:\\out\\Hub_1.0", kStoreA, u"D:\\out\\Hub_1.0.7z");
  EXPECT_EQ(exported.ArchiveOf(u"D:\\out\\Hub_1.0", kStoreA), u"D:\\out\\Hub_1.0.7z");
  EXPECT_EQ(exported.ArchiveOf(u"D:\\out\\Hub_1.0", kStoreB), u"");  // another package under that name
  EXPECT_EQ(exported.ArchiveOf(u"D:\\out\\Hub_2.0", kStoreA), u"");  // another name
  exported.Record(u"D:\\out\\Mouse_3.1", kStoreB, u"D:\\out\\Mouse_3.1.7z");  // other files do not matter
  EXPECT_EQ(exported.ArchiveOf(u"D:\\out\\Hub_1.0", kStoreA), u"D:\\out\\Hub_1.0.7z");
}

TEST(ExportedPackages, AnyLaterWriteToTheSameFileWins) {
  struct Case {
    const char* what;
    WString laterName, laterFolder, laterArchive;
  };
  const Case cases[] = {
      {"another package under the name", u"D:\\out\\Hub_1.0", kStoreB, u"D:\\out\\Hub_1.0.7z"},
      {"a failed write removed it", u"D:\\out\\Hub_1.0", kStoreA, u""},
      {"the name in other letter case", u"D:\\OUT\\hub_1.0", kStoreB, u"D:\\OUT\\hub_1.0.7z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TExportedPackages exported;
    exported.Record(u"D:\\out\\Hub_1.0", kStoreA, u"D:\\out\\Hub_1.0.7z");
    exported.Record(c.laterName, c.laterFolder, c.laterArchive);
    EXPECT_EQ(exported.ArchiveOf(u"D:\\out\\Hub_1.0", kStoreA), u"");
  }
}

TEST(ExportedPackages, NamesBeyondAsciiThatMayBeOneFileCountAsOne) {
  TExportedPackages exported;
  exported.Record(u"D:\\out\\\u00c4udio_1", kStoreA, u"D:\\out\\\u00c4udio_1.7z");
  exported.Record(u"D:\\out\\\u00e4udio_1", kStoreB, u"D:\\out\\\u00e4udio_1.7z");  // Windows: the same file
  EXPECT_EQ(exported.ArchiveOf(u"D:\\out\\\u00c4udio_1", kStoreA), u"");
}

// Archives created new are never replaced: whatever was written since, the
// package's earlier archive is still its own.
TEST(ExportedPackages, WithNextFreeNamesTheEarlierArchiveOfThePackageServesWhateverFollowed) {
  constexpr auto kNew = backup::ArchiveNaming::NextFreeName;
  TExportedPackages exported;
  exported.Record(u"D:\\out\\Hub_1.0", kStoreA, u"D:\\out\\Hub_1.0.7z");
  exported.Record(u"D:\\out\\Hub_1.0", kStoreB, u"D:\\out\\Hub_1.0 (2).7z");
  exported.Record(u"D:\\out\\Hub_1.0", kStoreA, u"");  // a failed write removed only its own file
  EXPECT_EQ(exported.ArchiveOf(u"D:\\out\\Hub_1.0", kStoreA, kNew), u"D:\\out\\Hub_1.0.7z");
  EXPECT_EQ(exported.ArchiveOf(u"D:\\out\\Hub_1.0", kStoreB, kNew), u"D:\\out\\Hub_1.0 (2).7z");
  EXPECT_EQ(exported.ArchiveOf(u"D:\\out\\Hub_2.0", kStoreA, kNew), u"");
  EXPECT_EQ(exported.ArchiveOf(u"D:\\out\\Hub_1.0", kStoreA), u"") << "the window's archives are replaced";
}

}  // namespace
