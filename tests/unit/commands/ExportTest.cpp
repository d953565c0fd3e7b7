// Export Driver, Export All and ExportDriver on the generated command machine:
// what lands in the chosen folder, what the user is told, what Explorer shows,
// and that the progress window is closed on every way out.
#include "platform/Errors.h"
#include "tests/unit/commands/CommandMachine.h"

namespace commandtest {
namespace {

const std::string kVerifyFailed = "[error] Verify completed with errors. See Shell output for details.";
const std::string kAudioArchive = "Audio CodecHD_6.0.1.1.7z";
const std::string& kIndex = kIndexAt030405;

// A listing of the chosen folder without the backup index the command wrote.
std::set<std::string> WithoutIndex(std::set<std::string> listing) {
  EXPECT_EQ(listing.erase(kIndex), 1u) << "no " << kIndex;
  return listing;
}

class Export : public CommandTest {
 protected:
  void SetUp() override {
    Start();
    offline::SetClockOverride(LocalTime(3, 4, 5));
  }
  // Runs a handler as the window does: an escaping error becomes an error box.
  void Run(void (TfrmMainForm::*handler)()) { RunHandler([&] { (form.get()->*handler)(); }); }
};

TEST_F(Export, ExportDriverArchivesTheStoreFolderThenSaysSoAndSelectsTheArchive) {
  Select(kAudioCodec);
  const fs::path out = Pick();
  Run(&TfrmMainForm::btnExportClick);

  EXPECT_EQ(Tree(out), (std::set<std::string>{kAudioArchive, kIndex}));  // the work folder "audiocodec" is gone
  const std::string archive = (out / kAudioArchive).string();
  const std::vector<std::string> tail(events.end() - 4, events.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"[progress] Creating Archive", "[progress] closed",
                                            "[information] Driver exported successfully.",
                                            "[start] explorer.exe /select," + archive}));
  EXPECT_EQ(events.front(), "[progress] Verifying Driver Files");
  EXPECT_LT(IndexOf("[progress] Exporting Driver"), IndexOf("[progress] Creating Archive"));
  const WString log = Log();
  const size_t exporting = log.find(u"*** Exporting Driver ***\r\n");
  ASSERT_NE(exporting, WString::npos);
  EXPECT_NE(log.find(u"*** Archiving Files ***\r\n", exporting), WString::npos);
  EXPECT_TRUE(LogEndsWithComplete());
  EXPECT_EQ(form->dlg()->DefaultFolder(), text::FromPath(out));
  EXPECT_EQ(form->dlg()->Title(), u"");  // Export Driver gives the shared dialog no title
}

TEST_F(Export, AFailedVerificationExportsNothing) {
  Select(kTailspin);
  const fs::path out = Pick();
  Run(&TfrmMainForm::btnExportClick);
  EXPECT_TRUE(Tree(out).empty());
  EXPECT_EQ(Messages(), (std::vector<std::string>{kVerifyFailed}));
  EXPECT_LT(IndexOf("[progress] closed"), IndexOf(kVerifyFailed));
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(Log().find(u"*** Exporting Driver ***"), WString::npos);
}

TEST_F(Export, ACancelledPickerDoesNothing) {
  Select(kAudioCodec);
  CancelPicker();
  view.output.SetText(u"kept");
  Run(&TfrmMainForm::btnExportClick);
  EXPECT_EQ(view.pickerRuns, 1);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(Log(), u"kept");
}

TEST_F(Export, ExportingTheSameDeviceTwiceReplacesTheArchive) {
  Select(kAudioCodec);
  const fs::path out = Pick();
  Run(&TfrmMainForm::btnExportClick);
  const std::string first = ReadFile(out / kAudioArchive);
  WriteFile(out / kAudioArchive, "not an archive");
  Run(&TfrmMainForm::btnExportClick);
  EXPECT_EQ(Tree(out), (std::set<std::string>{kAudioArchive, kIndex, kSecondIndexAt030405}));
  EXPECT_EQ(ReadFile(out / kAudioArchive).substr(0, 6), first.substr(0, 6));  // a 7z signature again
  EXPECT_EQ(Messages().back(), "[information] Driver exported successfully.");
}

TEST_F(Export, AnArchiveThatWasNotWrittenIsNeitherReportedAsExportedNorShown) {
  Select(kAudioCodec);
  const fs::path out = Pick();
  WriteFile(out / kAudioArchive / "mine.txt", "the user's");  // a folder holds the archive's name
  Run(&TfrmMainForm::btnExportClick);
  const std::vector<std::string> messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("[error] ", 0), 0u);
  EXPECT_NE(messages[0].find(kAudioArchive), std::string::npos);
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(Tree(out), (std::set<std::string>{kAudioArchive + "/", kAudioArchive + "/mine.txt"}));
  EXPECT_EQ(view.progress, nullptr);
}

TEST_F(Export, AnArchiveNameTooLongForTheFileSystemEndsInItsErrorAndLeavesNothing) {
  TDevice& listed = Select(kAudioCodec);
  listed.DriverDescription = WString(300, u'a');  // the record the selected node carries
  const fs::path out = Pick();
  WriteFile(out / "keep.txt", "mine");
  RunHandler([&] { form->btnExportClick(); });
  const std::vector<std::string> messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("The filename or extension is too long."), std::string::npos) << messages[0];
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(Tree(out), (std::set<std::string>{"keep.txt"}));

  listed.DriverDescription = u"Audio: Codec/HD";  // the window stays usable
  RunHandler([&] { form->btnExportClick(); });
  EXPECT_EQ(Messages().back(), "[information] Driver exported successfully.");
}

TEST_F(Export, WorkFolderNeverReplacesWhatTheUserKeepsInTheChosenFolder) {
  TDevice device = Select(kAudioCodec);
  const fs::path out = Pick();
  WriteFile(out / "keep.txt", "mine");
  WriteFile(out / "audiocodec" / "mine.txt", "mine too");  // the name the work folder would take
  ASSERT_TRUE(form->SharedFolderPicker(WString()).Execute());

  for (const WString& original : {WString(u".inf"), WString(u"..inf"), WString(u"...inf"), WString(u"\"<>|.inf"),
                                  WString(u"audiocodec.inf")}) {
    SCOPED_TRACE(text::ToUtf8(original));
    device.OriginalInfName = original;
    const WString archive = form->ExportDriver(device);
    EXPECT_EQ(archive, text::FromPath(out / kAudioArchive));
    EXPECT_EQ(Tree(out), (std::set<std::string>{"keep.txt", "audiocodec/", "audiocodec/mine.txt", kAudioArchive}));
    EXPECT_EQ(ReadFile(out / "keep.txt"), "mine");
  }
  form->CloseProgress();
}

TEST_F(Export, TheWorkFolderIsNamedAfterTheOriginalInfWhileArchivingAndGoneAfterwards) {
  TDevice& listed = Select(kAudioCodec);
  listed.OriginalInfName = u"oem42.inf";
  const fs::path out = Pick();
  std::set<std::string> whileArchiving;
  view.progressEvents.titled = [&](const WString& title) {
    if (title == u"Creating Archive") whileArchiving = Tree(out);
  };
  RunHandler([&] { form->btnExportClick(); });
  EXPECT_EQ(whileArchiving, (std::set<std::string>{"oem42/", "oem42/audiocodec.cat", "oem42/audiocodec.inf",
                                                   "oem42/audiocodec.sys", "oem42/sub/", "oem42/sub/codec.dat"}));
  EXPECT_EQ(Tree(out), (std::set<std::string>{kAudioArchive, kIndex}));
}

TEST_F(Export, ExportDriverWithoutAChosenFolderRaises) {
  TDevice device = Select(kAudioCodec);
  EXPECT_THROW(form->ExportDriver(device), QuillonError);
}

TEST_F(Export, AnErrorRaisedWhileExportingClosesTheProgressWindowFirst) {
  Select(kAudioCodec);
  Pick();
  view.pickFolder = text::FromPath(PackageDir(kAudioCodecPackage) / "out");  // inside the folder being copied
  fs::create_directories(PackageDir(kAudioCodecPackage) / "out");
  Run(&TfrmMainForm::btnExportClick);
  const std::vector<std::string> messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("the folders overlap"), std::string::npos);
  EXPECT_LT(IndexOf("[progress] closed"), IndexOf(messages[0]));
  EXPECT_EQ(form->frmProgress(), nullptr);
  EXPECT_TRUE(Tree(PackageDir(kAudioCodecPackage) / "out").empty());

  Pick("elsewhere");  // the window stays usable
  Run(&TfrmMainForm::btnExportClick);
  EXPECT_EQ(Messages().back(), "[information] Driver exported successfully.");
}

TEST_F(Export, ExportAllExportsEveryPassingDeviceAndOpensTheFolder) {
  const fs::path out = Pick();
  Run(&TfrmMainForm::btnExportAllClick);
  const std::set<std::string> written = WithoutIndex(Tree(out));
  EXPECT_EQ(written.count(kAudioArchive), 1u);
  EXPECT_EQ(written.count("Bad Name x64      end_1.0.0.0.7z"), 1u);
  EXPECT_EQ(written.count("Tailspin Multi-Sensor Hub_1.0.0.12.7z"), 0u);  // failed verification
  for (const std::string& entry : written) EXPECT_EQ(fs::path(entry).extension(), ".7z") << entry;
  EXPECT_EQ(written.count("Microsoft Audio Sample_10.0.1.0.7z"), 0u);  // not listed without the option
  EXPECT_TRUE(Messages().empty());  // no summary, no verify dialogs
  EXPECT_EQ(events.back(), "[start] explorer.exe " + out.string());
  EXPECT_EQ(events[events.size() - 2], "[progress] closed");
  EXPECT_TRUE(LogEndsWithComplete());
  EXPECT_NE(Log().find(u"Error      : File not found in the catalog"), WString::npos);  // the skipped one's report
  size_t reports = 0;  // the log is cleared once, not per device
  for (size_t at = Log().find(u"*** Verifying Driver ***"); at != WString::npos;
       at = Log().find(u"*** Verifying Driver ***", at + 1))
    ++reports;
  EXPECT_EQ(reports, form->DeviceList().size());
  EXPECT_EQ(form->dlg()->Title(),
            u"Exporting " + text::FromInt(int64_t(form->DeviceList().size())) + u" devices to selected folder");
}

size_t IndexOfDevice(const TDeviceList& list, const std::u16string& instanceId) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].InstanceId == instanceId) return i;
  throw std::runtime_error("no listed device " + text::ToUtf8(instanceId));
}

const std::u16string kLitaudio2 = u"ROOT\\LITAUDIO\\0001";
const std::string kLitwareArchive = "Litware Virtual Audio_2.4.0.7.7z";

TEST_F(Export, ExportAllArchivesAPackageSharedByTwoDevicesOnce) {
  ASSERT_EQ(Listed(kLitaudio).DriverStore, Listed(kLitaudio2).DriverStore);
  const fs::path out = Pick();
  Run(&TfrmMainForm::btnExportAllClick);
  const std::set<std::string> written = WithoutIndex(Tree(out));
  EXPECT_EQ(written.count(kLitwareArchive), 1u);
  const WString log = Log();
  EXPECT_EQ(Occurrences(log, u"*** Verifying Driver ***"), form->DeviceList().size());  // both report
  EXPECT_EQ(Occurrences(log, u"*** Archiving Files ***"), written.size());  // each archive made once
  EXPECT_EQ(Occurrences(log, u"*** Exporting Driver ***"), written.size());
  EXPECT_EQ(size_t(std::count(events.begin(), events.end(), "[progress] Exporting Driver")), written.size());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Export, ExportAllArchivesASharedPackageAgainWhenAnotherPackageTookItsArchiveName) {
  // The audio codec becomes a third "Litware" between the two: its archive
  // replaces the first Litware one, so the second Litware device must write it again.
  TDeviceList list = form->DeviceList();
  size_t first = IndexOfDevice(list, kLitaudio), second = IndexOfDevice(list, kLitaudio2);
  if (first > second) std::swap(first, second);
  ASSERT_EQ(second, first + 1);
  TDevice impostor = Listed(kAudioCodec);
  impostor.DriverDescription = list[first].DriverDescription;
  impostor.DriverVersion = list[first].DriverVersion;
  list.erase(list.begin() + IndexOfDevice(list, kAudioCodec));
  list.insert(list.begin() + IndexOfDevice(list, kLitaudio2), impostor);
  form->ShowDeviceList(list);

  const fs::path out = Pick();
  Run(&TfrmMainForm::btnExportAllClick);
  const std::set<std::string> written = WithoutIndex(Tree(out));
  EXPECT_EQ(Occurrences(Log(), u"*** Archiving Files ***"), written.size() + 2);
  const std::string listing = ArchiveListing(out / kLitwareArchive);
  EXPECT_NE(listing.find("litaudio.sys"), std::string::npos) << listing;
  EXPECT_EQ(listing.find("audiocodec.sys"), std::string::npos) << listing;
}

TEST_F(Export, ExportAllKeepsTheTitleOfTheDialogsCreationAndTheLastChoice) {
  const fs::path out = Pick();
  Run(&TfrmMainForm::btnExportAllClick);
  const WString title = form->dlg()->Title();
  const size_t firstCount = form->DeviceList().size();

  form->mnuIncludeMicrosoftClick();
  form->btnScanClick();
  ASSERT_GT(form->DeviceList().size(), firstCount);
  CancelPicker();
  events.clear();
  Run(&TfrmMainForm::btnExportAllClick);
  EXPECT_EQ(form->dlg()->Title(), title);
  EXPECT_EQ(events, (std::vector<std::string>{"[start] explorer.exe " + out.string()}));  // the previous choice
  EXPECT_TRUE(LogEndsWithComplete());
  EXPECT_EQ(form->dlg()->DefaultFolder(), text::FromPath(out));
}

TEST_F(Export, ExportAllCancelledBeforeAnyChoiceOpensExplorerOnNothing) {
  CancelPicker();
  Run(&TfrmMainForm::btnExportAllClick);
  EXPECT_EQ(events, (std::vector<std::string>{"[start] explorer.exe "}));
  EXPECT_EQ(Log(), u"*** Complete ***\r\n\r\n");
}

TEST_F(Export, ExportAllShowsAnErrorRaisedForOneDeviceAndGoesOnWithTheNext) {
  const fs::path inside = PackageDir(kAudioCodecPackage) / "out";  // the first device's own folder
  view.pickFolder = text::FromPath(inside);
  fs::create_directories(inside);
  Run(&TfrmMainForm::btnExportAllClick);
  const std::vector<std::string> messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("the folders overlap"), std::string::npos);
  EXPECT_LT(IndexOf(messages[0]), IndexOf("[progress] closed"));  // shown during the run, which goes on
  EXPECT_LT(IndexOf("[progress] closed"), IndexOf("[start] explorer.exe " + text::ToUtf8(*view.pickFolder)));
  EXPECT_TRUE(LogEndsWithComplete());
  const std::set<std::string> written = Tree(inside);
  EXPECT_EQ(written.count("Audio CodecHD_6.0.1.1.7z"), 0u);
  EXPECT_EQ(written.count("Contoso Filter Device_5.1.0.0.7z"), 1u);  // a later device
}

class ZipExport : public CommandTest {
 protected:
  void SetUp() override {
    Start("command-machine", false);
    offline::SetClockOverride(LocalTime(3, 4, 5));
  }
};

TEST_F(ZipExport, WithoutSevenZipTheArchiveIsAZipOfTheRelativePaths) {
  Select(kAudioCodec);
  const fs::path out = Pick();
  RunHandler([&] { form->btnExportClick(); });
  const std::string archive = "Audio CodecHD_6.0.1.1.Zip";
  EXPECT_EQ(Tree(out), (std::set<std::string>{archive, kIndex}));
  EXPECT_EQ(events.back(), "[start] explorer.exe /select," + (out / archive).string());
  const std::string zip = ReadFile(out / archive);
  EXPECT_EQ(zip.substr(0, 2), "PK");
  // Entry names are stored as written: the subfolder's file under its relative path.
  EXPECT_NE(zip.find(text::ToUtf8(text::FromPath(fs::path("sub") / "codec.dat"))), std::string::npos);
  EXPECT_EQ(zip.find("audiocodec.PNF"), std::string::npos);
}

class EmptyMachine : public CommandTest {
 protected:
  void SetUp() override { Start("empty-machine"); }
};

TEST_F(EmptyMachine, ExportAllWithNoDevicesOnlyLogsCompleteAndOpensExplorer) {
  ASSERT_TRUE(form->DeviceList().empty());
  Pick();
  RunHandler([&] { form->btnExportAllClick(); });
  EXPECT_EQ(view.pickerRuns, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"[start] explorer.exe "}));
  EXPECT_EQ(Log(), u"*** Complete ***\r\n\r\n");
  EXPECT_EQ(form->dlg()->Title(), u"Exporting 0 devices to selected folder");
}

class OldWindows : public CommandTest {
 protected:
  void SetUp() override { Start("win7-machine"); }
};

TEST_F(OldWindows, ExportCommandsRefuseWithOneMessageAndDoNothingElse) {
  Select(u"ROOT\\CONTOSOFILTER\\0000");
  const fs::path out = Pick();
  for (auto handler : {&TfrmMainForm::btnExportClick, &TfrmMainForm::btnExportAllClick, &TfrmMainForm::btnSubmitClick}) {
    events.clear();
    RunHandler([&] { (form.get()->*handler)(); });
    EXPECT_EQ(events, (std::vector<std::string>{"[error] Windows 7 and below is not supported."}));
  }
  EXPECT_EQ(view.pickerRuns, 0);
  EXPECT_EQ(form->dlg(), nullptr);
  EXPECT_TRUE(Tree(out).empty());
  EXPECT_EQ(Log(), u"");
}

TEST_F(OldWindows, VerifyHasNoVersionCheck) {
  Select(u"ROOT\\CONTOSOFILTER\\0000");
  form->btnVerifyClick();
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "[information] Verify completed with no reported errors. See Shell output for details."}));
}

}  // namespace
}  // namespace commandtest
