#include "backup/ExportRecord.h"

#include <cstdio>
#include <system_error>

#include "backup/ArchiveNames.h"
#include "backup/Sha256.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"
#include "platform/HostPath.h"
#include "platform/NewFile.h"
#include "platform/Paths.h"
#include "platform/SafeText.h"

namespace backup {

namespace {

std::string U8(const WString& s) { return text::ToUtf8(s); }

const char* const kColumns[] = {"Instance Id", "Name",    "Class", "Hardware Ids", "Provider",     "Version",
                                "Date",        "INF",     "Verdict", "Archive",    "Archive Size", "SHA-256",
                                "Signer"};

std::string Quoted(const std::string& field) { return U8(text::QuotedCsvCell(text::FromUtf8(field))); }

}  // namespace

RecordRow MakeRecordRow(const TDevice& device, const TDeviceOutcome& outcome) {
  const WString& archive = outcome.archive;
  RecordRow row;
  row.instanceId = U8(device.InstanceId);
  row.name = U8(device.FriendlyName.empty() ? device.Description : device.FriendlyName);
  row.deviceClass = U8(device.ClassDescription);
  row.hardwareIds = U8(device.HWID);
  row.provider = U8(device.ProviderName);
  row.version = U8(device.DriverVersion);
  row.date = U8(device.DriverDate);
  row.inf = U8(device.OriginalInfName);
  row.signer = U8(outcome.verification.Signer());
  if (outcome.exported())
    row.verdict = "exported";
  else if (outcome.interrupted)
    row.verdict = "interrupted: " + U8(outcome.failure);
  else if (!outcome.failure.empty())  // an error raised before or after verification
    row.verdict = "export failed: " + U8(outcome.failure);
  else if (const WString failure = outcome.verification.FirstFailure(); !failure.empty())
    row.verdict = "verification failed: " + U8(failure);
  else
    row.verdict = "verification failed: " + U8(FirstReason(outcome));
  if (!archive.empty()) {
    const std::filesystem::path file = paths::HostPath(archive);  // long paths too
    row.archive = U8(paths::ExtractFileName(archive));
    std::error_code ec;
    row.archiveSize = paths::FileSize(archive, ec);
    if (ec) throw QuillonError(archive + u": " + FileErrorText(ec));
    row.sha256 = Sha256OfFile(file);
  }
  return row;
}

std::string RecordFileStem(const winapi::SystemTime& t) { return "Quillon-" + TimeStamp(t); }

std::filesystem::path WriteRecord(const std::filesystem::path& folder, const winapi::SystemTime& localTime,
                                  const std::vector<RecordRow>& rows) {
  const auto write = [&](std::ostream& out) {
    auto line = [&](const std::vector<std::string>& fields) {
      for (size_t i = 0; i < fields.size(); ++i) out << (i ? "," : "") << Quoted(fields[i]);
      out << "\r\n";
    };
    line(std::vector<std::string>(std::begin(kColumns), std::end(kColumns)));
    for (const RecordRow& r : rows)
      line({r.instanceId, r.name, r.deviceClass, r.hardwareIds, r.provider, r.version, r.date, r.inf, r.verdict,
            r.archive, r.archive.empty() ? std::string() : std::to_string(r.archiveSize), r.sha256, r.signer});
  };
  return text::ToPath(
      paths::WriteNewFile(text::FromPath(folder), text::FromUtf8(RecordFileStem(localTime)), u".csv", write));
}

}  // namespace backup
