// The backup index as written (pinned byte for byte: indexes already on backup
// disks and `check`/`plan` read this text) and as read back.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "backup/BackupIndex.h"
#include "platform/Errors.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

  const fs::path folder_ = fs::temp_directory_path() / ("quillon-index-" + std::to_string(::getpid()));
};

TEST_F(BackupIndexText, IsWrittenAsIndexesAlwaysWere) {
  const fs::path file = Written(SmallIndex());
  EXPECT_EQ(file.filename(), "Quillon-index-2026_12_10_02_33_27.json");
  EXPECT_EQ(ReadAll(file), ReadAll(kData / "small-index.json"));

  // Without record and submission both are null.
  EXPECT_EQ(ReadAll(Written(backup::BackupIndex{.created = "2026-12-10T02:33:27"})),
            ReadAll(kData / "empty-index.json"));
}

}  // namespace
