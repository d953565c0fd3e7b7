// Mounting an installation's hives under HKEY_LOCAL_MACHINE.
#include "platform/offline/Installation.h"

#include <cstdio>

#include "platform/offline/HiveFile.h"

namespace offline {

namespace fs = std::filesystem;

namespace {

constexpr char16_t kConfigFolder[] = u"C:\\Windows\\System32\\config\\";

std::optional<fs::path> HivePath(const Machine& m, const char16_t* name) {
  const Located hive = m.Locate(WString(kConfigFolder) + name, u"The hive");
  if (!hive) throw MachineError(text::ToUtf8(hive.refusal));
  std::error_code ec;
  if (!fs::exists(hive.path, ec)) return std::nullopt;
  return hive.path;
}

// The control set a booting Windows makes CurrentControlSet: Select\Current.
WString CurrentControlSetName(const RegKey& system, const fs::path& file) {
  const RegKey* select = system.FindChild(u"Select");
  const RegValue* current = select ? select->FindValue(u"Current") : nullptr;
  const std::optional<uint32_t> number = current ? RegDword(*current) : std::nullopt;
  if (!number) throw MachineError(file.string() + ": no Select\\Current: the hive names no current control set");
  char name[32];
  std::snprintf(name, sizeof name, "ControlSet%03u", *number);
  return text::FromUtf8(name);
}

void MountSystem(Machine& m, const fs::path& file) {
  auto hive = HiveFile::Open(file);
  RegKey& system = m.LocalMachine().Child(u"SYSTEM");
  system.Mount(hive, hive->Root());
  const WString current = CurrentControlSetName(system, file);
  const std::optional<uint64_t> node = hive->Find(hive->Root(), current);
  if (!node) throw MachineError(file.string() + ": Select\\Current names " + text::ToUtf8(current) + ", which is missing");
  system.Child(u"CurrentControlSet").Mount(hive, *node);

  if (std::optional<fs::path> drivers = HivePath(m, u"DRIVERS")) {
    auto driversHive = HiveFile::Open(*drivers);
    m.LocalMachine().Child(u"DRIVERS").Mount(driversHive, driversHive->Root());
  } else if (std::optional<uint64_t> database = hive->Find(hive->Root(), u"DriverDatabase")) {
    m.LocalMachine().Child(u"DRIVERS").Child(u"DriverDatabase").Mount(hive, *database);
  }
}

// "10.0.19045" from CurrentVersion: Windows 10 and later keep the major and minor
// numbers as DWORDs (CurrentVersion stays "6.3" there), older ones only the text.
std::optional<std::string> WindowsVersion(const RegKey& currentVersion) {
  auto text = [&](const char16_t* name) -> std::string {
    const RegValue* v = currentVersion.FindValue(name);
    return v && v->type == winapi::kRegSz ? text::ToUtf8(RegString(*v)) : std::string();
  };
  auto number = [&](const char16_t* name) -> std::optional<uint32_t> {
    const RegValue* v = currentVersion.FindValue(name);
    return v ? RegDword(*v) : std::nullopt;
  };
  std::string build = text(u"CurrentBuildNumber");
  if (build.empty()) build = text(u"CurrentBuild");
  std::string majorMinor;
  if (auto major = number(u"CurrentMajorVersionNumber"))
    majorMinor = std::to_string(*major) + "." + std::to_string(number(u"CurrentMinorVersionNumber").value_or(0));
  else
    majorMinor = text(u"CurrentVersion");
  if (majorMinor.empty() || build.empty()) return std::nullopt;
  return majorMinor + "." + build;
}

void TakeMachineSettings(Machine& m) {
  Ini& ini = m.Config();
  const RegKey& hklm = m.LocalMachine();
  if (!ini.Get("machine", "ComputerName")) {
    const RegKey* key = FindKey(hklm, u"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName");
    const RegValue* name = key ? key->FindValue(u"ComputerName") : nullptr;
    if (name && name->type == winapi::kRegSz) ini.Set("machine", "ComputerName", text::ToUtf8(RegString(*name)));
  }
  if (!ini.Get("machine", "WindowsVersion")) {
    const RegKey* key = FindKey(hklm, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    if (auto version = key ? WindowsVersion(*key) : std::nullopt) ini.Set("machine", "WindowsVersion", *version);
  }
}

}  // namespace

void MountInstallation(Machine& m) {
  std::optional<fs::path> system = HivePath(m, u"SYSTEM");
  if (!system)
    throw MachineError(m.Root().string() +
                       ": not a Windows installation (Windows/System32/config/SYSTEM is missing)");
  MountSystem(m, *system);
  if (std::optional<fs::path> software = HivePath(m, u"SOFTWARE")) {
    auto hive = HiveFile::Open(*software);
    m.LocalMachine().Child(u"SOFTWARE").Mount(hive, hive->Root());
  }
  TakeMachineSettings(m);
}

}  // namespace offline
