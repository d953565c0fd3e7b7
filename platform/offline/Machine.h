// A Windows machine that is not running, loaded from a folder. Either the root of
// a Windows installation (a mounted system partition or a copy of one):
//   Windows/System32/config/SYSTEM, DRIVERS, SOFTWARE   the hives (see Installation.h)
//   the folder itself is the system drive C:
//   machine.ini   optional, as below
// or a fabricated machine folder:
//   registry.reg  HKEY_LOCAL_MACHINE as `reg export` writes it
//   machine.ini   computer name, Windows version, absent devices, trusted roots, faults
//   C/            the system drive
// Windows paths map onto the system drive case-insensitively.
//
// registry.reg: "Windows Registry Editor Version 5.00" (or "REGEDIT4") first, UTF-16LE
// with BOM or UTF-8. Keys under HKEY_LOCAL_MACHINE are loaded; keys under the other
// predefined roots (HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, HKEY_USERS,
// HKEY_CURRENT_CONFIG) are checked for syntax and skipped, as the machine has no
// users; any other root is an error. Under REGEDIT4, hex(1)/hex(2)/hex(7) bytes are
// single-byte text and are widened to UTF-16LE as the W registry calls return them.
//
// machine.ini (UTF-8; blank lines and lines starting with ';' or '#' are ignored):
//   [machine]
//   ComputerName=SIMULATED-PC          GetComputerNameExW (default "SIMULATED-PC")
//   WindowsVersion=10.0.19045          RtlGetVersion major.minor.build (default 10.0.19045)
//   UtcOffsetMinutes=60                local time = UTC + offset (default 0)
//   ShortDateFormat=dd/MM/yyyy         the user's short date picture (default dd/MM/yyyy)
//   ProgramFiles=C:\Program Files      %ProgramFiles% (this default)
//   ProgramFilesX86=C:\Program Files (x86)   %ProgramFiles(x86)% (this default)
//   SystemRoot=C:\Windows              %SystemRoot% and %windir% (this default)
//   ExePath=C:\Program Files\Quillon\Quillon.exe   where the program "is" (this default)
//   HeldPrivileges=SeDebugPrivilege    privileges the process token holds, comma-separated
//                                      (default none: AdjustTokenPrivileges leaves 1300)
//   [absent]
//   PCI\VEN_8086&DEV_1234\3&11583659&0&10     one device instance id a line: not present
//   [trust]
//   root=pki/root.cer                  trusted root certificate files, relative to the folder
//   [faults]
//   SetupDiGetClassDevsW=5             the API fails with that error code (decimal or 0x..)
//   RegOpenKeyExW:SOFTWARE\7-zip=2     only for that detail (an instance id, key, file name)
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace offline {

// Raised for a machine folder that cannot be loaded: names the file, line and problem.
class MachineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RegValue {
  uint32_t type = 0;          // winapi::kRegSz, kRegDword, ...
  std::vector<uint8_t> data;  // exactly the bytes the registry API would return
};

// Where the keys of a hive file come from: a key mounted on a node of a source
// reads its children and values on first use, so that only what the program
// touches is ever copied out of the file.
class RegKeySource {
 public:
  struct Contents {
    std::vector<std::pair<WString, uint64_t>> children;  // name, node
    std::vector<std::pair<WString, RegValue>> values;
  };
  virtual ~RegKeySource() = default;
  virtual Contents Read(uint64_t node) const = 0;  // throws MachineError naming the file
};

// One key of the in-memory registry. Names compare case-insensitively; the
// spelling of the first writer is kept.
class RegKey {
 public:
  const WString& Name() const { return name_; }
  RegKey* FindChild(WStringView name);
  const RegKey* FindChild(WStringView name) const;
  RegKey& Child(WStringView name);  // finds or creates
  bool RemoveChild(WStringView name);
  const RegValue* FindValue(WStringView name) const;  // "" is the default value
  void SetValue(WStringView name, RegValue value);
  bool RemoveValue(WStringView name);
  // Children and values in the order they were first written.
  const std::vector<std::unique_ptr<RegKey>>& Children() const;
  const std::vector<std::pair<WString, RegValue>>& Values() const;
  // Makes this key a view of `node` of `source`: its children and values are
  // read from there on first use (and may be added to afterwards).
  void Mount(std::shared_ptr<const RegKeySource> source, uint64_t node);

  explicit RegKey(WString name) : name_(std::move(name)) {}

 private:
  void Load() const;

  WString name_;
  std::shared_ptr<const RegKeySource> source_;
  uint64_t node_ = 0;
  mutable std::once_flag loaded_;
  mutable std::vector<std::unique_ptr<RegKey>> children_;
  mutable std::vector<std::pair<WString, RegValue>> values_;
};

// A string value's text up to its first NUL (the first string of a multi-string).
WString RegString(const RegValue& value);
// A REG_DWORD value's number; nullopt for any other type or size.
std::optional<uint32_t> RegDword(const RegValue& value);
// The key at `path` ("A\\B") below `key`, or null.
const RegKey* FindKey(const RegKey& key, WStringView path);

// machine.ini: [section] key=value lines; ';' or '#' start a comment line.
// Sections and keys compare case-insensitively; entries keep their file order.
class Ini {
 public:
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  std::string GetOr(std::string_view section, std::string_view key, std::string fallback) const;
  std::vector<std::pair<std::string, std::string>> Section(std::string_view section) const;
  void Set(std::string_view section, std::string_view key, std::string value);

  static Ini Parse(std::string_view content, const std::string& fileNameForErrors);

 private:
  std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections_;
};

// Where a path taken from the disk leads: its real location, or why it may not be read.
struct Located {
  std::filesystem::path path;  // inside the machine folder, links resolved; empty when refused
  WString refusal;             // "<what> \"<path>\" leads outside the installation, to /etc/passwd"
  std::filesystem::path outside;  // for a refusal: the place outside it led to
  explicit operator bool() const { return refusal.empty(); }
};

class Machine {
 public:
  // Loads a machine folder: a Windows installation (Windows/System32/config/SYSTEM,
  // names in any case; machine.ini optional) or a fabricated machine (registry.reg,
  // machine.ini, C/). Throws MachineError naming the file and the problem; a folder
  // that is neither is an error. Nothing below the folder is ever written.
  static std::unique_ptr<Machine> Load(const std::filesystem::path& folder);

  const std::filesystem::path& Root() const { return root_; }
  // A folder of the program's own outside the machine (a backup's archive
  // extracted for checking its files against their catalog) that host paths may
  // name; its files are taken as they are.
  void AllowHostFolder(const std::filesystem::path& folder) { hostFolders_.push_back(folder.lexically_normal()); }
  // Where "C:\\" lies: <root>/C for a fabricated machine, the root of an installation.
  const std::filesystem::path& SystemDrive() const { return systemDrive_; }
  bool IsInstallation() const { return systemDrive_ == root_; }
  RegKey& LocalMachine() { return hklm_; }  // HKEY_LOCAL_MACHINE
  const RegKey& LocalMachine() const { return hklm_; }
  Ini& Config() { return ini_; }
  const Ini& Config() const { return ini_; }

  // The one way the offline adapters reach a file or folder that the disk names.
  // `path` is a Windows path ("C:\\Windows\\INF\\oem1.inf": each name matched
  // case-insensitively against what exists, the rest kept as written; ".." stops
  // at the drive as on Windows; other drive letters map to <root>/<letter>), a
  // host path inside the machine folder, or a path relative to C:\\. Every link on
  // the way is resolved, and the real location must stay inside the machine
  // folder: a link that stays inside is followed (NTFS junctions), one that
  // leaves refuses the path, whatever it is. So do a host path outside the folder,
  // a relative path that climbs above C:\\, and an entry that is neither file nor
  // folder (a pipe, a device, a socket). `what` names where the path came from
  // ("InfPath of ...") in the refusal, which also says where it pointed.
  Located Locate(WStringView path, WStringView what) const;
  // The reverse: a host path on a drive of the machine -> "C:\\...". Empty when outside.
  WString WindowsPath(const std::filesystem::path& hostPath) const;

  // The error code machine.ini's [faults] section injects for `api` (0: none).
  // Keys are API names ("SetupDiGetClassDevsW"), optionally "Api:Detail".
  uint32_t Fault(std::string_view api, std::string_view detail = {}) const;

  Machine(std::filesystem::path root, std::filesystem::path systemDrive)
      : root_(std::move(root)), systemDrive_(std::move(systemDrive)), hklm_(u"HKEY_LOCAL_MACHINE") {}

 private:
  std::filesystem::path root_;
  std::filesystem::path systemDrive_;
  std::vector<std::filesystem::path> hostFolders_;
  RegKey hklm_;
  Ini ini_;
};

// Parses registry.reg content into `root` (HKEY_LOCAL_MACHINE). Accepts UTF-16LE
// with BOM and UTF-8 (with or without BOM). Throws MachineError "file:line: problem".
void ParseRegFile(std::string_view bytes, const std::string& fileNameForErrors, RegKey& root);

// The calling thread's last error, shared by every offline adapter.
uint32_t GetLastError();
void SetLastError(uint32_t code);

// An API's failure: sets the last error to `code` and gives `result` back.
template <typename T>
T Fail(uint32_t code, T result) {
  SetLastError(code);
  return result;
}

// An API's success: the last error becomes ERROR_SUCCESS.
inline bool Succeed() {
  SetLastError(0);
  return true;
}

// The error code of a refused read: an application-defined code
// (winapi::kApplicationErrorBit set) whose message text is `refusal`, so that the
// failure of the port call reads as the refusal wherever it is reported.
uint32_t RefusalCode(const WString& refusal);

// The offline system message table (FormatMessageW's texts, trailing "\r\n"
// included). Holds the codes the program reports; other adapters add theirs.
void RegisterMessageText(uint32_t code, WString text);
std::optional<WString> MessageText(uint32_t code);

// Replaces the real clock of GetLocalTime for the whole process (the local time
// itself, the UTC offset is not applied again); nullopt restores the real clock.
void SetClockOverride(std::optional<winapi::SystemTime> localNow);
std::optional<winapi::SystemTime> ClockOverride();

}  // namespace offline
