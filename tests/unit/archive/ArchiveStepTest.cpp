// The archive step of the export commands: which archive it writes, what it shows,
// and what it leaves behind when writing fails.
#include <chrono>
#include <ctime>

#include "archive/ZipWriter.h"
#include "backup/ArchiveStep.h"
#include "platform/StillWorking.h"
#include "tests/unit/archive/ArchiveTestSupport.h"

namespace archive_test {
namespace {

using backup::ArchiveProgress;

// The report and progress sinks of the archive step, recorded; the step's errors
// are kept as the window would show them.
class RecordingHost final : public backup::IReportLog, public backup::IProgress {
 public:
  void AddLine(const WString& line) override { lines.push_back(text::ToUtf8(line)); }
  void Append(const WString& line) override { lines.push_back(text::ToUtf8(line)); }
  void Show(const WString& t) override { title = text::ToUtf8(t); }
  void SetText(const WString& t) override { progressText = text::ToUtf8(t); }
  void SetFormatAsBytes(bool b) override { asBytes = b; }
  void SetTotal(int64_t t) override {
    total = t;
    value = 0;
  }
  void SetValue(int64_t v) override { value = v; }
  void SetBar(int64_t v, int64_t t) override {
    total = t;
    value = v;
  }
  void Draw() override { ++draws; }
  std::vector<std::string> lines, messages;
  std::string title, progressText;
  bool asBytes = false;
  int64_t total = -1, value = -1;
  int draws = 0;
};

bool ArchiveFiles(RecordingHost& host, const WString& library, WString& name, const WString& source,
                  const WString& mask, const WStringList& files, bool deleteSource) {
  WString error;
  const bool written = backup::ArchiveFiles(host, host, library, name, source, mask, files, deleteSource, error);
  if (!error.empty()) host.messages.push_back(text::ToUtf8(error));
  return written;
}

class ArchiveStep : public ArchiveTest {
 protected:
  void MakeWorkFolder() {
    MakeFile("work/oem42.inf", "[Version]\r\n");
    MakeFile("work/amd64/driver.sys", std::string(5000, 's'));
    MakeFile("work/amd64/driver.cat", "cat");
  }
  std::string Names(const fs::path& archive) {
    std::string out;
    EXPECT_EQ(Run("7z l -slt " + Quote(archive) + " | grep '^Path = ' | tail -n +2 | sort", &out), 0) << out;
    return out;
  }
  RecordingHost host_;
};

TEST_F(ArchiveStep, WithoutTheLibraryWritesAZipOfTheTreeAndRemovesTheSource) {
  MakeWorkFolder();
  WString name = Host(Root() / "Audio CodecHD_6.0.1.1");
  EXPECT_TRUE(ArchiveFiles(host_, WString(), name, Host(Root() / "work"), u"*.*", {}, true));
  EXPECT_EQ(name, Host(Root() / "Audio CodecHD_6.0.1.1.Zip"));
  EXPECT_EQ(host_.lines, std::vector<std::string>{"*** Archiving Files ***\r\n"});
  EXPECT_EQ(host_.title, "Creating Archive");
  EXPECT_EQ(host_.progressText, text::ToUtf8(name));
  EXPECT_TRUE(host_.asBytes);
  EXPECT_EQ(host_.total, 5000 + 3 + 11);
  EXPECT_EQ(host_.value, host_.total);
  EXPECT_GT(host_.draws, 0);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_FALSE(fs::exists(Root() / "work"));
  EXPECT_EQ(Run("unzip -t " + Quote(text::ToPath(name))), 0);
  EXPECT_EQ(Names(text::ToPath(name)), "Path = amd64/driver.cat\nPath = amd64/driver.sys\nPath = oem42.inf\n");
}

// One big file gives the progress a redraw per MiB; its pieces tick in between,
// and the thread that listens hears each of them.
TEST_F(ArchiveStep, OneBigFileTicksForEveryPieceItIsZippedIn) {
  MakeFile("work/big.bin", std::string(8 << 20, 'b'));
  int ticks = 0;
  working::ScopedListener listener([&] { ++ticks; }, std::chrono::milliseconds(0));
  WString name = Host(Root() / "big");
  ASSERT_TRUE(ArchiveFiles(host_, WString(), name, Host(Root() / "work"), u"*.*", {}, false));
  EXPECT_GE(ticks, (8 << 20) / int(archive::TZipWriter::kChunkSize));
  EXPECT_GT(ticks, 3 * host_.draws);
  EXPECT_EQ(Run("unzip -t " + Quote(text::ToPath(name))), 0);
}

TEST_F(ArchiveStep, WithTheLibraryWritesA7zAndShowsItsProgress) {
  if (!fs::exists(kSevenZipLibrary)) GTEST_SKIP() << "the 7-Zip library is not installed";
  MakeWorkFolder();
  MakeFile("Driver_1.7z", "an older export, replaced");
  WString name = Host(Root() / "Driver_1");
  EXPECT_TRUE(ArchiveFiles(host_, text::W(kSevenZipLibrary), name, Host(Root() / "work"), u"*.*", {}, true));
  EXPECT_EQ(name, Host(Root() / "Driver_1.7z"));
  EXPECT_EQ(host_.progressText, "Driver_1.7z");
  EXPECT_EQ(host_.total, 5000 + 3 + 11);
  EXPECT_EQ(host_.value, host_.total);
  EXPECT_TRUE(host_.messages.empty()) << host_.messages[0];
  EXPECT_FALSE(fs::exists(Root() / "work"));
  EXPECT_EQ(Run("7z t " + Quote(text::ToPath(name))), 0);
  EXPECT_EQ(Names(text::ToPath(name)), "Path = amd64/driver.cat\nPath = amd64/driver.sys\nPath = oem42.inf\n");
}

TEST_F(ArchiveStep, AFailedSevenZipWriteIsReportedRemovesTheArchiveAndKeepsTheSource) {
  MakeWorkFolder();
  WString name = Host(Root() / "Driver_1");
  EXPECT_FALSE(ArchiveFiles(host_, StandIn("standin_update_fails"), name, Host(Root() / "work"), u"*.*", {}, true));
  EXPECT_EQ(host_.messages, std::vector<std::string>{"There is not enough space on the disk"});
  EXPECT_FALSE(fs::exists(text::ToPath(name))) << "the partly written archive is removed";
  EXPECT_TRUE(fs::exists(Root() / "work/amd64/driver.sys"));
}

TEST_F(ArchiveStep, ALibraryThatIsNo7zLibraryIsReportedAndNothingIsDeleted) {
  MakeWorkFolder();
  const fs::path notALibrary = MakeFile("7z.so", "not a shared object");
  WString name = Host(Root() / "Driver_1");
  EXPECT_FALSE(ArchiveFiles(host_, Host(notALibrary), name, Host(Root() / "work"), u"*.*", {}, true));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0], "System Error.  Code: 193.\r\n%1 is not a valid Win32 application\r\nError loading library " +
                                   notALibrary.string());
  EXPECT_FALSE(fs::exists(text::ToPath(name)));
  EXPECT_TRUE(fs::exists(Root() / "work/oem42.inf"));
}

TEST_F(ArchiveStep, AFileListStoresBareNamesAndSkipsEntriesNamingNoFile) {
  const fs::path a = MakeFile("out/A_1.Zip", "first export");
  const fs::path b = MakeFile("out/B_2.Zip", "second export");
  WString name = Host(Root() / "out" / "NAVU-2025_03_07_14_05_09");
  const WStringList files = {Host(a), WString(), Host(b), Host(Root() / "out" / "gone.Zip")};
  EXPECT_TRUE(ArchiveFiles(host_, WString(), name, Host(Root() / "out"), WString(), files, false));
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(Names(text::ToPath(name)), "Path = A_1.Zip\nPath = B_2.Zip\n");
  EXPECT_TRUE(fs::exists(a)) << "DeleteSource false keeps everything";
}

TEST_F(ArchiveStep, AFailedZipWriteRemovesTheArchiveAndKeepsTheSource) {
  MakeWorkFolder();
  const fs::path unreadable = MakeFile("work/locked.bin", "secret");
  fs::permissions(unreadable, fs::perms::none);
  if (std::ifstream(unreadable).good()) GTEST_SKIP() << "running as a user who reads every file";
  WString name = Host(Root() / "Driver_1");
  EXPECT_FALSE(ArchiveFiles(host_, WString(), name, Host(Root() / "work"), u"*.*", {}, true));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(host_.messages[0].find("locked.bin"), std::string::npos) << host_.messages[0];
  EXPECT_FALSE(fs::exists(text::ToPath(name)));
  EXPECT_TRUE(fs::exists(Root() / "work/oem42.inf"));
  fs::permissions(unreadable, fs::perms::owner_all);
}

// A folder of the user's at the archive's name: an error naming it, and nothing of
// it, nor of the source, is deleted; no claim of an unfinished archive.
TEST_F(ArchiveStep, AFolderAtTheArchivesNameIsAnErrorAndStaysAsItWas) {
  const bool haveLibrary = fs::exists(kSevenZipLibrary);
  for (const bool sevenZip : {false, true}) {
    if (sevenZip && !haveLibrary) continue;
    for (const bool empty : {true, false}) {
      SCOPED_TRACE(std::string(sevenZip ? "7z" : "Zip") + (empty ? ", empty folder" : ", folder with a file"));
      fs::remove_all(Root());
      MakeWorkFolder();
      const std::string archive = std::string("Zeta USB NIC_2.0.0.1") + (sevenZip ? ".7z" : ".Zip");
      fs::create_directories(Root() / archive);
      if (!empty) MakeFile(archive + "/notes.txt", "mine");
      RecordingHost host;
      WString name = Host(Root() / "Zeta USB NIC_2.0.0.1");
      EXPECT_FALSE(ArchiveFiles(host, sevenZip ? text::W(kSevenZipLibrary) : WString(), name, Host(Root() / "work"),
                                u"*.*", {}, true));
      EXPECT_EQ(host.messages, std::vector<std::string>{"Cannot write the archive \"" + (Root() / archive).string() +
                                                        "\": a folder of that name is in the way."});
      EXPECT_TRUE(fs::is_directory(Root() / archive));
      EXPECT_EQ(fs::exists(Root() / archive / "notes.txt"), !empty);
      EXPECT_TRUE(fs::exists(Root() / "work/amd64/driver.sys"));
    }
  }
}

// The archive's entries carry the times of the files they were made from (Zip
// stores local time to 2 seconds: an odd second is rounded down).
TEST_F(ArchiveStep, EveryEntryCarriesItsFilesModificationTime) {
  MakeWorkFolder();
  const auto base = fs::file_time_type::clock::now() - std::chrono::hours(24 * 800);
  const std::map<std::string, fs::file_time_type> times = {
      {"oem42.inf", base + std::chrono::seconds(1)},
      {"amd64/driver.sys", base - std::chrono::hours(5000) + std::chrono::milliseconds(2500)},
      {"amd64/driver.cat", base - std::chrono::hours(90000)},
  };
  for (const auto& [file, time] : times) fs::last_write_time(Root() / "work" / file, time);
  for (const bool sevenZip : {false, true}) {
    if (sevenZip && !fs::exists(kSevenZipLibrary)) continue;
    SCOPED_TRACE(sevenZip ? "7z" : "Zip");
    WString name = Host(Root() / (sevenZip ? "Times7z" : "TimesZip"));
    ASSERT_TRUE(ArchiveFiles(host_, sevenZip ? text::W(kSevenZipLibrary) : WString(), name, Host(Root() / "work"),
                             u"*.*", {}, false));
    std::string listing;
    ASSERT_EQ(Run("7z l -slt " + Quote(text::ToPath(name)), &listing), 0);
    for (const auto& [file, time] : times) {
      const auto seconds = std::chrono::floor<std::chrono::seconds>(std::chrono::file_clock::to_sys(time));
      const std::time_t t = std::chrono::system_clock::to_time_t(
          sevenZip ? seconds : seconds - std::chrono::seconds(seconds.time_since_epoch().count() % 2));
      std::tm local{};
      localtime_r(&t, &local);
      char text[32];
      std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
      const size_t at = listing.find("Path = " + file + "\n");
      const size_t modified = listing.find("Modified = ", at);
      ASSERT_NE(modified, std::string::npos) << listing;
      EXPECT_EQ(listing.substr(modified + 11, 19), text) << file;
    }
  }
}

TEST(ArchiveProgress, SetsTheTotalOrTheValueAndRedraws) {
  RecordingHost host;
  EXPECT_EQ(ArchiveProgress(static_cast<backup::IProgress*>(&host), true, 1000), 0);
  EXPECT_EQ(host.total, 1000);
  EXPECT_EQ(host.value, 0);
  EXPECT_EQ(ArchiveProgress(static_cast<backup::IProgress*>(&host), false, 250), 0);
  EXPECT_EQ(host.value, 250);
  EXPECT_EQ(host.total, 1000);
  EXPECT_EQ(host.draws, 2);
}

// The command line's archives: whatever holds the archive's name (a file of the
// user's, a folder, a link to a file or to nothing) stays as it was and the
// archive takes the next free name; both writers.
TEST_F(ArchiveStep, NextFreeNameLeavesWhateverHoldsTheNameAsItWas) {
  for (const bool sevenZip : {true, false}) {
    SCOPED_TRACE(sevenZip ? "7z" : "Zip");
    fs::remove_all(Root() / "out");
    MakeWorkFolder();
    const std::string ext = sevenZip ? ".7z" : ".Zip";
    MakeFile("out/Hub_1.0" + ext, "the user's");
    MakeFile("out/Hub_1.0 (2)" + ext + "/mine.txt", "the user's");
    MakeFile("outside.txt", "the user's");
    fs::create_symlink(Root() / "outside.txt", Root() / "out" / ("Hub_1.0 (3)" + ext));
    fs::create_symlink(Root() / "missing.txt", Root() / "out" / ("Hub_1.0 (4)" + ext));
    WString name = Host(Root() / "out" / "Hub_1.0"), error;
    EXPECT_TRUE(backup::ArchiveFiles(host_, host_, sevenZip ? text::W(kSevenZipLibrary) : WString(), name,
                                     Host(Root() / "work"), u"*.*", {}, true, error,
                                     backup::ArchiveNaming::NextFreeName))
        << text::ToUtf8(error);
    EXPECT_EQ(name, Host(Root() / "out" / ("Hub_1.0 (5)" + ext)));
    EXPECT_EQ(Run("7z t " + Quote(text::ToPath(name))), 0);
    EXPECT_EQ(ReadAll(Root() / "out" / ("Hub_1.0" + ext)), "the user's");
    EXPECT_EQ(ReadAll(Root() / "out" / ("Hub_1.0 (2)" + ext) / "mine.txt"), "the user's");
    EXPECT_EQ(ReadAll(Root() / "outside.txt"), "the user's");
    EXPECT_FALSE(fs::exists(Root() / "missing.txt"));
  }
}

}  // namespace
}  // namespace archive_test
