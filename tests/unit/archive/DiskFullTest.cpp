// A full disk in the system's words, with the file's name, in both writers:
// /dev/full accepts opening and seeking and fails every write with ENOSPC.
#include <cerrno>

#include "archive/FileStream.h"
#include "archive/SevenZip.h"
#include "archive/ZipWriter.h"
#include "backup/ArchiveStep.h"
#include "platform/FileErrors.h"
#include "tests/unit/archive/ArchiveTestSupport.h"

namespace archive_test {
namespace {

const char* kFull = "/dev/full";
const std::string kDiskFull = "Cannot write \"/dev/full\": There is not enough space on the disk.";

class DiskFull : public ArchiveTest {
 protected:
  void SetUp() override {
    if (!fs::exists(kFull)) GTEST_SKIP() << "this system has no /dev/full";
    MakeFile("work/oem42.inf", "[Version]\r\n");
    MakeFile("work/amd64/driver.sys", std::string(300000, 's'));
  }
  template <typename Write>
  std::string MessageOf(Write&& write) {
    try {
      write();
    } catch (const QuillonError& e) {
      return e.what();
    }
    return "no error";
  }
};

TEST_F(DiskFull, FileErrorsAreTheSystemsTextsWhereItHasOne) {
  EXPECT_EQ(FileErrorText(ENOSPC), u"There is not enough space on the disk.");
  EXPECT_EQ(FileErrorText(std::make_error_code(std::errc::no_such_file_or_directory)),
            u"The system cannot find the file specified.");
  // No text in the message table: the C library's words rather than nothing.
  EXPECT_EQ(FileErrorText(EROFS), text::FromUtf8(std::generic_category().message(EROFS)));
}

TEST_F(DiskFull, TheFileStreamNamesTheFileAndTheCause) {
  EXPECT_EQ(MessageOf([] {
              archive::TFileStream out(text::W(kFull), archive::TFileStream::Mode::Create);
              const std::string block(1 << 20, 'x');
              out.Write(block.data(), block.size());
              out.Close();
            }),
            kDiskFull);
}

TEST_F(DiskFull, TheZipWriterNamesTheArchiveAndTheCause) {
  EXPECT_EQ(MessageOf([&] {
              archive::TZipWriter zip(text::W(kFull));
              zip.AddFile(Host(Root() / "work/amd64/driver.sys"), u"amd64/driver.sys");
              zip.Close();
            }),
            kDiskFull);
}

TEST_F(DiskFull, TheSevenZipWriterNamesTheArchiveAndTheCauseNotUnspecifiedError) {
  if (!fs::exists(kSevenZipLibrary)) GTEST_SKIP() << "the 7-Zip library is not installed";
  EXPECT_EQ(MessageOf([&] {
              auto archive = sevenzip::CreateOutArchive(backup::kSevenZipFormatClassId, text::W(kSevenZipLibrary));
              archive->AddFiles(Host(Root() / "work"), u"*.*");
              archive->SaveToFile(text::W(kFull));
            }),
            kDiskFull);
}

}  // namespace
}  // namespace archive_test
