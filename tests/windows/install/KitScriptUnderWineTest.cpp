// install-drivers.cmd run by Wine's cmd, with a stand-in pnputil.exe (Wine has
// none) that records its command line and answers with scripted exit codes: every
// INF reaches pnputil once and quoted, whatever its name holds, and each code is
// logged, counted and turned into the script's exit code as the kit promises.
// Wine's cmd reads a program's exit code 259 (STILL_ACTIVE's value) as 0, where
// Windows' cmd gives 259: that one code is answered from inside the script instead.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "restore/InstallKit.h"
#include "windows/support/Win32TestPlatform.h"

namespace {

using restore::KitPackage;

std::string ReadAll(const std::wstring& file) {
  std::ifstream in(file.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

size_t Count(const std::string& s, const std::string& part) {
  size_t n = 0;
  for (size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + 1)) ++n;
  return n;
}

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH];
  ::GetSystemDirectoryW(folder, MAX_PATH);
  return folder;
}

// The stand-in as %SystemRoot%\System32\pnputil.exe, where the script looks for it;
// removed again at the end. The prefix is shared: as Seeded* suites these cases run alone.
class StandInPnpUtil {
 public:
  StandInPnpUtil() : installed_(SystemFolder() + L"\\pnputil.exe") {
    if (std::filesystem::exists(installed_)) throw std::runtime_error("a pnputil.exe is in the prefix already");
    std::string built = QUILLON_PNPUTIL_STANDIN;
    for (char& c : built)
      if (c == '/') c = '\\';
    std::filesystem::copy_file(L"Z:" + std::wstring(built.begin(), built.end()), installed_);
  }
  ~StandInPnpUtil() {
    std::error_code ec;
    std::filesystem::remove(installed_, ec);
  }

 private:
  std::wstring installed_;
};

class SeededKitScriptUnderWine : public ::testing::Test {
 protected:
  // A kit folder whose own name needs quoting too.
  SeededKitScriptUnderWine() : temp_(L"kit & (run) ^x") {
    codes_ = temp_.Path() + L"\\codes.txt";
    record_ = temp_.Path() + L"\\record.txt";
    kit_ = temp_.Path() + L"\\Kit & Co";
    std::filesystem::create_directories(kit_);
    ::SetEnvironmentVariableW(L"QUILLON_PNPUTIL_CODES", codes_.c_str());
    ::SetEnvironmentVariableW(L"QUILLON_PNPUTIL_RECORD", record_.c_str());
  }

  // Writes the kit and the stand-in's codes, runs the script; its exit code. With
  // `codeFromLabel` the script's pnputil call is replaced by a call of a label that
  // answers those lines ("name.inf=code") instead.
  DWORD Run(const std::vector<KitPackage>& packages, const std::string& codes,
            const std::vector<std::pair<std::string, int>>& codeFromLabel = {}) {
    for (const KitPackage& p : packages) {
      const std::filesystem::path inf = std::filesystem::path(kit_) / text::ToPath(p.folder) / text::ToPath(p.inf);
      std::filesystem::create_directories(inf.parent_path());
      std::ofstream(inf) << "; stand-in INF\r\n";
    }
    std::ofstream(codes_.c_str(), std::ios::binary) << codes;
    restore::WriteInstallKit(kit_, packages);
    if (!codeFromLabel.empty()) AnswerFromLabel(codeFromLabel);

    std::wstring command = SystemFolder() + L"\\cmd.exe /c install-drivers.cmd";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, kit_.c_str(),
                          &startup, &process)) {
      ADD_FAILURE() << "cmd did not start: " << ::GetLastError();
      return ~DWORD(0);
    }
    ::WaitForSingleObject(process.hProcess, 120000);
    DWORD code = ~DWORD(0);
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
  }
  void AnswerFromLabel(const std::vector<std::pair<std::string, int>>& codes) const {
    const std::wstring file = kit_ + L"\\install-drivers.cmd";
    std::string script = ReadAll(file);
    const std::string call = "\"%PNPUTIL%\" /add-driver \"%INF%\" /install";
    const size_t at = script.find(call);
    ASSERT_NE(at, std::string::npos) << script;
    script.replace(at, call.size(), "call :scripted \"%INF%\"");
    script += ":scripted\r\n";
    for (const auto& [name, code] : codes) script += "if /i \"%~nx1\"==\"" + name + "\" exit /b " + std::to_string(code) + "\r\n";
    script += "exit /b 0\r\n";
    std::ofstream(file.c_str(), std::ios::binary) << script;
  }
  std::string Log() const { return ReadAll(kit_ + L"\\install-drivers.log"); }
  std::string Record() const { return ReadAll(record_); }

  StandInPnpUtil pnputil_;
  win32_test::TempFolder temp_;
  std::wstring codes_, record_, kit_;
};

const std::vector<KitPackage> kPackages = {
    {u"nwserial", u"nwserial.inf"},
    {u"Tom & Jerry (x64)", u"tj.inf"},
    {u"caret ^ !bang! (x)", u"pct.inf"},
    {u"deep", u"x64/fails.inf"},
};

TEST_F(SeededKitScriptUnderWine, EveryInfReachesPnputilOnceQuotedAndEachCodeIsLoggedAndCounted) {
  const DWORD code = Run(kPackages, "tj.inf=3010\r\nfails.inf=5\r\n");
  EXPECT_EQ(code, 1u) << "one package failed\n" << Log();

  const std::string record = Record();
  EXPECT_EQ(Count(record, "\n"), kPackages.size()) << record;
  for (const char* quoted : {"/add-driver \"nwserial\\nwserial.inf\" /install",
                             "/add-driver \"Tom & Jerry (x64)\\tj.inf\" /install",
                             "/add-driver \"caret ^ !bang! (x)\\pct.inf\" /install",
                             "/add-driver \"deep\\x64\\fails.inf\" /install"})
    EXPECT_EQ(Count(record, quoted), 1u) << quoted << " in\n" << record;

  const std::string log = Log();
  EXPECT_NE(log.find("\"nwserial\\nwserial.inf\": installed\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\"Tom & Jerry (x64)\\tj.inf\": installed, restart needed\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\"caret ^ !bang! (x)\\pct.inf\": installed\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\"deep\\x64\\fails.inf\": failed (exit code 5)"), std::string::npos) << log;
  EXPECT_NE(log.find("stand-in pnputil: adding Tom & Jerry (x64)\\tj.inf"), std::string::npos)
      << "pnputil's own output goes to the log\n" << log;
  EXPECT_NE(log.find("Summary: 2 installed, 1 installed and need a restart, 0 not needed, 1 failed"),
            std::string::npos) << log;
}

TEST_F(SeededKitScriptUnderWine, ExitsWithZeroWhenNothingFailedAndAppendsToTheLog) {
  EXPECT_EQ(Run(kPackages, "tj.inf=3010\r\n"), 0u) << Log();
  EXPECT_NE(Log().find("Summary: 3 installed, 1 installed and need a restart, 0 not needed, 0 failed"),
            std::string::npos) << Log();

  EXPECT_EQ(Run({{u"nwserial", u"nwserial.inf"}}, "nwserial.inf=1058\r\n"), 1u) << Log();
  const std::string log = Log();
  EXPECT_EQ(Count(log, "==== "), 2u) << "each run adds to the log\n" << log;
  EXPECT_NE(log.find("\"nwserial\\nwserial.inf\": failed (exit code 1058)"), std::string::npos) << log;
  EXPECT_NE(log.find("Summary: 0 installed, 0 installed and need a restart, 0 not needed, 1 failed"),
            std::string::npos) << log;
  EXPECT_EQ(Count(Record(), "\n"), kPackages.size() + 1) << Record();
}

TEST_F(SeededKitScriptUnderWine, NoBetterMatchCountsAsNotNeededNotAsFailed) {
  EXPECT_EQ(Run(kPackages, "", {{"pct.inf", 259}, {"tj.inf", 3010}}), 0u) << Log();
  const std::string log = Log();
  EXPECT_NE(log.find("\"caret ^ !bang! (x)\\pct.inf\": not needed"), std::string::npos) << log;
  EXPECT_NE(log.find("Summary: 2 installed, 1 installed and need a restart, 1 not needed, 0 failed"),
            std::string::npos) << log;
}

}  // namespace
