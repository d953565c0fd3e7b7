// The record of a restore, kept with the backup: one row per package and device
// with the driver the device had, the one it was given and how it went. Written
// as Quillon-restore-yyyy_mm_dd_hh_nn_ss.csv, always as a new file.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "platform/WinTypes.h"

namespace restore {

struct RestoreRow {
  WString device;     // the device's name and instance id, or empty for a package staged for no device
  WString package;    // the archive or package folder
  WString oldDriver;  // "provider version (oemN.inf)" before, empty when the device had none
  WString newDriver;  // the same for the package's driver
  WString result;     // "installed", "restart needed", "not a better driver", "failed: ...", ...
};

// "Quillon-restore-yyyy_mm_dd_hh_nn_ss" (without the extension).
std::string RestoreRecordStem(const winapi::SystemTime& localTime);

// One CSV cell (RFC 4180): quoted, quotes doubled; a text that a spreadsheet would
// take for a formula (starting with = + - @, a tab or a carriage return) gets a
// leading apostrophe.
std::string CsvCell(const WString& value);

// Writes the record into `folder` under its stem, or the next free name beside it
// (never replacing a file): UTF-8, a header row, CR LF line ends. Returns the file.
// A file that cannot be written completely is removed; raises QuillonError naming
// it and the cause.
std::filesystem::path WriteRestoreRecord(const std::filesystem::path& folder, const winapi::SystemTime& localTime,
                                         const std::vector<RestoreRow>& rows);

}  // namespace restore
