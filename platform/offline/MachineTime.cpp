#include "platform/offline/MachineTime.h"

#include <atomic>
#include <chrono>
#include <mutex>

#include "platform/offline/Machine.h"

namespace offline {

namespace {

constexpr int64_t kDaysFrom1601To1970 = 134774;
constexpr const char* kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + int64_t(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = unsigned(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = int64_t(yoe) + era * 400 + (m <= 2);
}

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned y, unsigned m) {
  static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

WString Padded(unsigned v, size_t width) {
  WString s = text::FromUInt(v);
  while (s.size() < width) s.insert(s.begin(), u'0');
  return s;
}

struct Clock {
  std::mutex mutex;
  std::optional<winapi::SystemTime> localNow;
};

Clock& TheClock() {
  static Clock clock;
  return clock;
}

}  // namespace

bool TicksToSystemTime(uint64_t ticks, winapi::SystemTime& out) {
  if (ticks >= 0x8000000000000000ull) return false;
  uint64_t days = ticks / (86400 * kTicksPerSecond);
  uint64_t inDay = ticks % (86400 * kTicksPerSecond);
  int64_t y;
  unsigned m, d;
  CivilFromDays(int64_t(days) - kDaysFrom1601To1970, y, m, d);
  out.wYear = uint16_t(y);
  out.wMonth = uint16_t(m);
  out.wDay = uint16_t(d);
  out.wDayOfWeek = uint16_t((days + 1) % 7);  // 1601-01-01 was a Monday
  out.wHour = uint16_t(inDay / (3600 * kTicksPerSecond));
  out.wMinute = uint16_t(inDay / kTicksPerMinute % 60);
  out.wSecond = uint16_t(inDay / kTicksPerSecond % 60);
  out.wMilliseconds = uint16_t(inDay / 10'000 % 1000);
  return true;
}

std::optional<uint64_t> SystemTimeToTicks(const winapi::SystemTime& st) {
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
      st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59 ||
      st.wMilliseconds > 999)
    return std::nullopt;
  int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) + kDaysFrom1601To1970;
  uint64_t seconds = uint64_t(days) * 86400 + st.wHour * 3600u + st.wMinute * 60u + st.wSecond;
  return seconds * kTicksPerSecond + st.wMilliseconds * 10'000ull;
}

uint64_t UtcNowTicks() {
  auto since1970 = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return uint64_t(kDaysFrom1601To1970) * 86400 * kTicksPerSecond + uint64_t(since1970.count()) * 10;
}

WString FormatDatePicture(WStringView picture, const winapi::SystemTime& st) {
  WString out;
  for (size_t i = 0; i < picture.size();) {
    char16_t c = picture[i];
    if (c == u'\'') {  // quoted literal; '' is a quote
      size_t close = picture.find(u'\'', i + 1);
      if (close == i + 1) out += u'\'';
      else out += picture.substr(i + 1, (close == WStringView::npos ? picture.size() : close) - i - 1);
      i = close == WStringView::npos ? picture.size() : close + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    if (c == u'd') {
      if (run == 1) out += text::FromUInt(st.wDay);
      else if (run == 2) out += Padded(st.wDay, 2);
      else if (run == 3) out += text::W(std::string(kDayNames[st.wDayOfWeek % 7], 3));
      else out += text::W(kDayNames[st.wDayOfWeek % 7]);
    } else if (c == u'M') {
      unsigned m = st.wMonth >= 1 && st.wMonth <= 12 ? st.wMonth : 1;
      if (run == 1) out += text::FromUInt(st.wMonth);
      else if (run == 2) out += Padded(st.wMonth, 2);
      else if (run == 3) out += text::W(std::string(kMonthNames[m - 1], 3));
      else out += text::W(kMonthNames[m - 1]);
    } else if (c == u'y') {
      if (run <= 2) out += Padded(st.wYear % 100, run);
      else out += Padded(st.wYear, 4);
    } else {
      out += picture.substr(i, run);
    }
    i += run;
  }
  return out;
}

void SetClockOverride(std::optional<winapi::SystemTime> localNow) {
  Clock& c = TheClock();
  std::lock_guard lock(c.mutex);
  c.localNow = localNow;
}

std::optional<winapi::SystemTime> ClockOverride() {
  Clock& c = TheClock();
  std::lock_guard lock(c.mutex);
  return c.localNow;
}

}  // namespace offline
