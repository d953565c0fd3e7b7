#include "backup/TargetWindows.h"

#include "platform/Platform.h"
#include "platform/RegistryKey.h"
#include "platform/System.h"

namespace backup {
namespace {

constexpr char16_t kEnvironmentKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char16_t kProductOptionsKey[] = u"SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

constexpr uint32_t kWorkstation = 1, kDomainController = 2, kServer = 3;

WString ReadValue(const char16_t* keyPath, const char16_t* name) {
  TRegistryKey key;
  if (key.OpenReadOnly(keyPath) != 0 || !key.HoldsString(name)) return {};
  return key.ReadString(name);
}

std::optional<inf::Architecture> ArchitectureNamed(const WString& name) {
  if (text::EqualsIgnoreCase(name, u"AMD64")) return inf::Architecture::Amd64;
  if (text::EqualsIgnoreCase(name, u"x86")) return inf::Architecture::X86;
  if (text::EqualsIgnoreCase(name, u"ARM64")) return inf::Architecture::Arm64;
  return std::nullopt;
}

std::optional<uint32_t> ProductTypeNamed(const WString& name) {
  if (text::EqualsIgnoreCase(name, u"WinNT")) return kWorkstation;
  if (text::EqualsIgnoreCase(name, u"LanmanNT")) return kDomainController;
  if (text::EqualsIgnoreCase(name, u"ServerNT")) return kServer;
  return std::nullopt;
}

}  // namespace

TargetWindows ReadTargetWindows() {
  TargetWindows target;
  const ports::OsVersion version = Os().system->GetVersion();
  if (version.major != 0) {
    target.os.major = version.major;
    target.os.minor = version.minor;
    target.os.build = version.build;
  } else {
    target.assumed.push_back(u"the Windows version (taken as " + text::FromInt(target.os.major) + u"." +
                             text::FromInt(target.os.minor) + u" build " + text::FromInt(target.os.build) + u")");
  }
  const WString architecture = ReadValue(kEnvironmentKey, u"PROCESSOR_ARCHITECTURE");
  if (const auto arch = ArchitectureNamed(architecture)) target.os.architecture = *arch;
  else target.assumed.push_back(u"the architecture (PROCESSOR_ARCHITECTURE \"" + architecture + u"\", taken as amd64)");
  const WString productType = ReadValue(kProductOptionsKey, u"ProductType");
  if (const auto type = ProductTypeNamed(productType)) target.os.productType = *type;
  else target.assumed.push_back(u"the product type (ProductType \"" + productType + u"\", taken as a workstation)");
  return target;
}

WString Describe(const inf::TargetOs& os) {
  const WString kind = os.productType == kWorkstation ? u"workstation"
                       : os.productType == kServer    ? u"server"
                                                      : u"domain controller";
  return inf::PlatformName(os.architecture) + u", Windows " + text::FromInt(os.major) + u"." +
         text::FromInt(os.minor) + u" build " + text::FromInt(os.build) + u", " + kind;
}

}  // namespace backup
