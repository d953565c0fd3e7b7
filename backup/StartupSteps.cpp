#include "backup/StartupSteps.h"

#include "devices/Devices.h"
#include "platform/Platform.h"
#include "platform/PortHandles.h"
#include "platform/System.h"

namespace {

constexpr uint32_t kTokenAdjustPrivileges = 0x20;
constexpr uint32_t kSePrivilegeEnabled = 0x2;

}  // namespace

void RunStartupSteps() {
  BindDriverStoreLocation();
  (void)SetProcessPrivilege(u"seDebugPrivilege", true);
}

bool SetProcessPrivilege(const WString& privilegeName, bool enable) {
  ports::ISystem& system = *Os().system;
  UniqueSystemHandle token;
  if (!system.OpenProcessToken(kTokenAdjustPrivileges, token.Put())) return false;
  uint64_t luid = 0;
  // An unknown privilege name is a failure, not an adjustment of identifier 0.
  if (!system.LookupPrivilegeValue(privilegeName.c_str(), &luid)) return false;
  system.AdjustTokenPrivileges(token.Get(), luid, enable ? kSePrivilegeEnabled : 0);
  // AdjustTokenPrivileges succeeds also when it assigned nothing; only the last
  // error (ERROR_NOT_ALL_ASSIGNED) tells.
  return system.GetLastError() == winapi::kErrorSuccess;
}
