// What a backup written by `quillon export-all` of the sample installation holds,
// read from its index and from its archives.
#include "backup/BackupContents.h"
#include "backup/BackupIndex.h"
#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

class BackupReading : public CliTest {
 protected:
  static const backup::BackupPackage& Package(const backup::BackupContents& contents, const std::string& inf) {
    for (const backup::BackupPackage& p : contents.packages)
      if (p.infName == text::FromUtf8(inf)) return p;
    throw std::runtime_error("no package " + inf);
  }
};

TEST_F(BackupReading, TheIndexHoldsWhatTheArchivesHold) {
  const fs::path out = Backup();
  const backup::BackupContents indexed = backup::ReadBackup(out, u"");
  EXPECT_TRUE(indexed.fromIndex);
  EXPECT_EQ(indexed.notes, WStringList());
  fs::remove(IndexIn(out));
  const backup::BackupContents read = backup::ReadBackup(out, u"");
  EXPECT_FALSE(read.fromIndex);
  EXPECT_EQ(read.notes, WStringList{u"No backup index: the archives were read."});

  ASSERT_EQ(indexed.packages.size(), 6u);
  ASSERT_EQ(read.packages.size(), 6u);
  for (const backup::BackupPackage& fromArchive : read.packages) {
    const backup::BackupPackage& p = Package(indexed, text::ToUtf8(fromArchive.infName));
    SCOPED_TRACE(text::ToUtf8(p.archive));
    EXPECT_EQ(p.archive, fromArchive.archive);
    EXPECT_EQ(p.archiveSize, fromArchive.archiveSize);
    EXPECT_EQ(p.archiveSha256, Sha256(out / text::ToUtf8(p.archive), Scratch()));
    EXPECT_EQ(p.format, fromArchive.format);
    EXPECT_EQ(p.version.provider, fromArchive.version.provider);
    EXPECT_EQ(p.version.version, fromArchive.version.version);
    EXPECT_EQ(p.version.date, fromArchive.version.date);
    EXPECT_EQ(p.version.catalogFiles, fromArchive.version.catalogFiles);
    EXPECT_EQ(p.catalog, fromArchive.catalog);
    ASSERT_EQ(p.manufacturers.size(), fromArchive.manufacturers.size());
    for (size_t i = 0; i < p.manufacturers.size(); ++i)
      EXPECT_EQ(p.manufacturers[i].decorations, fromArchive.manufacturers[i].decorations);
    ASSERT_EQ(p.files.size(), fromArchive.files.size());
    for (size_t i = 0; i < p.files.size(); ++i) {
      EXPECT_EQ(p.files[i].path, fromArchive.files[i].path);
      EXPECT_EQ(p.files[i].sha256, fromArchive.files[i].sha256);
    }
    // Only the export knows where the package came from and how it verified.
    EXPECT_EQ(p.storeFolder.rfind(p.infName + u"_amd64_", 0), 0u) << text::ToUtf8(p.storeFolder);
    EXPECT_TRUE(fromArchive.storeFolder.empty());
    EXPECT_EQ(p.signature, u"signed");  // Litware's too: a system catalog lists its INF
  }
}

TEST_F(BackupReading, AnExportedPackageTakesTheRecordsHashOnlyAtTheSizeItWasMeasured) {
  const fs::path archive = Backup() / "Litware Virtual Audio_2.4.0.7.7z";
  const WString path = text::FromPath(archive);
  const uint64_t size = fs::file_size(archive);
  const std::string recorded(64, 'a');  // not the file's: taken, the archive was not hashed again
  const TDevice device;
  const backup::TVerifyReport verification;
  backup::ArchiveDigest known{size, recorded};
  EXPECT_EQ(backup::ExportedPackage(path, device, verification, u"", &known).archiveSha256, recorded);
  known.size = size + 1;  // the file changed since it was measured
  EXPECT_EQ(backup::ExportedPackage(path, device, verification, u"", &known).archiveSha256, Sha256(archive, Scratch()));
  EXPECT_EQ(backup::ExportedPackage(path, device, verification, u"").archiveSha256, Sha256(archive, Scratch()));
}

TEST_F(BackupReading, AnIndexThatDoesNotMatchTheArchivesIsPassedOverSayingWhy) {
  const fs::path out = Backup();
  const fs::path archive = out / "Litware Virtual Audio_2.4.0.7.7z";
  const std::string bytes = e2e::ReadFile(archive);
  e2e::WriteFile(archive, bytes + "x");
  backup::BackupContents contents = backup::ReadBackup(out, u"");
  EXPECT_FALSE(contents.fromIndex);
  ASSERT_GE(contents.notes.size(), 1u);
  EXPECT_EQ(contents.notes[0].rfind(u"The index " + text::FromUtf8(IndexIn(out).filename().string()) +
                                        u" does not match the archives (Litware Virtual Audio_2.4.0.7.7z is " +
                                        text::FromUInt(bytes.size() + 1) + u" bytes, the index says " +
                                        text::FromUInt(bytes.size()) + u")",
                                    0),
            0u)
      << text::ToUtf8(contents.notes[0]);

  e2e::WriteFile(archive, bytes);
  fs::rename(archive, Root() / "elsewhere.7z");
  contents = backup::ReadBackup(out, u"");
  EXPECT_FALSE(contents.fromIndex);
  EXPECT_NE(contents.notes[0].find(u"its archive Litware Virtual Audio_2.4.0.7.7z is missing"), WString::npos)
      << text::ToUtf8(contents.notes[0]);
  EXPECT_EQ(contents.packages.size(), 5u);

  e2e::WriteFile(IndexIn(out), "{\"format\": \"Quillon backup index\", \"version\": 1, \"created\": 7}");
  contents = backup::ReadBackup(out, u"");
  EXPECT_FALSE(contents.fromIndex);
  EXPECT_NE(contents.notes[0].find(u"not a backup index that can be read: created: a string was expected, not 7"),
            WString::npos)
      << text::ToUtf8(contents.notes[0]);
}

TEST_F(BackupReading, ReadsEveryArchiveOfAnExportWithItsInfAndFiles) {
  const fs::path out = Backup();
  fs::remove(IndexIn(out));
  const backup::BackupContents contents = backup::ReadBackup(out, u"");
  ASSERT_EQ(contents.packages.size(), 6u);

  const backup::BackupPackage& gfx = Package(contents, "contgfx.inf");
  EXPECT_EQ(gfx.archive, u"Contoso GeForce GTX 1050 Ti_31.0.15.3623.7z");
  EXPECT_EQ(gfx.format, u"7z");
  EXPECT_EQ(gfx.archiveSize, fs::file_size(out / "Contoso GeForce GTX 1050 Ti_31.0.15.3623.7z"));
  EXPECT_EQ(gfx.version.className, u"Display");
  EXPECT_EQ(gfx.version.provider, u"%ProviderName%");  // "%%" is one '%'
  EXPECT_EQ(gfx.version.version.ToString(), u"31.0.15.3623");
  EXPECT_EQ(gfx.version.date->ToString(), u"06/21/2023");
  EXPECT_EQ(gfx.catalog, u"contgfx.cat");
  ASSERT_EQ(gfx.manufacturers.size(), 1u);
  EXPECT_EQ(gfx.manufacturers[0].decorations, WStringList{u"NTamd64"});

  // Every file of the store folder but the .pnf, with its size and SHA-256, sub-folders '\'-separated.
  const fs::path store = StoreFolder("contgfx.inf_amd64_5f1d2c3b4a596877");
  std::set<std::string> expected = e2e::PackageContent(store), read;
  for (const backup::BackupFile& f : gfx.files) {
    std::string path = text::ToUtf8(f.path);
    std::replace(path.begin(), path.end(), '\\', '/');
    read.insert(path);
    EXPECT_EQ(f.size, fs::file_size(store / path)) << path;
    EXPECT_EQ(f.sha256, Sha256(store / path, Scratch())) << path;
  }
  EXPECT_EQ(read, expected);
  EXPECT_TRUE(read.count("bin/contgfx_cpl.dll"));
}

TEST_F(BackupReading, AnArchiveThatCannotBeReadIsNamedAndTheOthersAreRead) {
  const fs::path out = Backup();
  e2e::WriteFile(out / "random.7z", std::string(4096, '\x5a'));
  // An archive whose package has no INF.
  const fs::path loose = Root() / "loose";
  fs::create_directories(loose);
  e2e::WriteFile(loose / "readme.txt", "no driver here");
  ASSERT_EQ(e2e::RunProgram("/usr/bin/7z", {"a", (out / "NoInf.7z").string(), (loose / "readme.txt").string()},
                            Scratch()).exitCode, 0);

  const backup::BackupContents contents = backup::ReadBackup(out, u"");
  EXPECT_EQ(contents.packages.size(), 6u);
  ASSERT_EQ(contents.notes.size(), 3u);  // the index names neither
  EXPECT_NE(contents.notes[0].find(u"it does not name NoInf.7z"), WString::npos) << text::ToUtf8(contents.notes[0]);
  EXPECT_NE(contents.notes[1].find(u"NoInf.7z: the package holds no INF file"), WString::npos) << text::ToUtf8(contents.notes[1]);
  EXPECT_NE(contents.notes[2].find(u"random.7z: not a .7z or .Zip archive"), WString::npos) << text::ToUtf8(contents.notes[2]);

  // A folder without archives is an error naming it.
  fs::create_directories(Root() / "empty");
  EXPECT_THROW(backup::ReadBackup(Root() / "empty", u""), QuillonError);
}

TEST_F(BackupReading, TheInfOfAPackageInATopFolderIsFoundAndItsErrorsNameTheArchive) {
  const fs::path top = Root() / "top" / "nwserial.inf_amd64_1122334455667788";
  fs::create_directories(top.parent_path());
  fs::copy(StoreFolder("nwserial.inf_amd64_1122334455667788"), top, fs::copy_options::recursive);
  ASSERT_TRUE(fs::remove(top / "nwserial.pnf"));
  const fs::path out = Root() / "out";
  fs::create_directories(out);
  ASSERT_EQ(e2e::RunProgram("/usr/bin/7z", {"a", "-tzip", (out / "serial.zip").string(), top.string()}, Scratch())
                .exitCode, 0);
  e2e::WriteFile(top / "nwserial.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\nDriverVer=13/40/2020,1.0\r\n");
  ASSERT_EQ(e2e::RunProgram("/usr/bin/7z", {"a", (out / "broken.7z").string(), top.string()}, Scratch()).exitCode, 0);

  const backup::BackupContents contents = backup::ReadBackup(out, u"");
  ASSERT_EQ(contents.packages.size(), 1u);
  const backup::BackupPackage& serial = contents.packages[0];
  EXPECT_EQ(serial.format, u"zip");
  EXPECT_EQ(serial.storeFolder, u"nwserial.inf_amd64_1122334455667788");
  EXPECT_EQ(serial.infName, u"nwserial.inf");
  EXPECT_EQ(serial.version.className, u"Ports");
  std::set<WString> paths;
  for (const backup::BackupFile& f : serial.files) paths.insert(f.path);
  EXPECT_TRUE(paths.count(u"x64\\nwserial.sys"));
  ASSERT_EQ(contents.notes.size(), 2u);
  EXPECT_NE(contents.notes[1].find(u"broken.7z: nwserial.inf, line 3: "), WString::npos)
      << text::ToUtf8(contents.notes[1]);
}

}  // namespace
}  // namespace clitest
