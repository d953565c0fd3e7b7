#include "restore/RestoreRecord.h"

#include <cstdio>

#include "backup/ArchiveNames.h"
#include "platform/Errors.h"
#include "platform/NewFile.h"
#include "platform/SafeText.h"

namespace restore {

namespace {

const char* const kColumns[] = {"Device", "Package", "Old Driver", "New Driver", "Result"};

}  // namespace

std::string RestoreRecordStem(const winapi::SystemTime& t) { return "Quillon-restore-" + backup::TimeStamp(t); }

std::string CsvCell(const WString& value) { return text::ToUtf8(text::QuotedCsvCell(value)); }

std::filesystem::path WriteRestoreRecord(const std::filesystem::path& folder, const winapi::SystemTime& localTime,
                                         const std::vector<RestoreRow>& rows) {
  const auto write = [&](std::ostream& out) {
    for (size_t i = 0; i < std::size(kColumns); ++i) out << (i ? "," : "") << CsvCell(text::FromUtf8(kColumns[i]));
    out << "\r\n";
    for (const RestoreRow& r : rows) {
      out << CsvCell(r.device) << ',' << CsvCell(r.package) << ',' << CsvCell(r.oldDriver) << ','
          << CsvCell(r.newDriver) << ',' << CsvCell(r.result) << "\r\n";
    }
  };
  return text::ToPath(
      paths::WriteNewFile(text::FromPath(folder), text::FromUtf8(RestoreRecordStem(localTime)), u".csv", write));
}

}  // namespace restore
