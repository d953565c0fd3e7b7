// The record of an export, kept with the backup: one row per device with what
// was exported and the archive's size and SHA-256. Written beside the archives
// as Quillon-yyyy_mm_dd_hh_nn_ss.csv.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "backup/ExportRun.h"
#include "devices/Devices.h"
#include "platform/WinTypes.h"

namespace backup {

struct RecordRow {
  std::string instanceId, name, deviceClass, hardwareIds, provider, version, date, inf;
  // "exported", "verification failed: <the first check that failed>", "export
  // failed: ..." (an error raised for the device, why it could not be read whole,
  // or the archive step's error) or "interrupted: ..."
  std::string verdict;
  std::string archive;       // the archive's file name; empty when none was written
  uint64_t archiveSize = 0;
  std::string sha256;        // lower-case hexadecimal; empty when no archive
};

// The device's row from what became of it in a run; the archive's size and
// SHA-256 are read from the file now.
RecordRow MakeRecordRow(const TDevice& device, const TDeviceOutcome& outcome);

// "Quillon-yyyy_mm_dd_hh_nn_ss" (the record's name without ".csv").
std::string RecordFileStem(const winapi::SystemTime& localTime);

// Writes the CSV (UTF-8, a header row, CR LF line ends, every cell through the
// one CSV cell rule, text::QuotedCsvCell) into a file created new in `folder`:
// Quillon-yyyy_mm_dd_hh_nn_ss.csv, or the next free name when anything holds it.
// Returns the file. A file that cannot be written completely is removed; raises
// QuillonError naming it and the cause.
std::filesystem::path WriteRecord(const std::filesystem::path& folder, const winapi::SystemTime& localTime,
                                  const std::vector<RecordRow>& rows);

}  // namespace backup
