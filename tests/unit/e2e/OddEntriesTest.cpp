// Odd entries met by an export, as a new user's machine shows them: links in a
// driver-store folder (mounted NTFS volumes show reparse points as links), a
// folder where a file is expected, a folder at the archive's name, a full or
// read-only output volume. Each ends in its exact message, and nothing outside
// the files the export itself created is changed or removed: the driver store
// and the output folder are compared byte for byte before and after.
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>

#include "tests/unit/e2e/Headless.h"

namespace e2e {
namespace {

const std::string kAudio = "ROOT\\AUDIOCODEC\\0000";
const std::string kAudioPackage = "audiocodec.inf_amd64_6060606060606060";
const std::string kAudio7z = "Audio CodecHD_6.0.1.1.7z";
const std::string kAudioZip = "Audio CodecHD_6.0.1.1.Zip";
const std::string kExported = "[information] Driver exported successfully.";
const std::string kVerifyFailed = "[error] Verify completed with errors. See Shell output for details.";
const std::string kVerifyPassed = "[information] Verify completed with no reported errors. See Shell output for details.";

// A tmpfs of `size` at `at` for one case (the tests run as root), unmounted after.
class Tmpfs {
 public:
  Tmpfs(const fs::path& at, const std::string& size) : at_(at) {
    fs::create_directories(at);
    mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
    if (!mounted_) error_ = std::strerror(errno);
  }
  ~Tmpfs() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
  Tmpfs(const Tmpfs&) = delete;
  Tmpfs& operator=(const Tmpfs&) = delete;
  bool Mounted() const { return mounted_; }
  const std::string& Error() const { return error_; }
  bool MakeReadOnly() { return ::mount(nullptr, at_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0; }
  // Leaves `freeBytes` free by filling the volume with `filler`.
  void FillLeaving(const fs::path& filler, uint64_t freeBytes) {
    struct statvfs s {};
    ASSERT_EQ(::statvfs(at_.c_str(), &s), 0);
    const uint64_t available = uint64_t(s.f_bavail) * s.f_frsize;
    std::ofstream out(filler, std::ios::binary);
    const std::string block(4096, 'f');
    for (uint64_t left = available > freeBytes ? available - freeBytes : 0; left > 0;) {
      const uint64_t n = std::min<uint64_t>(left, block.size());
      out.write(block.data(), std::streamsize(n));
      left -= n;
    }
  }

 private:
  fs::path at_;
  bool mounted_ = false;
  std::string error_;
};

class OddEntries : public HeadlessTest {
 protected:
  void SetUp() override {
    UseMachine();
    out_ = Root() / "out";
    fs::create_directories(out_);
  }

  // The user's own files in the output folder, one of them where the work folder would go.
  void PlaceUserFiles(const fs::path& out) {
    WriteFile(out / "keep.txt", "mine");
    WriteFile(out / "audiocodec" / "mine.txt", "the name the work folder would take");
  }
  // Everything no export may touch: the output folder and the driver store.
  void TakeSnapshots(const fs::path& out) {
    outBefore_ = Snapshot(out);
    storeBefore_ = Snapshot(PackageDir(kAudioPackage));
  }
  // After a refused export: exactly `message` as the one error, no success, no
  // Explorer, and the output folder and driver store byte for byte as they were.
  void ExpectRefused(const RunResult& r, const fs::path& out, const std::string& message) {
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.Starting("[error]"), std::vector<std::string>{message}) << r.out;
    EXPECT_FALSE(r.Has(kExported));
    EXPECT_TRUE(r.Starting("[start] explorer.exe").empty()) << r.out;
    EXPECT_EQ(Snapshot(out), outBefore_);
    EXPECT_EQ(Snapshot(PackageDir(kAudioPackage)), storeBefore_);
  }
  // After an export (at kNow) that worked: the archive and its index are the new
  // files; all else as it was.
  void ExpectOnlyTheArchiveAdded(const fs::path& out, const std::string& archive) {
    auto after = Snapshot(out);
    EXPECT_EQ(after.erase(archive), 1u);
    EXPECT_EQ(after.erase(kIndexAtNow), 1u);
    EXPECT_EQ(after, outBefore_);
    EXPECT_EQ(Snapshot(PackageDir(kAudioPackage)), storeBefore_);
  }

  fs::path out_;
  std::map<std::string, std::string> outBefore_, storeBefore_;
};

// A link that stays inside the driver store (an NTFS junction's kind) is followed.
TEST_F(OddEntries, ALinkToAFileIsArchivedAsTheFileItPointsTo) {
  const fs::path sys = PackageDir(kAudioPackage) / "audiocodec.sys";
  const fs::path elsewhere = PackageDir(kAudioPackage).parent_path().parent_path() / "volume" / "audiocodec.sys";
  WriteFile(elsewhere, ReadFile(sys));
  fs::remove(sys);
  fs::create_symlink(elsewhere, sys);
  PlaceUserFiles(out_);
  TakeSnapshots(out_);
  for (const bool sevenZip : {true, false}) {
    SCOPED_TRACE(sevenZip ? "7z" : "Zip");
    std::vector<std::string> args = {"--pick", out_.string(), "--now", kNow, "select", kAudio, "export"};
    if (!sevenZip) args.insert(args.begin(), "--no-7zip");
    const RunResult r = Headless(args);
    ASSERT_TRUE(r.Has(kExported)) << r.out;
    const std::string archive = sevenZip ? kAudio7z : kAudioZip;
    ExpectOnlyTheArchiveAdded(out_, archive);
    EXPECT_EQ(ArchiveEntries(out_ / archive, Scratch()),
              (std::set<std::string>{"audiocodec.cat", "audiocodec.inf", "audiocodec.sys", "sub/codec.dat"}));
    const fs::path unpacked = Root() / (sevenZip ? "x7z" : "xzip");
    Extract(out_ / archive, unpacked, Scratch());
    EXPECT_FALSE(fs::is_symlink(unpacked / "audiocodec.sys"));
    EXPECT_EQ(ReadFile(unpacked / "audiocodec.sys"), ReadFile(elsewhere));
    fs::remove(out_ / archive);
    fs::remove(out_ / kIndexAtNow);
  }
}

TEST_F(OddEntries, ALinkWhoseTargetIsMissingFailsTheExportNamingIt) {
  fs::create_symlink(Root() / "gone" / "extra.sys", PackageDir(kAudioPackage) / "extra.sys");
  PlaceUserFiles(out_);
  TakeSnapshots(out_);
  const RunResult r = Headless({"--pick", out_.string(), "select", kAudio, "files", "export", "log"});
  EXPECT_TRUE(r.Has("extra.sys\t")) << r.out;  // listed in the file grid, not left out
  ExpectRefused(r, out_, kVerifyFailed);
  // Its check fails on it by name: no bytes to hash, so no catalog lists it.
  EXPECT_NE(r.out.find("File       : extra.sys\nSHA-1      : \nSHA-256    : \nTrust      : Failed\n"), std::string::npos)
      << r.out;
}

TEST_F(OddEntries, AnEntryThatIsNoFileFailsTheDeviceNamingIt) {
  const fs::path pipe = PackageDir(kAudioPackage) / "sub" / "pipe.dat";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  PlaceUserFiles(out_);
  TakeSnapshots(out_);
  const RunResult r = Headless({"--pick", out_.string(), "select", kAudio, "export"});
  const std::string named = "[error] Cannot back up \"" + pipe.string() + "\": it is a pipe, not a file.";
  EXPECT_EQ(r.Starting("[error]").at(0), named) << r.out;
  EXPECT_FALSE(r.Has(kExported));
  EXPECT_EQ(Snapshot(out_), outBefore_);
}

TEST_F(OddEntries, AFolderWhereTheInfIsExpectedFailsVerification) {
  const fs::path inf = PackageDir(kAudioPackage) / "audiocodec.inf";
  const std::string text = ReadFile(inf);
  fs::remove(inf);
  WriteFile(inf / "audiocodec.inf", text);
  PlaceUserFiles(out_);
  TakeSnapshots(out_);
  const RunResult r = Headless({"--pick", out_.string(), "select", kAudio, "export", "log"});
  ExpectRefused(r, out_, kVerifyFailed);
  // The file found inside the folder is checked by name, and fails.
  EXPECT_NE(r.out.find("File       : audiocodec.inf\nTrust      : Failed\n"), std::string::npos) << r.out;
}

TEST_F(OddEntries, AFolderAtTheArchivesNameIsAnErrorAndStays) {
  for (const bool sevenZip : {true, false}) {
    SCOPED_TRACE(sevenZip ? "7z" : "Zip");
    const std::string archive = sevenZip ? kAudio7z : kAudioZip;
    fs::remove_all(out_);
    PlaceUserFiles(out_);
    WriteFile(out_ / archive / "made by hand.txt", "mine");
    fs::create_directories(out_ / (sevenZip ? kAudioZip : kAudio7z));  // the other kind, empty
    TakeSnapshots(out_);
    std::vector<std::string> args = {"--pick", out_.string(), "select", kAudio, "export"};
    if (!sevenZip) args.insert(args.begin(), "--no-7zip");
    const RunResult r = Headless(args);
    ExpectRefused(r, out_,
                  "[error] Cannot write the archive \"" + (out_ / archive).string() +
                      "\": a folder of that name is in the way.");
  }
}

TEST_F(OddEntries, AFullOutputVolumeIsReportedInTheSystemsWords) {
  const fs::path out = Root() / "small";
  Tmpfs tmpfs(out, "256k");
  if (!tmpfs.Mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here (" << tmpfs.Error() << ")";
  PlaceUserFiles(out);
  const std::string full = "There is not enough space on the disk.";
  int refused = 0, exported = 0;
  for (const bool sevenZip : {true, false}) {
    for (const uint64_t freePages : {0, 1, 2, 3, 4, 6, 8, 12}) {
      SCOPED_TRACE(std::string(sevenZip ? "7z" : "Zip") + ", free pages " + std::to_string(freePages));
      tmpfs.FillLeaving(out / "filler", freePages * 4096);
      TakeSnapshots(out);
      std::vector<std::string> args = {"--pick", out.string(), "--now", kNow, "select", kAudio, "export", "verify"};
      if (!sevenZip) args.insert(args.begin(), "--no-7zip");
      const RunResult r = Headless(args);
      EXPECT_TRUE(r.Has(kVerifyPassed)) << r.out;  // the window stays usable
      const std::string archive = sevenZip ? kAudio7z : kAudioZip;
      if (r.Has(kExported)) {
        ++exported;
        ExpectOnlyTheArchiveAdded(out, archive);
        EXPECT_EQ(ArchiveEntries(out / archive, Scratch()), PackageContent(PackageDir(kAudioPackage)));
        fs::remove(out / archive);
        fs::remove(out / kIndexAtNow);
      } else {
        ++refused;
        const std::vector<std::string> errors = r.Starting("[error]");
        ASSERT_EQ(errors.size(), 1u) << r.out;
        // The copy names the file it was copying, the writers the archive.
        const std::string& e = errors[0];
        const std::string copying = "[error] Cannot copy \"" + PackageDir(kAudioPackage).string() + "/";
        const std::string writing = "[error] Cannot write \"" + (out / archive).string() + "\": ";
        EXPECT_TRUE(e.rfind(copying, 0) == 0 || e.rfind(writing, 0) == 0) << e;
        EXPECT_EQ(e.substr(e.size() - std::min(e.size(), full.size() + 2)), ": " + full) << e;
        EXPECT_EQ(errors[0].find("Input/output"), std::string::npos);
        ExpectRefused(r, out, errors[0]);
      }
      fs::remove(out / "filler");
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(exported, 0);
}

TEST_F(OddEntries, AReadOnlyOutputFolderIsReportedAndLeftAlone) {
  const fs::path out = Root() / "readonly";
  Tmpfs tmpfs(out, "1m");
  if (!tmpfs.Mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here (" << tmpfs.Error() << ")";
  PlaceUserFiles(out);
  ASSERT_TRUE(tmpfs.MakeReadOnly());
  TakeSnapshots(out);
  const RunResult r = Headless({"--pick", out.string(), "select", kAudio, "export", "verify"});
  EXPECT_TRUE(r.Has(kVerifyPassed)) << r.out;  // the window stays usable
  ExpectRefused(r, out,
                "[error] Cannot create the folder of \"" + (out / "audiocodec (2)" / "audiocodec.inf").string() +
                    "\": The media is write protected.");
}

}  // namespace
}  // namespace e2e
