// A stand-in for Windows' pnputil.exe, which Wine lacks, for the tests of the
// kit's install-drivers.cmd. It appends its raw command line to the file named by
// QUILLON_PNPUTIL_RECORD and exits with the code QUILLON_PNPUTIL_CODES gives for
// the INF's file name ("name.inf=3010" lines; 0 for a name not listed).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t value[32768];
  const DWORD n = ::GetEnvironmentVariableW(name, value, 32768);
  return n > 0 && n < 32768 ? std::wstring(value, n) : std::wstring();
}

std::string Utf8(const std::wstring& s) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// The INF argument: the one after /add-driver.
std::wstring InfArgument() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  std::wstring inf;
  for (int i = 1; argv && i + 1 < argc; ++i)
    if (std::wstring(argv[i]) == L"/add-driver") inf = argv[i + 1];
  ::LocalFree(argv);
  return inf;
}

int ScriptedCode(const std::wstring& inf) {
  const std::wstring name = inf.substr(inf.find_last_of(L"\\/") == std::wstring::npos ? 0 : inf.find_last_of(L"\\/") + 1);
  std::ifstream codes(Environment(L"QUILLON_PNPUTIL_CODES").c_str());
  std::string line;
  while (std::getline(codes, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (eq != std::string::npos && line.substr(0, eq) == Utf8(name)) return std::stoi(line.substr(eq + 1));
  }
  return 0;
}

}  // namespace

int wmain() {
  const std::wstring commandLine = ::GetCommandLineW();
  std::ofstream record(Environment(L"QUILLON_PNPUTIL_RECORD").c_str(), std::ios::binary | std::ios::app);
  record << Utf8(commandLine) << "\n";
  const std::wstring inf = InfArgument();
  std::printf("stand-in pnputil: adding %s\n", Utf8(inf).c_str());
  return ScriptedCode(inf);
}
