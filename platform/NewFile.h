// Files of the output folder are the program's own only when it made them: a
// record or an archive is always created new, never opened through a link and
// never written over a file of the user's.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>

#include "platform/Text.h"

namespace paths {

// A file this program created, open for writing; closed with the object.
class CreatedFile {
 public:
  // Creates `path` new (O_CREAT | O_EXCL | O_NOFOLLOW; CREATE_NEW on Windows).
  // Empty when anything holds the name (a file, a folder, a link, even one whose
  // target is missing); raises QuillonError with the system's words naming the
  // file when it cannot be created for another reason.
  static std::optional<CreatedFile> Create(const WString& path);
  CreatedFile(CreatedFile&& other) noexcept;
  CreatedFile& operator=(CreatedFile&&) = delete;
  CreatedFile(const CreatedFile&) = delete;
  ~CreatedFile();

  const WString& Path() const { return path_; }
  // Raises QuillonError naming the file and the cause.
  void Write(const void* data, size_t size);
  // Closes the file, raising when the last writes failed; nothing more to do after.
  void Close();

 private:
  CreatedFile(const WString& path, intptr_t handle) : path_(path), handle_(handle) {}
  WString path_;
  intptr_t handle_;  // a file descriptor on Linux, a HANDLE on Windows
  bool open_ = true;
};

// Creates a new, empty file `base` + `extension` in `folder` (CreatedFile). When
// anything holds that name, the next free one of "base (2).ext", "base (3).ext",
// ... is taken, the rule of the work folder. Returns the file's path. Raises
// QuillonError with the system's words naming the file when it cannot be created
// for another reason.
WString CreateNewFile(const WString& folder, const WString& base, const WString& extension);

// Creates a new file as CreateNewFile does and has `write` fill it through a
// stream, opened by its long-path form. A file that cannot be written completely
// is removed; raises QuillonError naming it and the cause. Returns its path.
WString WriteNewFile(const WString& folder, const WString& base, const WString& extension,
                     const std::function<void(std::ostream&)>& write);

}  // namespace paths
