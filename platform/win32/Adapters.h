// Factories of the Win32 adapters, one per port; each lives in its own file.
#pragma once
#include <memory>

#include "platform/DriverInstaller.h"
#include "platform/Elevation.h"
#include "platform/Library.h"
#include "platform/Registry.h"
#include "platform/SetupApi.h"
#include "platform/MessageDialogs.h"
#include "platform/ProgramStarter.h"
#include "platform/System.h"
#include "platform/Trust.h"

namespace win32 {

std::unique_ptr<ports::IRegistry> MakeRegistry();
std::unique_ptr<ports::ISystem> MakeSystem();
std::unique_ptr<ports::IProgramStarter> MakeProgramStarter();
std::unique_ptr<ports::IMessageDialogs> MakeMessageDialogs();
std::unique_ptr<ports::ILibraryLoader> MakeLibraryLoader();
std::unique_ptr<ports::ISetupApi> MakeSetupApi();
std::unique_ptr<ports::ICatalogTrust> MakeCatalogTrust();
std::unique_ptr<ports::IDriverInstaller> MakeDriverInstaller();
std::unique_ptr<ports::IElevation> MakeElevation();

}  // namespace win32
