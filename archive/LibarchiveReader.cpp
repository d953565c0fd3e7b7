#ifndef _WIN32
#include "archive/LibarchiveReader.h"

#include <functional>
#include <vector>

#include "archive/EntryNames.h"
#include "archive/EntryTime.h"
#include "archive/LibarchiveStream.h"

namespace archive {
namespace {

constexpr size_t kBlock = 64 * 1024;

[[noreturn]] void Fail(const WString& path, const std::string& why, const WString& entry = {}) {
  WString message = Printable(path) + u": ";
  if (!entry.empty()) message += u"the entry \"" + Printable(entry) + u"\": ";
  throw ArchiveError(message + Printable(text::FromUtf8(why)));
}

ArchiveEntry EntryOf(const libarchive_stream::Header& h) {
  ArchiveEntry entry;
  entry.name = text::FromUtf8(h.name);
  entry.isFolder = h.isFolder;
  entry.size = h.size;
  if (h.hasTime) entry.modified = SystemTimeFromUnix(h.modified);
  return entry;
}

// Visits every entry's header; `visit` reads the data or leaves it.
void ForEachEntry(const WString& path,
                  const std::function<void(libarchive_stream::Reader&, const ArchiveEntry&)>& visit) {
  libarchive_stream::Reader reader(text::ToUtf8(path));
  if (!reader.Ok()) Fail(path, reader.ErrorText());
  libarchive_stream::Header header;
  for (int status; (status = reader.Next(header)) != 0;) {
    if (status < 0) Fail(path, reader.ErrorText());  // a warning too: the header is not to be trusted
    visit(reader, EntryOf(header));
  }
}

}  // namespace

LibarchiveReader::LibarchiveReader(const WString& path) : path_(path) {
  libarchive_stream::Reader reader(text::ToUtf8(path));
  if (!reader.Ok()) Fail(path, reader.ErrorText());
}

std::vector<ArchiveEntry> LibarchiveReader::List() {
  std::vector<ArchiveEntry> entries;
  ForEachEntry(path_, [&](libarchive_stream::Reader&, const ArchiveEntry& entry) { entries.push_back(entry); });
  return entries;
}

void LibarchiveReader::ReadAll(IEntrySink& sink) {
  std::vector<char> block(kBlock);
  ForEachEntry(path_, [&](libarchive_stream::Reader& reader, const ArchiveEntry& entry) {
    if (entry.isFolder) return;
    sink.BeginEntry(entry);
    uint64_t produced = 0;
    for (int64_t n; (n = reader.Read(block.data(), block.size())) != 0;) {
      if (n < 0) Fail(path_, reader.ErrorText(), entry.name);  // a CRC mismatch is a warning to libarchive
      produced += uint64_t(n);
      sink.Write(block.data(), size_t(n));
    }
    if (produced != entry.size) Fail(path_, "it holds another amount of data than its recorded size", entry.name);
    sink.EndEntry();
  });
}

}  // namespace archive
#endif
