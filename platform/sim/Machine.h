// A simulated Windows machine, loaded from a machine folder:
//   registry.reg  HKEY_LOCAL_MACHINE as `reg export` writes it
//   machine.ini   computer name, Windows version, absent devices, trusted roots, faults
//   C/            the system drive; Windows paths map onto it case-insensitively
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace sim {

// Raised for a machine folder that cannot be loaded: names the file, line and problem.
class MachineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RegValue {
  uint32_t type = 0;          // winapi::kRegSz, kRegDword, ...
  std::vector<uint8_t> data;  // exactly the bytes the registry API would return
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
  const std::vector<std::unique_ptr<RegKey>>& Children() const { return children_; }
  const std::vector<std::pair<WString, RegValue>>& Values() const { return values_; }

  explicit RegKey(WString name) : name_(std::move(name)) {}

 private:
  WString name_;
  std::vector<std::unique_ptr<RegKey>> children_;
  std::vector<std::pair<WString, RegValue>> values_;
};

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

class Machine {
 public:
  // Loads the folder; throws MachineError for malformed files. A missing
  // registry.reg or machine.ini is an empty registry or configuration.
  static std::unique_ptr<Machine> Load(const std::filesystem::path& folder);

  const std::filesystem::path& Root() const { return root_; }
  RegKey& LocalMachine() { return hklm_; }  // HKEY_LOCAL_MACHINE
  const RegKey& LocalMachine() const { return hklm_; }
  Ini& Config() { return ini_; }
  const Ini& Config() const { return ini_; }

  // "C:\Windows\INF\oem1.inf" -> <root>/C/Windows/INF/oem1.inf, each component
  // matched case-insensitively against what exists (the rest kept as written).
  // Host paths inside the machine folder are returned unchanged.
  std::filesystem::path MapPath(WStringView windowsPath) const;
  // The reverse: a host path inside C/ -> "C:\...". Empty when outside.
  WString WindowsPath(const std::filesystem::path& hostPath) const;

  // The error code machine.ini's [faults] section injects for `api` (0: none).
  // Keys are API names ("SetupDiGetClassDevsW"), optionally "Api:Detail".
  uint32_t Fault(std::string_view api, std::string_view detail = {}) const;

  explicit Machine(std::filesystem::path root) : root_(std::move(root)), hklm_(u"HKEY_LOCAL_MACHINE") {}

 private:
  std::filesystem::path root_;
  RegKey hklm_;
  Ini ini_;
};

// Parses registry.reg content into `root` (HKEY_LOCAL_MACHINE). Accepts UTF-16LE
// with BOM and UTF-8 (with or without BOM). Throws MachineError "file:line: problem".
void ParseRegFile(std::string_view bytes, const std::string& fileNameForErrors, RegKey& root);

// The calling thread's last error, shared by every sim adapter.
uint32_t GetLastError();
void SetLastError(uint32_t code);

}  // namespace sim
