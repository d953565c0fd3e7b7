// The record of an export, kept with the backup: one row per device with what
// was exported and the archive's size and SHA-256. Written beside the archives
// as Quillon-yyyy_mm_dd_hh_nn_ss.csv.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "devices/Devices.h"
#include "platform/WinTypes.h"

namespace backup {

struct RecordRow {
  std::string instanceId, name, deviceClass, hardwareIds, provider, version, date, inf;
  std::string verdict;       // "exported", "verification failed" or "export failed: ..."
  std::string archive;       // the archive's file name; empty when none was written
  uint64_t archiveSize = 0;
  std::string sha256;        // lower-case hexadecimal; empty when no archive
};

// The device's row. `archive`: the archive written (full path), empty when none
// was; its size and SHA-256 are read from the file now. `failure`: why an export
// that passed verification wrote no archive.
RecordRow MakeRecordRow(const TDevice& device, bool verified, const WString& archive, const WString& failure);

// "Quillon-yyyy_mm_dd_hh_nn_ss.csv".
std::string RecordFileName(const winapi::SystemTime& localTime);

// Writes the CSV (UTF-8, a header row, CR LF line ends, every field quoted).
// A file that cannot be written completely is removed; raises QuillonError
// naming it and the cause.
void WriteRecord(const std::filesystem::path& file, const std::vector<RecordRow>& rows);

}  // namespace backup
