#include "backup/PackageCompleteness.h"

#include <set>

#include "backup/PackageArchive.h"
#include "platform/HostPath.h"
#include "platform/Paths.h"

namespace backup {
namespace {

WString ComparableName(WStringView path) { return text::UpperAscii(text::ReplaceAll(path, u"/", u"\\")); }

}  // namespace

std::optional<inf::Architecture> StoreFolderArchitecture(WStringView storeFolder) {
  const WString name = text::UpperAscii(storeFolder);
  for (const inf::Architecture arch : {inf::Architecture::Amd64, inf::Architecture::X86, inf::Architecture::Arm64})
    if (name.find(u".INF_" + text::UpperAscii(inf::PlatformName(arch)) + u"_") != WString::npos) return arch;
  return std::nullopt;
}

WStringList MissingFiles(const std::vector<inf::PackageFile>& needed, const WStringList& present) {
  std::set<WString> have;
  for (const WString& file : present) have.insert(ComparableName(file));
  WStringList missing;
  for (const inf::PackageFile& file : needed)
    if (!have.count(ComparableName(file.path))) missing.push_back(file.path);
  return missing;
}

WStringList MissingPackageFiles(const WString& infPath, const WStringList& present) {
  const std::filesystem::path path = paths::HostPath(infPath);
  const WString storeFolder = paths::ExtractFileName(paths::ExcludeTrailingPathDelimiter(paths::ExtractFilePath(infPath)));
  std::optional<inf::Architecture> arch = StoreFolderArchitecture(storeFolder);
  inf::DriverPackageInf package = inf::ReadDriverPackageInf(path, arch.value_or(inf::Architecture::Amd64));
  if (!arch) {
    const inf::Architecture meant = PackageArchitecture(package.manufacturers);
    if (meant != inf::Architecture::Amd64) package = inf::ReadDriverPackageInf(path, meant);
  }
  return MissingFiles(package.files, present);
}

}  // namespace backup
