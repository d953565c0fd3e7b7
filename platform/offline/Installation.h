// The registry of a Windows installation, mounted from its hive files as a
// running Windows shows it under HKEY_LOCAL_MACHINE:
//   SYSTEM    Windows/System32/config/SYSTEM, with CurrentControlSet the control
//             set Select\Current names (ControlSet00N)
//   DRIVERS   Windows/System32/config/DRIVERS; where a Windows keeps its driver
//             database in SYSTEM (Windows 8), HKLM\DRIVERS\DriverDatabase is that key
//   SOFTWARE  Windows/System32/config/SOFTWARE, when present
// The hives are read-only, as their primary files hold them: changes a Windows that
// went down hard left only in SYSTEM.LOG1/.LOG2 are not replayed (the test hive of
// a real Windows 8 is such a "dirty" hive, and reads consistently). machine.ini's [machine] ComputerName and WindowsVersion
// are taken from the hives where machine.ini leaves them out.
#pragma once
#include "platform/offline/Machine.h"

namespace offline {

// Mounts the hives of the installation rooted at `machine.Root()`. Throws
// MachineError naming the file: SYSTEM missing, a hive damaged or cut short.
void MountInstallation(Machine& machine);

}  // namespace offline
