// The backup index as JSON: written with every field, read back strictly (a
// field of the wrong type makes the whole index unusable, never half read).
#include <fstream>
#include <nlohmann/json.hpp>

#include "backup/BackupIndex.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/HostPath.h"
#include "platform/NewFile.h"

namespace backup {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kFormat = "Quillon backup index";
constexpr int kVersion = 1;
// An index on a disk being read is hostile: a larger one is refused, not parsed.
constexpr uint64_t kMaxIndexBytes = uint64_t(256) << 20;

std::string U8(WStringView s) { return text::ToUtf8(s); }
WString W(const Json& j) { return text::FromUtf8(j.get<std::string>()); }

Json Strings(const WStringList& list) {
  Json array = Json::array();
  for (const WString& s : list) array.push_back(U8(s));
  return array;
}
WStringList Strings(const Json& j) {
  WStringList list;
  for (const Json& s : j) list.push_back(W(s));
  return list;
}

Json VersionJson(const inf::PackageVersion& v) {
  Json catalogs = Json::array();
  for (const auto& [key, file] : v.catalogFiles) catalogs.push_back({U8(key), U8(file)});
  return {{"signature", U8(v.signature)},
          {"class", U8(v.className)},
          {"classGuid", U8(v.classGuid)},
          {"provider", U8(v.provider)},
          {"date", v.date ? Json(U8(v.date->ToString())) : Json(nullptr)},
          {"version", U8(v.version.ToString())},
          {"catalogFiles", catalogs}};
}

inf::PackageVersion ReadVersion(const Json& j) {
  inf::PackageVersion v;
  v.signature = W(j.at("signature"));
  v.className = W(j.at("class"));
  v.classGuid = W(j.at("classGuid"));
  v.provider = W(j.at("provider"));
  if (!j.at("date").is_null()) {
    v.date = inf::ParseDriverDate(W(j.at("date")));
    if (!v.date) throw std::invalid_argument("a DriverVer date that cannot be read");
  }
  const std::optional<inf::DriverVersion> version = inf::ParseDriverVersion(W(j.at("version")));
  if (!version) throw std::invalid_argument("a DriverVer version that cannot be read");
  v.version = *version;
  for (const Json& pair : j.at("catalogFiles")) v.catalogFiles.emplace_back(W(pair.at(0)), W(pair.at(1)));
  return v;
}

Json ManufacturerJson(const inf::Manufacturer& m) {
  return {{"name", U8(m.name)}, {"modelsSection", U8(m.modelsSection)}, {"decorations", Strings(m.decorations)},
          {"line", m.line}};
}

inf::Manufacturer ReadManufacturer(const Json& j) {
  return {W(j.at("name")), W(j.at("modelsSection")), Strings(j.at("decorations")), j.at("line").get<uint32_t>()};
}

Json ModelJson(const inf::ModelLine& m) {
  return {{"manufacturer", U8(m.manufacturer)},
          {"modelsSection", U8(m.modelsSection)},
          {"decoration", U8(m.decoration)},
          {"description", U8(m.description)},
          {"installSection", U8(m.installSection)},
          {"hardwareId", U8(m.hardwareId)},
          {"compatibleIds", Strings(m.compatibleIds)},
          {"line", m.line},
          {"actualInstallSection", U8(m.actualInstallSection)},
          {"featureScore", m.featureScore}};
}

inf::ModelLine ReadModel(const Json& j) {
  inf::ModelLine m;
  m.manufacturer = W(j.at("manufacturer"));
  m.modelsSection = W(j.at("modelsSection"));
  m.decoration = W(j.at("decoration"));
  m.description = W(j.at("description"));
  m.installSection = W(j.at("installSection"));
  m.hardwareId = W(j.at("hardwareId"));
  m.compatibleIds = Strings(j.at("compatibleIds"));
  m.line = j.at("line").get<uint32_t>();
  m.actualInstallSection = W(j.at("actualInstallSection"));
  m.featureScore = j.at("featureScore").get<uint8_t>();
  return m;
}

Json PackageJson(const BackupPackage& p) {
  Json manufacturers = Json::array(), models = Json::array(), files = Json::array();
  for (const inf::Manufacturer& m : p.manufacturers) manufacturers.push_back(ManufacturerJson(m));
  for (const inf::ModelLine& m : p.models) models.push_back(ModelJson(m));
  for (const BackupFile& f : p.files) files.push_back({{"path", U8(f.path)}, {"size", f.size}, {"sha256", f.sha256}});
  return {{"archive", U8(p.archive)},   {"size", p.archiveSize},          {"sha256", p.archiveSha256},
          {"format", U8(p.format)},     {"storeFolder", U8(p.storeFolder)}, {"inf", U8(p.infName)},
          {"driverVer", VersionJson(p.version)}, {"catalog", U8(p.catalog)}, {"signature", U8(p.signature)},
          {"signer", U8(p.signer)},     {"manufacturers", manufacturers}, {"models", models},
          {"files", files}};
}

BackupPackage ReadPackage(const Json& j) {
  BackupPackage p;
  p.archive = W(j.at("archive"));
  p.archiveSize = j.at("size").get<uint64_t>();
  p.archiveSha256 = j.at("sha256").get<std::string>();
  p.format = W(j.at("format"));
  p.storeFolder = W(j.at("storeFolder"));
  p.infName = W(j.at("inf"));
  p.version = ReadVersion(j.at("driverVer"));
  p.catalog = W(j.at("catalog"));
  p.signature = W(j.at("signature"));
  p.signer = W(j.at("signer"));
  for (const Json& m : j.at("manufacturers")) p.manufacturers.push_back(ReadManufacturer(m));
  for (const Json& m : j.at("models")) p.models.push_back(ReadModel(m));
  for (const Json& f : j.at("files"))
    p.files.push_back({W(f.at("path")), f.at("size").get<uint64_t>(), f.at("sha256").get<std::string>()});
  return p;
}

}  // namespace

std::filesystem::path WriteBackupIndex(const std::filesystem::path& folder, const winapi::SystemTime& localTime,
                                       const BackupIndex& index) {
  Json j = {{"format", kFormat}, {"version", kVersion}, {"created", index.created}, {"record", nullptr},
            {"submission", nullptr}};
  if (!index.record.empty()) j["record"] = U8(index.record);
  if (!index.submission.empty())
    j["submission"] = {{"archive", U8(index.submission)}, {"size", index.submissionSize},
                       {"sha256", index.submissionSha256}};
  j["packages"] = Json::array();
  for (const BackupPackage& p : index.packages) j["packages"].push_back(PackageJson(p));

  const std::string name = IndexFileName(localTime);
  const WString created =
      paths::CreateNewFile(text::FromPath(folder), text::FromUtf8(name.substr(0, name.size() - 5)), u".json");
  const std::filesystem::path file = paths::HostPath(created);  // long paths too, as the archives beside it
  auto fail = [&](const WString& cause) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    throw QuillonError(created + u": " + cause);
  };
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) fail(u"cannot be opened for writing: " + FileErrorText(errno));
  out << j.dump(1, '\t') << '\n';
  out.close();
  if (!out) fail(u"cannot be written: " + FileErrorText(errno));
  return text::ToPath(created);
}

BackupIndex ReadBackupIndex(const std::filesystem::path& file) {
  auto fail = [&](const std::string& cause) -> BackupIndex {
    throw QuillonError(text::FromPath(file) + u": " + text::FromUtf8(cause));
  };
  std::error_code ec;
  const uint64_t size = std::filesystem::file_size(file, ec);
  if (ec) fail(U8(FileErrorText(ec)));
  if (size > kMaxIndexBytes) fail("larger than an index can be");
  std::ifstream in(file, std::ios::binary);
  if (!in) fail("cannot be opened for reading");
  try {
    const Json j = Json::parse(in);
    if (j.at("format") != kFormat) return fail("not a Quillon backup index");
    if (j.at("version") != kVersion) return fail("an index of another version (" + j.at("version").dump() + ")");
    BackupIndex index;
    index.created = j.at("created").get<std::string>();
    if (!j.at("record").is_null()) index.record = W(j.at("record"));
    if (const Json& s = j.at("submission"); !s.is_null()) {
      index.submission = W(s.at("archive"));
      index.submissionSize = s.at("size").get<uint64_t>();
      index.submissionSha256 = s.at("sha256").get<std::string>();
    }
    for (const Json& p : j.at("packages")) index.packages.push_back(ReadPackage(p));
    return index;
  } catch (const nlohmann::json::exception& e) {
    return fail(std::string("not a backup index that can be read: ") + e.what());
  } catch (const std::invalid_argument& e) {
    return fail(e.what());
  }
}

}  // namespace backup
