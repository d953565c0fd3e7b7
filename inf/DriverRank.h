// How Windows chooses among the drivers that match a device: the rank 0xSSGGTHHH
// (signature score, FeatureScore, identifier score; lower is better), then the
// newer DriverVer date, then the higher DriverVer version.
#pragma once
#include <cstdint>
#include <optional>

#include "inf/PackageVersion.h"
#include "platform/Text.h"

namespace inf {

// The signature score (SS): a trusted signature (WHQL, inbox, Authenticode with a
// trusted root), no valid signature but an .NT install section, no valid
// signature and no .NT section, signing state unknown.
enum class SignatureScore : uint8_t { Trusted = 0x00, UnsignedNt = 0x80, Unsigned = 0xC0, Unknown = 0xFF };

// The device's identifiers, most specific first.
struct DeviceIds {
  WStringList hardwareIds, compatibleIds;
};

// The identifier score (THHH) of a models line (its hardware id and compatible
// ids) for a device, the best of its matches (identifiers compare without regard
// to case):
//   0x0000 + n          INF hardware id = device hardware id n
//   0x1000 + n          INF compatible id = device hardware id n
//   0x2000 + n          INF hardware id = device compatible id n
//   0x3000 + n + 0x100k INF compatible id k = device compatible id n
// Positions count from 0 and are capped to their bits (n at 0xFFF, or 0xFF and
// k at 0xF in the last case). nullopt when nothing matches.
std::optional<uint32_t> IdentifierScore(WStringView hardwareId, const WStringList& compatibleIds,
                                        const DeviceIds& device);

uint32_t DriverRank(SignatureScore signature, uint8_t featureScore, uint32_t identifierScore);

struct RankedDriver {
  uint32_t rank = 0;
  DriverDate date;
  DriverVersion version;
};

// Whether Windows prefers `a` to `b`: the lower rank; at equal rank the newer date,
// then the higher version.
bool IsBetterDriver(const RankedDriver& a, const RankedDriver& b);

}  // namespace inf
