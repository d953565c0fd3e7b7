// The backup index as written (pinned byte for byte: indexes already on backup
// disks and `check`/`plan` read this text) and as read back.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include <nlohmann/json.hpp>

#include "backup/BackupIndex.h"
#include "platform/Errors.h"

namespace {

namespace fs = std::filesystem;

using Json = nlohmann::ordered_json;

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

const fs::path kData = fs::path(QUILLON_SOURCE_DIR) / "tests/unit/backup/data";

winapi::SystemTime ExportTime() {
  winapi::SystemTime t;
  t.wYear = 2026; t.wMonth = 12; t.wDay = 10; t.wHour = 2; t.wMinute = 33; t.wSecond = 27;
  return t;
}

// A small index with every field set, text that JSON escapes, text beyond ASCII,
// numbers beyond 32 bits and a package without DriverVer date.
backup::BackupIndex SmallIndex() {
  backup::BackupIndex index;
  index.created = "2026-12-10T02:33:27";
  index.record = u"Quillon-2026_12_10_02_33_27.csv";
  index.submission = u"NAVU-\u00c4rger.7z";
  index.submissionSize = 5000000000;
  index.submissionSha256 = std::string(64, 'a');

  backup::BackupPackage serial;
  serial.archive = u"Northwind USB \"Serial\" Port_3.8.27.0.7z";
  serial.archiveSize = 2207;
  serial.archiveSha256 = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
  serial.format = u"7z";
  serial.storeFolder = u"nwserial.inf_amd64_1122334455667788";
  serial.infName = u"nwserial.inf";
  serial.version.signature = u"$WINDOWS NT$";
  serial.version.className = u"Ports";
  serial.version.classGuid = u"{4d36e978-e325-11ce-bfc1-08002be10318}";
  serial.version.provider = u"Northwind \u00e9\u4e2d\U0001F600\ttab";
  serial.version.date = inf::DriverDate{2020, 1, 10};
  serial.version.version = inf::DriverVersion{{3, 8, 27, 0}};
  serial.version.catalogFiles = {{u"CatalogFile", u"nwserial.cat"}, {u"CatalogFile.NTamd64", u"nwserial64.cat"}};
  serial.catalog = u"nwserial64.cat";
  serial.signature = u"signed";
  serial.signer = u"CN=Northwind \u0001Drivers";
  serial.manufacturers = {{u"Northwind", u"Models", {u"NTamd64", u"NTx86"}, 12}};
  serial.models = {{u"Northwind", u"Models.NTamd64", u"NTamd64", u"USB Serial Port", u"Serial_Install",
                    u"USB\\VID_1234&PID_5678", {u"USB\\Class_02", u"USB\\Class_0A"}, 15, u"Serial_Install.NT", 0},
                   {u"Northwind", u"Models.NTx86", u"NTx86", u"USB Serial Port", u"Serial_Install",
                    u"USB\\VID_1234&PID_5678", {}, 4294967295u, u"", 255}};
  serial.files = {{u"nwserial.inf", 1800, std::string(64, 'b')},
                  {u"x64\\nwserial.sys", 18446744073709551615u, std::string(64, 'c')}};

  backup::BackupPackage bare;
  bare.archive = u"Bare_1.0.zip";
  bare.format = u"zip";
  bare.infName = u"bare.inf";
  bare.version.signature = u"$Chicago$";
  index.packages = {serial, bare};
  return index;
}

class BackupIndexText : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path Written(const backup::BackupIndex& index) {
    return backup::WriteBackupIndex(folder_, ExportTime(), index);
  }

  // The error reading `bytes` as an index raises; it names the file first.
  std::string ReadError(const std::string& bytes) {
    const fs::path file = folder_ / "Quillon-index-2026_12_10_02_33_27.json";
    WriteAll(file, bytes);
    try {
      backup::ReadBackupIndex(file);
    } catch (const QuillonError& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind(file.string() + ": ", 0), 0u) << message;
      return message.substr(file.string().size() + 2);
    }
    ADD_FAILURE() << "read without an error";
    return {};
  }

  const fs::path folder_ = fs::temp_directory_path() / ("quillon-index-" + std::to_string(::getpid()));
};

// The small index's JSON as a document to change.
Json SmallIndexJson() { return Json::parse(ReadAll(kData / "small-index.json")); }

TEST_F(BackupIndexText, IsWrittenAsIndexesAlwaysWere) {
  const fs::path file = Written(SmallIndex());
  EXPECT_EQ(file.filename(), "Quillon-index-2026_12_10_02_33_27.json");
  EXPECT_EQ(ReadAll(file), ReadAll(kData / "small-index.json"));

  // Without record and submission both are null.
  EXPECT_EQ(ReadAll(Written(backup::BackupIndex{.created = "2026-12-10T02:33:27"})),
            ReadAll(kData / "empty-index.json"));
}

TEST_F(BackupIndexText, IsReadBackEqual) {
  EXPECT_EQ(backup::ReadBackupIndex(kData / "small-index.json"), SmallIndex());
  EXPECT_EQ(backup::ReadBackupIndex(kData / "empty-index.json"), backup::BackupIndex{.created = "2026-12-10T02:33:27"});

  // Fields it does not know are passed over: a later writer may add some.
  Json j = SmallIndexJson();
  j["comment"] = "added later";
  j["packages"][0]["extra"] = Json::array({1, 2});
  const fs::path file = folder_ / "Quillon-index-2026_12_10_02_33_28.json";
  WriteAll(file, j.dump());
  EXPECT_EQ(backup::ReadBackupIndex(file), SmallIndex());
}

// Every way an index from a backup disk may be unusable is an error naming the
// file and the field, never a crash, a half-read index or another exception.
TEST_F(BackupIndexText, AnUnusableIndexIsAnErrorNamingTheField) {
  const std::string unreadable = "not a backup index that can be read: ";
  const std::string outside =
      "not a name inside the backup (absolute, \"..\", a drive letter, a device name or a ':')";
  struct Case {
    const char* what;
    std::function<void(Json&)> change;
    std::string error;
  };
  const Case cases[] = {
      {"an array", [](Json& j) { j = Json::array(); }, "not a Quillon backup index"},
      {"another format", [](Json& j) { j["format"] = "Quillon backup record"; }, "not a Quillon backup index"},
      {"no format", [](Json& j) { j.erase("format"); }, "not a Quillon backup index"},
      {"a later version", [](Json& j) { j["version"] = 2; }, "an index of another version (2)"},
      {"a version as text", [](Json& j) { j["version"] = "1"; }, "an index of another version (a string)"},
      {"no version", [](Json& j) { j.erase("version"); }, unreadable + "version: missing"},
      {"a number for text", [](Json& j) { j["created"] = 7; }, unreadable + "created: a string was expected, not 7"},
      {"a number for a name", [](Json& j) { j["record"] = 5; }, unreadable + "record: a string was expected, not 5"},
      {"text for an object", [](Json& j) { j["submission"] = "x"; },
       unreadable + "submission: an object was expected, not a string"},
      {"no submission size", [](Json& j) { j["submission"].erase("size"); }, unreadable + "submission.size: missing"},
      {"an object for an array", [](Json& j) { j["packages"] = Json::object(); },
       unreadable + "packages: an array was expected, not an object"},
      {"a missing field", [](Json& j) { j["packages"][1].erase("signer"); }, unreadable + "packages[1].signer: missing"},
      {"a byte out of range", [](Json& j) { j["packages"][0]["models"][1]["featureScore"] = 256; },
       unreadable + "packages[0].models[1].featureScore: a whole number from 0 to 255 was expected, not 256"},
      {"a negative line", [](Json& j) { j["packages"][0]["manufacturers"][0]["line"] = -1; },
       unreadable + "packages[0].manufacturers[0].line: a whole number from 0 to 4294967295 was expected, not -1"},
      {"a line beyond 32 bits", [](Json& j) { j["packages"][0]["models"][0]["line"] = 4294967296; },
       unreadable + "packages[0].models[0].line: a whole number from 0 to 4294967295 was expected, not 4294967296"},
      {"a fraction for a size", [](Json& j) { j["packages"][0]["size"] = 1.5; },
       unreadable + "packages[0].size: a whole number from 0 to 18446744073709551615 was expected, not 1.5"},
      {"text for a size", [](Json& j) { j["packages"][0]["files"][1]["size"] = "12"; },
       unreadable + "packages[0].files[1].size: a whole number from 0 to 18446744073709551615 was expected, not a string"},
      {"null for a list", [](Json& j) { j["packages"][0]["manufacturers"][0]["decorations"] = nullptr; },
       unreadable + "packages[0].manufacturers[0].decorations: an array was expected, not null"},
      {"a number in a list", [](Json& j) { j["packages"][0]["models"][0]["compatibleIds"][1] = 3; },
       unreadable + "packages[0].models[0].compatibleIds[1]: a string was expected, not 3"},
      {"a date that is none", [](Json& j) { j["packages"][0]["driverVer"]["date"] = "13/40/2020"; },
       unreadable + "packages[0].driverVer.date: not a DriverVer date (mm/dd/yyyy)"},
      {"a version that is none", [](Json& j) { j["packages"][0]["driverVer"]["version"] = "1.2.3.70000"; },
       unreadable + "packages[0].driverVer.version: not a DriverVer version (w.x.y.z)"},
      {"a catalog pair of one", [](Json& j) { j["packages"][0]["driverVer"]["catalogFiles"][1] = {"CatalogFile"}; },
       unreadable + "packages[0].driverVer.catalogFiles[1]: an array of two was expected, not an array"},
      {"a hash in capitals", [](Json& j) { j["packages"][0]["sha256"] = std::string(64, 'A'); },
       unreadable + "packages[0].sha256: not a SHA-256 in lower-case hexadecimal"},
      {"a short hash", [](Json& j) { j["packages"][0]["files"][0]["sha256"] = "abc"; },
       unreadable + "packages[0].files[0].sha256: not a SHA-256 in lower-case hexadecimal"},
      {"an overlong text", [](Json& j) { j["packages"][0]["driverVer"]["provider"] = std::string(200000, 'x'); },
       unreadable + "packages[0].driverVer.provider: longer than 131072 bytes"},
      // Names that check, plan and stage would join to folders of their own.
      {"an archive above the folder", [](Json& j) { j["packages"][0]["archive"] = "../outside.7z"; },
       unreadable + "packages[0].archive: " + outside},
      {"an absolute archive", [](Json& j) { j["packages"][1]["archive"] = "/etc/passwd"; },
       unreadable + "packages[1].archive: " + outside},
      {"an archive in a folder", [](Json& j) { j["packages"][0]["archive"] = "sub\\a.7z"; },
       unreadable + "packages[0].archive: not a file name: it names a folder too"},
      {"an archive without a name", [](Json& j) { j["packages"][0]["archive"] = ""; },
       unreadable + "packages[0].archive: empty"},
      {"a device for an archive", [](Json& j) { j["packages"][0]["archive"] = "CON.7z"; },
       unreadable + "packages[0].archive: " + outside},
      {"a submission on a drive", [](Json& j) { j["submission"]["archive"] = "C:\\NAVU.7z"; },
       unreadable + "submission.archive: " + outside},
      {"an INF above the package", [](Json& j) { j["packages"][0]["inf"] = "..\\..\\etc\\shadow"; },
       unreadable + "packages[0].inf: " + outside},
      {"an absolute catalog", [](Json& j) { j["packages"][0]["catalog"] = "\\\\server\\share\\x.cat"; },
       unreadable + "packages[0].catalog: " + outside},
      {"a file above the package", [](Json& j) { j["packages"][0]["files"][1]["path"] = "x64\\..\\..\\y"; },
       unreadable + "packages[0].files[1].path: " + outside},
      {"a store folder of two", [](Json& j) { j["packages"][0]["storeFolder"] = "a\\b"; },
       unreadable + "packages[0].storeFolder: not a file name: it names a folder too"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Json j = SmallIndexJson();
    c.change(j);
    EXPECT_EQ(ReadError(j.dump()), c.error);
  }
}

TEST_F(BackupIndexText, AnIndexThatIsNoJsonOrTooBigIsAnErrorNamingTheFile) {
  const std::string unreadable = "not a backup index that can be read: ";
  const std::string golden = ReadAll(kData / "small-index.json");
  EXPECT_EQ(ReadError(golden.substr(0, golden.size() / 2)).rfind(unreadable + "parse error at line ", 0), 0u);
  EXPECT_EQ(ReadError("").rfind(unreadable + "parse error at line 1, column 1", 0), 0u);
  // Bytes that are no UTF-8 inside a string.
  std::string latin1 = golden;
  latin1.replace(latin1.find("Northwind USB"), 1, "\xC4");  // a Latin-1 letter before a lower-case one
  EXPECT_NE(ReadError(latin1).find("ill-formed UTF-8"), std::string::npos);

  // Nested deeper than any index: refused before anything is built from it.
  const size_t depth = 100000;
  EXPECT_EQ(ReadError(R"({"format": "Quillon backup index", "version": 1, "created": )" + std::string(depth, '[') +
                      std::string(depth, ']') + "}"),
            unreadable + "nested deeper than 16 levels");

  // A string longer than any field's text: refused before the parser holds it whole.
  EXPECT_EQ(ReadError(R"({"format": "Quillon backup index", "version": 1, "created": ")" + std::string(1 << 20, 'x') +
                      "\"}"),
            unreadable + "a string longer than 786432 characters");
  // The longest text a field holds passes, each of its bytes escaped in full.
  std::string escapes;
  for (int i = 0; i < 131072; ++i) escapes += "\\u0001";
  EXPECT_EQ(ReadError(R"({"format": "Quillon backup index", "version": 1, "created": ")" + escapes + "\"}"),
            unreadable + "record: missing");

  // Larger than an index can be: refused unread (the file is sparse).
  const fs::path big = folder_ / "Quillon-index-2026_12_10_02_33_29.json";
  WriteAll(big, "{}");
  fs::resize_file(big, (uint64_t(256) << 20) + 1);
  EXPECT_THROW(
      {
        try {
          backup::ReadBackupIndex(big);
        } catch (const QuillonError& e) {
          EXPECT_EQ(std::string(e.what()), big.string() + ": larger than an index can be");
          throw;
        }
      },
      QuillonError);

  EXPECT_THROW(backup::ReadBackupIndex(folder_ / "Quillon-index-none.json"), QuillonError);
}

}  // namespace
