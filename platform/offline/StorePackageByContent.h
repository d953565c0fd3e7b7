// The driver-store package of an installed INF that the driver database does not
// list (it happens on real installations): the FileRepository folder whose INF has
// the same content as the copy in Windows\INF.
#pragma once
#include <filesystem>

#include "platform/offline/Machine.h"

namespace offline {

// The package id ("fabnet.inf_amd64_8f3c...") whose INF equals `installedInf`
// byte for byte; empty when none does. Compares sizes first and streams contents.
WString StorePackageByContent(const Machine& machine, const std::filesystem::path& installedInf);

// "fabnet.inf_amd64_8f3c..." -> "fabnet.inf".
WString PackageInfName(const WString& packageId);

}  // namespace offline
