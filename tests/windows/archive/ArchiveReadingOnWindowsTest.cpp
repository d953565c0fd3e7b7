// Reading Zip files in the Windows exe, where no 7-Zip library is found: the
// Zip reader on zlib lists, tests and extracts what the Zip writer writes
// (backslash paths, non-ASCII names), refuses names Windows would take for
// devices or paths outside the folder, and never replaces a file already there.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "archive/ArchiveReader.h"
#include "archive/ZipReader.h"
#include "archive/ZipWriter.h"
#include "windows/support/Win32TestPlatform.h"

namespace {

namespace fs = std::filesystem;
using win32_test::TempFolder;
using win32_test::Win32TestPlatform;

class ArchiveReadingOnWindows : public ::testing::Test {
 protected:
  ArchiveReadingOnWindows() : temp(L"reading-" + win32_test::CurrentTestName()) {}
  WString Text(const std::wstring& rel) const {
    const std::wstring p = temp.Path() + L"\\" + rel;
    return WString(p.begin(), p.end());
  }
  fs::path PathOf(const std::wstring& rel) const { return fs::path(temp.Path() + L"\\" + rel); }
  void Write(const std::wstring& rel, const std::string& content) {
    fs::create_directories(PathOf(rel).parent_path());
    std::ofstream(PathOf(rel), std::ios::binary) << content;
  }
  std::string Read(const std::wstring& rel) {
    std::ifstream in(PathOf(rel), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // A Zip of the given (file, name in the archive) pairs, by the Zip writer.
  WString Zip(const std::wstring& name, const std::vector<std::pair<std::wstring, WString>>& files) {
    archive::TZipWriter writer(Text(name));
    for (const auto& [file, inArchive] : files) writer.AddFile(Text(file), inArchive);
    writer.Close();
    return Text(name);
  }
  Win32TestPlatform os;
  TempFolder temp;
};

TEST_F(ArchiveReadingOnWindows, WithoutTheLibraryAZipIsReadOnZlibAndA7zIsRefused) {
  Write(L"src\\driver.sys", std::string(300000, 's') + "end");
  Write(L"src\\Tr\u00e9iber.dll", "umlaut");
  const WString zip = Zip(L"package.Zip", {{L"src\\driver.sys", u"amd64\\driver.sys"},
                                           {L"src\\Tr\u00e9iber.dll", u"Tr\u00e9iber.dll"}});
  auto reader = archive::OpenArchiveReader(zip, {});
  const auto entries = reader->List();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(text::ToUtf8(entries[0].name), "amd64/driver.sys");
  EXPECT_EQ(entries[0].size, 300003u);
  EXPECT_TRUE(entries[0].crc);
  EXPECT_EQ(archive::TestArchive(*reader), 2u);
  EXPECT_EQ(archive::ExtractArchive(*reader, Text(L"out")), 2u);
  EXPECT_EQ(Read(L"out\\amd64\\driver.sys"), std::string(300000, 's') + "end");
  EXPECT_EQ(Read(L"out\\Tr\u00e9iber.dll"), "umlaut");

  Write(L"fake.7z", std::string("7z\xBC\xAF\x27\x1C", 6) + std::string(100, '\0'));
  EXPECT_THROW(archive::OpenArchiveReader(Text(L"fake.7z"), {}), archive::ArchiveError);
}

TEST_F(ArchiveReadingOnWindows, DeviceNamesAndEscapingNamesAreRefusedBeforeAnythingIsWritten) {
  Write(L"evil.txt", "evil");
  for (const WString& name : {WString(u"..\\evil.txt"), WString(u"sub\\AUX.dll"), WString(u"LPT1"),
                              WString(u"con.inf")}) {
    SCOPED_TRACE(text::ToUtf8(name));
    const WString zip = Zip(L"hostile.Zip", {{L"evil.txt", u"fine.txt"}, {L"evil.txt", name}});
    auto reader = archive::OpenArchiveReader(zip, {});
    try {
      archive::ExtractArchive(*reader, Text(L"out"));
      ADD_FAILURE() << "extracted";
    } catch (const archive::ArchiveError& e) {
      EXPECT_NE(e.Message().find(zip + u": the entry \""), WString::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(PathOf(L"out\\fine.txt")));
  }
}

TEST_F(ArchiveReadingOnWindows, AFileAlreadyInTheFolderIsNeverReplaced) {
  Write(L"new.txt", "from the archive");
  Write(L"out\\file.txt", "already there");
  auto reader = archive::OpenArchiveReader(Zip(L"a.Zip", {{L"new.txt", u"file.txt"}}), {});
  EXPECT_THROW(archive::ExtractArchive(*reader, Text(L"out")), QuillonError);
  EXPECT_EQ(Read(L"out\\file.txt"), "already there");
}

}  // namespace
