#include "backup/ArchiveNames.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/Errors.h"
#include "platform/Paths.h"

namespace backup {

namespace {

WString Without(WStringView s, WStringView forbidden) {
  WString out;
  out.reserve(s.size());
  for (char16_t c : s)
    if (c >= 32 && forbidden.find(c) == WStringView::npos) out += c;
  return out;
}

// Anything at all, also a dangling link, occupies a name.
bool Occupied(const WString& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(text::ToPath(path), ec));
}

WString BaseWithoutExtension(WStringView path) {
  return paths::ChangeFileExt(paths::ExtractFileName(path), WStringView());
}

}  // namespace

WString WithoutPathForbidden(WStringView s) { return Without(s, u"\"<>|"); }

WString WithoutFileNameForbidden(WStringView s) { return Without(s, u"\"*/:<>?\\|"); }

bool NamesAChildFolder(WStringView name) {
  if (std::any_of(name.begin(), name.end(), paths::IsPathDelimiter)) return false;
  return std::any_of(name.begin(), name.end(), [](char16_t c) { return c != u'.' && c != u' '; });
}

WString WorkFolderName(const TDevice& device) {
  WString name = WithoutPathForbidden(BaseWithoutExtension(device.OriginalInfName));
  if (NamesAChildFolder(name)) return name;
  name = WithoutPathForbidden(BaseWithoutExtension(device.DriverStore));
  if (NamesAChildFolder(name)) return name;
  throw QuillonError(u"No work folder can be named after the driver \"" + device.OriginalInfName + u"\" (" +
                     device.DriverStore + u").");
}

// Always a new folder: see docs/behaviour.md.
WString NewWorkFolder(const WString& chosenFolder, const WString& name) {
  WString folder = paths::Join(chosenFolder, name);
  for (int n = 2; Occupied(folder); ++n)
    folder = paths::Join(chosenFolder, name + u" (" + text::FromInt(n) + u")");
  return folder;
}

WString ArchiveBaseName(const WString& chosenFolder, const TDevice& device) {
  return paths::Join(chosenFolder,
                     WithoutFileNameForbidden(device.DriverDescription + u"_" + device.DriverVersion));
}

WString SameFileKey(WStringView name) {
  WString key = text::UpperAscii(name);
  for (char16_t& c : key)
    if (c >= 0x80) c = u'\uFFFD';
  return key;
}

std::string TimeStamp(const winapi::SystemTime& t) {
  char stamp[48];  // room for any 16-bit field, so nothing is cut
  std::snprintf(stamp, sizeof stamp, "%04u_%02u_%02u_%02u_%02u_%02u", unsigned(t.wYear), unsigned(t.wMonth),
                unsigned(t.wDay), unsigned(t.wHour), unsigned(t.wMinute), unsigned(t.wSecond));
  return stamp;
}

WString SubmissionBaseName(const WString& chosenFolder, const winapi::SystemTime& t) {
  return paths::Join(chosenFolder, u"NAVU-" + text::FromUtf8(TimeStamp(t)));
}

}  // namespace backup
