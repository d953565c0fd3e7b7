#include "platform/offline/DevicePresence.h"

#include <cstring>

namespace offline {

namespace {

constexpr char16_t kDeviceDates[] = u"Properties\\{83da6326-97a6-4088-9453-a1923f573b29}";
constexpr char16_t kLastArrival[] = u"0066";
constexpr char16_t kLastRemoval[] = u"0067";

std::optional<uint64_t> FileTimeOf(const RegKey& key) {
  for (const auto& [name, value] : key.Values())
    if (value.data.size() == sizeof(uint64_t)) {
      uint64_t ticks;
      std::memcpy(&ticks, value.data.data(), sizeof ticks);
      return ticks;
    }
  return std::nullopt;
}

// A property's FILETIME: the key's own value (Windows 8 and later) or the
// "Data" value of its 0000 subkey (Windows 7).
std::optional<uint64_t> DateProperty(const RegKey& dates, const char16_t* property) {
  const RegKey* key = dates.FindChild(property);
  if (!key) return std::nullopt;
  if (auto ticks = FileTimeOf(*key)) return ticks;
  for (const auto& child : key->Children())
    if (auto ticks = FileTimeOf(*child)) return ticks;
  return std::nullopt;
}

}  // namespace

bool WasRemoved(const RegKey& instance) {
  const RegKey* dates = FindKey(instance, kDeviceDates);
  if (!dates) return false;
  const std::optional<uint64_t> removal = DateProperty(*dates, kLastRemoval);
  if (!removal) return false;
  const std::optional<uint64_t> arrival = DateProperty(*dates, kLastArrival);
  return !arrival || *removal > *arrival;
}

}  // namespace offline
