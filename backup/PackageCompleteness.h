// Whether a driver-store folder holds every file its INF needs: a package whose
// driver file was deleted (or lies on a sector that can no longer be read) must
// not verify, nor be exported as if whole.
#pragma once
#include "inf/DriverPackageInf.h"
#include "platform/Text.h"

namespace backup {

// The platform a store folder's package was installed for: its name's
// "<inf>_<platform>_<hash>" part; nullopt when the name has none.
std::optional<inf::Architecture> StoreFolderArchitecture(WStringView storeFolder);

// The files of `needed` (paths relative to the package folder, as the INF gives
// them) that `present` (relative paths, '\' or '/' between the parts) lacks,
// compared without regard to letter case, as Windows finds them.
WStringList MissingFiles(const std::vector<inf::PackageFile>& needed, const WStringList& present);

// The files the INF at `infPath` needs on the platform of its store folder (else
// the platform its [Manufacturer] decorations name) that `present` lacks.
// Raises InfError when the INF cannot be read as Windows reads it.
WStringList MissingPackageFiles(const WString& infPath, const WStringList& present);

}  // namespace backup
