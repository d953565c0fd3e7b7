#include "backup/SevenZipLibrary.h"
#include "tests/unit/app/AppTestMachine.h"

namespace {

// The program runs from C:\Program Files\Quillon; 7-Zip may sit beside it, where
// the registry says, or in either program folder.
class SevenZipSearch : public apptest::AppTest {
 protected:
  void SevenZipKey(const std::string& values) {
    Write("registry.reg", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\7-Zip]\r\n" +
                              values + "\r\n");
  }
  std::string Found() {
    Start();
    return text::ToUtf8(FindSevenZipLibrary());
  }
  std::string Host(const std::string& relative) { return (Root() / relative).string(); }
  // A .reg string holding a host folder (backslashes doubled).
  static std::string RegString(std::string s) {
    std::string out;
    for (char c : s) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "\"" + out + "\"";
  }
};

TEST_F(SevenZipSearch, BesideTheProgramWinsOverTheRegistry) {
  Write("C/Program Files/Quillon/7z.dll");
  Write("elsewhere/7z.dll");
  SevenZipKey("\"Path64\"=" + RegString(Host("elsewhere")));
  EXPECT_EQ(Found(), Host("C/Program Files/Quillon/7z.dll"));
}

TEST_F(SevenZipSearch, WithoutTheKeyTheProgramFoldersAreNotTried) {
  Write("C/Program Files/7-Zip/7z.dll");
  EXPECT_EQ(Found(), "");
}

TEST_F(SevenZipSearch, RegistryFolderGetsItsTrailingDelimiter) {
  Write("elsewhere/7z.dll");
  Write("C/Program Files/7-Zip/7z.dll");
  SevenZipKey("\"Path64\"=" + RegString(Host("elsewhere")));
  EXPECT_EQ(Found(), Host("elsewhere/7z.dll"));
}

TEST_F(SevenZipSearch, MissingPath64FallsBackToProgramFiles) {
  Write("C/Program Files/7-Zip/7z.dll");
  Write("C/Program Files (x86)/7-Zip/7z.dll");
  SevenZipKey("\"Path\"=\"C:\\\\Program Files\\\\7-Zip\\\\\"");
  EXPECT_EQ(Found(), Host("C/Program Files/7-Zip/7z.dll"));
}

TEST_F(SevenZipSearch, Path64OfAnotherTypeNamesNoFolderAndRaisesNothing) {
  Write("C/Program Files/7-Zip/7z.dll");
  SevenZipKey("\"Path64\"=dword:00000001");
  EXPECT_EQ(Found(), Host("C/Program Files/7-Zip/7z.dll"));
}

TEST_F(SevenZipSearch, StalePath64FallsBackToProgramFilesX86) {
  Write("C/Program Files (x86)/7-Zip/7z.dll");
  SevenZipKey("\"Path64\"=" + RegString(Host("gone")));
  EXPECT_EQ(Found(), Host("C/Program Files (x86)/7-Zip/7z.dll"));
}

TEST_F(SevenZipSearch, NothingAnywhereIsEmpty) {
  SevenZipKey("\"Path64\"=" + RegString(Host("gone")));
  EXPECT_EQ(Found(), "");
}

TEST_F(SevenZipSearch, FormCreateKeepsTheFoundPathAndHeadlessCanSuppressIt) {
  Write("C/Program Files/Quillon/7z.dll");
  Start();
  form->FormCreate();
  EXPECT_EQ(text::ToUtf8(form->SevenZipLibraryPath()), Host("C/Program Files/Quillon/7z.dll"));
  TfrmMainForm without(view, [] { return WString(); });
  without.FormCreate();
  EXPECT_TRUE(without.SevenZipLibraryPath().empty());
}

}  // namespace
