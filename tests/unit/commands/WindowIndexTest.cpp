// The backup index the window's Export Driver, Export All and submission write
// beside their archives: what it names, that `check` and the backup reader take
// the window's backups whole from it, and that a failure to write it is shown.
#include "backup/BackupCheck.h"
#include "backup/BackupIndex.h"
#include "tests/unit/commands/CommandMachine.h"

namespace commandtest {
namespace {

const std::string& kIndex = kIndexAt030405;
const std::string kAudioArchive = "Audio CodecHD_6.0.1.1.7z";
const std::string kSubmission = "NAVU-2026_01_02_03_04_05.7z";

std::set<std::string> Names(const std::vector<backup::BackupPackage>& packages) {
  std::set<std::string> names;
  for (const backup::BackupPackage& p : packages) names.insert(text::ToUtf8(p.archive));
  return names;
}

// The archives of a folder listing, the index left out.
std::set<std::string> ArchivesOf(std::set<std::string> listing) {
  listing.erase(kIndex);
  return listing;
}

class WindowIndex : public CommandTest {
 protected:
  void Begin(bool sevenZip = true) {
    Start("command-machine", sevenZip);
    offline::SetClockOverride(LocalTime(3, 4, 5));
  }
  void Run(void (TfrmMainForm::*handler)()) { RunHandler([&] { (form.get()->*handler)(); }); }
  // Every listed device exported into `out` by a run of two workers; the index of
  // that run as its export step read each package must be the index made by
  // reading every archive back.
  void ExpectTheExportsIndexIsTheArchivesIndex(const fs::path& out) {
    const WString library = form->SevenZipLibraryPath();
    std::vector<backup::TDeviceOutcome> outcomes =
        backup::RunDevices(form->DeviceList(), {{text::FromPath(out), library}, 2}, {});
    size_t exported = 0;
    for (const backup::TDeviceOutcome& outcome : outcomes) {
      if (!outcome.exported()) continue;
      ++exported;
      EXPECT_TRUE(outcome.package) << text::ToUtf8(outcome.archive) << ": the export did not read its package";
    }
    ASSERT_GE(exported, 8u);
    WStringList problems;
    const backup::BackupIndex fromExport = backup::IndexOfRun(form->DeviceList(), outcomes, library, problems);
    for (backup::TDeviceOutcome& outcome : outcomes) outcome.package.reset();
    const backup::BackupIndex readBack = backup::IndexOfRun(form->DeviceList(), outcomes, library, problems);
    EXPECT_EQ(problems, WStringList());
    ASSERT_EQ(fromExport.packages.size(), readBack.packages.size());
    EXPECT_GE(fromExport.packages.size(), 8u);
    for (size_t i = 0; i < readBack.packages.size(); ++i) {
      SCOPED_TRACE(text::ToUtf8(readBack.packages[i].archive));
      EXPECT_FALSE(readBack.packages[i].files.empty());
      EXPECT_EQ(fromExport.packages[i], readBack.packages[i]);
    }
  }
  // Catalogs are left to the signing tests: a check without a checker names why.
  backup::BackupCheckReport Check(const fs::path& path) const {
    return backup::CheckBackup(path, form->SevenZipLibraryPath(), {nullptr, u"not asked", {}});
  }
};

TEST_F(WindowIndex, ExportDriverWritesTheIndexOfItsArchiveWithTheVerdictAndNoRecord) {
  Begin();
  Select(kAudioCodec);
  const fs::path out = Pick();
  Run(&TfrmMainForm::btnExportClick);
  EXPECT_EQ(Tree(out), (std::set<std::string>{kAudioArchive, kIndex}));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"[information] Driver exported successfully."}));

  const backup::BackupIndex index = backup::ReadBackupIndex(out / kIndex);
  EXPECT_EQ(index.created, "2026-01-02T03:04:05");
  EXPECT_TRUE(index.record.empty());
  EXPECT_TRUE(index.submission.empty());
  ASSERT_EQ(index.packages.size(), 1u);
  const backup::BackupPackage& package = index.packages[0];
  EXPECT_EQ(text::ToUtf8(package.archive), kAudioArchive);
  EXPECT_EQ(package.archiveSize, fs::file_size(out / kAudioArchive));
  EXPECT_EQ(text::ToUtf8(package.storeFolder), kAudioCodecPackage);
  EXPECT_EQ(package.infName, u"audiocodec.inf");
  EXPECT_EQ(package.signature, u"signed");
  EXPECT_FALSE(package.signer.empty());
  EXPECT_EQ(Names(backup::ReadBackup(out, form->SevenZipLibraryPath()).packages),
            (std::set<std::string>{kAudioArchive}));

  // Exported again in the same second: the archive is replaced, the first index kept.
  Run(&TfrmMainForm::btnExportClick);
  EXPECT_EQ(Tree(out),
            (std::set<std::string>{kAudioArchive, kIndex, kSecondIndexAt030405}));
}

TEST_F(WindowIndex, ExportAllIsReadWholeThroughItsIndexAndChecksSound) {
  Begin();
  const fs::path out = Pick();
  Run(&TfrmMainForm::btnExportAllClick);
  ASSERT_TRUE(Messages().empty());
  const std::set<std::string> archives = ArchivesOf(Tree(out));
  ASSERT_EQ(Tree(out).count(kIndex), 1u);
  ASSERT_GE(archives.size(), 8u);

  const backup::BackupContents contents = backup::ReadBackup(out, form->SevenZipLibraryPath());
  EXPECT_TRUE(contents.fromIndex);
  EXPECT_TRUE(contents.notes.empty()) << text::ToUtf8(contents.notes.front());
  EXPECT_EQ(Names(contents.packages), archives);  // a package shared by two devices once

  const backup::BackupCheckReport report = Check(out);
  EXPECT_EQ(text::ToUtf8(report.index), kIndex);
  EXPECT_TRUE(report.notIndexed.empty());
  EXPECT_TRUE(report.missing.empty());
  EXPECT_EQ(report.archives.size(), archives.size());
  for (const backup::ArchiveCheck& archive : report.archives)
    EXPECT_TRUE(archive.sound()) << text::ToUtf8(archive.archive) << ": " << text::ToUtf8(archive.problems.front());
  EXPECT_TRUE(report.sound());
}

TEST_F(WindowIndex, TheSubmissionsIndexDescribesWhatTheSubmissionHolds) {
  Begin();
  const fs::path out = Pick();
  Run(&TfrmMainForm::btnSubmitClick);
  ASSERT_EQ(Tree(out), (std::set<std::string>{kSubmission, kIndex}));  // one stamp names both

  const backup::BackupIndex index = backup::ReadBackupIndex(out / kIndex);
  EXPECT_EQ(text::ToUtf8(index.submission), kSubmission);
  EXPECT_EQ(index.submissionSize, fs::file_size(out / kSubmission));
  EXPECT_EQ(index.submissionSha256.size(), 64u);
  EXPECT_GE(index.packages.size(), 8u);
  const WString listing = text::FromUtf8(ArchiveListing(out / kSubmission));
  for (const backup::BackupPackage& package : index.packages)
    EXPECT_EQ(Occurrences(listing, package.archive), 1u) << text::ToUtf8(package.archive);

  const backup::BackupCheckReport report = Check(out);
  EXPECT_EQ(text::ToUtf8(report.submission), kSubmission);
  EXPECT_EQ(text::ToUtf8(report.index), kIndex);
  EXPECT_EQ(report.archives.size(), index.packages.size() + 1);  // the submission itself and each it holds
  EXPECT_TRUE(report.notIndexed.empty());
  EXPECT_TRUE(report.sound());
}

TEST_F(WindowIndex, TheExportStepsPackagesAreWhatTheSevenZipArchivesHold) {
  Begin();
  ExpectTheExportsIndexIsTheArchivesIndex(Pick());
}

TEST_F(WindowIndex, TheExportStepsPackagesAreWhatTheZipArchivesHold) {
  Begin(false);
  ASSERT_TRUE(form->SevenZipLibraryPath().empty());
  ExpectTheExportsIndexIsTheArchivesIndex(Pick());
}

TEST_F(WindowIndex, NothingExportedWritesNoIndex) {
  Begin();
  Select(kTailspin);  // fails verification
  const fs::path out = Pick();
  Run(&TfrmMainForm::btnExportClick);
  EXPECT_TRUE(Tree(out).empty());

  Select(kAudioCodec);
  WriteFile(out / kAudioArchive / "mine.txt", "the user's");  // the archive step fails
  Run(&TfrmMainForm::btnExportClick);
  EXPECT_EQ(Tree(out), (std::set<std::string>{kAudioArchive + "/", kAudioArchive + "/mine.txt"}));
  EXPECT_EQ(Messages().size(), 2u);  // the verification's and the archive step's, no index error
}

// A chosen folder whose path leaves room for the archive's name but not for the
// longer name of the index (Linux allows paths of 4095 bytes).
fs::path DeepFolder(const fs::path& root, size_t room) {
  fs::path folder = root;
  while (4095 - room - folder.string().size() > 255) folder /= std::string(200, 'd');
  folder /= std::string(4095 - room - folder.string().size() - 1, 'e');  // 54 to 254 characters
  fs::create_directories(folder);
  return folder;
}

TEST_F(WindowIndex, AnIndexThatCannotBeWrittenIsShownAndTheArchiveStays) {
  Begin(false);  // .Zip: written straight under its name
  Select(kAudioCodec);
  const std::string archive = "Audio CodecHD_6.0.1.1.Zip";
  const fs::path out = DeepFolder(Pick(), 1 + archive.size() + 8);
  view.pickFolder = text::FromPath(out);
  Run(&TfrmMainForm::btnExportClick);

  EXPECT_EQ(Tree(out), (std::set<std::string>{archive}));
  const std::vector<std::string> messages = Messages();
  ASSERT_EQ(messages.size(), 1u);  // the error, and no success
  EXPECT_EQ(messages[0].rfind("[error] The backup index was not written: ", 0), 0u) << messages[0];
  EXPECT_NE(messages[0].find(kIndex), std::string::npos) << messages[0];
  EXPECT_NE(messages[0].find("too long"), std::string::npos) << messages[0];
  EXPECT_EQ(events.back(), "[start] explorer.exe /select," + (out / archive).string());  // it was written
}

}  // namespace
}  // namespace commandtest
