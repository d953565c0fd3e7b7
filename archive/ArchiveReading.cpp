#include <cstring>
#include <fstream>
#include <optional>

#include "archive/ArchiveReader.h"
#include "archive/EntryNames.h"
#include "archive/FileStream.h"
#include "archive/NewFile.h"
#include "archive/SevenZipReader.h"
#include "archive/ZipReader.h"
#include "platform/FileErrors.h"
#include "platform/StillWorking.h"
#ifndef _WIN32
#include "archive/LibarchiveReader.h"
#endif

namespace archive {
namespace {

enum class Format { SevenZip, Zip };

// The format the file's first bytes announce.
std::optional<Format> Sniff(const WString& path) {
  unsigned char head[6] = {};
  TFileStream file(path, TFileStream::Mode::Read);
  const size_t n = file.Read(head, sizeof head);
  if (n == 6 && std::memcmp(head, "7z\xBC\xAF\x27\x1C", 6) == 0) return Format::SevenZip;
  if (n >= 4 && head[0] == 'P' && head[1] == 'K' &&
      ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6)))
    return Format::Zip;
  return std::nullopt;
}

class CountingSink final : public IEntrySink {
 public:
  void BeginEntry(const ArchiveEntry&) override {}
  void Write(const void*, size_t) override { working::Tick(); }
  void EndEntry() override { ++files; }
  size_t files = 0;
};

// Writes each entry as a new file below the folder, through plain folders only.
class FolderSink final : public IEntrySink {
 public:
  FolderSink(const WString& archive, std::filesystem::path root) : archive_(archive), root_(std::move(root)) {}

  std::filesystem::path MakeParents(const WStringList& parts, size_t count) {
    std::filesystem::path p = root_;
    for (size_t i = 0; i < count; ++i) {
      p /= text::ToPath(parts[i]);
      MakePlainFolder(p);
    }
    return p;
  }
  void BeginEntry(const ArchiveEntry& entry) override {
    const WStringList parts = CheckedEntryPath(archive_, entry.name);
    const std::filesystem::path parent = MakeParents(parts, parts.size() - 1);
    file_.emplace(parent / text::ToPath(parts.back()));
  }
  void Write(const void* data, size_t size) override {
    file_->Write(data, size);
    working::Tick();
  }
  void EndEntry() override {
    file_->Commit();
    file_.reset();
    ++files;
  }
  size_t files = 0;

 private:
  const WString& archive_;
  std::filesystem::path root_;
  std::optional<NewFile> file_;  // a file left unfinished is removed with it
};

}  // namespace

std::unique_ptr<IArchiveReader> OpenArchiveReader(const WString& path, const WString& sevenZipLibrary) {
  const std::optional<Format> format = Sniff(path);
  if (!format) throw ArchiveError(Printable(path) + u": not a .7z or .Zip archive");
  if (!sevenZipLibrary.empty())
    return std::make_unique<sevenzip::SevenZipReader>(
        path, sevenZipLibrary, *format == Format::SevenZip ? sevenzip::kSevenZipFormat : sevenzip::kZipFormat);
#ifdef _WIN32
  if (*format == Format::SevenZip)
    throw ArchiveError(Printable(path) + u": a .7z archive can only be read with the 7-Zip library");
  return std::make_unique<ZipReader>(path);
#else
  return std::make_unique<LibarchiveReader>(path);
#endif
}

size_t TestArchive(IArchiveReader& reader) {
  CountingSink sink;
  reader.ReadAll(sink);
  return sink.files;
}

size_t ExtractArchive(IArchiveReader& reader, const WString& folder) {
  const std::vector<ArchiveEntry> entries = reader.List();
  std::vector<WStringList> folders;
  for (const ArchiveEntry& entry : entries) {
    WStringList parts = CheckedEntryPath(reader.ArchiveName(), entry.name);
    if (entry.isFolder) folders.push_back(std::move(parts));
  }
  const std::filesystem::path root = text::ToPath(folder);
  std::error_code ec;
  std::filesystem::create_directories(root, ec);
  if (ec) throw QuillonError(u"Cannot create \"" + folder + u"\": " + FileErrorText(ec));
  FolderSink sink(reader.ArchiveName(), root);
  for (const WStringList& parts : folders) sink.MakeParents(parts, parts.size());
  reader.ReadAll(sink);
  return sink.files;
}

}  // namespace archive
