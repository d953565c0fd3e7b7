#include "inf/DriverPackageInf.h"

namespace inf {

DriverPackageInf ReadDriverPackageInf(const std::filesystem::path& path, Architecture arch,
                                      const InfReadOptions& options) {
  const InfFile file(path, options);
  DriverPackageInf package;
  package.path = path;
  package.version = ReadPackageVersion(file);
  package.catalog = package.version.CatalogFor(arch);
  if (!package.catalog.empty() && !StaysInside(package.catalog))
    throw file.Error(0, u"the catalog " + package.catalog + u" leaves the package folder");
  package.manufacturers = ReadManufacturers(file);
  package.models = AllModelLines(file);
  ResolveInstallSections(file, package.models, arch);
  package.files = SourceFiles(file, arch);
  return package;
}

}  // namespace inf
