#include "backup/TemporaryFolder.h"

#include <random>
#include <string>

#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FolderListing.h"

namespace backup {

namespace {

std::filesystem::path SystemTemporaryFolder() {
  std::error_code ec;
  const std::filesystem::path root = std::filesystem::temp_directory_path(ec);
  if (ec) throw QuillonError(u"No temporary folder: " + FileErrorText(ec));
  return root;
}

}  // namespace

TemporaryFolder::TemporaryFolder(const char* purpose) : TemporaryFolder(purpose, SystemTemporaryFolder()) {}

TemporaryFolder::TemporaryFolder(const char* purpose, const std::filesystem::path& root) {
  std::error_code ec;
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate = root / (std::string("quillon-") + purpose + "-" + std::to_string(random()));
    // create_directory answers false for a name already taken: never a folder of someone else's.
    if (std::filesystem::create_directory(candidate, ec)) {
      path_ = candidate;
      return;
    }
    if (ec) throw QuillonError(u"Cannot create \"" + text::FromPath(candidate) + u"\": " + FileErrorText(ec));
  }
  throw QuillonError(u"No new folder could be made in \"" + text::FromPath(root) + u"\"");
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ec;
  paths::RemoveFolderTree(text::FromPath(path_), ec);  // best effort: a destructor cannot report
}

}  // namespace backup
