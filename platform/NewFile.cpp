#include "platform/NewFile.h"

#include "platform/Errors.h"
#include "platform/FileErrors.h"

namespace paths {

namespace {
// Far more than a folder ever holds of one name; stops a loop on a folder that refuses every name.
constexpr int kMaxNumberedNames = 10000;
}  // namespace

std::filesystem::path CreateNextFreeFile(const std::filesystem::path& folder, const std::string& stem,
                                         const std::string& extension) {
  for (int n = 1; n <= kMaxNumberedNames; ++n) {
    const std::string name = n == 1 ? stem + extension : stem + "-" + std::to_string(n) + extension;
    const std::filesystem::path file = folder / name;
    std::error_code ec;
    if (CreateNewFile(file, ec)) return file;
    if (ec != std::errc::file_exists) throw QuillonError(text::FromPath(file) + u": " + FileErrorText(ec));
  }
  throw QuillonError(text::FromPath(folder / (stem + extension)) + u": no free name beside it");
}

}  // namespace paths
