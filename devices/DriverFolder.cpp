// GetFilesList and CopyFolderTree: listing and copying a driver-store folder,
// the system's precompiled INF files ("*.pnf") left out.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "devices/Devices.h"
#include "devices/FolderWalk.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"
#include "platform/FileTimes.h"
#include "platform/FolderListing.h"
#include "platform/HostPath.h"
#include "platform/Interrupt.h"
#include "platform/Paths.h"
#include "platform/StillWorking.h"

namespace fs = std::filesystem;

namespace {

constexpr char16_t kPrecompiledInfMask[] = u"*.pnf";

[[noreturn]] void RaiseFileError(const WString& what, const WString& path, const std::error_code& ec) {
  throw QuillonError(what + u" \"" + path + u"\": " + FileErrorText(ec));
}

bool IsUnder(const fs::path& inner, const fs::path& outer) {
  return paths::IsInsideFolder(text::FromPath(inner), text::FromPath(outer));
}

fs::path Resolved(const WString& path) {
  std::error_code ec;
#ifdef _WIN32
  // MinGW's weakly_canonical fails on "\\?\" paths (and on long ones without the
  // prefix): an absolute, normalised path is what the overlap check compares.
  fs::path resolved = fs::absolute(text::ToPath(path), ec).lexically_normal();
#else
  fs::path resolved = fs::weakly_canonical(paths::HostPath(path), ec);
#endif
  if (ec) RaiseFileError(u"Cannot resolve", path, ec);
  return resolved;
}

// Deleting Dest must never take any of Source with it.
void CheckDistinctFolders(const WString& Source, const WString& Dest) {
  const fs::path source = Resolved(paths::ExcludeTrailingPathDelimiter(Source));
  const fs::path dest = Resolved(paths::ExcludeTrailingPathDelimiter(Dest));
  if (IsUnder(dest, source) || IsUnder(source, dest))
    throw QuillonError(u"Cannot copy \"" + Source + u"\" to \"" + Dest + u"\": the folders overlap");
}


}  // namespace

WStringList GetFilesList(const WString& Folder, bool Relative) {
  WStringList files;
  if (!paths::IsFolder(Folder)) return files;
  devices::WalkFiles(Folder, [&](const WString& relative, const WString& name) {
    if (paths::MatchesMask(name, kPrecompiledInfMask)) return;
    files.push_back(Relative ? relative : paths::Join(Folder, relative));
  });
  return files;
}

void CopyFolderTree(const WString& Source, const WString& Dest) {
  if (!paths::IsFolder(Source)) return;
  CheckDistinctFolders(Source, Dest);
  // Listed first: an entry that cannot be backed up stops the copy before Dest is touched.
  const WStringList entries = GetFilesList(Source, true);
  std::error_code ec;
  paths::RemoveFolderTree(Dest, ec);
  if (ec) RaiseFileError(u"Cannot delete", Dest, ec);
  for (const WString& entry : entries) {
    const WString from = paths::Join(Source, entry);
    interrupt::StopIfRequested(from);
    const WString to = paths::Join(Dest, entry);
    paths::CheckPathCharacters(from);
    paths::CheckPathCharacters(to);
    paths::CreateFolders(paths::ExtractFilePath(to), ec);
    if (ec) RaiseFileError(u"Cannot create the folder of", to, ec);
    working::WhileTickingOver(paths::HostPath(from), [&] { paths::CopyFileOver(from, to, ec); });
    if (ec) RaiseFileError(u"Cannot copy \"" + from + u"\" to", to, ec);
    // The archive stores the copy's time: it must be the driver file's.
    paths::CopyLastWriteTime(from, to, ec);
    if (ec) RaiseFileError(u"Cannot set the modification time of", to, ec);
  }
}
