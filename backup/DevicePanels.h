// What the window's panels show of one device (its properties grid and its files
// grid), which the command line's `show` prints too.
#pragma once
#include <utility>
#include <vector>

#include "devices/Devices.h"

namespace backup {

// The properties grid's rows: (property name, value), in the grid's order.
std::vector<std::pair<WString, WString>> DevicePropertyRows(const TDevice& device);

// A row of the files grid: the file's bare name and its subfolder, without path
// delimiters at either end.
struct TFileRow {
  WString file, subDirectory;
};
TFileRow FileRow(const WString& entry);

// The date of `t` in the user's short date format, local time; "Unknown." when it
// names no date a calendar can hold.
WString FileTimeToDateText(const winapi::FileTime& t);

}  // namespace backup
