#include "inf/PackageFiles.h"

#include <algorithm>
#include <optional>

namespace inf {
namespace {

struct SourceDisk {
  WString id, folder;
};

WString JoinPath(WStringView folder, WStringView name) {
  WString f(folder);
  while (!f.empty() && (f.front() == u'\\' || f.front() == u'/')) f.erase(0, 1);  // "\x86" is the INF's x86 folder
  while (!f.empty() && (f.back() == u'\\' || f.back() == u'/')) f.pop_back();
  return f.empty() ? WString(name) : f + u"\\" + WString(name);
}

std::vector<SourceDisk> ReadDisks(const InfFile& inf, Architecture arch) {
  std::vector<SourceDisk> disks;
  for (const WString& section : {u"SourceDisksNames." + PlatformName(arch), WString(u"SourceDisksNames")})
    for (const InfLine& line : inf.Lines(section))
      if (line.hasKey) disks.push_back({line.key, line.Field(4)});
  return disks;  // the platform's lines first: they win
}

bool SameName(const WString& a, const WString& b) { return text::EqualsIgnoreCase(a, b); }

}  // namespace

bool StaysInside(WStringView path) {
  if (path.empty() || path.front() == u'\\' || path.front() == u'/') return false;
  if (path.size() >= 2 && path[1] == u':') return false;
  size_t at = 0;
  while (at <= path.size()) {
    const size_t end = std::min(path.find_first_of(u"\\/", at), path.size());
    if (path.substr(at, end - at) == u"..") return false;
    at = end + 1;
  }
  return true;
}

std::vector<PackageFile> SourceFiles(const InfFile& inf, Architecture arch) {
  const std::vector<SourceDisk> disks = ReadDisks(inf, arch);
  std::vector<PackageFile> files;
  WStringList names;  // the file names of `files`, to let the platform's line win
  for (const WString& section : {u"SourceDisksFiles." + PlatformName(arch), WString(u"SourceDisksFiles")}) {
    for (const InfLine& line : inf.Lines(section)) {
      const WString name = line.hasKey ? line.key : line.Field(1);
      if (name.empty()) continue;
      if (std::any_of(names.begin(), names.end(), [&](const WString& n) { return SameName(n, name); })) continue;
      const WString diskId = line.hasKey ? line.Field(1) : WString();
      const auto disk = std::find_if(disks.begin(), disks.end(), [&](const SourceDisk& d) { return d.id == diskId; });
      if (disk == disks.end())
        throw inf.Error(line.number, u"the disk " + (diskId.empty() ? WString(u"(none)") : diskId) + u" of " + name +
                                         u" is not in [SourceDisksNames]");
      const WString path = JoinPath(disk->folder, JoinPath(line.hasKey ? line.Field(2) : WString(), name));
      if (!StaysInside(path)) throw inf.Error(line.number, u"the path " + path + u" leaves the package folder");
      names.push_back(name);
      files.push_back({path, line.number});
    }
  }
  std::stable_sort(files.begin(), files.end(), [](const PackageFile& a, const PackageFile& b) { return a.line < b.line; });
  return files;
}

WStringList CopiedFiles(const InfFile& inf, WStringView installSection) {
  WStringList files;
  auto add = [&](const WString& name) {
    if (!name.empty() && std::none_of(files.begin(), files.end(), [&](const WString& f) { return SameName(f, name); }))
      files.push_back(name);
  };
  for (const InfLine& directive : inf.Lines(installSection)) {
    if (!directive.hasKey || !text::EqualsIgnoreCase(directive.key, u"CopyFiles")) continue;
    for (const WString& entry : directive.fields) {
      if (!entry.empty() && entry.front() == u'@') {
        add(entry.substr(1));
        continue;
      }
      for (const InfLine& copy : inf.Lines(entry)) {
        const WString source = copy.Field(2).empty() ? (copy.hasKey ? copy.key : copy.Field(1)) : copy.Field(2);
        add(source);
      }
    }
  }
  return files;
}

}  // namespace inf
