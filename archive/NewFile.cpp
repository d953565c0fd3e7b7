#include "archive/NewFile.h"

#include <system_error>

#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"

namespace archive {

NewFile::NewFile(const std::filesystem::path& path)
    : path_(path), file_(paths::CreatedFile::Create(text::FromPath(path))) {
  if (!file_)
    throw QuillonError(u"Cannot create \"" + text::FromPath(path) + u"\": " +
                       FileErrorText(std::make_error_code(std::errc::file_exists)));
}

NewFile::~NewFile() {
  if (committed_) return;
  file_.reset();
  std::error_code ec;
  paths::RemoveFile(text::FromPath(path_), ec);
}

void NewFile::Commit() {
  file_->Close();
  committed_ = true;
}

}  // namespace archive
