#include "archive/EntryTime.h"

namespace archive {

winapi::SystemTime SystemTimeFromUnix(int64_t seconds) {
  int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Civil date from a day count (proleptic Gregorian, eras of 400 years).
  const int64_t z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097, yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1, month = mp < 10 ? mp + 3 : mp - 9;
  winapi::SystemTime t;
  t.wYear = uint16_t(yoe + era * 400 + (month <= 2));
  t.wMonth = uint16_t(month);
  t.wDay = uint16_t(day);
  t.wDayOfWeek = uint16_t((days % 7 + 11) % 7);  // 1970-01-01 was a Thursday (4)
  t.wHour = uint16_t(rest / 3600);
  t.wMinute = uint16_t(rest / 60 % 60);
  t.wSecond = uint16_t(rest % 60);
  return t;
}

winapi::SystemTime SystemTimeFromFileTime(const winapi::FileTime& t) {
  constexpr int64_t kUnixEpochAsFileTimeSeconds = 11644473600;
  const uint64_t ticks = t.Value();
  winapi::SystemTime s = SystemTimeFromUnix(int64_t(ticks / 10000000) - kUnixEpochAsFileTimeSeconds);
  s.wMilliseconds = uint16_t(ticks / 10000 % 1000);
  return s;
}

}  // namespace archive
