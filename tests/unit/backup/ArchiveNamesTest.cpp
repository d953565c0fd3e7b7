// The names of what an export writes: the archive, the work folder and the
// guarantee that the work folder is a new folder strictly inside the chosen one.
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "backup/ArchiveNames.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TDevice Driver(const WString& description, const WString& version, const WString& originalInf = u"oem42.inf",
               const WString& driverStore = u"store/pkg/pkg.inf") {
  TDevice d;
  d.DriverDescription = description;
  d.DriverVersion = version;
  d.OriginalInfName = originalInf;
  d.DriverStore = driverStore;
  return d;
}

TEST(ArchiveName, DropsWhatAFileNameMayNotHoldAndKeepsBlanks) {
  EXPECT_EQ(backup::ArchiveBaseName(u"out", Driver(u"Audio: Codec/HD", u"6.0.1.1")),
            paths::Join(u"out", u"Audio CodecHD_6.0.1.1"));
  EXPECT_EQ(backup::WithoutFileNameForbidden(u"a\"b*c/d:e<f>g?h\\i|j\x01k\x1fl\tm n.o"), u"abcdefghijklm n.o");
  EXPECT_EQ(backup::ArchiveBaseName(u"out", Driver(u"", u"")), paths::Join(u"out", u"_"));
}

TEST(WorkFolderName, IsTheOriginalInfNameWithoutExtensionCleanedOfPathForbiddenCharacters) {
  EXPECT_EQ(backup::WorkFolderName(Driver(u"x", u"1", u"oem42.inf")), u"oem42");
  EXPECT_EQ(backup::WorkFolderName(Driver(u"x", u"1", u"My<Driver>|\".inf")), u"MyDriver");
  EXPECT_EQ(backup::WorkFolderName(Driver(u"x", u"1", u"dir/name.v2.inf")), u"name.v2");
  // Only path-forbidden characters go; a colon or a star stays.
  EXPECT_EQ(backup::WithoutPathForbidden(u"a:b*c?d\x02\"<>|"), u"a:b*c?d");
}

TEST(WorkFolderName, FallsBackToTheStoreInfWhenTheOriginalNameLeavesNoChildFolder) {
  for (const WString& original : {WString(u""), WString(u".inf"), WString(u"..inf"), WString(u"...inf"),
                                  WString(u"\"<>|.inf"), WString(u" . .inf"), WString(u"..")}) {
    SCOPED_TRACE(text::ToUtf8(original));
    EXPECT_EQ(backup::WorkFolderName(Driver(u"x", u"1", original, u"store/pkg/widget.inf")), u"widget");
  }
}

TEST(WorkFolderName, RaisesWhenNeitherNameLeavesAChildFolder) {
  EXPECT_THROW(backup::WorkFolderName(Driver(u"x", u"1", u".inf", u"store/pkg/..inf")), QuillonError);
  EXPECT_THROW(backup::WorkFolderName(Driver(u"x", u"1", u"", u"")), QuillonError);
}

TEST(NamesAChildFolder, RefusesDotsBlanksAndDelimiters) {
  EXPECT_TRUE(backup::NamesAChildFolder(u"oem42"));
  EXPECT_TRUE(backup::NamesAChildFolder(u".hidden"));
  EXPECT_FALSE(backup::NamesAChildFolder(u""));
  EXPECT_FALSE(backup::NamesAChildFolder(u"."));
  EXPECT_FALSE(backup::NamesAChildFolder(u".. ."));
  EXPECT_FALSE(backup::NamesAChildFolder(u"a/b"));
}

TEST(NewWorkFolder, TakesTheNameOrTheFirstFreeNumberedOne) {
  const fs::path chosen = fs::temp_directory_path() / ("quillon-names-" + std::to_string(::getpid()));
  fs::remove_all(chosen);
  fs::create_directories(chosen);
  const WString folder = text::FromPath(chosen);
  EXPECT_EQ(backup::NewWorkFolder(folder, u"oem42"), paths::Join(folder, u"oem42"));
  fs::create_directories(chosen / "oem42");
  std::ofstream(chosen / "oem42 (2)") << "a file occupies a name too";
  fs::create_symlink(chosen / "nowhere", chosen / "oem42 (3)");  // so does a dangling link
  EXPECT_EQ(backup::NewWorkFolder(folder, u"oem42"), paths::Join(folder, u"oem42 (4)"));
  fs::remove_all(chosen);
}

TEST(SameFileKey, NamesWindowsMayTakeForOneFileShareAKey) {
  EXPECT_TRUE(backup::MayNameTheSameFile(u"Hub_1.0", u"HUB_1.0"));
  EXPECT_FALSE(backup::MayNameTheSameFile(u"Hub_1.0", u"Hub_1.1"));
  EXPECT_FALSE(backup::MayNameTheSameFile(u"Hub", u"Hub "));
  // Beyond ASCII, case folding is the system's: any two such letters may be one.
  EXPECT_TRUE(backup::MayNameTheSameFile(u"Ger\u00e4t", u"GER\u00c4T"));
  EXPECT_TRUE(backup::MayNameTheSameFile(u"\u00e4", u"\u03a9"));
  EXPECT_FALSE(backup::MayNameTheSameFile(u"\u00e4", u"a"));
}

}  // namespace
