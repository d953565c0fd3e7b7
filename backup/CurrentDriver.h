// The driver a device has now, ranked as Windows ranked it when it chose it, so
// that a backup's package can be weighed against it.
#pragma once
#include <cstdint>
#include <optional>

#include "devices/Devices.h"
#include "inf/DriverRank.h"
#include "inf/TargetOs.h"

namespace backup {

struct CurrentDriver {
  // 0xSSGGTHHH; none when neither the installed INF nor MatchingDeviceId tells it.
  std::optional<uint32_t> rank;
  inf::DriverDate date;  // 0/0/0 when DriverDate cannot be read, as Windows takes a missing date
  inf::DriverVersion version;
  WString note;  // why the rank is estimated or unknown; empty when read from the INF
};

// The device's identifiers, most specific first, from its "|"-joined lists.
inf::DeviceIds IdsOf(const TDevice& device);

// Whether the device has a driver installed (a driver key).
bool HasDriver(const TDevice& device);

// The rank of the device's driver: from the lines of its installed INF (the
// driver-store copy) that name its MatchingDeviceId for its InfSection, with their
// FeatureScore; otherwise the place of MatchingDeviceId among `ids` (a hardware id
// 0x0000 + n, a compatible id 0x2000 + n, FeatureScore 0xFF). An installed driver
// counts as signed: Windows put it in its driver store.
CurrentDriver RankCurrentDriver(const TDevice& device, const inf::DeviceIds& ids, inf::Architecture arch);

}  // namespace backup
