#include "cli/MachineAccess.h"

#include <filesystem>

#include "backup/SevenZipLibrary.h"
#include "cli/Installations.h"
#include "platform/Errors.h"

#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#else
#include "platform/offline/OfflinePlatform.h"
#endif

namespace cli {

namespace {

#ifdef _WIN32
class LiveMachine final : public MachineAccess {
 public:
  explicit LiveMachine(ports::IMessageDialogs& dialogs) : ports_(win32::Win32Platform()) { ports_.dialogs = &dialogs; }
  Platform& Ports() override { return ports_; }
  // The window's rule: beside the exe, the registered 7-Zip, the program folders.
  WString SevenZipLibrary() override { return FindSevenZipLibrary(); }
  std::filesystem::path InstallationRoot() const override { return {}; }

 private:
  Platform ports_;
};
#else
// The archives are written on this Linux machine, so its own 7-Zip library
// serves, whatever the installation being read has installed.
const char* const kHostSevenZip[] = {"/usr/lib/p7zip/7z.so", "/usr/lib/7zip/7z.so"};

class OfflineMachine final : public MachineAccess {
 public:
  OfflineMachine(const std::filesystem::path& root, ports::IMessageDialogs& dialogs) : root_(root) {
    std::unique_ptr<offline::Machine> machine;
    try {
      machine = offline::Machine::Load(root);
    } catch (const std::exception& e) {
      throw NothingToRead("cannot read the Windows installation \"" + root.string() + "\": " + e.what());
    }
    platform_ = std::make_unique<offline::OfflinePlatform>(std::move(machine));
    platform_->SetDialogs(&dialogs);
  }
  Platform& Ports() override { return platform_->Ports(); }
  void AllowReading(const std::filesystem::path& folder) override { platform_->Host().AllowHostFolder(folder); }
  WString SevenZipLibrary() override {
    std::error_code ec;
    for (const char* library : kHostSevenZip)
      if (std::filesystem::is_regular_file(library, ec)) return text::FromUtf8(library);
    return WString();
  }
  std::filesystem::path InstallationRoot() const override { return root_; }

 private:
  std::filesystem::path root_;
  std::unique_ptr<offline::OfflinePlatform> platform_;
};
#endif

}  // namespace

std::unique_ptr<MachineAccess> OpenMachine(const Options& options, ports::IMessageDialogs& dialogs) {
#ifdef _WIN32
  if (!options.windows.empty())
    throw UsageError("--windows reads an installation that is not running; that is done from Linux. Here the "
                     "running Windows is read: leave --windows out");
  return std::make_unique<LiveMachine>(dialogs);
#else
  std::filesystem::path root = options.windows;
  if (root.empty()) root = TheOnlyInstallation(FindMountedInstallations(options.mountsFile));
  std::error_code ec;
  if (!std::filesystem::is_directory(root, ec))
    throw UsageError("--windows \"" + root.string() + "\": no such folder");
  return std::make_unique<OfflineMachine>(root, dialogs);
#endif
}

}  // namespace cli
