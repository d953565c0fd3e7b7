// Calendar arithmetic of the offline system: FILETIME <-> SYSTEMTIME, the clock,
// and short-date pictures.
#pragma once
#include <optional>

#include "platform/Text.h"

namespace offline {

constexpr uint64_t kTicksPerSecond = 10'000'000;  // FILETIME ticks are 100 ns
constexpr uint64_t kTicksPerMinute = 60 * kTicksPerSecond;

// False for values FileTimeToSystemTime rejects (>= 0x8000000000000000).
bool TicksToSystemTime(uint64_t ticks, winapi::SystemTime& out);
// nullopt for fields out of range.
std::optional<uint64_t> SystemTimeToTicks(const winapi::SystemTime& st);
// The real clock in FILETIME ticks (UTC).
uint64_t UtcNowTicks();
// "dd/MM/yyyy"-style pictures: d dd ddd dddd, M MM MMM MMMM, y yy yyyy, 'quoted' text.
WString FormatDatePicture(WStringView picture, const winapi::SystemTime& st);

}  // namespace offline
