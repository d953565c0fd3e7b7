#include "restore/RestoreRecord.h"

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "backup/ArchiveNames.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/HostPath.h"
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
  const std::filesystem::path file = paths::HostPath(
      paths::CreateNewFile(text::FromPath(folder), text::FromUtf8(RestoreRecordStem(localTime)), u".csv"));
  auto fail = [&](const WString& cause) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    throw QuillonError(text::FromPath(file) + u": " + cause);
  };
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) fail(u"cannot be written: " + FileErrorText(errno));
  for (size_t i = 0; i < std::size(kColumns); ++i) out << (i ? "," : "") << CsvCell(text::FromUtf8(kColumns[i]));
  out << "\r\n";
  for (const RestoreRow& r : rows) {
    out << CsvCell(r.device) << ',' << CsvCell(r.package) << ',' << CsvCell(r.oldDriver) << ','
        << CsvCell(r.newDriver) << ',' << CsvCell(r.result) << "\r\n";
  }
  out.close();
  if (!out) fail(u"cannot be written: " + FileErrorText(errno));
  return file;
}

}  // namespace restore
