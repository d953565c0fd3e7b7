// A folder of the program's own below the system's temporary folder, made new
// (never one that was there) and removed with everything in it when done.
#pragma once
#include <filesystem>

namespace backup {

class TemporaryFolder {
 public:
  // Raises QuillonError when no new folder can be made.
  explicit TemporaryFolder(const char* purpose);
  // The same below `parent` instead of the system's temporary folder.
  TemporaryFolder(const char* purpose, const std::filesystem::path& parent);
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace backup
