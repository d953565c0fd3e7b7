// The files and folders an extraction makes: a file is only ever created new (an
// existing file or a link in its place refuses it), a folder on the way must be
// a real folder (not a link, junction or file).
#pragma once
#include <cstdint>
#include <filesystem>

#include "platform/Text.h"

namespace archive {

class NewFile {
 public:
  // Raises QuillonError naming the file when it exists or cannot be created.
  explicit NewFile(const std::filesystem::path& path);
  // A file not committed is removed: a failed entry leaves nothing half written.
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  void Write(const void* data, size_t size);
  // Closes the file and keeps it.
  void Commit();

 private:
  void Close();
  std::filesystem::path path_;
  intptr_t handle_;  // a file descriptor on Linux, a HANDLE on Windows
  bool open_ = false;
};

// Makes `folder` below its existing parent unless it is there; raises
// QuillonError when it is there as a link, a junction or a file.
void MakePlainFolder(const std::filesystem::path& folder);

}  // namespace archive
