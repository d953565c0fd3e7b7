// A driver package's INF read for one platform: what the backup index records,
// `plan` ranks and `check` completes against the package's folder.
#pragma once
#include <filesystem>
#include <vector>

#include "inf/InfFile.h"
#include "inf/Models.h"
#include "inf/PackageFiles.h"
#include "inf/PackageVersion.h"

namespace inf {

struct DriverPackageInf {
  std::filesystem::path path;
  PackageVersion version;
  WString catalog;                 // the catalog the platform takes; empty when none
  std::vector<Manufacturer> manufacturers;
  std::vector<ModelLine> models;   // every models line of every decoration, install sections resolved
  std::vector<PackageFile> files;  // the source files the platform needs (not the INF, not the catalog)
};

// Reads the INF at `path` for Windows on `arch`. Raises InfError naming the file
// and line for an INF Windows would refuse.
DriverPackageInf ReadDriverPackageInf(const std::filesystem::path& path, Architecture arch,
                                      const InfReadOptions& options = {});

// The models lines Windows `target` (of the package's platform) considers.
inline std::vector<ModelLine> ModelLinesFor(const DriverPackageInf& package, const TargetOs& target) {
  return ModelLinesFor(package.manufacturers, package.models, target);
}

}  // namespace inf
