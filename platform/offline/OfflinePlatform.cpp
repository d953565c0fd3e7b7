#include "platform/offline/OfflinePlatform.h"

#include "platform/DriverInstaller.h"
#include "platform/Elevation.h"
#include "platform/Library.h"
#include "platform/Registry.h"
#include "platform/SetupApi.h"
#include "platform/ProgramStarter.h"
#include "platform/System.h"
#include "platform/Trust.h"
#include "platform/offline/Adapters.h"

namespace offline {

struct OfflinePlatform::Adapters {
  std::unique_ptr<ports::IRegistry> registry;
  std::unique_ptr<ports::ISystem> system;
  std::unique_ptr<ports::IProgramStarter> programs;
  std::unique_ptr<ports::ILibraryLoader> libraries;
  std::unique_ptr<ports::ISetupApi> setup;
  std::unique_ptr<ports::ICatalogTrust> trust;
  std::unique_ptr<ports::IDriverInstaller> drivers;
  std::unique_ptr<ports::IElevation> elevation;
};

OfflinePlatform::OfflinePlatform(std::unique_ptr<Machine> machine,
                         std::function<void(const WString&, const WString&)> onStart)
    : machine_(std::move(machine)), adapters_(std::make_unique<Adapters>()) {
  Machine& m = *machine_;
  adapters_->registry = MakeRegistry(m);
  adapters_->system = MakeSystem(m);
  adapters_->programs = MakeProgramStarter(m, std::move(onStart));
  adapters_->libraries = MakeLibraryLoader(m);
  adapters_->setup = MakeSetupApi(m);
  adapters_->trust = MakeCatalogTrust(m);
  adapters_->drivers = MakeDriverInstaller();
  adapters_->elevation = MakeElevation();
  platform_.registry = adapters_->registry.get();
  platform_.system = adapters_->system.get();
  platform_.programs = adapters_->programs.get();
  platform_.libraries = adapters_->libraries.get();
  platform_.setup = adapters_->setup.get();
  platform_.trust = adapters_->trust.get();
  platform_.drivers = adapters_->drivers.get();
  platform_.elevation = adapters_->elevation.get();
}

OfflinePlatform::~OfflinePlatform() = default;

}  // namespace offline
