// What a backup written by `quillon export-all` of the sample installation holds,
// read back from its archives.
#include "backup/BackupContents.h"
#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

class BackupReading : public CliTest {
 protected:
  // export-all of the sample installation into `out`.
  fs::path Backup(const std::string& name = "backup") {
    const fs::path out = Root() / name;
    const RunResult r = Quillon({"export-all", "--to", out.string()});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;  // Tailspin and the driverless device fail verification
    return out;
  }
  static const backup::BackupPackage& Package(const backup::BackupContents& contents, const std::string& inf) {
    for (const backup::BackupPackage& p : contents.packages)
      if (p.infName == text::FromUtf8(inf)) return p;
    throw std::runtime_error("no package " + inf);
  }
};

TEST_F(BackupReading, ReadsEveryArchiveOfAnExportWithItsInfAndFiles) {
  const fs::path out = Backup();
  const backup::BackupContents contents = backup::ReadBackup(out, u"");
  EXPECT_EQ(contents.notes, WStringList());
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
  ASSERT_EQ(contents.notes.size(), 2u);
  EXPECT_NE(contents.notes[0].find(u"NoInf.7z: the package holds no INF file"), WString::npos) << text::ToUtf8(contents.notes[0]);
  EXPECT_NE(contents.notes[1].find(u"random.7z: not a .7z or .Zip archive"), WString::npos) << text::ToUtf8(contents.notes[1]);

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
  ASSERT_EQ(contents.notes.size(), 1u);
  EXPECT_NE(contents.notes[0].find(u"broken.7z: nwserial.inf, line 3: "), WString::npos)
      << text::ToUtf8(contents.notes[0]);
}

}  // namespace
}  // namespace clitest
