// The machine the command line reads: on Linux an offline Windows installation
// (named with --windows or the one mounted), on Windows the running system.
#pragma once
#include <filesystem>
#include <memory>

#include "cli/CliOptions.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"

namespace cli {

class MachineAccess {
 public:
  virtual ~MachineAccess() = default;
  // The ports, with `dialogs` as the message-box port.
  virtual Platform& Ports() = 0;
  // The 7-Zip library the archives are written with; empty: Zip. Asked once the
  // ports are installed.
  virtual WString SevenZipLibrary() = 0;
  // The folder of the installation read offline, which nothing may be written
  // below; empty for the running system.
  virtual std::filesystem::path InstallationRoot() const = 0;
  // Lets the ports read `folder`, the program's own, outside an offline
  // installation (nothing to do on the running system).
  virtual void AllowReading(const std::filesystem::path& folder) { (void)folder; }
};

// Raises UsageError when no machine can be named (no or several installations
// mounted, --windows on Windows) and QuillonError when it cannot be read.
std::unique_ptr<MachineAccess> OpenMachine(const Options& options, ports::IMessageDialogs& dialogs);

}  // namespace cli
