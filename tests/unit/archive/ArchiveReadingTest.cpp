// Reading archives: real archives (written by the Zip writer, `7z` and `zip`)
// listed, tested and extracted by each reader, and hostile ones (zip-slip names,
// device names, links in the way, truncated, flipped and random bytes) refused
// with one clear error and nothing written outside the extraction folder.
#include <zlib.h>

#include "archive/ArchiveReader.h"
#include "archive/LibarchiveReader.h"
#include "archive/SevenZip.h"
#include "archive/SevenZipReader.h"
#include "archive/ZipReader.h"
#include "archive/ZipWriter.h"
#include "tests/unit/archive/ArchiveTestSupport.h"

namespace archive_test {
namespace {

using archive::ArchiveEntry;
using archive::ArchiveError;
using archive::IArchiveReader;

enum class Reader { Zlib, Libarchive, SevenZipLibrary };

std::string NameOf(Reader r) {
  switch (r) {
    case Reader::Zlib: return "Zlib";
    case Reader::Libarchive: return "Libarchive";
    case Reader::SevenZipLibrary: return "SevenZipLibrary";
  }
  return {};
}

uint32_t Crc(const std::string& s) {
  return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(s.data()), uInt(s.size())));
}

// Files of all sizes: empty, small, a compressible and an incompressible MiB.
// Info-ZIP stores a non-ASCII name without marking it UTF-8, which each reader
// then decodes in its own code page: those archives hold ASCII names only.
std::map<std::string, std::string> SampleFiles(bool nonAsciiName = true) {
  std::string noise(1 << 20, '\0');
  uint32_t x = 12345;
  for (char& c : noise) c = char((x = x * 1103515245 + 12345) >> 24);
  return {{"oem42.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"},
          {"amd64/driver.sys", noise},
          {nonAsciiName ? "amd64/Größe.txt" : "amd64/size.txt", std::string(1 << 20, 'a')},
          {"empty.txt", ""}};
}

class ArchiveReading : public ArchiveTest, public ::testing::WithParamInterface<Reader> {
 protected:
  void SetUp() override {
    if (GetParam() == Reader::SevenZipLibrary && !fs::exists(kSevenZipLibrary))
      GTEST_SKIP() << "the 7-Zip library is not installed";
  }
  std::unique_ptr<IArchiveReader> Open(const fs::path& archive) {
    const WString name = Host(archive);
    switch (GetParam()) {
      case Reader::Zlib: return std::make_unique<archive::ZipReader>(name);
      case Reader::Libarchive: return std::make_unique<archive::LibarchiveReader>(name);
      case Reader::SevenZipLibrary: return archive::OpenArchiveReader(name, text::W(kSevenZipLibrary));
    }
    return nullptr;
  }
  bool Reads7z() const { return GetParam() != Reader::Zlib; }
  bool nonAscii_ = true;

  fs::path SourceTree() {
    fs::remove_all(Root() / "src");
    for (const auto& [name, content] : SampleFiles(nonAscii_)) MakeFile("src/" + name, content);
    return Root() / "src";
  }
  fs::path WriteWithOurZipWriter() {
    const fs::path src = SourceTree(), zip = Root() / "ours.Zip";
    archive::TZipWriter writer(Host(zip));
    for (const auto& [name, content] : SampleFiles()) writer.AddFile(Host(src / fs::u8path(name)), text::FromUtf8(name));
    writer.Close();
    return zip;
  }
  fs::path WriteWithTool(const std::string& command, const std::string& name) {
    const fs::path src = SourceTree(), out = Root() / name;
    std::string log;
    EXPECT_EQ(Run("cd " + Quote(src) + " && " + command + " " + Quote(out) + " . >/dev/null", &log), 0) << log;
    return out;
  }
  // Zip files written by Python's zipfile (one run: it starts slowly), the i-th
  // holding one entry of each name of archives[i].
  std::vector<fs::path> CraftZips(const std::vector<std::vector<std::string>>& archives) {
    std::string script = "import zipfile\n";
    std::vector<fs::path> zips;
    for (const auto& names : archives) {
      zips.push_back(Root() / ("crafted" + std::to_string(zips.size()) + ".zip"));
      script += "with zipfile.ZipFile(r'" + zips.back().string() + "', 'w') as z:\n";
      for (const std::string& n : names) script += "  z.writestr(zipfile.ZipInfo(r'''" + n + "'''), 'evil')\n";
    }
    MakeFile("craft.py", script);
    std::string log;
    EXPECT_EQ(Run("python3 " + Quote(Root() / "craft.py"), &log), 0) << log;
    return zips;
  }
  fs::path CraftZip(const std::vector<std::string>& names) { return CraftZips({names}).front(); }
  std::string ErrorOf(const std::function<void()>& body) {
    try {
      body();
    } catch (const ArchiveError& e) {
      return e.what();
    } catch (const QuillonError& e) {
      return std::string("not an ArchiveError: ") + e.what();
    }
    return "no error";
  }
  // Every file below `folder`, relative, with its content.
  static std::map<std::string, std::string> Tree(const fs::path& folder) {
    std::map<std::string, std::string> files;
    if (!fs::exists(folder)) return files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
      if (e.is_regular_file()) files[fs::relative(e.path(), folder).generic_string()] = ReadAll(e.path());
    return files;
  }
  void ExpectListsTestsAndExtracts(const fs::path& archive) {
    auto reader = Open(archive);
    const auto expected = SampleFiles(nonAscii_);
    std::map<std::string, ArchiveEntry> listed;
    for (const ArchiveEntry& e : reader->List())
      if (!e.isFolder) listed[text::ToUtf8(text::ReplaceAll(e.name, u"\\", u"/"))] = e;
    ASSERT_EQ(listed.size(), expected.size());
    for (const auto& [name, content] : expected) {
      ASSERT_TRUE(listed.count(name)) << name << " in " << archive;
      EXPECT_EQ(listed[name].size, content.size()) << name;
      if (listed[name].crc) {
        EXPECT_EQ(*listed[name].crc, Crc(content)) << name;
      }
      EXPECT_GE(listed[name].modified.wYear, 2020) << name;
    }
    if (GetParam() != Reader::Libarchive) {  // libarchive does not give CRCs
      EXPECT_TRUE(listed["amd64/driver.sys"].crc) << archive;
    }
    EXPECT_EQ(archive::TestArchive(*reader), expected.size());
    EXPECT_EQ(archive::ExtractArchive(*reader, Host(Root() / "out")), expected.size());
    std::map<std::string, std::string> want(expected.begin(), expected.end());
    EXPECT_EQ(Tree(Root() / "out"), want);
  }
};

TEST_P(ArchiveReading, ReadsTheZipFilesOurWriterWrites) { ExpectListsTestsAndExtracts(WriteWithOurZipWriter()); }

TEST_P(ArchiveReading, ReadsZipFilesOfInfoZipAnd7Zip) {
  nonAscii_ = false;
  ExpectListsTestsAndExtracts(WriteWithTool("zip -qr", "infozip.zip"));
  fs::remove_all(Root() / "out");
  nonAscii_ = true;
  ExpectListsTestsAndExtracts(WriteWithTool("7z a -tzip", "sevenzip.zip"));
}

TEST_P(ArchiveReading, Reads7zArchivesOf7ZipAndOfOur7zWriter) {
  if (!Reads7z()) GTEST_SKIP() << "the Zip reader on zlib reads Zip only";
  ExpectListsTestsAndExtracts(WriteWithTool("7z a -t7z", "sevenzip.7z"));
  if (!fs::exists(kSevenZipLibrary)) return;
  fs::remove_all(Root() / "out");
  const fs::path ours = Root() / "ours.7z";
  auto writer = sevenzip::CreateOutArchive(sevenzip::kSevenZipFormat, text::W(kSevenZipLibrary));
  writer->AddFiles(Host(SourceTree()), u"*.*");
  writer->SaveToFile(Host(ours));
  writer.Reset();
  ExpectListsTestsAndExtracts(ours);
}

TEST_P(ArchiveReading, RefusesEveryEntryNameThatCouldLeaveTheFolder) {
  const std::vector<std::pair<std::string, std::string>> hostile = {
      {"../evil.txt", "leaves the folder"},        {"a/../../evil.txt", "leaves the folder"},
      {"..\\evil.txt", "leaves the folder"},       {"/tmp/evil.txt", "absolute path"},
      {"C:/evil.txt", "drive letter"},             {"a/CON.txt", "device name"},
      {"nul", "device name"},                      {"sub/Com1", "device name"},
      {"file.txt:stream", "a ':'"},                {"evil. ", "ending in a dot or a blank"},
  };
  std::vector<std::vector<std::string>> archives;
  for (const auto& [name, why] : hostile) archives.push_back({"fine.txt", name});
  const std::vector<fs::path> zips = CraftZips(archives);
  for (size_t i = 0; i < hostile.size(); ++i) {
    const auto& [name, why] = hostile[i];
    SCOPED_TRACE(name);
    const fs::path& zip = zips[i];
    auto reader = Open(zip);
    const std::string error = ErrorOf([&] { archive::ExtractArchive(*reader, Host(Root() / "out")); });
    EXPECT_NE(error.find(zip.string() + ": the entry \""), std::string::npos) << error;
    EXPECT_NE(error.find(why), std::string::npos) << error;
    EXPECT_TRUE(Tree(Root() / "out").empty()) << "written before the names were checked";
    EXPECT_FALSE(fs::exists(Root() / "evil.txt"));
    EXPECT_FALSE(fs::exists("/tmp/evil.txt"));
  }
}

TEST_P(ArchiveReading, NeverWritesThroughALinkOrOverAFileAlreadyInTheFolder) {
  fs::create_directories(Root() / "outside");
  fs::create_directories(Root() / "out");
  fs::create_directory_symlink(Root() / "outside", Root() / "out" / "sub");
  auto reader = Open(CraftZip({"sub/file.txt"}));
  EXPECT_NE(ErrorOf([&] { archive::ExtractArchive(*reader, Host(Root() / "out")); }).find("it is a link"),
            std::string::npos);
  EXPECT_TRUE(fs::is_empty(Root() / "outside"));

  fs::remove(Root() / "out" / "sub");
  fs::create_symlink(Root() / "outside" / "target.txt", Root() / "out" / "file.txt");
  auto second = Open(CraftZip({"file.txt"}));
  EXPECT_NE(ErrorOf([&] { archive::ExtractArchive(*second, Host(Root() / "out")); }).find("Cannot create"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(Root() / "outside" / "target.txt"));
}

TEST_P(ArchiveReading, ATruncatedArchiveGivesOneClearErrorAndLeavesNoPartialFile) {
  std::vector<fs::path> archives = {WriteWithOurZipWriter()};
  if (Reads7z()) archives.push_back(WriteWithTool("7z a -t7z", "sevenzip.7z"));
  for (const fs::path& archive : archives) {
    SCOPED_TRACE(archive.string());
    fs::remove_all(Root() / "out");
    fs::resize_file(archive, fs::file_size(archive) / 2);
    const std::string error = ErrorOf([&] {
      auto reader = Open(archive);
      archive::ExtractArchive(*reader, Host(Root() / "out"));
    });
    EXPECT_NE(error.find(archive.string() + ": "), std::string::npos) << error;
    for (const auto& [name, content] : Tree(Root() / "out")) EXPECT_EQ(content, SampleFiles()[name]) << name;
  }
}

TEST_P(ArchiveReading, AFlippedByteInAnEntryFailsTheTestNamingTheEntry) {
  const fs::path zip = WriteWithOurZipWriter();
  {
    std::fstream f(zip, std::ios::in | std::ios::out | std::ios::binary);
    const std::string bytes = ReadAll(zip);
    const size_t at = bytes.find("amd64/driver.sys") + 16 + 4096;  // inside the entry's data
    f.seekp(std::streamoff(at));
    f.put(char(bytes[at] ^ 0x55));
  }
  const std::string error = ErrorOf([&] {
    auto reader = Open(zip);
    archive::TestArchive(*reader);
  });
  EXPECT_NE(error.find(zip.string() + ": "), std::string::npos) << error;
  if (GetParam() != Reader::Libarchive) {
    EXPECT_NE(error.find("amd64/driver.sys"), std::string::npos) << error;
  }
}

TEST_P(ArchiveReading, RandomBytesAreNoArchive) {
  std::string noise(100000, '\0');
  uint32_t x = 7;
  for (char& c : noise) c = char((x = x * 69069 + 1) >> 24);
  for (const std::string& head : {std::string(), std::string("PK\x03\x04", 4), std::string("7z\xBC\xAF\x27\x1C", 6)}) {
    const fs::path file = MakeFile("noise.Zip", head + noise);
    const std::string error = ErrorOf([&] {
      auto reader = Open(file);
      archive::ExtractArchive(*reader, Host(Root() / "out"));
    });
    EXPECT_NE(error.find(file.string() + ": "), std::string::npos) << error;
    EXPECT_TRUE(Tree(Root() / "out").empty());
  }
}

INSTANTIATE_TEST_SUITE_P(, ArchiveReading,
                         ::testing::Values(Reader::Zlib, Reader::Libarchive, Reader::SevenZipLibrary),
                         [](const auto& info) { return NameOf(info.param); });

TEST(ArchiveReaderChoice, WithoutTheLibraryAZipOrA7zIsReadAndAnythingElseRefused) {
  const fs::path root = fs::temp_directory_path() / ("quillon-choice-" + std::to_string(::getpid()));
  fs::create_directories(root);
  std::ofstream(root / "text.Zip") << "hello";
  try {
    archive::OpenArchiveReader(text::FromPath(root / "text.Zip"), {});
    ADD_FAILURE() << "a text file opened as an archive";
  } catch (const ArchiveError& e) {
    EXPECT_EQ(std::string(e.what()), (root / "text.Zip").string() + ": not a .7z or .Zip archive");
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace archive_test
