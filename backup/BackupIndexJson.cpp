// The backup index as JSON: one table of fields per struct, written with every
// field and read back strictly (a field missing or of the wrong type makes the
// whole index unusable, never half read).
#include <fstream>
#include <iomanip>
#include <iterator>
#include <streambuf>

#include "archive/EntryNames.h"
#include "backup/BackupIndex.h"
#include "backup/JsonFields.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"
#include "platform/HostPath.h"
#include "platform/NewFile.h"

namespace backup::json {

// A DriverVer date or version, read back as Windows reads DriverVer.
template <class T>
void TakeDriverVer(const Json& j, T& value, const Where& where, std::optional<T> (*parse)(WStringView),
                   const char* what) {
  WString text;
  json::Take(j, text, where);
  const std::optional<T> read = parse(text);
  if (!read) Fail(where, std::string("not a DriverVer ") + what);
  value = *read;
}

template <>
struct Codec<inf::DriverDate> {
  static void Put(Json& j, const inf::DriverDate& date) { json::Put(j, date.ToString()); }
  static void Take(const Json& j, inf::DriverDate& date, const Where& where) {
    TakeDriverVer(j, date, where, inf::ParseDriverDate, "date (mm/dd/yyyy)");
  }
};

template <>
struct Codec<inf::DriverVersion> {
  static void Put(Json& j, const inf::DriverVersion& version) { json::Put(j, version.ToString()); }
  static void Take(const Json& j, inf::DriverVersion& version, const Where& where) {
    TakeDriverVer(j, version, where, inf::ParseDriverVersion, "version (w.x.y.z)");
  }
};

// A SHA-256 in lower-case hexadecimal, or empty when not known.
struct Sha256Text {
  static void Put(Json& j, const std::string& hash) { j = hash; }
  static void Take(const Json& j, std::string& hash, const Where& where) {
    json::Take(j, hash, where);
    const bool hex = hash.size() == 64 && hash.find_first_not_of("0123456789abcdef") == std::string::npos;
    if (!hex && !hash.empty()) Fail(where, "not a SHA-256 in lower-case hexadecimal");
  }
};

// A name that is null when there is none.
struct NullWhenEmpty {
  static void Put(Json& j, const WString& s) {
    if (s.empty())
      j = nullptr;
    else
      json::Put(j, s);
  }
  static void Take(const Json& j, WString& s, const Where& where) {
    if (j.is_null())
      s.clear();
    else
      json::Take(j, s, where);
  }
};

// A name the index gives to a file of the backup: `check`, `plan`, `restore` and
// `stage` join it to folders of their own, and the index comes from the backup's
// disk, so a name that could lead out of those folders (absolute, a drive
// letter, "..", a device name, a ':') is refused as such an archive entry would
// be. kOneName: one file or folder name, no path; kMayBeEmpty: "" means none.
template <bool kOneName, bool kMayBeEmpty>
struct ContainedName {
  static void Put(Json& j, const WString& s) { json::Put(j, s); }
  static void Take(const Json& j, WString& s, const Where& where) {
    json::Take(j, s, where);
    if (s.empty()) {
      if (!kMayBeEmpty) Fail(where, "empty");
      return;
    }
    WStringList parts;
    try {
      parts = archive::CheckedEntryPath(WString(), s);
    } catch (const QuillonError&) {
      Fail(where, "not a name inside the backup (absolute, \"..\", a drive letter, a device name or a ':')");
    }
    if (kOneName && (parts.size() != 1 || parts[0] != s)) Fail(where, "not a file name: it names a folder too");
  }
};
using FileName = ContainedName<true, false>;
using FolderName = ContainedName<true, true>;
using PathInPackage = ContainedName<false, true>;

template <>
struct FieldsOf<inf::PackageVersion> {
  using V = inf::PackageVersion;
  static constexpr std::tuple kFields{Field{"signature", &V::signature}, Field{"class", &V::className},
                                      Field{"classGuid", &V::classGuid}, Field{"provider", &V::provider},
                                      Field{"date", &V::date},           Field{"version", &V::version},
                                      Field{"catalogFiles", &V::catalogFiles}};
};

template <>
struct FieldsOf<inf::Manufacturer> {
  using M = inf::Manufacturer;
  static constexpr std::tuple kFields{Field{"name", &M::name}, Field{"modelsSection", &M::modelsSection},
                                      Field{"decorations", &M::decorations}, Field{"line", &M::line}};
};

template <>
struct FieldsOf<inf::ModelLine> {
  using M = inf::ModelLine;
  static constexpr std::tuple kFields{Field{"manufacturer", &M::manufacturer},
                                      Field{"modelsSection", &M::modelsSection},
                                      Field{"decoration", &M::decoration},
                                      Field{"description", &M::description},
                                      Field{"installSection", &M::installSection},
                                      Field{"hardwareId", &M::hardwareId},
                                      Field{"compatibleIds", &M::compatibleIds},
                                      Field{"line", &M::line},
                                      Field{"actualInstallSection", &M::actualInstallSection},
                                      Field{"featureScore", &M::featureScore}};
};

template <>
struct FieldsOf<BackupFile> {
  static constexpr std::tuple kFields{Field<BackupFile, WString, PathInPackage>{"path", &BackupFile::path},
                                      Field{"size", &BackupFile::size},
                                      Field<BackupFile, std::string, Sha256Text>{"sha256", &BackupFile::sha256}};
};

template <>
struct FieldsOf<BackupPackage> {
  using P = BackupPackage;
  static constexpr std::tuple kFields{Field<P, WString, FileName>{"archive", &P::archive},
                                      Field{"size", &P::archiveSize},
                                      Field<P, std::string, Sha256Text>{"sha256", &P::archiveSha256},
                                      Field{"format", &P::format},
                                      Field<P, WString, FolderName>{"storeFolder", &P::storeFolder},
                                      Field<P, WString, PathInPackage>{"inf", &P::infName},
                                      Field{"driverVer", &P::version},
                                      Field<P, WString, PathInPackage>{"catalog", &P::catalog},
                                      Field{"signature", &P::signature},
                                      Field{"signer", &P::signer},
                                      Field{"manufacturers", &P::manufacturers},
                                      Field{"models", &P::models},
                                      Field{"files", &P::files}};
};

// After "format" and "version", which say what the file is.
template <>
struct FieldsOf<BackupIndex> {
  using I = BackupIndex;
  static bool HasSubmission(const I& index) { return !index.submission.empty(); }
  static constexpr std::tuple kFields{
      Field{"created", &I::created}, Field<I, WString, NullWhenEmpty>{"record", &I::record},
      Nested{"submission", &HasSubmission,
             std::tuple{Field<I, WString, FileName>{"archive", &I::submission}, Field{"size", &I::submissionSize},
                        Field<I, std::string, Sha256Text>{"sha256", &I::submissionSha256}}},
      Field{"packages", &I::packages}};
};

}  // namespace backup::json

namespace backup {
namespace {

using json::Json;

constexpr const char* kFormat = "Quillon backup index";
constexpr int kVersion = 1;
// An index on a disk being read is hostile: a larger one is refused, not parsed;
// so is one nested deeper than an index nests (6 levels), with more values than
// one of a machine with hundreds of packages holds many times over (the models
// lines of the largest INFs are some tens of thousands of values), or with a
// string longer than a field's text escaped in full. That bounds the memory
// its parsed document takes to about the file's size.
constexpr uint64_t kMaxIndexBytes = uint64_t(256) << 20;
constexpr int kMaxDepth = 16;
constexpr uint64_t kMaxValues = uint64_t(4) << 20;
constexpr size_t kMaxStringChars = json::kMaxTextBytes * 6;  // every byte as \u00XX

// The characters of the file for the parser, refusing an overlong string
// before the parser has gathered it whole.
class IndexChars {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = char;

  IndexChars() = default;  // the end
  explicit IndexChars(std::streambuf* in) : in_(in) { SkipEnd(); }

  char operator*() const { return std::char_traits<char>::to_char_type(in_->sgetc()); }
  IndexChars& operator++() {
    Count(std::char_traits<char>::to_char_type(in_->sbumpc()));
    SkipEnd();
    return *this;
  }
  bool operator==(const IndexChars& other) const { return in_ == other.in_; }

 private:
  void SkipEnd() {
    if (in_ && in_->sgetc() == std::char_traits<char>::eof()) in_ = nullptr;
  }
  void Count(char c) {
    if (!inString_) {
      inString_ = c == '"';
      length_ = 0;
      return;
    }
    if (!escaped_ && c == '"') {
      inString_ = false;
      return;
    }
    escaped_ = !escaped_ && c == '\\';
    if (++length_ > kMaxStringChars)
      throw json::JsonFieldError("a string longer than " + std::to_string(kMaxStringChars) + " characters");
  }

  std::streambuf* in_ = nullptr;
  bool inString_ = false, escaped_ = false;
  size_t length_ = 0;
};

Json ParseBounded(std::istream& in) {
  uint64_t values = 0;
  return Json::parse(IndexChars(in.rdbuf()), IndexChars(), [&](int depth, Json::parse_event_t event, Json&) {
    using Event = Json::parse_event_t;
    const bool opens = event == Event::object_start || event == Event::array_start;
    if (opens && depth >= kMaxDepth)
      throw json::JsonFieldError("nested deeper than " + std::to_string(kMaxDepth) + " levels");
    if ((opens || event == Event::key || event == Event::value) && ++values > kMaxValues)
      throw json::JsonFieldError("more than " + std::to_string(kMaxValues) + " values");
    return true;
  });
}

// The parser's message without its "[json.exception.parse_error.101] ".
std::string ParserMessage(const nlohmann::json::exception& e) {
  const std::string what = e.what();
  const size_t end = what.rfind("] ", what.find(' '));
  return end == std::string::npos ? what : what.substr(end + 2);
}

}  // namespace

std::filesystem::path WriteBackupIndex(const std::filesystem::path& folder, const winapi::SystemTime& localTime,
                                       const BackupIndex& index) {
  Json j = {{"format", kFormat}, {"version", kVersion}};
  json::PutFields(j, index, json::FieldsOf<BackupIndex>::kFields);

  const std::string name = IndexFileName(localTime);
  return text::ToPath(paths::WriteNewFile(text::FromPath(folder), text::FromUtf8(name.substr(0, name.size() - 5)),
                                          u".json", [&](std::ostream& out) {
                                            // Serialised straight into the file, tab-indented, one level per line.
                                            out << std::setw(1) << std::setfill('\t') << j << '\n';
                                          }));
}

BackupIndex ReadBackupIndex(const std::filesystem::path& file) {
  auto fail = [&](const std::string& cause) -> BackupIndex {
    throw QuillonError(text::FromPath(file) + u": " + text::FromUtf8(cause));
  };
  std::error_code ec;
  const uint64_t size = paths::FileSize(text::FromPath(file), ec);
  if (ec) fail(text::ToUtf8(FileErrorText(ec)));
  if (size > kMaxIndexBytes) fail("larger than an index can be");
  std::ifstream in(paths::HostPath(text::FromPath(file)), std::ios::binary);  // long paths too
  if (!in) fail("cannot be opened for reading");
  const std::string unreadable = "not a backup index that can be read: ";
  try {
    const Json j = ParseBounded(in);
    const auto format = j.find("format");
    if (format == j.end() || *format != kFormat) return fail("not a Quillon backup index");
    const auto version = j.find("version");
    if (version == j.end()) return fail(unreadable + "version: missing");
    if (*version != kVersion) return fail("an index of another version (" + json::Described(*version) + ")");
    BackupIndex index;
    json::TakeFields(j, index, json::FieldsOf<BackupIndex>::kFields, {});
    return index;
  } catch (const nlohmann::json::exception& e) {
    return fail(unreadable + ParserMessage(e));
  } catch (const json::JsonFieldError& e) {
    return fail(unreadable + e.what());
  }
}

}  // namespace backup
