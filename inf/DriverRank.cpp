#include "inf/DriverRank.h"

#include <algorithm>
#include <tuple>

namespace inf {
namespace {

constexpr uint32_t kMaxDevicePosition = 0xFFF;
// A compatible-compatible match shares the 12 bits: device position in the low
// byte, the INF's in the high nibble.
constexpr uint32_t kMaxSharedDevicePosition = 0xFF;
constexpr uint32_t kMaxInfPosition = 0xF;

// The position of `id` in `list`, capped; nullopt when absent.
std::optional<uint32_t> PositionOf(WStringView id, const WStringList& list) {
  if (id.empty()) return std::nullopt;
  for (size_t i = 0; i < list.size(); ++i)
    if (text::EqualsIgnoreCase(list[i], id)) return uint32_t(std::min<size_t>(i, kMaxDevicePosition));
  return std::nullopt;
}

}  // namespace

std::optional<uint32_t> IdentifierScore(WStringView hardwareId, const WStringList& compatibleIds,
                                        const DeviceIds& device) {
  std::optional<uint32_t> best;
  auto consider = [&](std::optional<uint32_t> score) {
    if (score && (!best || *score < *best)) best = score;
  };
  if (auto n = PositionOf(hardwareId, device.hardwareIds)) consider(0x0000 + *n);
  if (auto n = PositionOf(hardwareId, device.compatibleIds)) consider(0x2000 + *n);
  for (size_t k = 0; k < compatibleIds.size(); ++k) {
    if (auto n = PositionOf(compatibleIds[k], device.hardwareIds)) consider(0x1000 + *n);
    if (auto n = PositionOf(compatibleIds[k], device.compatibleIds))
      consider(0x3000 + std::min(*n, kMaxSharedDevicePosition) + 0x100 * std::min(uint32_t(k), kMaxInfPosition));
  }
  return best;
}

uint32_t DriverRank(SignatureScore signature, uint8_t featureScore, uint32_t identifierScore) {
  return uint32_t(signature) << 24 | uint32_t(featureScore) << 16 | (identifierScore & 0xFFFF);
}

bool IsBetterDriver(const RankedDriver& a, const RankedDriver& b) {
  if (a.rank != b.rank) return a.rank < b.rank;
  return std::tie(a.date, a.version) > std::tie(b.date, b.version);
}

}  // namespace inf
