// Factories of the offline adapters, one per port; each lives in its own file.
#pragma once
#include <functional>
#include <memory>

#include "platform/offline/Machine.h"

namespace ports {
class ISetupApi;
class IRegistry;
class ICatalogTrust;
class IProgramStarter;
class ISystem;
class ILibraryLoader;
class IDriverInstaller;
class IElevation;
}  // namespace ports

namespace offline {

std::unique_ptr<ports::IRegistry> MakeRegistry(Machine& m);
std::unique_ptr<ports::ISystem> MakeSystem(Machine& m);
// `onStart` is told of every process the program would start (program, parameters).
std::unique_ptr<ports::IProgramStarter> MakeProgramStarter(Machine& m, std::function<void(const WString&, const WString&)> onStart);
std::unique_ptr<ports::ILibraryLoader> MakeLibraryLoader(Machine& m);
std::unique_ptr<ports::ISetupApi> MakeSetupApi(Machine& m);
std::unique_ptr<ports::ICatalogTrust> MakeCatalogTrust(Machine& m);
// Refuse every call: an installation read from a folder is never written.
std::unique_ptr<ports::IDriverInstaller> MakeDriverInstaller();
std::unique_ptr<ports::IElevation> MakeElevation();

}  // namespace offline
