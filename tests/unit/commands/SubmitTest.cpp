// Prepare NAVU Submission: one dated archive of the per-device archives of every
// passing, non-Microsoft driver; what stays in the chosen folder; Explorer.
#include "backup/ArchiveNames.h"
#include "tests/unit/commands/CommandMachine.h"

namespace commandtest {
namespace {

class Submit : public CommandTest {
 protected:
  void SetUp() override {
    Start();
    offline::SetClockOverride(LocalTime(3, 4, 5));
  }
  void Run() { RunHandler([&] { form->btnSubmitClick(); }); }
};

TEST_F(Submit, LeavesOnlyTheDatedArchiveAndSelectsIt) {
  const fs::path out = Pick();
  Run();
  const std::string name = "NAVU-2026_01_02_03_04_05.7z";
  EXPECT_EQ(Tree(out), (std::set<std::string>{name, kIndexAt030405}));  // one stamp names both
  EXPECT_EQ(events.back(), "[start] explorer.exe /select," + (out / name).string());
  EXPECT_EQ(events[events.size() - 2], "[progress] closed");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(form->dlg()->Title(), u"Preparing NAVU Submission");
  EXPECT_TRUE(LogEndsWithComplete());
  // Each passing device was exported on the way; the failing one only verified.
  const WString log = Log();
  size_t exports = 0;
  for (size_t at = log.find(u"*** Exporting Driver ***"); at != WString::npos;
       at = log.find(u"*** Exporting Driver ***", at + 1))
    ++exports;
  EXPECT_GE(exports, 8u);
  EXPECT_NE(log.find(u"Error      : File not found in the catalog"), WString::npos);
}

TEST_F(Submit, ArchivesAPackageSharedByTwoDevicesOnceAndHoldsItOnce) {
  ASSERT_EQ(Listed(kLitaudio).DriverStore, Listed(u"ROOT\\LITAUDIO\\0001").DriverStore);
  const fs::path out = Pick();
  Run();
  const std::string listing = ArchiveListing(out / "NAVU-2026_01_02_03_04_05.7z");
  const WString entries = text::FromUtf8(listing);
  EXPECT_EQ(Occurrences(entries, u"Litware Virtual Audio_2.4.0.7.7z"), 1u) << listing;
  EXPECT_EQ(Occurrences(Log(), u"*** Archiving Files ***"), Occurrences(entries, u".7z\n") + 1)
      << "one archive step per package and one for the submission";
}

TEST_F(Submit, TurnsTheMicrosoftOptionOffAndRescansFirst) {
  form->mnuIncludeMicrosoftClick();
  form->btnScanClick();
  ASSERT_NO_THROW(Listed(kMicrosoftAudio));
  events.clear();
  Pick();
  Run();
  EXPECT_FALSE(view.includeMicrosoft.Checked());
  EXPECT_EQ(events.front(), "[progress] Scanning Hardware");
  for (const TDevice& d : form->DeviceList()) EXPECT_NE(d.ProviderName, u"Microsoft") << text::ToUtf8(d.InstanceId);
  EXPECT_EQ(Log().find(u"msaudio"), WString::npos);
}

TEST_F(Submit, WithTheOptionOffThereIsNoRescan) {
  Pick();
  Run();
  EXPECT_NE(events.front(), "[progress] Scanning Hardware");
}

TEST_F(Submit, ACancelledPickerSelectsAnEmptyName) {
  CancelPicker();
  view.output.SetText(u"earlier");
  Run();
  EXPECT_EQ(events, (std::vector<std::string>{"[start] explorer.exe /select,"}));
  EXPECT_EQ(Log(), u"earlier\r\n*** Complete ***\r\n\r\n");
}

TEST_F(Submit, TwoSubmissionsInOneSecondGiveOneArchive) {
  const fs::path out = Pick();
  Run();
  const std::string name = "NAVU-2026_01_02_03_04_05.7z";
  WriteFile(out / name, "the first");
  Run();
  // The archive is replaced; each index is a new file.
  EXPECT_EQ(Tree(out), (std::set<std::string>{name, kIndexAt030405, kSecondIndexAt030405}));
  EXPECT_NE(ReadFile(out / name), "the first");
  offline::SetClockOverride(LocalTime(23, 59, 9));
  Run();
  EXPECT_EQ(Tree(out), (std::set<std::string>{name, kIndexAt030405, kSecondIndexAt030405,
                                              "NAVU-2026_01_02_23_59_09.7z", "Quillon-index-2026_01_02_23_59_09.json"}));
}

TEST_F(Submit, AnEarlierExportOfTheSameDriverStays) {
  const fs::path out = Pick();
  WriteFile(out / "Audio CodecHD_6.0.1.1.7z", "an earlier export");
  WriteFile(out / "notes.txt", "mine");
  Run();
  const std::set<std::string> left = Tree(out);
  EXPECT_EQ(left, (std::set<std::string>{"Audio CodecHD_6.0.1.1.7z", "notes.txt", "NAVU-2026_01_02_03_04_05.7z",
                                         kIndexAt030405}));
  EXPECT_EQ(ReadFile(out / "notes.txt"), "mine");
}

TEST_F(Submit, AFailedSubmissionArchiveStillRemovesThePerDeviceArchivesAndIsNotShown) {
  const fs::path out = Pick();
  WriteFile(out / "NAVU-2026_01_02_03_04_05.7z" / "inside", "blocks the name");
  Run();
  const std::vector<std::string> messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("[error] ", 0), 0u);
  EXPECT_EQ(Tree(out), (std::set<std::string>{"NAVU-2026_01_02_03_04_05.7z/", "NAVU-2026_01_02_03_04_05.7z/inside"}));
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(form->frmProgress(), nullptr);
  EXPECT_TRUE(LogEndsWithComplete());
}

TEST_F(Submit, AnErrorRaisedForOneDeviceIsShownAndTheSubmissionHoldsTheOthers) {
  const fs::path inside = PackageDir(kAudioCodecPackage) / "out";  // the first device listed
  fs::create_directories(inside);
  view.pickFolder = text::FromPath(inside);  // its copy would overlap the chosen folder
  Run();
  const std::vector<std::string> messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("the folders overlap"), std::string::npos);
  EXPECT_LT(IndexOf(messages[0]), IndexOf("[progress] closed"));
  // Only the submission and its index are left: the per-device archives of the others went into it.
  EXPECT_EQ(Tree(inside), (std::set<std::string>{"NAVU-2026_01_02_03_04_05.7z", kIndexAt030405}));
}

TEST_F(Submit, TheSharedDialogKeepsTheTitleOfWhicheverCommandMadeIt) {
  Pick();
  RunHandler([&] { form->btnExportAllClick(); });
  Run();
  EXPECT_EQ(form->dlg()->Title(),
            u"Exporting " + text::FromInt(int64_t(form->DeviceList().size())) + u" devices to selected folder");
}

class EmptySubmit : public CommandTest {
 protected:
  void SetUp() override { Start("empty-machine"); }
};

TEST_F(EmptySubmit, NoDevicesMeansNoArchiveAndAnEmptySelection) {
  const fs::path out = Pick();
  RunHandler([&] { form->btnSubmitClick(); });
  EXPECT_EQ(view.pickerRuns, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"[start] explorer.exe /select,"}));
  EXPECT_TRUE(Tree(out).empty());
}

TEST(SubmissionName, IsNavuAndTheZeroPaddedLocalTime) {
  EXPECT_EQ(backup::SubmissionBaseName(u"out", LocalTime(14, 5, 9)),
            paths::Join(u"out", u"NAVU-2026_01_02_14_05_09"));
  winapi::SystemTime t = LocalTime(0, 0, 0);
  t.wYear = 999;
  t.wMonth = 12;
  t.wDay = 31;
  EXPECT_EQ(backup::SubmissionBaseName(u"out", t), paths::Join(u"out", u"NAVU-0999_12_31_00_00_00"));
}

}  // namespace
}  // namespace commandtest
