// The Windows a restore plan is made for: the machine being read (the running
// system, or an installation read offline from its hives), through the ports.
#pragma once
#include "inf/TargetOs.h"
#include "platform/Text.h"

namespace backup {

struct TargetWindows {
  inf::TargetOs os;
  WStringList assumed;  // what the machine does not record and was taken as a default
};

// The version from the system port (RtlGetVersion; offline the hives'
// CurrentMajorVersionNumber, CurrentMinorVersionNumber and CurrentBuildNumber), the
// architecture from the Session Manager's PROCESSOR_ARCHITECTURE, the product type
// from ProductOptions' ProductType (WinNT, LanmanNT, ServerNT). What is missing is
// taken as a Windows 10 workstation on amd64 and named in `assumed`.
TargetWindows ReadTargetWindows();

// "amd64, Windows 10.0 build 19045, workstation".
WString Describe(const inf::TargetOs& os);

}  // namespace backup
