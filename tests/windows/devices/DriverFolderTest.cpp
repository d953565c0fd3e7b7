// GetFilesList and CopyFolderTree on Windows paths: backslashes, drive letters,
// case-insensitive masks, paths beyond MAX_PATH and the errors the helpers raise.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "devices/Devices.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/win32/Handles.h"
#include "windows/support/Win32TestPlatform.h"

namespace {

namespace fs = std::filesystem;
using win32_test::TempFolder;

class Win32DriverFolder : public ::testing::Test {
 protected:
  Win32DriverFolder() : temp(L"folder-" + win32_test::CurrentTestName()) {}

  // `rel` uses backslashes, as Windows paths do.
  void Write(const std::wstring& rel, const std::string& content = "x") {
    const fs::path file = fs::path(temp.Path() + L"\\" + rel);
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
  }
  WString Folder(const std::wstring& rel) { return temp.Text() + u"\\" + WString(rel.begin(), rel.end()) + u"\\"; }
  WString Path(const std::wstring& rel) { return temp.Text() + u"\\" + WString(rel.begin(), rel.end()); }
  static WStringList Sorted(WStringList l) {
    std::sort(l.begin(), l.end());
    return l;
  }
  TempFolder temp;
};

TEST_F(Win32DriverFolder, ListsSubFoldersWithBackslashesAndLeavesOutPrecompiledInfs) {
  Write(L"pkg\\a.inf");
  Write(L"pkg\\a.pnf");
  Write(L"pkg\\B.PNF");
  Write(L"pkg\\README");
  Write(L"pkg\\amd64\\Deeper\\c.sys");
  fs::create_directories(temp.Path() + L"\\pkg\\empty");
  EXPECT_EQ(Sorted(GetFilesList(Folder(L"pkg"), true)),
            (WStringList{u"README", u"a.inf", u"amd64\\Deeper\\c.sys"}));
  const WStringList full = GetFilesList(Folder(L"pkg"), false);
  ASSERT_EQ(full.size(), 3u);
  for (const WString& f : full) {
    EXPECT_EQ(f.rfind(Folder(L"pkg"), 0), 0u) << text::ToUtf8(f);
    EXPECT_EQ(f.find(u'/'), WString::npos) << text::ToUtf8(f);
    EXPECT_EQ(f.find(u"\\\\", 3), WString::npos) << text::ToUtf8(f);
  }
}

TEST_F(Win32DriverFolder, ForwardSlashesAndOtherCaseNameTheSameFolder) {
  Write(L"Pkg\\sub\\x.sys");
  WString slashed = Folder(L"PKG");
  std::replace(slashed.begin(), slashed.end(), u'\\', u'/');
  EXPECT_EQ(GetFilesList(slashed, true), WStringList{u"sub\\x.sys"});
}

TEST_F(Win32DriverFolder, MissingFolderGivesNothing) {
  EXPECT_TRUE(GetFilesList(Folder(L"missing"), true).empty());
  EXPECT_TRUE(GetFilesList(u"Q:\\no\\such\\drive\\", true).empty());
}

TEST_F(Win32DriverFolder, CopyReplacesTheDestinationKeepingSubFolders) {
  Write(L"src\\a.inf", "inf text");
  Write(L"src\\a.PnF");
  Write(L"src\\x64\\b.sys", "driver");
  Write(L"dst\\stale.txt");
  CopyFolderTree(Folder(L"src"), Path(L"dst"));
  EXPECT_EQ(Sorted(GetFilesList(Folder(L"dst"), true)), (WStringList{u"a.inf", u"x64\\b.sys"}));
  std::ifstream copied(fs::path(temp.Path() + L"\\dst\\x64\\b.sys"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "driver");
  EXPECT_TRUE(fs::exists(temp.Path() + L"\\src\\a.PnF"));  // the source keeps everything
}

TEST_F(Win32DriverFolder, CopiesNonAsciiNames) {
  Write(L"src\\\u00c4rger\\Tr\u00e9iber \u00fc\u00df.sys", "umlaut");
  CopyFolderTree(Folder(L"src"), Path(L"dst"));
  EXPECT_EQ(GetFilesList(Folder(L"dst"), true), WStringList{u"\u00c4rger\\Tr\u00e9iber \u00fc\u00df.sys"});
}

TEST_F(Win32DriverFolder, CopiesPathsLongerThanMaxPath) {
  const std::wstring deep = L"src\\" + std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e');
  Write(deep + L"\\Tr\u00e9iber \u00fc\u00df.sys", "long");
  const WString dest = Path(L"dst");
  ASSERT_GT(dest.size() + deep.size() + 16, size_t(MAX_PATH));
  CopyFolderTree(Folder(L"src"), dest);
  CopyFolderTree(Folder(L"src"), dest);  // replaces the deep copy, so it must delete it first
  const WStringList copied = GetFilesList(dest + u"\\", true);
  ASSERT_EQ(copied.size(), 1u);
  EXPECT_EQ(copied[0].substr(copied[0].rfind(u'\\') + 1), u"Tr\u00e9iber \u00fc\u00df.sys");
}

TEST_F(Win32DriverFolder, CopyReplacesADestinationHoldingReadOnlyFilesOrAFile) {
  Write(L"src\\a.sys", "new");
  Write(L"dst\\sub\\locked.sys", "old");
  ASSERT_TRUE(::SetFileAttributesW((temp.Path() + L"\\dst\\sub\\locked.sys").c_str(), FILE_ATTRIBUTE_READONLY));
  CopyFolderTree(Folder(L"src"), Path(L"dst"));
  EXPECT_EQ(GetFilesList(Folder(L"dst"), true), WStringList{u"a.sys"});
  Write(L"plain", "a file where the copy goes");
  CopyFolderTree(Folder(L"src"), Path(L"plain"));
  EXPECT_EQ(GetFilesList(Folder(L"plain"), true), WStringList{u"a.sys"});
}

TEST_F(Win32DriverFolder, CopyFromAMissingSourceLeavesTheDestinationAlone) {
  Write(L"dst\\keep.txt");
  CopyFolderTree(Folder(L"missing"), Path(L"dst"));
  EXPECT_TRUE(fs::exists(temp.Path() + L"\\dst\\keep.txt"));
}

TEST_F(Win32DriverFolder, CopyErrorsAreRaisedWithThePath) {
  Write(L"src\\a.sys");
  Write(L"blocker");  // a file where the destination's folder should be
  try {
    CopyFolderTree(Folder(L"src"), Path(L"blocker\\dst"));
    FAIL() << "no error raised";
  } catch (const QuillonError& e) {
    EXPECT_NE(e.Message().find(u"blocker"), WString::npos) << e.what();
  }
  EXPECT_THROW(CopyFolderTree(Folder(L"src"), Path(L"bad|name")), QuillonError);
  EXPECT_FALSE(fs::exists(temp.Path() + L"\\bad|name"));
  EXPECT_THROW(CopyFolderTree(Folder(L"src"), Path(L"SRC")), QuillonError);  // the source itself, other case
  EXPECT_TRUE(fs::exists(temp.Path() + L"\\src\\a.sys"));
}

// A file another program holds open without sharing (a virus scanner, a driver
// in use): the copy fails on it with its name and the system's words, so the
// export of that one device fails and says why.
TEST_F(Win32DriverFolder, AFileHeldOpenWithoutSharingFailsTheCopyNamingItAndWhy) {
  Write(L"src\\a.sys");
  Write(L"src\\held.sys");
  const std::wstring held = temp.Path() + L"\\src\\held.sys";
  win32::UniqueKernelHandle holder{::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
  ASSERT_TRUE(holder) << ::GetLastError();
  const WString why = win32_test::SystemText(ERROR_SHARING_VIOLATION);
  ASSERT_FALSE(why.empty());
  try {
    CopyFolderTree(Folder(L"src"), Path(L"dst"));
    ADD_FAILURE() << "no error raised";
  } catch (const QuillonError& e) {
    EXPECT_NE(e.Message().find(u"held.sys"), WString::npos) << e.what();
    EXPECT_NE(e.Message().find(why), WString::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(temp.Path() + L"\\dst\\held.sys"));
}

FILETIME LastWriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  EXPECT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) << ::GetLastError();
  return data.ftLastWriteTime;
}

TEST_F(Win32DriverFolder, CopyKeepsEachFilesModificationTime) {
  Write(L"src\\a.inf");
  const std::wstring deep = L"src\\" + std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e') + L"\\b.sys";
  Write(deep);
  const FILETIME when{0x12345678, 0x01D5A000};  // 2019, with a sub-second part
  for (const std::wstring& rel : {std::wstring(L"src\\a.inf"), deep}) {
    const std::wstring path = L"\\\\?\\" + temp.Path() + L"\\" + rel;
    HANDLE h = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << ::GetLastError();
    EXPECT_TRUE(::SetFileTime(h, nullptr, nullptr, &when));
    ::CloseHandle(h);
  }
  CopyFolderTree(Folder(L"src"), Path(L"dst"));
  for (const std::wstring& rel : {std::wstring(L"dst\\a.inf"), L"dst" + deep.substr(3)}) {
    const FILETIME copied = LastWriteTime(L"\\\\?\\" + temp.Path() + L"\\" + rel);
    EXPECT_EQ(copied.dwLowDateTime, when.dwLowDateTime);
    EXPECT_EQ(copied.dwHighDateTime, when.dwHighDateTime);
  }
}

TEST_F(Win32DriverFolder, ALinkToAFileIsCopiedAsTheFileAndABrokenOneFailsNamingIt) {
  Write(L"elsewhere\\real.sys", "driver bytes");
  Write(L"src\\a.inf");
  const std::wstring link = temp.Path() + L"\\src\\linked.sys";
  // Wine answers TRUE and makes no link.
  if (!::CreateSymbolicLinkW(link.c_str(), (temp.Path() + L"\\elsewhere\\real.sys").c_str(), 0) ||
      ::GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "symbolic links cannot be made here";
  EXPECT_EQ(Sorted(GetFilesList(Folder(L"src"), true)), (WStringList{u"a.inf", u"linked.sys"}));
  CopyFolderTree(Folder(L"src"), Path(L"dst"));
  std::ifstream copied(fs::path(temp.Path() + L"\\dst\\linked.sys"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "driver bytes");
  EXPECT_FALSE(::GetFileAttributesW((temp.Path() + L"\\dst\\linked.sys").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);

  fs::remove(fs::path(temp.Path() + L"\\elsewhere\\real.sys"));
  try {
    CopyFolderTree(Folder(L"src"), Path(L"dst2"));
    FAIL() << "no error raised";
  } catch (const QuillonError& e) {
    EXPECT_NE(e.Message().find(u"linked.sys"), WString::npos) << e.what();
  }
}

}  // namespace
