// quillon-cli.exe started by a test under Wine, its output read back.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace win32_test {

namespace fs = std::filesystem;

inline std::wstring HostToWine(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return L"Z:" + std::wstring(path.begin(), path.end());
}

struct CliRun {
  DWORD exitCode = 0;
  std::string out, err;
};

// Runs quillon-cli.exe with `arguments`, its stdout and stderr into files.
inline CliRun RunQuillonCli(const std::wstring& arguments, const fs::path& scratch) {
  const std::wstring exe = HostToWine(std::string(QUILLON_BINARY_DIR) + "/cli/quillon-cli.exe");
  // Files of their own for each run: nothing of an earlier run can be read back.
  static int runs = 0;
  const std::string n = std::to_string(++runs);
  const fs::path outFile = scratch / ("out" + n + ".txt"), errFile = scratch / ("err" + n + ".txt");
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE out = ::CreateFileW(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  HANDLE err = ::CreateFileW(errFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = err;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  std::wstring command = L"\"" + exe + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  CliRun run;
  run.exitCode = 255;
  if (::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                       &startup, &process)) {
    ::WaitForSingleObject(process.hProcess, 120000);
    ::GetExitCodeProcess(process.hProcess, &run.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  } else {
    ADD_FAILURE() << "quillon-cli.exe did not start: " << ::GetLastError();
  }
  ::CloseHandle(out);
  ::CloseHandle(err);
  auto read = [](const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  };
  // A console program's text output ends its lines with CR LF; compared as LF.
  auto lf = [](std::string s) {
    s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
    return s;
  };
  run.out = lf(read(outFile));
  run.err = lf(read(errFile));
  return run;
}

}  // namespace win32_test
