// The Zip writer and the archive step on Windows paths (backslashes in, '/' in
// the archive, non-ASCII names as UTF-8), and the 7-Zip writer's failure paths
// against the stand-in DLLs, with Windows' own loader and message texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "backup/ArchiveStep.h"
#include "archive/SevenZip.h"
#include "archive/ZipWriter.h"
#include "platform/Errors.h"
#include "windows/archive/ZipReader.h"
#include "windows/support/Win32TestPlatform.h"

namespace archive_test {
namespace {

namespace fs = std::filesystem;
using win32_test::TempFolder;
using win32_test::Win32TestPlatform;
using win32_test::SystemText;

// The report and progress sinks of the archive step, recorded; the step's errors
// are kept as the window would show them.
class RecordingHost final : public backup::IReportLog, public backup::IProgress {
 public:
  void AddLine(const WString& line) override { lines.push_back(line); }
  void Append(const WString& line) override { lines.push_back(line); }
  void Show(const WString&) override {}
  void SetText(const WString&) override {}
  void SetFormatAsBytes(bool) override {}
  void SetTotal(int64_t t) override { total = t; }
  void SetValue(int64_t v) override { value = v; }
  void SetBar(int64_t v, int64_t t) override {
    total = t;
    value = v;
  }
  void Draw() override {}
  std::vector<WString> lines, messages;
  int64_t total = -1, value = -1;
};

bool ArchiveFiles(RecordingHost& host, const WString& library, WString& name, const WString& source,
                  const WString& mask, const WStringList& files, bool deleteSource) {
  WString error;
  const bool written = backup::ArchiveFiles(host, host, library, name, source, mask, files, deleteSource, error);
  if (!error.empty()) host.messages.push_back(error);
  return written;
}

// The stand-in DLLs of the Windows build, as a Windows path (Wine's Z: drive).
WString StandIn(const char* name) {
  std::string path = std::string(QUILLON_STANDIN_DIR) + "/" + name + ".dll";
  std::replace(path.begin(), path.end(), '/', '\\');
  return u"Z:" + text::FromUtf8(path);
}


class ArchiveOnWindows : public ::testing::Test {
 protected:
  ArchiveOnWindows() : temp(L"archive-" + win32_test::CurrentTestName()) {}
  std::wstring Path(const std::wstring& rel) const { return temp.Path() + L"\\" + rel; }
  WString Text(const std::wstring& rel) const {
    const std::wstring p = Path(rel);
    return WString(p.begin(), p.end());
  }
  void Write(const std::wstring& rel, const std::string& content) {
    fs::create_directories(fs::path(Path(rel)).parent_path());
    std::ofstream(fs::path(Path(rel)), std::ios::binary) << content;
  }
  static std::vector<std::string> Names(const std::vector<ZipEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
  }
  // The driver package a work folder holds, with a sub-folder and a non-ASCII name.
  void MakeWorkFolder() {
    Write(L"work\\oem42.inf", "[Version]\r\n");
    Write(L"work\\amd64\\driver.sys", std::string(70000, 's') + "end");
    Write(L"work\\amd64\\Tr\u00e9iber \u00fc.dll", "umlaut");
  }
  Win32TestPlatform os;
  TempFolder temp;
  RecordingHost host;
};

TEST_F(ArchiveOnWindows, ZipWriterStoresBackslashPathsWithSlashesAndUtf8Names) {
  Write(L"in\\a.inf", "inf text");
  Write(L"in\\\u00c4rger.sys", std::string(100000, 'x'));
  {
    archive::TZipWriter zip(Text(L"out.zip"));
    zip.AddFile(Text(L"in\\a.inf"), u"pkg\\a.inf");
    zip.AddFile(Text(L"in\\\u00c4rger.sys"), u"pkg\\amd64\\\u00c4rger.sys");
    zip.Close();
  }
  const auto entries = ZipReader(Path(L"out.zip")).Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "pkg/a.inf");
  EXPECT_EQ(entries[0].data, "inf text");
  EXPECT_EQ(entries[1].name, "pkg/amd64/\xC3\x84rger.sys");
  EXPECT_EQ(entries[1].data, std::string(100000, 'x'));
  EXPECT_EQ(entries[1].method, 8);  // deflated
  for (const auto& e : entries) EXPECT_TRUE(e.flags & 0x800) << e.name;  // UTF-8 names
}

TEST_F(ArchiveOnWindows, ZipWriterThreadsWriteTheSameBytesAsOneThread) {
  std::string big;  // several pieces, partly repeating across their boundaries
  for (uint32_t i = 0; big.size() < 4 * archive::TZipWriter::kChunkSize + 321; ++i)
    big += std::to_string(i * 2654435761u % 100003) + (i % 7 ? "," : "\r\n");
  Write(L"in\\big.sys", big);
  Write(L"in\\a.inf", "inf text");
  auto zipWith = [&](unsigned threads, const std::wstring& name) {
    archive::TZipWriter zip(Text(name), threads);
    zip.AddFile(Text(L"in\\big.sys"), u"amd64\\big.sys");
    zip.AddFile(Text(L"in\\a.inf"), u"a.inf");
    zip.Close();
    std::ifstream in(fs::path(Path(name)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string one = zipWith(1, L"one.zip");
  EXPECT_TRUE(zipWith(4, L"four.zip") == one);
  const auto entries = ZipReader(Path(L"four.zip")).Entries();  // checks each CRC
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[0].data == big);
  EXPECT_EQ(entries[1].data, "inf text");
}

TEST_F(ArchiveOnWindows, ZipWriterRaisesForAFileItCannotRead) {
  archive::TZipWriter zip(Text(L"out.zip"));
  EXPECT_THROW(zip.AddFile(Text(L"missing.sys"), u"missing.sys"), QuillonError);
}

TEST_F(ArchiveOnWindows, ArchiveStepZipsTheTreeUnderRelativePathsAndRemovesTheSource) {
  MakeWorkFolder();
  WString name = Text(L"Audio Codec_6.0");
  ASSERT_TRUE(ArchiveFiles(host, WString(), name, Text(L"work"), u"*.*", {}, true));
  EXPECT_EQ(name, Text(L"Audio Codec_6.0.Zip"));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.lines, std::vector<WString>{u"*** Archiving Files ***\r\n"});
  const auto entries = ZipReader(Path(L"Audio Codec_6.0.Zip")).Entries();
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"amd64/Tr\xC3\xA9iber \xC3\xBC.dll", "amd64/driver.sys",
                                                      "oem42.inf"}));
  EXPECT_EQ(host.total, 11 + 70003 + 6);
  EXPECT_EQ(host.value, host.total);
  EXPECT_FALSE(fs::exists(Path(L"work")));
}

TEST_F(ArchiveOnWindows, ArchiveStepStoresAFileListUnderBareNames) {
  Write(L"out\\A_1.Zip", "first");
  Write(L"out\\B_2.Zip", "second");
  WString name = Text(L"out\\NAVU-2025_03_07_14_05_09");
  const WStringList files = {Text(L"out\\A_1.Zip"), Text(L"out\\B_2.Zip"), Text(L"out\\gone.Zip")};
  ASSERT_TRUE(ArchiveFiles(host, WString(), name, Text(L"out"), WString(), files, false));
  const auto entries = ZipReader(Path(L"out\\NAVU-2025_03_07_14_05_09.Zip")).Entries();
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"A_1.Zip", "B_2.Zip"}));
  EXPECT_TRUE(fs::exists(Path(L"out\\A_1.Zip")));
}

TEST_F(ArchiveOnWindows, ALockedFileFailsTheZipRemovesItAndKeepsTheSource) {
  MakeWorkFolder();
  // Opened without sharing: Windows refuses every other open of it.
  HANDLE lock = ::CreateFileW(Path(L"work\\amd64\\driver.sys").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  WString name = Text(L"Driver_1");
  EXPECT_FALSE(ArchiveFiles(host, WString(), name, Text(L"work"), u"*.*", {}, true));
  ::CloseHandle(lock);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].find(u"driver.sys"), WString::npos) << text::ToUtf8(host.messages[0]);
  EXPECT_FALSE(fs::exists(Path(L"Driver_1.Zip")));
  EXPECT_TRUE(fs::exists(Path(L"work\\amd64\\driver.sys")));
}

TEST_F(ArchiveOnWindows, MissingLibraryFailsWithTheSystemTextAndThePath) {
  const WString path = Text(L"7z.dll");
  try {
    sevenzip::CreateOutArchive(backup::kSevenZipFormatClassId, path);
    FAIL() << "a missing library was accepted";
  } catch (const OSError& e) {
    EXPECT_EQ(e.Code(), 126u);
    EXPECT_EQ(e.Message().rfind(u"System Error.  Code: 126.\r\n", 0), 0u) << e.what();
    EXPECT_EQ(e.Message().substr(e.Message().size() - path.size()), path) << e.what();
  }
}

struct RefusedLibrary {
  const char* standIn;
  const char* messageAfterPath;
};

class SevenZipStandIns : public ArchiveOnWindows, public ::testing::WithParamInterface<RefusedLibrary> {};

TEST_P(SevenZipStandIns, AreRefusedWithTheirTextAndNothingIsDeleted) {
  MakeWorkFolder();
  const WString library = StandIn(GetParam().standIn);
  ASSERT_TRUE(fs::exists(text::ToPath(library))) << text::ToUtf8(library);
  WString name = Text(L"Driver_1");
  EXPECT_FALSE(ArchiveFiles(host, library, name, Text(L"work"), u"*.*", {}, true));
  EXPECT_EQ(host.messages, std::vector<WString>{library + text::W(GetParam().messageAfterPath)});
  EXPECT_FALSE(fs::exists(Path(L"Driver_1.7z")));
  EXPECT_TRUE(fs::exists(Path(L"work\\oem42.inf")));
  // The refused library was unloaded again.
  EXPECT_EQ(::GetModuleHandleW(reinterpret_cast<const wchar_t*>(library.c_str())), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Refused, SevenZipStandIns,
    ::testing::Values(RefusedLibrary{"standin_no_create_object", " is not a 7z library"},
                      RefusedLibrary{"standin_no_handler_property", " is not a Format library"},
                      RefusedLibrary{"standin_old_layout",
                                     " uses interfaces with virtual destructors, which cannot be used"}),
    [](const auto& info) { return std::string(info.param.standIn); });

TEST_F(ArchiveOnWindows, ALibraryWithoutModulePropertiesIsUsedOnWindows) {
  // 7z.dll never had destructors in its vtables: before version 23 it simply lacks
  // GetModuleProp. The stand-in writes its few bytes and reports success.
  MakeWorkFolder();
  WString name = Text(L"Driver_1");
  EXPECT_TRUE(ArchiveFiles(host, StandIn("standin_no_module_prop"), name, Text(L"work"), u"*.*", {}, true));
  EXPECT_EQ(name, Text(L"Driver_1.7z"));
  EXPECT_TRUE(host.messages.empty());
  std::ifstream written(fs::path(Path(L"Driver_1.7z")), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), std::string("7z partial", 11));
  EXPECT_FALSE(fs::exists(Path(L"work")));
}

TEST_F(ArchiveOnWindows, ArchiveStepZipsFoldersDeeperThanMaxPath) {
  const std::wstring deep = L"work\\" + std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e');
  Write(deep + L"\\deep.sys", "deep");
  Write(L"work\\top.inf", "top");
  WString name = Text(L"Deep_1");
  ASSERT_TRUE(ArchiveFiles(host, WString(), name, Text(L"work"), u"*.*", {}, true))
      << (host.messages.empty() ? "" : text::ToUtf8(host.messages[0]));
  const auto entries = ZipReader(Path(L"Deep_1.Zip")).Entries();
  EXPECT_EQ(Names(entries), (std::vector<std::string>{std::string(120, 'd') + "/" + std::string(120, 'e') +
                                                          "/deep.sys",
                                                      "top.inf"}));
  EXPECT_FALSE(fs::exists(Path(L"work"))) << "the source, deep folders included, is removed";
}

TEST_F(ArchiveOnWindows, AFailedSevenZipUpdateShowsTheSystemTextAndRemovesThePartialArchive) {
  MakeWorkFolder();
  WString name = Text(L"Driver_1");
  EXPECT_FALSE(ArchiveFiles(host, StandIn("standin_update_fails"), name, Text(L"work"), u"*.*", {}, true));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], SystemText(0x80070070));  // ERROR_DISK_FULL as an HRESULT
  EXPECT_FALSE(host.messages[0].empty());
  EXPECT_FALSE(fs::exists(Path(L"Driver_1.7z")));
  EXPECT_TRUE(fs::exists(Path(L"work\\amd64\\driver.sys")));
}

// A folder of the user's at the archive's name, empty or not: an error naming it,
// and nothing deleted, in both the Zip and the 7z path (the stand-in library is
// never reached: the folder is checked first).
TEST_F(ArchiveOnWindows, AFolderAtTheArchivesNameIsAnErrorAndStays) {
  for (const bool sevenZip : {false, true}) {
    for (const bool empty : {true, false}) {
      SCOPED_TRACE(std::string(sevenZip ? "7z" : "Zip") + (empty ? ", empty" : ", with a file"));
      MakeWorkFolder();
      const std::wstring archive = std::wstring(L"Zeta USB NIC_2.0.0.1") + (sevenZip ? L".7z" : L".Zip");
      fs::create_directories(fs::path(Path(archive)));
      if (!empty) Write(archive + L"\\notes.txt", "mine");
      RecordingHost recorded;
      WString name = Text(L"Zeta USB NIC_2.0.0.1");
      EXPECT_FALSE(ArchiveFiles(recorded, sevenZip ? StandIn("standin_update_fails") : WString(), name, Text(L"work"),
                                u"*.*", {}, true));
      EXPECT_EQ(recorded.messages, std::vector<WString>{u"Cannot write the archive \"" + Text(archive) +
                                                        u"\": a folder of that name is in the way."});
      EXPECT_TRUE(fs::is_directory(fs::path(Path(archive))));
      EXPECT_EQ(fs::exists(fs::path(Path(archive + L"\\notes.txt"))), !empty);
      EXPECT_TRUE(fs::exists(fs::path(Path(L"work\\amd64\\driver.sys"))));
      fs::remove_all(fs::path(Path(archive)));
    }
  }
}

// The command line's archives on Windows: CREATE_NEW answers a folder at the name
// with "access denied", not "exists"; it takes the name all the same, as does a
// file of the user's, and the archive goes to the next free name.
TEST_F(ArchiveOnWindows, NextFreeNamePassesAFolderAndAFileOfTheUsers) {
  MakeWorkFolder();
  Write(L"Zeta USB NIC_2.0.0.1.Zip", "mine");
  Write(L"Zeta USB NIC_2.0.0.1 (2).Zip\\notes.txt", "mine");
  RecordingHost recorded;
  WString name = Text(L"Zeta USB NIC_2.0.0.1"), error;
  EXPECT_TRUE(backup::ArchiveFiles(recorded, recorded, WString(), name, Text(L"work"), u"*.*", {}, true, error,
                                   backup::ArchiveNaming::NextFreeName))
      << text::ToUtf8(error);
  EXPECT_EQ(name, Text(L"Zeta USB NIC_2.0.0.1 (3).Zip"));
  std::ifstream mine(fs::path(Path(L"Zeta USB NIC_2.0.0.1.Zip")), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(mine), {}), "mine");
  EXPECT_TRUE(fs::exists(fs::path(Path(L"Zeta USB NIC_2.0.0.1 (2).Zip\\notes.txt"))));
  EXPECT_FALSE(fs::exists(fs::path(Path(L"work"))));
}

}  // namespace
}  // namespace archive_test
