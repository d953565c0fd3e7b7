#include "inf/PackageVersion.h"

#include <cstdio>

namespace inf {
namespace {

constexpr char16_t kVersion[] = u"Version";

// Digits only, at most `maxDigits` of them, and at most `max`.
std::optional<uint32_t> ParseDecimal(WStringView s, size_t maxDigits, uint32_t max) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  uint32_t value = 0;
  for (char16_t c : s) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  if (value > max) return std::nullopt;
  return value;
}

std::vector<WStringView> Split(WStringView s, char16_t separator) {
  std::vector<WStringView> parts;
  for (size_t at = 0;;) {
    const size_t next = s.find(separator, at);
    parts.push_back(s.substr(at, next == WStringView::npos ? WStringView::npos : next - at));
    if (next == WStringView::npos) return parts;
    at = next + 1;
  }
}

bool IsWindowsSignature(WStringView s) {
  return text::EqualsIgnoreCase(s, u"$Windows NT$") || text::EqualsIgnoreCase(s, u"$Chicago$") ||
         text::EqualsIgnoreCase(s, u"$Windows 95$");
}

}  // namespace

WString DriverDate::ToString() const {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02u/%02u/%04u", unsigned(month), unsigned(day), unsigned(year));
  return text::W(buffer);
}

WString DriverVersion::ToString() const {
  WString s;
  for (size_t i = 0; i < parts.size(); ++i) s += (i ? u"." : u"") + text::FromUInt(parts[i]);
  return s;
}

std::optional<DriverDate> ParseDriverDate(WStringView s) {
  const WString trimmed = text::Trim(s);
  const std::vector<WStringView> parts = Split(trimmed, u'/');
  if (parts.size() != 3) return std::nullopt;
  const auto month = ParseDecimal(parts[0], 2, 12), day = ParseDecimal(parts[1], 2, 31),
             year = ParseDecimal(parts[2], 4, 9999);
  if (!month || !day || !year || *month == 0 || *day == 0 || parts[2].size() != 4) return std::nullopt;
  return DriverDate{uint16_t(*year), uint16_t(*month), uint16_t(*day)};
}

std::optional<DriverVersion> ParseDriverVersion(WStringView s) {
  const WString trimmed = text::Trim(s);
  const std::vector<WStringView> parts = Split(trimmed, u'.');
  if (parts.size() > 4) return std::nullopt;
  DriverVersion v;
  for (size_t i = 0; i < parts.size(); ++i) {
    const auto part = ParseDecimal(text::Trim(parts[i]), 5, 65535);
    if (!part) return std::nullopt;
    v.parts[i] = uint16_t(*part);
  }
  return v;
}

WString PackageVersion::CatalogFor(Architecture arch) const {
  for (const WString& key : {u"CatalogFile." + NtPlatformName(arch), WString(u"CatalogFile.NT"), WString(u"CatalogFile")})
    for (const auto& [name, file] : catalogFiles)
      if (text::EqualsIgnoreCase(name, key) && !file.empty()) return file;
  return {};
}

PackageVersion ReadPackageVersion(const InfFile& inf) {
  PackageVersion v;
  const std::vector<InfLine> lines = inf.Lines(kVersion);
  if (!inf.HasSection(kVersion)) throw inf.Error(0, u"no [Version] section");
  for (const InfLine& line : lines) {
    if (!line.hasKey) continue;
    const WString& key = line.key;
    const WString value = line.Field(1);
    if (text::EqualsIgnoreCase(key, u"Signature")) {
      if (v.signature.empty()) v.signature = value;
    } else if (text::EqualsIgnoreCase(key, u"Class")) {
      v.className = value;
    } else if (text::EqualsIgnoreCase(key, u"ClassGuid")) {
      winapi::Guid guid;
      if (!text::StringToGuid(value, guid)) throw inf.Error(line.number, u"ClassGuid is no GUID: " + value);
      v.classGuid = value;
    } else if (text::EqualsIgnoreCase(key, u"Provider")) {
      v.provider = value;
    } else if (text::EqualsIgnoreCase(key, u"DriverVer")) {
      v.date = ParseDriverDate(value);
      if (!v.date) throw inf.Error(line.number, u"DriverVer has no date of the form mm/dd/yyyy: " + value);
      const std::optional<DriverVersion> version = line.fields.size() > 1 && !line.Field(2).empty()
                                                       ? ParseDriverVersion(line.Field(2))
                                                       : std::optional<DriverVersion>(DriverVersion{});
      if (!version) throw inf.Error(line.number, u"DriverVer has no version of the form w.x.y.z: " + line.Field(2));
      v.version = *version;
    } else if (key.size() >= 11 && text::EqualsIgnoreCase(WStringView(key).substr(0, 11), u"CatalogFile")) {
      v.catalogFiles.emplace_back(key, value);
    }
  }
  if (!IsWindowsSignature(v.signature))
    throw inf.Error(0, v.signature.empty() ? WString(u"no Signature in [Version]")
                                           : u"Signature " + v.signature + u" is not that of a Windows INF");
  return v;
}

}  // namespace inf
