// The 7-Zip writer against the real library (/usr/lib/p7zip/7z.so) and stand-ins.
#include <sys/stat.h>

#include <chrono>
#include <regex>

#include "archive/SevenZip.h"
#include "archive/SevenZipOutArchive.h"
#include "backup/ArchiveStep.h"
#include "tests/unit/archive/ArchiveTestSupport.h"

namespace archive_test {
namespace {

using sevenzip::CheckResult;
using sevenzip::CreateOutArchive;

struct ListedItem {
  uint64_t size = 0;
  std::string modified, attributes;
};

class SevenZipWriter : public ArchiveTest {
 protected:
  void SetUp() override {
    if (!fs::exists(kSevenZipLibrary)) GTEST_SKIP() << "the 7-Zip library " << kSevenZipLibrary << " is not installed";
  }

  // `7z l -slt`: path → size, modification time and attributes.
  std::map<std::string, ListedItem> List(const fs::path& archive) {
    std::string out;
    EXPECT_EQ(Run("7z l -slt " + Quote(archive), &out), 0) << out;
    std::map<std::string, ListedItem> items;
    std::string path;
    std::istringstream lines(out.substr(out.find("----------")));
    for (std::string line; std::getline(lines, line);) {
      auto value = [&](const char* key) -> const char* {
        const std::string k = std::string(key) + " = ";
        return line.rfind(k, 0) == 0 ? line.c_str() + k.size() : nullptr;
      };
      if (const char* v = value("Path")) path = v;
      if (const char* v = value("Size")) items[path].size = std::stoull(v);
      if (const char* v = value("Modified")) items[path].modified = v;
      if (const char* v = value("Attributes")) items[path].attributes = v;
    }
    return items;
  }

  void Save(sevenzip::I7zOutArchive& archive, const fs::path& file) {
    sevenzip::SetCompressionLevel(archive, 5);
    archive.SaveToFile(Host(file));
  }
};

TEST_F(SevenZipWriter, AddFilesStoresTheWholeTreeUnderRelativePathsWithSizesAndTimes) {
  const fs::path src = Root() / "src";
  const std::string inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
  MakeFile("src/driver.inf", inf);
  MakeFile("src/sub/a.sys", std::string(100000, 'a'));
  MakeFile("src/sub/deeper/b.cat", "catalog");
  MakeFile("src/.hidden.dat", "hidden");
  MakeFile("src/empty.bin", "");
  fs::create_directories(src / "emptyfolder");
  const auto when = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  fs::last_write_time(src / "sub/a.sys", when);

  auto archive = CreateOutArchive(backup::kSevenZipFormatClassId, text::W(kSevenZipLibrary));
  archive->AddFiles(Host(src), text::W("*.*"));
  Save(*archive, Root() / "out.7z");

  std::string out;
  ASSERT_EQ(Run("7z t " + Quote(Root() / "out.7z"), &out), 0) << out;
  auto items = List(Root() / "out.7z");
  ASSERT_EQ(items.size(), 5u) << "files only: no folder entries, the empty folder is not stored";
  EXPECT_EQ(items["sub/a.sys"].size, 100000u);
  EXPECT_EQ(items["sub/deeper/b.cat"].size, 7u);
  EXPECT_EQ(items["empty.bin"].size, 0u);
  EXPECT_EQ(items["driver.inf"].size, inf.size());
  ASSERT_TRUE(items.count(".hidden.dat"));
  EXPECT_NE(items[".hidden.dat"].attributes.find('H'), std::string::npos) << items[".hidden.dat"].attributes;

  // The library shows local time, as `ls` does.
  const auto sys = fs::file_time_type::clock::to_sys(when);
  const std::time_t t = std::chrono::system_clock::to_time_t(sys);
  char expected[32];
  std::strftime(expected, sizeof expected, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
  EXPECT_EQ(items["sub/a.sys"].modified.substr(0, 19), expected);

  ASSERT_EQ(Run("7z x -y -o" + Quote(Root() / "x") + " " + Quote(Root() / "out.7z"), &out), 0) << out;
  EXPECT_EQ(ReadAll(Root() / "x/sub/a.sys"), ReadAll(src / "sub/a.sys"));
  EXPECT_EQ(ReadAll(Root() / "x/driver.inf"), ReadAll(src / "driver.inf"));
}

TEST_F(SevenZipWriter, MasksSelectFilesAndAddFileSkipsMissingOnes) {
  MakeFile("src/a.inf", "inf");
  MakeFile("src/sub/b.sys", "sys");
  MakeFile("src/c.pnf", "pnf");
  const fs::path loose = MakeFile("loose/Readme.txt", "readme");
  auto archive = CreateOutArchive(backup::kSevenZipFormatClassId, text::W(kSevenZipLibrary));
  archive->AddFiles(Host(Root() / "src"), text::W("*.inf; *.sys"));
  archive->AddFile(Host(loose), text::W("Readme.txt"));
  archive->AddFile(Host(Root() / "missing.txt"), text::W("missing.txt"));
  Save(*archive, Root() / "out.7z");
  auto items = List(Root() / "out.7z");
  EXPECT_EQ(items.size(), 3u);
  EXPECT_TRUE(items.count("a.inf") && items.count("sub/b.sys") && items.count("Readme.txt"));
}

TEST_F(SevenZipWriter, SavingReplacesAnExistingFile) {
  MakeFile("src/a.inf", "inf");
  MakeFile("out.7z", std::string(200000, 'x'));
  auto archive = CreateOutArchive(backup::kSevenZipFormatClassId, text::W(kSevenZipLibrary));
  archive->AddFiles(Host(Root() / "src"), text::W("*.*"));
  Save(*archive, Root() / "out.7z");
  EXPECT_LT(fs::file_size(Root() / "out.7z"), 1000u);
  EXPECT_EQ(Run("7z t " + Quote(Root() / "out.7z")), 0);
}

int32_t gAbortAfter = 0;
int gCompletedCalls = 0;
uint64_t gTotal = 0;
int32_t AbortingProgress(void* sender, bool total, uint64_t value) {
  EXPECT_EQ(sender, &gTotal);
  if (total) {
    gTotal = value;
    return 0;
  }
  return ++gCompletedCalls > gAbortAfter ? winapi::kEAbort : 0;
}

TEST_F(SevenZipWriter, ProgressResultIsHandedToTheLibraryAndAbortsTheSave) {
  MakeFile("src/big.bin", std::string(3 << 20, 'z'));
  auto archive = CreateOutArchive(backup::kSevenZipFormatClassId, text::W(kSevenZipLibrary));
  archive->AddFiles(Host(Root() / "src"), text::W("*.*"));
  gAbortAfter = 0;
  gCompletedCalls = 0;
  archive->SetProgressCallback(&gTotal, AbortingProgress);
  try {
    Save(*archive, Root() / "out.7z");
    FAIL() << "the save went on after the callback aborted it";
  } catch (const OSError& e) {
    EXPECT_EQ(e.Code(), 0x80004004u);
    EXPECT_EQ(e.Message(), text::W("Operation aborted"));
  }
  EXPECT_EQ(gTotal, uint64_t(3 << 20));
  EXPECT_EQ(gCompletedCalls, 1);
}

TEST_F(SevenZipWriter, AFileThatVanishedBeforeTheSaveFailsItWithItsName) {
  const fs::path gone = MakeFile("src/gone.sys", "soon gone");
  auto archive = CreateOutArchive(backup::kSevenZipFormatClassId, text::W(kSevenZipLibrary));
  archive->AddFile(Host(gone), text::W("gone.sys"));
  fs::remove(gone);
  try {
    Save(*archive, Root() / "out.7z");
    FAIL() << "a vanished file was reported as saved";
  } catch (const OSError& e) {
    EXPECT_EQ(e.Code(), 0x80004005u);
    // The cause, not the library's "Unspecified error".
    EXPECT_EQ(e.Message(), u"Cannot open \"" + Host(gone) + u"\": The system cannot find the file specified.");
  }
}

TEST_F(SevenZipWriter, LibraryIsReleasedOnceWhenTheLastReferenceGoes) {
  {
    auto archive = CreateOutArchive(backup::kSevenZipFormatClassId, text::W(kSevenZipLibrary));
    auto second = archive;
    archive.Reset();
    EXPECT_EQ(loader_.freed, 0);
    sevenzip::SetCompressionLevel(*second, 9);  // creates the library's archive object
  }
  EXPECT_EQ(loader_.loaded, 1);
  EXPECT_EQ(loader_.freed, 1);
}

// The update callback as the library sees it.
class UpdateCallback : public SevenZipWriter {
 protected:
  void SetUp() override {
    SevenZipWriter::SetUp();
    if (IsSkipped()) return;
    archive_ = CreateOutArchive(backup::kSevenZipFormatClassId, text::W(kSevenZipLibrary));
    MakeFile("f.sys", "12345");
    archive_->AddFile(Host(Root() / "f.sys"), text::W("dir/f.sys"));
    callback_ = dynamic_cast<sevenzip::T7zOutArchive*>(archive_.Get());
    ASSERT_NE(callback_, nullptr);
  }
  TComPtr<sevenzip::I7zOutArchive> archive_;
  sevenzip::T7zOutArchive* callback_ = nullptr;
};

TEST_F(UpdateCallback, PathIsABstrTheLibraryCanFree) {
  namespace abi = sevenzip::abi;
  abi::PROPVARIANT v;
  ASSERT_EQ(callback_->GetProperty(0, abi::kpidPath, &v), abi::S_OK_);
  ASSERT_EQ(v.vt, abi::VT_BSTR_);
  EXPECT_EQ(std::wstring(v.bstrVal), L"dir/f.sys");
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<char*>(v.bstrVal) - 4, 4);
  EXPECT_EQ(bytes, 9 * sizeof(wchar_t));
  abi::FreeBstr(v.bstrVal);

  abi::PROPVARIANT size, folder, unknown;
  callback_->GetProperty(0, abi::kpidSize, &size);
  callback_->GetProperty(0, abi::kpidIsDir, &folder);
  callback_->GetProperty(0, 999, &unknown);
  EXPECT_EQ(size.vt, abi::VT_UI8_);
  EXPECT_EQ(size.uhVal, 5u);
  EXPECT_EQ(folder.vt, abi::VT_BOOL_);
  EXPECT_EQ(folder.boolVal, 0);
  EXPECT_EQ(unknown.vt, abi::VT_EMPTY_);
}

TEST_F(UpdateCallback, EveryItemIsNewAndNoPasswordIsDefined) {
  int32_t newData = 0, newProps = 0, isDefined = 7;
  uint32_t index = 0;
  EXPECT_EQ(callback_->GetUpdateItemInfo(0, &newData, &newProps, &index), 0);
  EXPECT_EQ(newData, 1);
  EXPECT_EQ(newProps, 1);
  EXPECT_EQ(index, 0xFFFFFFFFu);
  sevenzip::abi::BSTR password = nullptr;
  EXPECT_EQ(callback_->CryptoGetTextPassword2(&isDefined, &password), 0);
  EXPECT_EQ(isDefined, 0);
  EXPECT_EQ(password, nullptr);
}

int32_t ThrowingProgress(void*, bool total, uint64_t) {
  if (total) throw AbortError();
  throw std::runtime_error("broken");
}

TEST_F(UpdateCallback, ErrorsNeverEscapeIntoTheLibrary) {
  namespace abi = sevenzip::abi;
  archive_->SetProgressCallback(nullptr, ThrowingProgress);
  const uint64_t done = 1;
  EXPECT_EQ(callback_->SetTotal(10), winapi::kEAbort);
  EXPECT_EQ(callback_->SetCompleted(&done), winapi::kEFail);
  EXPECT_EQ(callback_->SetCompleted(nullptr), 0) << "no amount, no call";
  abi::PROPVARIANT v;
  EXPECT_EQ(callback_->GetProperty(5, abi::kpidPath, &v), winapi::kEFail);
  abi::ISequentialInStream* stream = nullptr;
  EXPECT_EQ(callback_->GetStream(5, &stream), winapi::kEFail);
  EXPECT_EQ(stream, nullptr);
}

class SevenZipLoading : public ArchiveTest {};

TEST_F(SevenZipLoading, AMissingLibraryFailsWithTheSystemTextAndThePath) {
  const WString path = Host(Root() / "7z.so");
  try {
    CreateOutArchive(backup::kSevenZipFormatClassId, path);
    FAIL();
  } catch (const OSError& e) {
    EXPECT_EQ(e.Message(), text::W("System Error.  Code: 126.\r\nThe specified module could not be found"
                                   "\r\nError loading library ") + path);
  }
}

TEST_F(SevenZipLoading, ALoadFailureWithoutErrorCodeIsTheGenericText) {
  struct SilentLoader : CountingLoader {
    winapi::Handle LoadLibrary(const WString&) override { return 0; }
  } silent;
  Platform p;
  p.libraries = &silent;
  p.system = &system_;
  ScopedPlatform scoped(p);
  loader_.lastError = 0;
  try {
    CreateOutArchive(backup::kSevenZipFormatClassId, Host(Root() / "x.so"));
    FAIL();
  } catch (const OSError& e) {
    EXPECT_EQ(e.Message(), text::W("A call to an OS function failed"));
  }
}

struct RefusedLibrary {
  const char* standIn;
  const char* messageAfterPath;
};

class SevenZipRefusal : public ArchiveTest, public ::testing::WithParamInterface<RefusedLibrary> {};

TEST_P(SevenZipRefusal, IsRefusedWithItsTextAndLeavesNoLibraryLoaded) {
  const WString path = StandIn(GetParam().standIn);
  try {
    CreateOutArchive(backup::kSevenZipFormatClassId, path);
    FAIL() << "accepted " << GetParam().standIn;
  } catch (const QuillonError& e) {
    EXPECT_EQ(e.Message(), path + text::W(GetParam().messageAfterPath));
  }
  EXPECT_EQ(loader_.loaded, 1);
  EXPECT_EQ(loader_.freed, 1);
}

INSTANTIATE_TEST_SUITE_P(
    StandIns, SevenZipRefusal,
    ::testing::Values(RefusedLibrary{"standin_no_create_object", " is not a 7z library"},
                      RefusedLibrary{"standin_no_handler_property", " is not a Format library"},
                      RefusedLibrary{"standin_no_module_prop",
                                     " is a 7-Zip library older than version 23, whose interfaces cannot be used"},
                      RefusedLibrary{"standin_old_layout",
                                     " uses interfaces with virtual destructors, which cannot be used"}),
    [](const auto& info) { return std::string(info.param.standIn); });

TEST_F(SevenZipLoading, AFailingUpdateRaisesTheSystemTextOfItsCode) {
  MakeFile("a.inf", "inf");
  auto archive = CreateOutArchive(backup::kSevenZipFormatClassId, StandIn("standin_update_fails"));
  archive->AddFile(Host(Root() / "a.inf"), text::W("a.inf"));
  try {
    archive->SaveToFile(Host(Root() / "out.7z"));
    FAIL();
  } catch (const OSError& e) {
    EXPECT_EQ(e.Code(), 0x80070070u);
    EXPECT_EQ(e.Message(), text::W("There is not enough space on the disk"));
  }
  EXPECT_TRUE(fs::exists(Root() / "out.7z")) << "the writer itself leaves the partial file to its caller";
}

TEST_F(SevenZipLoading, CheckResultPassesZeroAndNamesUnknownCodes) {
  EXPECT_NO_THROW(CheckResult(0));
  try {
    CheckResult(0x12345);
    FAIL();
  } catch (const OSError& e) {
    EXPECT_EQ(e.Message(), text::W("Error 0x00012345"));
  }
}

}  // namespace
}  // namespace archive_test
