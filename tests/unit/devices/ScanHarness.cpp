#include "ScanHarness.h"

#include <random>

#include "platform/offline/Machine.h"

namespace devices_test {
namespace fs = std::filesystem;

std::string RegString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string RegHex(const std::vector<uint8_t>& bytes, const std::string& kind) {
  std::string out = kind + ":";
  char hex[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
    out += (i ? "," : "") + std::string(hex);
  }
  return out;
}

std::string RegMulti(const std::vector<std::string>& items) {
  std::vector<uint8_t> bytes;
  auto add = [&](const std::string& s) {
    for (char16_t u : text::FromUtf8(s)) {
      bytes.push_back(uint8_t(u));
      bytes.push_back(uint8_t(u >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
  };
  for (const auto& item : items) add(item);
  add("");
  return RegHex(bytes, "hex(7)");
}

TestMachine::TestMachine() {
  std::random_device rd;
  folder_ = fs::temp_directory_path() / ("quillon-devices-" + std::to_string(rd()) + std::to_string(rd()));
  fs::create_directories(folder_ / "C" / "Windows" / "INF");
}

TestMachine::~TestMachine() {
  installed_.reset();
  platform_.reset();
  std::error_code ec;
  fs::remove_all(folder_, ec);
}

void TestMachine::Key(const std::string& path, const std::vector<std::string>& values) {
  registry_ += "[HKEY_LOCAL_MACHINE\\" + path + "]\n";
  for (const auto& v : values) registry_ += v + "\n";
  registry_ += "\n";
}

void TestMachine::Device(const std::string& instanceId, const std::string& description, const std::string& classGuid,
                         const std::vector<std::string>& values) {
  std::vector<std::string> all = {"\"DeviceDesc\"=" + RegString(description), "\"Class\"=\"TestClass\"",
                                  "\"ClassGUID\"=" + RegString(classGuid)};
  all.insert(all.end(), values.begin(), values.end());
  Key("SYSTEM\\CurrentControlSet\\Enum\\" + instanceId, all);
}

void TestMachine::Class(const std::string& guid, const std::string& description) {
  Key("SYSTEM\\CurrentControlSet\\Control\\Class\\" + guid, {"@=" + RegString(description)});
}

void TestMachine::Driver(const std::string& driverKey, const std::string& oemInf, const std::string& package,
                         const std::vector<std::string>& values, const std::string& catalogLine) {
  std::vector<std::string> all = {"\"InfPath\"=" + RegString(oemInf)};
  all.insert(all.end(), values.begin(), values.end());
  Key("SYSTEM\\CurrentControlSet\\Control\\Class\\" + driverKey, all);
  if (package.empty()) return;
  const std::string infName = package.substr(0, package.find(".inf_") + 4);
  const std::string inf = "[Version]\r\nSignature=\"$WINDOWS NT$\"\r\n" + catalogLine + "\r\n\r\n[Strings]\r\n";
  File("C/Windows/INF/" + oemInf, inf);
  File("C/Windows/System32/DriverStore/FileRepository/" + package + "/" + infName, inf);
  Key("DRIVERS\\DriverDatabase\\DriverInfFiles\\" + oemInf,
      {"@=" + RegMulti({package}), "\"Active\"=" + RegString(package)});
}

void TestMachine::Ini(const std::string& lines) { ini_ += lines + "\n"; }

void TestMachine::File(const std::string& relative, const std::string& content) {
  const fs::path p = folder_ / relative;
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
}

Platform& TestMachine::Install() {
  std::ofstream(folder_ / "registry.reg", std::ios::binary) << "Windows Registry Editor Version 5.00\n\n" << registry_;
  std::ofstream(folder_ / "machine.ini", std::ios::binary) << ini_;
  installed_.reset();
  platform_ = std::make_unique<offline::OfflinePlatform>(offline::Machine::Load(folder_));
  platform_->SetDialogs(&dialogs);
  installed_ = std::make_unique<ScopedPlatform>(platform_->Ports());
  BindDriverStoreLocation();
  return platform_->Ports();
}

offline::OfflineSetupApi& TestMachine::Setup() { return dynamic_cast<offline::OfflineSetupApi&>(*platform_->Ports().setup); }

void InstallationScan::SetUp() {
  platform_ = std::make_unique<offline::OfflinePlatform>(offline::Machine::Load(folder_));
  platform_->SetDialogs(&dialogs);
  installed_ = std::make_unique<ScopedPlatform>(platform_->Ports());
  BindDriverStoreLocation();
  devices = ScanDevices({}, nullptr, images, {});
}

const TDevice& InstallationScan::ById(const std::string& id) const {
  for (const TDevice& d : devices)
    if (text::ToUtf8(d.InstanceId) == id) return d;
  throw std::runtime_error("no device " + id);
}

}  // namespace devices_test
