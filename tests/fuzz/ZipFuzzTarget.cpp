// libFuzzer entry point for the Zip reader on zlib: any input is listed and
// tested or refused with ArchiveError (or a file error); anything else is a bug.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzInputFile.h"
#include "FuzzTarget.h"
#include "archive/ZipReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path& file = WriteFuzzInput("zip", ".zip", data, size);
  try {
    archive::ZipReader reader(text::FromPath(file));
    (void)reader.List();
    archive::TestArchive(reader);
  } catch (const QuillonError&) {
    // Refused input is the expected outcome for most mutations.
  }
  return 0;
}

std::vector<std::string> FuzzBuiltInSeeds() { return {}; }  // the Zip files of the seed folder

std::vector<std::string> FuzzTokens() {
  return {std::string("PK\x03\x04", 4), std::string("PK\x01\x02", 4), std::string("PK\x05\x06", 4),
          std::string("PK\x06\x06", 4), std::string("PK\x06\x07", 4), std::string("\xFF\xFF\xFF\xFF", 4),
          std::string("\x01\x00", 2), std::string("\x08\x00", 2), "../", "CON"};
}
