// The Zip writer: archives that unzip and 7-Zip accept and that round-trip byte-exact.
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <zlib.h>

#include <random>

#include "archive/FileBatch.h"
#include "archive/ZipWriter.h"
#include "tests/unit/archive/ArchiveTestSupport.h"

namespace archive_test {
namespace {

using archive::TZipWriter;

class ZipWriter : public ArchiveTest {
 protected:
  // Zips every file below root/src under its relative path.
  fs::path ZipTree(const std::string& name = "out.zip", unsigned threads = 0) {
    const fs::path zip = Root() / name;
    TZipWriter writer(Host(zip), threads);
    archive::ForEachMatchingFile(Host(Root() / "src"), {text::W("*")},
                                 [&](const WString& file, const WString& rel) { writer.AddFile(file, rel); });
    writer.Close();
    return zip;
  }
  void ExpectToolsAccept(const fs::path& zip) {
    std::string out;
    EXPECT_EQ(Run("unzip -t " + Quote(zip), &out), 0) << out;
    EXPECT_EQ(Run("7z t " + Quote(zip), &out), 0) << out;
  }
  // Extracts with 7-Zip and compares every file of root/src byte for byte.
  void ExpectRoundTrip(const fs::path& zip) {
    std::string out;
    ASSERT_EQ(Run("7z x -y -o" + Quote(Root() / "x") + " " + Quote(zip), &out), 0) << out;
    size_t compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(Root() / "src")) {
      if (!entry.is_regular_file()) continue;
      const fs::path back = Root() / "x" / fs::relative(entry.path(), Root() / "src");
      ASSERT_TRUE(fs::exists(back)) << back;
      EXPECT_EQ(ReadAll(back), ReadAll(entry.path())) << back;
      ++compared;
    }
    EXPECT_GT(compared, 0u);
  }
};

TEST_F(ZipWriter, TreeWithEmptyAndNonAsciiFilesRoundTripsUnderSlashNames) {
  std::mt19937 random(42);
  std::string noise(300000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  MakeFile("src/driver.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
  MakeFile("src/x64/noise.sys", noise);
  MakeFile("src/x64/deep/er/empty.dll", "");
  MakeFile("src/Ünïcödé/日本語.cat", "catalog ✓");
  MakeFile("src/.hidden", "h");
  const fs::path zip = ZipTree();
  ExpectToolsAccept(zip);
  ExpectRoundTrip(zip);
  std::string names;
  ASSERT_EQ(Run("unzip -Z1 " + Quote(zip) + " | sort", &names), 0);
  EXPECT_EQ(names, ".hidden\ndriver.inf\nx64/deep/er/empty.dll\nx64/noise.sys\nÜnïcödé/日本語.cat\n");
}

// Files that span several pieces, end exactly on a piece boundary, or repeat
// content across the boundaries (which only the carried-over dictionary finds).
class ZipWriterPieces : public ZipWriter {
 protected:
  static constexpr size_t kPiece = TZipWriter::kChunkSize;
  void SetUp() override {
    std::mt19937 random(7);
    std::string block(20000, '\0');
    for (char& c : block) c = static_cast<char>(random());
    for (size_t i = 0; repeating_.size() < 5 * kPiece + 1234; ++i) repeating_ += block;
    std::string noise(2 * kPiece, '\0');  // exactly two pieces
    for (char& c : noise) c = static_cast<char>(random());
    std::string text;
    while (text.size() < 3 * kPiece + 17) text += "HKR,,DriverVersion,,\"" + std::to_string(text.size()) + "\"\r\n";
    MakeFile("src/repeating.bin", repeating_);
    MakeFile("src/x64/noise.sys", noise);
    MakeFile("src/driver.inf", text);
    MakeFile("src/empty.cat", "");
    MakeFile("src/x64/small.dll", "MZ small");
  }
  std::string repeating_;
};

TEST_F(ZipWriterPieces, TheArchiveIsTheSameBytesWhateverTheNumberOfThreads) {
  const std::string one = ReadAll(ZipTree("one.zip", 1));
  for (unsigned threads : {2u, 3u, 8u})
    EXPECT_TRUE(ReadAll(ZipTree("n.zip", threads)) == one) << threads << " threads wrote other bytes than one";
  const fs::path zip = ZipTree("all.zip");
  EXPECT_TRUE(ReadAll(zip) == one) << "one thread per processor wrote other bytes than one";
  ExpectToolsAccept(zip);
  ExpectRoundTrip(zip);
}

TEST_F(ZipWriterPieces, CompressesAboutAsWellAsOneDeflateStream) {
  uLongf single = compressBound(uLong(repeating_.size()));
  std::string buffer(single, '\0');
  ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(buffer.data()), &single,
                      reinterpret_cast<const Bytef*>(repeating_.data()), uLong(repeating_.size()), 6),
            Z_OK);
  const fs::path zip = ZipTree();
  std::string out;
  ASSERT_EQ(Run("unzip -v " + Quote(zip) + " repeating.bin | awk '$8 == \"repeating.bin\" {print $3}'", &out), 0);
  const double ours = std::stod(out);
  // Without the preceding input as dictionary every piece would start with
  // 20000 incompressible bytes: several times the size of one stream.
  EXPECT_LT(ours, 1.05 * double(single)) << "ours " << ours << " bytes, one stream " << single;
}

TEST_F(ZipWriter, AFolderTreeOfEmptyFilesRoundTrips) {
  MakeFile("src/a/b/c/zero1", "");
  MakeFile("src/a/zero2", "");
  MakeFile("src/zero3", "");
  const fs::path zip = ZipTree();
  ExpectToolsAccept(zip);
  ExpectRoundTrip(zip);
}

TEST_F(ZipWriter, EntriesCarryTheLocalDosTimeAndTheUtf8Flag) {
  const fs::path f = MakeFile("src/t.inf", "x");
  std::tm when{};
  when.tm_year = 2021 - 1900;
  when.tm_mon = 6;
  when.tm_mday = 14;
  when.tm_hour = 13;
  when.tm_min = 37;
  when.tm_sec = 43;
  when.tm_isdst = -1;
  const std::time_t t = std::mktime(&when);
  fs::last_write_time(f, fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(t)));
  const fs::path zip = ZipTree();
  std::string out;
  ASSERT_EQ(Run("zipinfo -T -v " + Quote(zip), &out), 0);
  EXPECT_NE(out.find("(DOS date/time):          2021 Jul 14 13:37:42"), std::string::npos) << "seconds round down to even: " << out;
  EXPECT_NE(out.find("file system or operating system of origin:      Unix"), std::string::npos) << out;
  const std::string bytes = ReadAll(zip);
  uint16_t flags;
  std::memcpy(&flags, bytes.data() + 6, 2);
  EXPECT_EQ(flags & 0x0800, 0x0800);
}

TEST_F(ZipWriter, MoreThan65535EntriesGetZip64Records) {
  MakeFile("one.inf", "same content");
  const fs::path zip = Root() / "many.zip";
  {
    TZipWriter writer(Host(zip));
    for (int i = 0; i < 65537; ++i)
      writer.AddFile(Host(Root() / "one.inf"), text::W("d/") + text::FromInt(i) + text::W(".inf"));
    writer.Close();
  }
  std::string out;
  ASSERT_EQ(Run("unzip -t " + Quote(zip) + " | tail -1", &out), 0) << out;
  EXPECT_NE(out.find("No errors detected"), std::string::npos) << out;
  ASSERT_EQ(Run("unzip -Z1 " + Quote(zip) + " | wc -l", &out), 0);
  EXPECT_EQ(std::stoi(out), 65537);
  ASSERT_EQ(Run("7z t " + Quote(zip), &out), 0) << out.substr(out.size() > 2000 ? out.size() - 2000 : 0);
}

TEST_F(ZipWriter, AnInputOver4GiBIsStoredWithZip64) {
  const uint64_t size = (4ull << 30) + 12345;
  struct statvfs vfs {};
  if (statvfs(Root().c_str(), &vfs) != 0 || uint64_t(vfs.f_bavail) * vfs.f_frsize < (64ull << 20))
    GTEST_SKIP() << "needs 64 MiB free on " << Root() << " for the archive of a sparse 4 GiB input";
  const fs::path big = Root() / "src" / "big.bin";
  fs::create_directories(big.parent_path());
  { std::ofstream(big, std::ios::binary); }
  fs::resize_file(big, size);
  struct stat st {};
  ::stat(big.c_str(), &st);
  if (uint64_t(st.st_blocks) * 512 > (16ull << 20)) GTEST_SKIP() << "the file system here does not keep sparse files";
  MakeFile("src/small.inf", "after the big one: its offset needs Zip64 too");

  const fs::path zip = ZipTree();
  std::string out;
  ASSERT_EQ(Run("unzip -t " + Quote(zip), &out), 0) << out;
  ASSERT_EQ(Run("unzip -Zl " + Quote(zip), &out), 0);
  EXPECT_NE(out.find(std::to_string(size)), std::string::npos) << out;
  ASSERT_EQ(Run("unzip -p " + Quote(zip) + " small.inf", &out), 0);
  EXPECT_EQ(out, "after the big one: its offset needs Zip64 too");
}

TEST_F(ZipWriter, AMissingFileRaisesAndNamesIt) {
  TZipWriter writer(Host(Root() / "out.zip"));
  try {
    writer.AddFile(Host(Root() / "nope.sys"), text::W("nope.sys"));
    FAIL();
  } catch (const QuillonError& e) {
    EXPECT_NE(e.Message().find(text::W("nope.sys")), WString::npos);
  }
}

TEST(ZipEntryName, UsesSlashesBetweenParts) {
  EXPECT_EQ(archive::ZipEntryName(text::W("sub/deeper/a.sys")), "sub/deeper/a.sys");
  EXPECT_EQ(archive::ZipEntryName(u"Ü/a"), "\xC3\x9C/a");
}

}  // namespace
}  // namespace archive_test
