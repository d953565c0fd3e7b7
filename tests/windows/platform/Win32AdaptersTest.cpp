// The Win32 adapters under Wine: they bind, forward and report what the system says.
// <windows.h> first: its A/W macros (FormatMessage, LoadLibrary, ...) then rename the
// port's methods consistently in every header that follows.
#include <cctype>
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/Library.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/win32/Adapters.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"

namespace {

// A key every Windows (and Wine) prefix has.
constexpr const char16_t* kCurrentVersion = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

class Win32Registry : public ::testing::Test {
 protected:
  std::unique_ptr<ports::IRegistry> registry = win32::MakeRegistry();
};

TEST_F(Win32Registry, OpensAKeyOfTheSystemIgnoringCase) {
  ports::HKey key = 0;
  ASSERT_EQ(registry->OpenKey(ports::kHKeyLocalMachine, u"software\\MICROSOFT\\windows nt\\currentversion",
                              ports::kKeyRead, &key), 0);
  EXPECT_NE(key, 0u);
  EXPECT_EQ(registry->CloseKey(key), 0);
  EXPECT_EQ(registry->OpenKey(ports::kHKeyLocalMachine, u"SOFTWARE\\No Such Key Anywhere", ports::kKeyRead, &key), 2);
}

TEST_F(Win32Registry, ProbesSizesAndReportsMoreData) {
  ports::HKey key = 0;
  ASSERT_EQ(registry->OpenKey(ports::kHKeyLocalMachine, kCurrentVersion, ports::kKeyRead, &key), 0);
  uint32_t type = 0, size = 0;
  ASSERT_EQ(registry->QueryValue(key, u"SystemRoot", &type, nullptr, &size), 0);
  EXPECT_EQ(type, winapi::kRegSz);
  EXPECT_GT(size, 4u);
  EXPECT_EQ(size % 2, 0u);
  std::vector<uint8_t> small(2);
  uint32_t smallSize = 2;
  EXPECT_EQ(registry->QueryValue(key, u"SystemRoot", nullptr, small.data(), &smallSize), 234);
  EXPECT_EQ(smallSize, size);
  std::vector<uint8_t> data(size);
  ASSERT_EQ(registry->QueryValue(key, u"SystemRoot", nullptr, data.data(), &size), 0);
  EXPECT_EQ(registry->QueryValue(key, u"NoSuchValue", nullptr, nullptr, &size), 2);
  registry->CloseKey(key);
}

class Win32System : public ::testing::Test {
 protected:
  std::unique_ptr<ports::ISystem> system = win32::MakeSystem();
};

TEST_F(Win32System, FormatsSystemMessages) {
  char16_t buffer[512];
  uint32_t n = system->FormatMessage(2, buffer, 512);
  ASSERT_GT(n, 2u);
  WString message(buffer, n);
  // Windows: "The system cannot find the file specified."; Wine: "File not found."
  std::string lower = text::ToUtf8(message);
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(lower.find("file"), std::string::npos) << lower;
  EXPECT_EQ(message.substr(message.size() - 2), u"\r\n");
}

TEST_F(Win32System, ComputerNameProbeThenRead) {
  uint32_t size = 0;
  EXPECT_FALSE(system->GetComputerNameEx(nullptr, &size));
  EXPECT_EQ(system->GetLastError(), 234u);
  ASSERT_GT(size, 1u);
  std::vector<char16_t> name(size);
  ASSERT_TRUE(system->GetComputerNameEx(name.data(), &size));
  EXPECT_EQ(size, WString(name.data()).size());
  EXPECT_GT(size, 0u);
}

TEST_F(Win32System, ExpandsProgramFiles) {
  char16_t buffer[260];
  uint32_t n = system->ExpandEnvironmentStrings(u"%ProgramFiles%\\7-Zip\\7z.dll", buffer, 260);
  ASSERT_GT(n, 0u);
  WString expanded(buffer);
  EXPECT_EQ(expanded.size() + 1, n);
  EXPECT_EQ(expanded.find(u'%'), WString::npos) << text::ToUtf8(expanded);
  EXPECT_EQ(expanded.substr(1, 2), u":\\");
}

TEST_F(Win32System, ConvertsFileTimesAndRejectsHugeOnes) {
  winapi::SystemTime st;
  ASSERT_TRUE(system->FileTimeToSystemTime(winapi::FileTime::From(133536816000000000ull), &st));
  EXPECT_EQ(st.wYear, 2024);
  EXPECT_EQ(st.wMonth, 2);
  EXPECT_EQ(st.wDay, 29);
  EXPECT_FALSE(system->FileTimeToSystemTime(winapi::FileTime::From(0x8000000000000000ull), &st));
}

TEST_F(Win32System, ReportsVersionAndOwnPath) {
  ports::OsVersion v = system->GetVersion();
  EXPECT_GE(v.major, 6u);
  WString exe = system->ModuleFileName();
  EXPECT_NE(exe.find(u"win_platform_tests.exe"), WString::npos) << text::ToUtf8(exe);
  // The test exe has no version resource; kernel32.dll has one.
  uint32_t size = system->GetFileVersionInfoSize(u"kernel32.dll");
  ASSERT_GT(size, 0u);
  std::vector<uint8_t> block(size);
  ASSERT_TRUE(system->GetFileVersionInfo(u"kernel32.dll", size, block.data()));
  uint32_t ms = 0, ls = 0;
  EXPECT_TRUE(system->QueryFixedFileVersion(block.data(), &ms, &ls));
  EXPECT_NE(ms | ls, 0u);
}

TEST_F(Win32System, PrivilegeStepRunsToTheEnd) {
  winapi::Handle token = 0;
  ASSERT_TRUE(system->OpenProcessToken(0x20, &token));
  uint64_t luid = 0;
  ASSERT_TRUE(system->LookupPrivilegeValue(u"seDebugPrivilege", &luid));
  EXPECT_EQ(luid, 20u);
  EXPECT_TRUE(system->AdjustTokenPrivileges(token, luid, 2));
  uint32_t error = system->GetLastError();
  EXPECT_TRUE(error == 0 || error == 1300) << error;
  EXPECT_TRUE(system->CloseHandle(token));
  EXPECT_FALSE(system->LookupPrivilegeValue(u"SeMadeUpPrivilege", &luid));
}

TEST(Win32LibraryLoader, LoadsBindsAndFrees) {
  auto loader = win32::MakeLibraryLoader();
  winapi::Handle module = loader->LoadLibrary(u"kernel32.dll");
  ASSERT_NE(module, 0u);
  EXPECT_NE(loader->GetProcAddress(module, "GetTickCount"), nullptr);
  EXPECT_EQ(loader->GetProcAddress(module, "NoSuchFunctionAnywhere"), nullptr);
  EXPECT_TRUE(loader->FreeLibrary(module));
  EXPECT_EQ(loader->LoadLibrary(u"C:\\no\\such\\library.dll"), 0u);
  EXPECT_EQ(::GetLastError(), 126u);
}

TEST(Win32Platform, AssemblesTheAdaptersOnce) {
  Platform& p = win32::Win32Platform();
  EXPECT_EQ(&p, &win32::Win32Platform());
  EXPECT_NE(p.registry, nullptr);
  EXPECT_NE(p.system, nullptr);
  EXPECT_NE(p.programs, nullptr);
  EXPECT_NE(p.dialogs, nullptr);
  EXPECT_NE(p.libraries, nullptr);
}

TEST(Win32Handles, CloseOnceAndMove) {
  win32::UniqueHKey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, key.Put()), ERROR_SUCCESS);
  win32::UniqueHKey moved(std::move(key));
  EXPECT_FALSE(key);
  EXPECT_TRUE(moved);
  HKEY raw = moved.Detach();
  EXPECT_FALSE(moved);
  EXPECT_EQ(::RegCloseKey(raw), ERROR_SUCCESS);
}

}  // namespace
