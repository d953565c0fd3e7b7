// Quillon.exe's Platform: one adapter of each port, made on first use.
#include "platform/win32/Win32Platform.h"

#include "platform/win32/Adapters.h"

namespace win32 {

namespace {

struct Win32Adapters {
  std::unique_ptr<ports::IRegistry> registry = MakeRegistry();
  std::unique_ptr<ports::ISystem> system = MakeSystem();
  std::unique_ptr<ports::IProgramStarter> programs = MakeProgramStarter();
  std::unique_ptr<ports::IMessageDialogs> dialogs = MakeMessageDialogs();
  std::unique_ptr<ports::ILibraryLoader> libraries = MakeLibraryLoader();
  std::unique_ptr<ports::ISetupApi> setup = MakeSetupApi();
  std::unique_ptr<ports::ICatalogTrust> trust = MakeCatalogTrust();
  std::unique_ptr<ports::IDriverInstaller> drivers = MakeDriverInstaller();
  std::unique_ptr<ports::IElevation> elevation = MakeElevation();
  Platform platform{setup.get(),  registry.get(),  trust.get(),   programs.get(),  dialogs.get(),
                    system.get(), libraries.get(), drivers.get(), elevation.get()};
};

}  // namespace

Platform& Win32Platform() {
  static Win32Adapters adapters;
  return adapters.platform;
}

}  // namespace win32
