// The kit for a fresh installation: beside the extracted packages, a script that
// installs each with Windows' own pnputil (so that nothing of Quillon has to run
// on the new system) and a README.txt for the person who runs it.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace restore {

struct KitPackage {
  WString folder;  // the package's folder in the kit ("nwserial.inf_amd64_1122334455667788")
  WString inf;     // its INF, relative to that folder ("nwserial.inf")
};

constexpr const char* kInstallScriptName = "install-drivers.cmd";
constexpr const char* kInstallLogName = "install-drivers.log";
constexpr const char* kKitReadmeName = "README.txt";

// install-drivers.cmd (ASCII, CR LF): `pnputil /add-driver "<inf>" /install` for each
// package, one INF per call; exit codes 0 and 3010 (restart needed) count as
// installed, 259 as not needed, others as failed. Each result goes to
// install-drivers.log beside it, a summary ends it, and its exit code is 1 when any
// package failed. Raises QuillonError naming the package when a name cannot be
// written into a batch file safely (see CheckKitName).
std::string InstallScript(const std::vector<KitPackage>& packages);

// README.txt (CR LF) for the person who will run the kit.
std::string KitReadme(const std::vector<KitPackage>& packages);

// Raises QuillonError when `name` (a folder or an INF path in the kit) cannot go
// into the script: empty, absolute, with a ".." part, a character no Windows file
// name holds, a percent sign, a control character or one beyond ASCII (cmd reads a
// batch file in the console's code page, which differs from PC to PC).
void CheckKitName(const WString& name);

// Writes the script and the README into `kit` (replacing earlier ones); raises
// QuillonError naming the file and the cause.
void WriteInstallKit(const std::filesystem::path& kit, const std::vector<KitPackage>& packages);

}  // namespace restore
