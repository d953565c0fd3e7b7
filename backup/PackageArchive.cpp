#include "backup/PackageArchive.h"

#include <algorithm>
#include <optional>

#include "archive/ArchiveReader.h"
#include "archive/EntryNames.h"
#include "archive/NewFile.h"
#include "backup/Sha256.h"
#include "backup/TemporaryFolder.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"

namespace backup {
namespace {

// The entry's path below the package folder ('\'-separated); empty for an entry
// outside it.
WString PathInPackage(const WStringList& parts, const WString& packageFolder) {
  const size_t skip = packageFolder.empty() ? 0 : 1;
  if (parts.size() <= skip || (skip && parts[0] != packageFolder)) return {};
  WString path;
  for (size_t i = skip; i < parts.size(); ++i) path += (i > skip ? u"\\" : u"") + parts[i];
  return path;
}

// The one top folder every file lies below; empty when the files lie at the root.
WString PackageFolder(const std::vector<WStringList>& files) {
  if (files.empty() || files[0].size() < 2) return {};
  for (const WStringList& parts : files)
    if (parts.size() < 2 || parts[0] != files[0][0]) return {};
  return files[0][0];
}

bool IsInfName(WStringView path) {
  return path.find(u'\\') == WStringView::npos && text::EqualsIgnoreCase(paths::ExtractFileExt(path), u".inf");
}

// The package's INF: the one the folder's driver-store name starts with, else the
// first by name.
WString ChooseInf(const std::vector<BackupFile>& files, const WString& packageFolder) {
  WStringList infs;
  for (const BackupFile& file : files)
    if (IsInfName(file.path)) infs.push_back(file.path);
  std::sort(infs.begin(), infs.end(), [](const WString& a, const WString& b) {
    return text::CompareOrdinal(text::UpperAscii(a), text::UpperAscii(b)) < 0;
  });
  for (const WString& inf : infs)
    if (text::UpperAscii(packageFolder).rfind(text::UpperAscii(inf) + u"_", 0) == 0) return inf;
  return infs.empty() ? WString() : infs.front();
}

// Hashes every file of the package folder and keeps a copy of the INF files.
class PackageSink final : public archive::IEntrySink {
 public:
  PackageSink(const WString& archive, const WString& packageFolder, const std::filesystem::path& infCopies)
      : archive_(archive), packageFolder_(packageFolder), infCopies_(infCopies) {}

  void BeginEntry(const archive::ArchiveEntry& entry) override {
    const WString path = PathInPackage(archive::CheckedEntryPath(archive_, entry.name), packageFolder_);
    current_.emplace(path, archive_ + u": " + path);
    if (IsInfName(path)) current_->copy.emplace(infCopies_ / text::ToPath(path));
  }
  void Write(const void* data, size_t size) override {
    current_->file.size += size;
    current_->hasher.Add(data, size);
    if (current_->copy) current_->copy->Write(data, size);
  }
  void EndEntry() override {
    current_->file.sha256 = current_->hasher.Finish();
    if (current_->copy) current_->copy->Commit();
    if (!current_->file.path.empty()) files.push_back(std::move(current_->file));
    current_.reset();
  }

  std::vector<BackupFile> files;

 private:
  struct Current {
    Current(const WString& path, const WString& shown) : file{path, 0, {}}, hasher(text::ToPath(shown)) {}
    BackupFile file;
    Sha256Hasher hasher;
    std::optional<archive::NewFile> copy;
  };
  const WString& archive_;
  const WString& packageFolder_;
  std::filesystem::path infCopies_;
  std::optional<Current> current_;
};

// The INF read for the platform it is meant for. Its errors name the INF inside
// the archive, not the copy read.
inf::DriverPackageInf ReadInfCopy(const std::filesystem::path& copy, const WString& shownName) {
  try {
    inf::DriverPackageInf inf = inf::ReadDriverPackageInf(copy, inf::Architecture::Amd64);
    const inf::Architecture arch = PackageArchitecture(inf.manufacturers);
    return arch == inf::Architecture::Amd64 ? inf : inf::ReadDriverPackageInf(copy, arch);
  } catch (const inf::InfError& e) {
    const WString copyName = text::FromPath(copy);
    const WString& message = e.Message();
    const WString cause = message.rfind(copyName, 0) == 0 ? message.substr(copyName.size()) : u": " + message;
    throw inf::InfError(text::ToPath(archive::Printable(shownName)), e.Line(), cause.substr(cause.find(u": ") + 2));
  }
}

uint64_t SizeOf(const std::filesystem::path& file) {
  std::error_code ec;
  const uint64_t size = paths::FileSize(text::FromPath(file), ec);
  if (ec) throw QuillonError(u"\"" + text::FromPath(file) + u"\": " + FileErrorText(ec));
  return size;
}

WString FormatOf(const std::filesystem::path& archive) {
  return text::EqualsIgnoreCase(text::FromPath(archive.extension()), u".7z") ? u"7z" : u"zip";
}

// The archive's file entries (folders left out), each name split into its checked parts.
std::vector<WStringList> FilePaths(archive::IArchiveReader& reader) {
  std::vector<WStringList> filePaths;
  for (const archive::ArchiveEntry& entry : reader.List()) {
    WStringList parts = archive::CheckedEntryPath(reader.ArchiveName(), entry.name);
    if (!entry.isFolder && !parts.empty()) filePaths.push_back(std::move(parts));
  }
  return filePaths;
}

// The package of `archive` before its files are known: the archive's name, size and format.
BackupPackage ArchivePackage(const std::filesystem::path& archive, const WString& storeFolder) {
  BackupPackage package;
  package.archive = text::FromPath(archive.filename());
  package.archiveSize = SizeOf(archive);
  package.format = FormatOf(archive);
  package.storeFolder = storeFolder;
  return package;
}

// Chooses the package's INF among its files and reads it from `infFolder`, where
// the package folder's INF files lie.
void ReadPackageInf(BackupPackage& package, const std::filesystem::path& archive,
                    const std::filesystem::path& infFolder) {
  const WString archivePath = text::FromPath(archive);
  package.infName = ChooseInf(package.files, package.storeFolder);
  if (package.infName.empty())
    throw archive::ArchiveError(archive::Printable(archivePath) + u": the package holds no INF file");
  inf::DriverPackageInf inf =
      ReadInfCopy(infFolder / text::ToPath(package.infName), archivePath + u": " + package.infName);
  package.version = std::move(inf.version);
  package.catalog = std::move(inf.catalog);
  package.manufacturers = std::move(inf.manufacturers);
  package.models = std::move(inf.models);
}

}  // namespace

inf::Architecture PackageArchitecture(const std::vector<inf::Manufacturer>& manufacturers) {
  for (const inf::Architecture arch : {inf::Architecture::Amd64, inf::Architecture::Arm64, inf::Architecture::X86})
    for (const inf::Manufacturer& manufacturer : manufacturers)
      for (const WString& text : manufacturer.decorations) {
        const std::optional<inf::Decoration> decoration = inf::ParseDecoration(text);
        if (decoration && decoration->architecture == arch) return arch;
      }
  return inf::Architecture::Amd64;
}

BackupPackage ReadPackageArchive(const std::filesystem::path& archive, const WString& sevenZipLibrary,
                                 const WString& storeFolder) {
  const std::unique_ptr<archive::IArchiveReader> reader =
      archive::OpenArchiveReader(text::FromPath(archive), sevenZipLibrary);
  const std::vector<WStringList> filePaths = FilePaths(*reader);
  const WString topFolder = PackageFolder(filePaths);
  BackupPackage package = ArchivePackage(archive, topFolder.empty() ? storeFolder : topFolder);

  const TemporaryFolder temporary("package");
  PackageSink sink(reader->ArchiveName(), topFolder, temporary.Path());
  reader->ReadAll(sink);
  package.files = std::move(sink.files);
  ReadPackageInf(package, archive, temporary.Path());
  return package;
}

BackupPackage ReadArchivedFolder(const std::filesystem::path& archive, const WString& sevenZipLibrary,
                                 const std::filesystem::path& folder, const WString& storeFolder) {
  const std::vector<WStringList> filePaths =
      FilePaths(*archive::OpenArchiveReader(text::FromPath(archive), sevenZipLibrary));
  const WString topFolder = PackageFolder(filePaths);
  BackupPackage package = ArchivePackage(archive, topFolder.empty() ? storeFolder : topFolder);
  for (const WStringList& parts : filePaths) {
    BackupFile file{PathInPackage(parts, topFolder), 0, {}};
    if (file.path.empty()) continue;
    std::filesystem::path source = folder;
    for (const WString& part : parts) source /= text::ToPath(part);
    file.sha256 = Sha256OfFile(source, &file.size);
    package.files.push_back(std::move(file));
  }
  ReadPackageInf(package, archive, topFolder.empty() ? folder : folder / text::ToPath(topFolder));
  return package;
}

}  // namespace backup
