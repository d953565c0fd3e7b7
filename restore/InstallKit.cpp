#include "restore/InstallKit.h"

#include <cerrno>
#include <fstream>

#include "platform/Errors.h"
#include "platform/FileErrors.h"

namespace restore {

namespace {

// The kit's relative path of a package's INF, with Windows' separators.
std::string InfPath(const KitPackage& p) {
  std::string path = text::ToUtf8(p.folder) + "\\" + text::ToUtf8(p.inf);
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string CrLf(const std::string& lf) {
  std::string out;
  for (char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

const char* const kScriptHead = R"text(@echo off
rem Installs the driver packages of this kit with Windows' pnputil, one INF at a
rem time, and logs each result to install-drivers.log. Written by Quillon: run it
rem as an administrator (see README.txt).
setlocal EnableExtensions DisableDelayedExpansion
cd /d "%~dp0"
set "LOG=%~dp0install-drivers.log"
rem A 32-bit command prompt on 64-bit Windows sees pnputil only through Sysnative.
set "PNPUTIL=%SystemRoot%\System32\pnputil.exe"
if exist "%SystemRoot%\Sysnative\pnputil.exe" set "PNPUTIL=%SystemRoot%\Sysnative\pnputil.exe"
set /a INSTALLED=0
set /a RESTART=0
set /a NOTNEEDED=0
set /a FAILED=0
>>"%LOG%" echo ==== %DATE% %TIME%: installing PACKAGE_COUNT driver package(s)
)text";

const char* const kScriptTail = R"text(
set "SUMMARY=%INSTALLED% installed, %RESTART% installed and need a restart, %NOTNEEDED% not needed, %FAILED% failed"
echo.
echo Summary: %SUMMARY%
>>"%LOG%" echo Summary: %SUMMARY%
if not "%RESTART%"=="0" echo Restart Windows to finish installing the drivers.
if not "%FAILED%"=="0" (
  echo Some packages failed: install-drivers.log says why.
  exit /b 1
)
exit /b 0

rem Installs the package whose INF is in INF and counts its result.
:install
echo Installing "%INF%" ...
>>"%LOG%" echo pnputil /add-driver "%INF%" /install
"%PNPUTIL%" /add-driver "%INF%" /install >>"%LOG%" 2>&1
set "CODE=%ERRORLEVEL%"
set "RESULT=failed (exit code %CODE%)"
set "COUNTER=FAILED"
if "%CODE%"=="0" (set "RESULT=installed" & set "COUNTER=INSTALLED")
if "%CODE%"=="3010" (set "RESULT=installed, restart needed" & set "COUNTER=RESTART")
if "%CODE%"=="259" (set "RESULT=not needed: no device here needs a better driver" & set "COUNTER=NOTNEEDED")
set /a %COUNTER%+=1
echo   %RESULT%
>>"%LOG%" echo "%INF%": %RESULT%
goto :eof
)text";

const char* const kReadme = R"text(Drivers to install
==================

This folder holds PACKAGE_COUNT driver package(s) saved by Quillon, each in a folder of
its own, and install-drivers.cmd, which installs them all with Windows' own
pnputil.

To install them:
 1. Copy this whole folder to the PC (a USB stick will do) after Windows is
    installed.
 2. Right-click install-drivers.cmd and choose "Run as administrator".
 3. Wait for the summary at the end. If it says so, restart Windows.

Each package is installed on its own. A package counts as
 - installed: Windows took its driver (pnputil's exit code 0),
 - installed, restart needed: Windows took it and needs a restart (3010),
 - not needed: no device of this PC needs a better driver from it (259);
   Windows keeps it in its driver store for a device plugged in later,
 - failed: any other exit code.
install-drivers.log (created beside the script) records pnputil's own words
for every package; run the script again after fixing a failure, packages that
are installed already are simply not needed again.

The packages:
)text";

std::string ReplaceCount(std::string text, size_t count) {
  const std::string marker = "PACKAGE_COUNT";
  for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at))
    text.replace(at, marker.size(), std::to_string(count));
  return text;
}

void WriteFile(const std::filesystem::path& file, const std::string& content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (out) out << content;
  if (out) out.close();
  if (!out) throw QuillonError(text::FromPath(file) + u": cannot be written: " + FileErrorText(errno));
}

bool IsDotDot(const WString& part) { return part == u".."; }

}  // namespace

void CheckKitName(const WString& name) {
  auto refuse = [&](const char* why) {
    throw QuillonError(u"\"" + name + u"\" cannot be written into " + text::W(kInstallScriptName) + u": " +
                       text::W(why));
  };
  if (name.empty()) refuse("the name is empty");
  if (name.front() == u'\\' || name.front() == u'/' || (name.size() > 1 && name[1] == u':'))
    refuse("an absolute path");
  WString part;
  for (char16_t c : name + u'\\') {
    if (c == u'\\' || c == u'/') {
      if (IsDotDot(part)) refuse("it leads out of the kit (\"..\")");
      part.clear();
      continue;
    }
    part += c;
    if (c < 0x20 || c == 0x7F) refuse("a control character");
    if (c > 0x7E) refuse("a character beyond ASCII, which cmd reads differently from PC to PC");
    if (WString(u"\"<>:|?*").find(c) != WString::npos) refuse("a character Windows file names cannot hold");
    // Written twice a percent sign is literal in a batch file, but not in every cmd
    // (Wine's drops it): refused rather than left to the cmd that runs the kit.
    if (c == u'%') refuse("a percent sign, which cmd reads as the start of a variable");
  }
}

std::string InstallScript(const std::vector<KitPackage>& packages) {
  std::string script = ReplaceCount(kScriptHead, packages.size());
  for (const KitPackage& p : packages) {
    CheckKitName(p.folder);
    CheckKitName(p.inf);
    // Inside the quotes of `set "INF=..."` with delayed expansion off, & ^ ( ) ! and
    // blanks are literal; CheckKitName refuses the rest.
    script += "set \"INF=" + InfPath(p) + "\"\ncall :install\n";
  }
  return CrLf(script + kScriptTail);
}

std::string KitReadme(const std::vector<KitPackage>& packages) {
  std::string readme = ReplaceCount(kReadme, packages.size());
  for (const KitPackage& p : packages) readme += "  " + InfPath(p) + "\n";
  return CrLf(readme);
}

void WriteInstallKit(const std::filesystem::path& kit, const std::vector<KitPackage>& packages) {
  const std::string script = InstallScript(packages);  // refuses a bad name before anything is written
  WriteFile(kit / kInstallScriptName, script);
  WriteFile(kit / kKitReadmeName, KitReadme(packages));
}

}  // namespace restore
