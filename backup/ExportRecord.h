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
  // "exported", "verification failed", "export failed: ..." (an error raised for the
  // device, or the archive step's) or "interrupted: ..."
  std::string verdict;
  std::string archive;       // the archive's file name; empty when none was written
  uint64_t archiveSize = 0;
  std::string sha256;        // lower-case hexadecimal; empty when no archive
  std::string signer;        // who signed the driver (TVerifyReport::Signer); empty when not known
};

// The device's row from what became of it in a run; the archive's size and
// SHA-256 are read from the file now.
RecordRow MakeRecordRow(const TDevice& device, const TDeviceOutcome& outcome);

// "Quillon-yyyy_mm_dd_hh_nn_ss.csv".
std::string RecordFileName(const winapi::SystemTime& localTime);

// Writes the CSV (UTF-8, a header row, CR LF line ends, every field quoted).
// A file that cannot be written completely is removed; raises QuillonError
// naming it and the cause.
void WriteRecord(const std::filesystem::path& file, const std::vector<RecordRow>& rows);

}  // namespace backup
