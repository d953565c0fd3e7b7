// The INF half of the offline setup services: INF information, the names before
// installation, and the driver-store lookup through the driver database.
#include <cstring>
#include <optional>

#include "platform/offline/OfflineInfFile.h"
#include "platform/offline/OfflineSetupApi.h"
#include "platform/offline/StorePackageByContent.h"

namespace offline {
namespace {

constexpr char16_t kDriverInfFiles[] = u"DRIVERS\\DriverDatabase\\DriverInfFiles";
constexpr char16_t kFileRepository[] = u"C:\\Windows\\System32\\DriverStore\\FileRepository\\";
constexpr uint32_t kInfStyleWin4 = 2;
constexpr size_t kRecordHeaderBytes = 2 * sizeof(uint32_t);  // InfStyle, InfCount

WString FileNameOf(const WString& path) {
  const size_t slash = path.find_last_of(u"\\/");
  return slash == WString::npos ? path : path.substr(slash + 1);
}

bool IsFile(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_regular_file(p, ec);
}

// A name of a folder's entry: no delimiter, not "." or "..".
bool IsPlainName(const WString& name) {
  return !name.empty() && name.find_first_of(u"\\/:") == WString::npos && name != u"." && name != u"..";
}

// The INF SetupGetInfInformationW's search finds: its path as Windows would name
// it and where that leads (a refusal, when outside); nullopt when none is there.
struct FoundInf {
  WString windowsPath;
  Located located;
};
std::optional<FoundInf> LocateInf(const Machine& m, const WString& spec, uint32_t searchControl) {
  auto at = [&](const WString& path) -> std::optional<FoundInf> {
    Located located = m.Locate(path, u"The INF");
    if (located && !IsFile(located.path)) return std::nullopt;
    return FoundInf{path, std::move(located)};
  };
  const bool hasFolder = spec.find_first_of(u"\\/:") != WString::npos;
  if (hasFolder || searchControl == ports::kInfInfoInfNameIsAbsolute) return at(spec);
  WString folders[] = {u"C:\\Windows\\INF\\", u"C:\\Windows\\System32\\"};
  if (searchControl == ports::kInfInfoReverseDefaultSearch) std::swap(folders[0], folders[1]);
  for (const WString& folder : folders)
    if (std::optional<FoundInf> found = at(folder + spec)) return found;
  return std::nullopt;
}

// The [Version] lines of the INF at a Windows or host path; nullopt when it
// cannot be read, the refusal in `refusal` when the path leads outside.
std::optional<InfEntries> ReadVersionAt(const Machine& m, const WString& path, WString& refusal) {
  const Located inf = m.Locate(path, u"The INF");
  if (!inf) {
    refusal = inf.refusal;
    return std::nullopt;
  }
  return ReadInfVersion(inf.path);
}

void AppendUnits(std::vector<uint8_t>& bytes, const WString& s) {
  const size_t at = bytes.size();
  bytes.resize(at + (s.size() + 1) * sizeof(char16_t), 0);
  std::memcpy(bytes.data() + at, s.data(), s.size() * sizeof(char16_t));
}

// SP_INF_INFORMATION as this adapter lays it out: InfStyle, InfCount, then the
// INF's path and its [Version] lines as NUL-terminated texts, and a final NUL.
std::vector<uint8_t> InfRecord(const WString& infPath, const InfEntries& version) {
  std::vector<uint8_t> bytes(kRecordHeaderBytes, 0);
  const uint32_t header[2] = {kInfStyleWin4, 1};
  std::memcpy(bytes.data(), header, sizeof header);
  AppendUnits(bytes, infPath);
  for (const auto& [key, value] : version) AppendUnits(bytes, key + u"=" + value);
  AppendUnits(bytes, {});
  return bytes;
}

// The INF path a record holds (the record's size is unknown, as on Windows: it
// is read up to the path's NUL within a generous bound).
WString InfPathOfRecord(const uint8_t* record) {
  constexpr size_t kMaxUnits = 32768;
  WString path;
  for (size_t i = 0; i < kMaxUnits; ++i) {
    char16_t unit;
    std::memcpy(&unit, record + kRecordHeaderBytes + i * sizeof(char16_t), sizeof unit);
    if (unit == u'\0') break;
    path.push_back(unit);
  }
  return path;
}

bool CopyName(const WString& name, char16_t (&field)[260]) {
  if (name.size() >= std::size(field)) return false;
  std::memcpy(field, name.c_str(), (name.size() + 1) * sizeof(char16_t));
  return true;
}

// The catalog an x64 Windows takes: the most specific decoration present.
WString CatalogOf(const InfEntries& version) {
  for (const char16_t* key : {u"CatalogFile.NTamd64", u"CatalogFile.NT", u"CatalogFile"})
    if (WString catalog = InfValue(version, key); !catalog.empty()) return catalog;
  return {};
}

}  // namespace

OfflineSetupApi::Package OfflineSetupApi::ActivePackage(const WString& infName) const {
  const WString entryPath = WString(kDriverInfFiles) + u"\\" + infName;
  // A package id names a folder of the driver store, nothing else.
  auto checked = [&](const WString& id, const char16_t* value) -> Package {
    if (IsPlainName(id)) return {id, {}};
    return {{}, WString(value) + u" of " + entryPath + u" \"" + id + u"\" names no folder of the driver store"};
  };
  const RegKey* entry = FindKey(machine_.LocalMachine(), entryPath);
  if (entry) {
    if (const RegValue* active = entry->FindValue(u"Active"); active && active->type == winapi::kRegSz) {
      if (WString id = RegString(*active); !id.empty()) return checked(id, u"Active");
    }
    if (const RegValue* ids = entry->FindValue(u""); ids && ids->type == winapi::kRegMultiSz) {
      if (WString id = RegString(*ids); !id.empty()) return checked(id, u"The package list");  // the first package id
    }
  }
  if (!IsPlainName(infName)) return {};
  // Not in the database: the store folder holding the same INF, found once.
  std::lock_guard lock(resolvedMutex_);
  auto [it, added] = packagesByContent_.try_emplace(text::UpperAscii(infName));
  if (added) {
    const Located installed = machine_.Locate(u"C:\\Windows\\INF\\" + infName, u"The INF");
    if (installed) it->second = StorePackageByContent(machine_, installed.path);
  }
  return {it->second, {}};
}

bool OfflineSetupApi::GetInfInformation(const char16_t* infSpec, uint32_t searchControl, uint8_t* returnBuffer,
                                    uint32_t size, uint32_t* requiredSize) {
  if (!infSpec || searchControl == ports::kInfInfoInfSpecIsHinf || searchControl > ports::kInfInfoReverseDefaultSearch)
    return Fail(winapi::kErrorInvalidParameter, false);
  const WString spec(infSpec);
  if (uint32_t fault = Fault("SetupGetInfInformationW", spec)) return Fail(fault, false);
  if (spec.empty()) return Fail(winapi::kErrorFileNotFound, false);
  const std::optional<FoundInf> inf = LocateInf(machine_, spec, searchControl);
  if (!inf) return Fail(winapi::kErrorFileNotFound, false);
  if (!inf->located) return Fail(RefusalCode(inf->located.refusal), false);
  const std::optional<InfEntries> version = ReadInfVersion(inf->located.path);
  if (!version) return Fail(winapi::kErrorAccessDenied, false);
  const std::vector<uint8_t> record = InfRecord(inf->windowsPath, *version);
  if (requiredSize) *requiredSize = uint32_t(record.size());
  if (!returnBuffer) return Succeed();  // a size query
  if (size < record.size()) return Fail(winapi::kErrorInsufficientBuffer, false);
  std::memcpy(returnBuffer, record.data(), record.size());
  return Succeed();
}

bool OfflineSetupApi::QueryInfOriginalFileInformation(const uint8_t* infInformation, uint32_t infIndex, const void*,
                                                  ports::SpOriginalFileInfo* info) {
  if (!infInformation || !info) return Fail(winapi::kErrorInvalidParameter, false);
  if (info->cbSize != sizeof(ports::SpOriginalFileInfo)) return Fail(ports::kErrorInvalidUserBuffer, false);
  if (infIndex != 0) return Fail(winapi::kErrorInvalidParameter, false);
  const WString infPath = InfPathOfRecord(infInformation);
  if (uint32_t fault = Fault("SetupQueryInfOriginalFileInformationW", FileNameOf(infPath))) return Fail(fault, false);
  // An INF installed from a package is named after the package's own INF;
  // any other INF keeps its name.
  const Package package = ActivePackage(FileNameOf(infPath));
  if (!package.refusal.empty()) return Fail(RefusalCode(package.refusal), false);
  const WString originalInf = package.id.empty() ? FileNameOf(infPath) : PackageInfName(package.id);
  const WString storeFolder = package.id.empty() ? WString() : kFileRepository + package.id + u"\\";
  WString refusal;
  std::optional<InfEntries> version;
  if (!package.id.empty()) version = ReadVersionAt(machine_, storeFolder + originalInf, refusal);
  if (!version && refusal.empty()) version = ReadVersionAt(machine_, infPath, refusal);
  if (!refusal.empty()) return Fail(RefusalCode(refusal), false);
  if (!version) return Fail(winapi::kErrorFileNotFound, false);
  // The catalog is a file of the package: a name that leads elsewhere is refused.
  const WString catalog = CatalogOf(*version);
  if (!catalog.empty() && !IsPlainName(catalog))
    return Fail(RefusalCode(u"CatalogFile of " + (storeFolder.empty() ? infPath : storeFolder + originalInf) + u" \"" +
                            catalog + u"\" names no file of its package"),
                false);
  if (!CopyName(originalInf, info->OriginalInfName) || !CopyName(catalog, info->OriginalCatalogName))
    return Fail(winapi::kErrorInsufficientBuffer, false);
  return Succeed();
}

bool OfflineSetupApi::BindInfDriverStoreLocation() {
  driverStoreLocationBound_ = Fault("SetupGetInfDriverStoreLocationW") == 0;
  return driverStoreLocationBound_;
}

bool OfflineSetupApi::GetInfDriverStoreLocation(const char16_t* fileName, const void*, const char16_t*,
                                            char16_t* returnBuffer, uint32_t size, uint32_t* requiredSize) {
  if (!driverStoreLocationBound_) return Fail(winapi::kErrorProcNotFound, false);
  if (!fileName || !*fileName) return Fail(winapi::kErrorInvalidParameter, false);
  const WString infName = FileNameOf(fileName);
  const Package package = ActivePackage(infName);
  if (!package.refusal.empty()) return Fail(RefusalCode(package.refusal), false);
  if (package.id.empty()) return Fail(ports::kErrorNotFound, false);
  const WString said = u"The driver store location of " + infName;
  const Located folder = machine_.Locate(kFileRepository + package.id, said);
  if (!folder) return Fail(RefusalCode(folder.refusal), false);
  const Located inf = machine_.Locate(kFileRepository + package.id + u"\\" + PackageInfName(package.id), said);
  if (!inf) return Fail(RefusalCode(inf.refusal), false);
  // The INF in its store folder, also when it is a link to another file of the installation.
  const std::filesystem::path path =
      inf.path.parent_path() == folder.path ? inf.path : folder.path / text::ToPath(PackageInfName(package.id));
  const WString location = text::FromPath(path);
  const uint32_t needed = uint32_t(location.size() + 1);
  if (requiredSize) *requiredSize = needed;
  if (!returnBuffer || size < needed) return Fail(winapi::kErrorInsufficientBuffer, false);
  if (uint32_t fault = Fault("SetupGetInfDriverStoreLocationW", infName)) return Fail(fault, false);
  std::memcpy(returnBuffer, location.c_str(), needed * sizeof(char16_t));
  return Succeed();
}

}  // namespace offline
