#include <gtest/gtest.h>

#include <cstring>

#include "platform/System.h"
#include "platform/offline/Adapters.h"
#include "tests/unit/offline/MachineFolder.h"

namespace {

// A minimal PE32+ file with one .rsrc section holding a VS_VERSION_INFO (or none).
std::string PeWithVersion(bool withResource, uint32_t ms, uint32_t ls) {
  std::string f(0x400, '\0');
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&f[at], &v, 2); };
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
  f[0] = 'M', f[1] = 'Z';
  put32(0x3C, 0x40);
  std::memcpy(&f[0x40], "PE\0\0", 4);
  put16(0x44, 0x8664);
  put16(0x46, 1);      // one section
  put16(0x54, 240);    // optional header size
  const size_t opt = 0x58;
  put16(opt, 0x20B);
  put32(opt + 108, 16);  // data directories
  if (withResource) put32(opt + 112 + 16, 0x1000), put32(opt + 112 + 20, 0x100);
  const size_t sec = opt + 240;
  std::memcpy(&f[sec], ".rsrc", 5);
  put32(sec + 8, 0x200);
  put32(sec + 12, 0x1000);
  put32(sec + 16, 0x200);
  put32(sec + 20, 0x200);
  const size_t rsrc = 0x200;
  // type 16 -> name 1 -> language 0x409 -> data entry
  put16(rsrc + 14, 1), put32(rsrc + 16, 16), put32(rsrc + 20, 0x80000018);
  put16(rsrc + 0x18 + 14, 1), put32(rsrc + 0x18 + 16, 1), put32(rsrc + 0x18 + 20, 0x80000030);
  put16(rsrc + 0x30 + 14, 1), put32(rsrc + 0x30 + 16, 0x409), put32(rsrc + 0x30 + 20, 0x48);
  put32(rsrc + 0x48, 0x1058), put32(rsrc + 0x48 + 4, 92);
  const size_t vi = rsrc + 0x58;
  put16(vi, 92), put16(vi + 2, 52);
  const char16_t key[] = u"VS_VERSION_INFO";
  std::memcpy(&f[vi + 6], key, sizeof key);
  put32(vi + 40, 0xFEEF04BD), put32(vi + 44, 0x10000), put32(vi + 48, ms), put32(vi + 52, ls);
  return f;
}

class OfflineSystem : public ::testing::Test {
 protected:
  void Load(const std::string& ini) {
    folder.Write("machine.ini", ini);
    machine = offline::Machine::Load(folder.Root());
    system = offline::MakeSystem(*machine);
  }
  void SetUp() override { Load(""); }
  void TearDown() override { offline::SetClockOverride(std::nullopt); }

  WString Message(uint32_t code) {
    char16_t buffer[512];
    uint32_t n = system->FormatMessage(code, buffer, 512);
    return WString(buffer, n);
  }

  WString Expand(const char16_t* s) {
    char16_t buffer[260];
    uint32_t n = system->ExpandEnvironmentStrings(s, buffer, 260);
    EXPECT_GT(n, 0u);
    return n <= 260 ? WString(buffer) : WString();
  }

  simtest::MachineFolder folder;
  std::unique_ptr<offline::Machine> machine;
  std::unique_ptr<ports::ISystem> system;
};

TEST_F(OfflineSystem, FormatsMessagesWithTheirLineEnd) {
  EXPECT_EQ(Message(0), u"The operation completed successfully.\r\n");
  EXPECT_EQ(Message(2), u"The system cannot find the file specified.\r\n");
  EXPECT_EQ(Message(0x80004005u), u"Unspecified error\r\n");
  EXPECT_EQ(Message(0x12345), u"");
  EXPECT_EQ(system->GetLastError(), 317u);
  char16_t tiny[4];
  EXPECT_EQ(system->FormatMessage(2, tiny, 4), 0u);
  EXPECT_EQ(system->GetLastError(), 122u);
}

TEST_F(OfflineSystem, RegisteredTextsJoinTheTable) {
  offline::RegisterMessageText(0x800B0100u, u"No signature was present in the subject.\r\n");
  EXPECT_EQ(Message(0x800B0100u), u"No signature was present in the subject.\r\n");
}

TEST_F(OfflineSystem, ComputerNameProbeGivesTheSizeWithTheNul) {
  uint32_t size = 0;
  EXPECT_FALSE(system->GetComputerNameEx(nullptr, &size));
  EXPECT_EQ(system->GetLastError(), 234u);
  EXPECT_EQ(size, 13u);  // "SIMULATED-PC" and its NUL
  char16_t name[32];
  size = 32;
  ASSERT_TRUE(system->GetComputerNameEx(name, &size));
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(WString(name), u"SIMULATED-PC");
  Load("[machine]\nComputerName=BOX\n");
  size = 32;
  ASSERT_TRUE(system->GetComputerNameEx(name, &size));
  EXPECT_EQ(WString(name), u"BOX");
}

TEST_F(OfflineSystem, ExpandsFolderVariablesToHostPaths) {
  std::string root = folder.Root().string();
  EXPECT_EQ(text::ToUtf8(Expand(u"%ProgramFiles%\\7-Zip\\7z.dll")), root + "/C/Program Files/7-Zip/7z.dll");
  EXPECT_EQ(text::ToUtf8(Expand(u"%programfiles(x86)%/7-Zip/7z.dll")), root + "/C/Program Files (x86)/7-Zip/7z.dll");
  EXPECT_EQ(text::ToUtf8(Expand(u"%windir%")), root + "/C/Windows");
  EXPECT_EQ(Expand(u"%NOPE%\\x"), u"%NOPE%\\x");
  EXPECT_EQ(system->ExpandEnvironmentStrings(u"%NOPE%", nullptr, 0), 7u);
}

TEST_F(OfflineSystem, ConvertsFileTimesWithTheMachineOffset) {
  Load("[machine]\nUtcOffsetMinutes=-90\n");
  // 2024-02-29 12:00:00 UTC
  winapi::FileTime utc = winapi::FileTime::From(133536816000000000ull);
  winapi::SystemTime st;
  ASSERT_TRUE(system->FileTimeToSystemTime(utc, &st));
  EXPECT_EQ(st.wYear, 2024);
  EXPECT_EQ(st.wMonth, 2);
  EXPECT_EQ(st.wDay, 29);
  EXPECT_EQ(st.wDayOfWeek, 4);  // Thursday
  EXPECT_EQ(st.wHour, 12);
  winapi::FileTime local;
  ASSERT_TRUE(system->FileTimeToLocalFileTime(utc, &local));
  ASSERT_TRUE(system->FileTimeToSystemTime(local, &st));
  EXPECT_EQ(st.wHour, 10);
  EXPECT_EQ(st.wMinute, 30);
  EXPECT_FALSE(system->FileTimeToSystemTime(winapi::FileTime::From(0x8000000000000000ull), &st));
  EXPECT_EQ(system->GetLastError(), 87u);
}

TEST_F(OfflineSystem, ClockOverrideAndShortDatePicture) {
  winapi::SystemTime fixed{2023, 7, 0, 4, 9, 5, 6, 0};
  offline::SetClockOverride(fixed);
  winapi::SystemTime now = system->GetLocalTime();
  EXPECT_EQ(now.wYear, 2023);
  EXPECT_EQ(now.wMinute, 5);
  EXPECT_EQ(system->FormatShortDate(now), u"04/07/2023");
  Load("[machine]\nShortDateFormat=M/d/yy 'day' dddd\n");
  EXPECT_EQ(system->FormatShortDate({2023, 7, 2, 4}), u"7/4/23 day Tuesday");
}

TEST_F(OfflineSystem, ComparesLikeLstrcmpApproximately) {
  EXPECT_LT(system->CompareStringLocale(u"apple", u"Banana"), 0);   // case does not decide first
  EXPECT_LT(system->CompareStringLocale(u"apple", u"Apple"), 0);    // lower case first on a tie
  EXPECT_EQ(system->CompareStringLocale(u"Same", u"Same"), 0);
  EXPECT_LT(system->CompareStringLocale(u"Disk", u"Disk drives"), 0);
  EXPECT_LT(system->CompareStringLocale(u"_x", u"1x"), 0);           // punctuation before digits
  EXPECT_LT(system->CompareStringLocale(u"9", u"a"), 0);            // digits before letters
}

TEST_F(OfflineSystem, VersionAndModulePathComeFromTheIni) {
  ports::OsVersion v = system->GetVersion();
  EXPECT_EQ(v.major, 10u);
  EXPECT_EQ(v.build, 19045u);
  Load("[machine]\nWindowsVersion=6.1.7601\nExePath=C:\\Tools\\Q.exe\n");
  v = system->GetVersion();
  EXPECT_EQ(v.major, 6u);
  EXPECT_EQ(v.minor, 1u);
  EXPECT_EQ(text::ToUtf8(system->ModuleFileName()), (folder.Root() / "C/Tools/Q.exe").string());
}

TEST_F(OfflineSystem, ReadsTheVersionResourceOfAPeFile) {
  folder.Write("C/Program Files/Quillon/Quillon.exe", PeWithVersion(true, 0x00010002, 0x00030004));
  WString exe = system->ModuleFileName();
  uint32_t size = system->GetFileVersionInfoSize(exe.c_str());
  ASSERT_EQ(size, 92u);
  std::vector<uint8_t> block(size);
  ASSERT_TRUE(system->GetFileVersionInfo(exe.c_str(), size, block.data()));
  uint32_t ms = 0, ls = 0;
  ASSERT_TRUE(system->QueryFixedFileVersion(block.data(), &ms, &ls));
  EXPECT_EQ(ms, 0x00010002u);
  EXPECT_EQ(ls, 0x00030004u);
}

TEST_F(OfflineSystem, FilesWithoutAVersionResourceGiveSizeZero) {
  folder.Write("C/a.exe", PeWithVersion(false, 0, 0));
  folder.Write("C/b.txt", "not a program");
  EXPECT_EQ(system->GetFileVersionInfoSize(u"C:\\a.exe"), 0u);
  EXPECT_EQ(system->GetLastError(), 1813u);
  EXPECT_EQ(system->GetFileVersionInfoSize(u"C:\\b.txt"), 0u);
  EXPECT_EQ(system->GetLastError(), 193u);
  EXPECT_EQ(system->GetFileVersionInfoSize(u"C:\\missing.exe"), 0u);
  EXPECT_EQ(system->GetLastError(), 2u);
}

TEST_F(OfflineSystem, PrivilegeStepReportsWhetherTheTokenHoldsIt) {
  winapi::Handle token = 0;
  uint64_t luid = 0;
  ASSERT_TRUE(system->OpenProcessToken(0x20, &token));
  ASSERT_TRUE(system->LookupPrivilegeValue(u"seDebugPrivilege", &luid));
  EXPECT_EQ(luid, 20u);
  system->SetLastError(0);
  EXPECT_TRUE(system->AdjustTokenPrivileges(token, luid, 2));
  EXPECT_EQ(system->GetLastError(), 1300u);
  EXPECT_TRUE(system->CloseHandle(token));
  EXPECT_FALSE(system->CloseHandle(token));
  EXPECT_FALSE(system->LookupPrivilegeValue(u"SeMadeUpPrivilege", &luid));
  EXPECT_EQ(system->GetLastError(), 1313u);

  Load("[machine]\nHeldPrivileges=SeBackupPrivilege, SeDebugPrivilege\n");
  ASSERT_TRUE(system->OpenProcessToken(0x20, &token));
  EXPECT_TRUE(system->AdjustTokenPrivileges(token, 20, 2));
  EXPECT_EQ(system->GetLastError(), 0u);
  system->CloseHandle(token);
}

}  // namespace
