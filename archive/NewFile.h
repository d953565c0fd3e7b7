// The files and folders an extraction makes: a file is only ever created new (an
// existing file or a link in its place refuses it), a folder on the way must be
// a real folder (not a link, junction or file).
#pragma once
#include <filesystem>
#include <optional>

#include "platform/NewFile.h"

namespace archive {

// A paths::CreatedFile that is kept only once committed.
class NewFile {
 public:
  // Raises QuillonError naming the file when anything holds its name or it
  // cannot be created.
  explicit NewFile(const std::filesystem::path& path);
  // A file not committed is removed: a failed entry leaves nothing half written.
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  void Write(const void* data, size_t size) { file_->Write(data, size); }
  // Closes the file and keeps it.
  void Commit();

 private:
  std::filesystem::path path_;
  std::optional<paths::CreatedFile> file_;
  bool committed_ = false;
};

// Makes `folder` below its existing parent unless it is there; raises
// QuillonError when it is there as a link, a junction or a file.
void MakePlainFolder(const std::filesystem::path& folder);

}  // namespace archive
