// The [Version] section of a driver package's INF: its class, provider, DriverVer
// date and version, and its catalog per platform.
#pragma once
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "inf/InfFile.h"
#include "inf/TargetOs.h"

namespace inf {

struct DriverDate {
  uint16_t year = 0, month = 0, day = 0;
  auto operator<=>(const DriverDate&) const = default;
  WString ToString() const;  // mm/dd/yyyy, as DriverVer writes it
};

struct DriverVersion {
  std::array<uint16_t, 4> parts{};
  auto operator<=>(const DriverVersion&) const = default;
  WString ToString() const;  // w.x.y.z
};

struct PackageVersion {
  WString signature;  // "$Windows NT$" or "$Chicago$"
  WString className, classGuid, provider;
  std::optional<DriverDate> date;  // none without DriverVer
  DriverVersion version;
  // Every CatalogFile key as written ("CatalogFile", "CatalogFile.NTamd64", …) and its file name.
  std::vector<std::pair<WString, WString>> catalogFiles;

  // The catalog Windows on `arch` takes: CatalogFile.NT<arch>, else
  // CatalogFile.NT, else CatalogFile; empty when the package names none.
  WString CatalogFor(Architecture arch) const;
  bool operator==(const PackageVersion&) const = default;
};

// Raises InfError (with the line) for what Windows refuses: no [Version] Signature
// of a Windows INF, a ClassGuid that is no GUID, a DriverVer whose date or version
// cannot be read.
PackageVersion ReadPackageVersion(const InfFile& inf);

// "mm/dd/yyyy" (one or two digits for month and day); nullopt when malformed.
std::optional<DriverDate> ParseDriverDate(WStringView s);
// "w[.x[.y[.z]]]", each part 0..65535; nullopt when malformed.
std::optional<DriverVersion> ParseDriverVersion(WStringView s);

}  // namespace inf
