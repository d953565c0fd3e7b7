// The Windows a driver package is chosen for, and the TargetOSVersion decorations
// of an INF's [Manufacturer] lines: NT[Architecture][.[Major][.[Minor][.[ProductType]
// [.[SuiteMask][.[BuildNumber]]]]]], e.g. "NTamd64", "NTamd64.10.0...16299".
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Text.h"

namespace inf {

enum class Architecture { X86, Amd64, Arm64 };

// The platform names INFs use: "x86"/"amd64"/"arm64" (SourceDisksFiles.amd64)
// and the NT forms ("NTamd64").
WString PlatformName(Architecture arch);
WString NtPlatformName(Architecture arch);

struct TargetOs {
  Architecture architecture = Architecture::Amd64;
  uint32_t major = 10, minor = 0;
  uint32_t productType = 1;  // VER_NT_WORKSTATION; 2 domain controller, 3 server
  uint32_t suiteMask = 0x100;  // VER_SUITE_SINGLEUSERTS, as every Windows 10 desktop reports
  uint32_t build = 19045;
};

struct Decoration {
  WString text;  // as written after the models section name; empty for the plain section
  bool nt = false;
  std::optional<Architecture> architecture;  // none: "NT" alone
  std::optional<uint32_t> major, minor, productType, suiteMask, build;
};

// The decoration `text` means; nullopt when it is no TargetOSVersion (an unknown
// architecture such as "NTia64", or fields that are no numbers).
std::optional<Decoration> ParseDecoration(WStringView text);

// Whether Windows `target` may use the models section of `decoration`: its
// architecture, a version at most the target's, the same product type, the suite
// bits all present, a build at most the target's. The plain section and "NT"
// serve x86 only (64-bit Windows needs a decorated section).
bool Applies(const Decoration& decoration, const TargetOs& target);

// The decoration Windows takes among those of one manufacturer line: the most
// specific that applies (highest version, then build, then product type and
// suite given, then architecture given). nullopt when none applies.
std::optional<size_t> ChooseDecoration(const std::vector<Decoration>& decorations, const TargetOs& target);

}  // namespace inf
