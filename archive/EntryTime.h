// Entry times as calendar fields, from the forms the reading libraries give.
#pragma once
#include <cstdint>

#include "platform/WinTypes.h"

namespace archive {

// Seconds since 1970-01-01 00:00 UTC as a UTC calendar time.
winapi::SystemTime SystemTimeFromUnix(int64_t seconds);
// A FILETIME (100 ns since 1601) as a UTC calendar time.
winapi::SystemTime SystemTimeFromFileTime(const winapi::FileTime& t);

}  // namespace archive
