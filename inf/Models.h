// The devices a driver package installs for: [Manufacturer] lines with their
// TargetOSVersion decorations, the models sections' lines, and the DDInstall
// section (with its FeatureScore) each line names.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "inf/InfFile.h"
#include "inf/TargetOs.h"

namespace inf {

struct Manufacturer {
  WString name;           // the line's key (or its section when it has none), strings substituted
  WString modelsSection;  // the models section's name without decoration
  std::vector<WString> decorations;  // as written; none: the plain section
  uint32_t line = 0;
  bool operator==(const Manufacturer&) const = default;
};

// One line of a models section:
//   device-description = install-section-name[, hw-id][, compatible-id, …]
struct ModelLine {
  WString manufacturer;
  WString modelsSection;  // the decorated section the line is in
  WString decoration;     // "" for the plain section
  WString description, installSection, hardwareId;
  WStringList compatibleIds;
  uint32_t line = 0;
  // Filled by ResolveInstallSections for one platform:
  WString actualInstallSection;  // the DDInstall section Windows runs; empty when the INF lacks it
  uint8_t featureScore = 0xFF;
  bool operator==(const ModelLine&) const = default;
};

std::vector<Manufacturer> ReadManufacturers(const InfFile& inf);

// Every models line of every decoration, in file order of the manufacturers.
std::vector<ModelLine> AllModelLines(const InfFile& inf);

// The decoration of the manufacturer's models section that Windows `target`
// uses (ChooseDecoration); nullopt when none applies.
std::optional<WString> ChosenDecoration(const Manufacturer& manufacturer, const TargetOs& target);

// The lines of `models` Windows `target` considers: for each manufacturer, those
// of its chosen decoration; as positions in `models` and as copies.
std::vector<size_t> ModelLineIndicesFor(const std::vector<Manufacturer>& manufacturers,
                                        const std::vector<ModelLine>& models, const TargetOs& target);
std::vector<ModelLine> ModelLinesFor(const std::vector<Manufacturer>& manufacturers,
                                     const std::vector<ModelLine>& models, const TargetOs& target);

// Fills each line's actual install section and FeatureScore for `arch`.
void ResolveInstallSections(const InfFile& inf, std::vector<ModelLine>& models, Architecture arch);

// The DDInstall section Windows runs for `installSection` on `arch`: the first of
// <name>.NT<arch>, <name>.NT and <name> the INF has; nullopt when it has none.
std::optional<WString> ActualInstallSection(const InfFile& inf, WStringView installSection, Architecture arch);

// Whether that section carries an NT platform extension (it ranks an unsigned
// driver better).
bool HasNtExtension(WStringView actualSection);

// The section's FeatureScore (0x00..0xFF); 0xFF, Windows' default, without one.
// Raises InfError when the value is no single-byte hexadecimal number.
uint8_t FeatureScore(const InfFile& inf, WStringView actualSection);

}  // namespace inf
