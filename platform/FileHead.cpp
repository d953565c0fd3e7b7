#include "platform/FileHead.h"

#include <fstream>

#include "platform/Errors.h"
#include "platform/HostPath.h"

namespace paths {
namespace {

bool IsUtf16(const std::string& bytes) {
  return bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

// Drops a trailing part of a character the cap cut through.
void EndOnACharacter(std::string& bytes) {
  if (IsUtf16(bytes)) {
    if (bytes.size() % 2) bytes.pop_back();
    return;
  }
  size_t start = bytes.size();
  while (start > 0 && bytes.size() - start < 4 && (static_cast<unsigned char>(bytes[start - 1]) & 0xC0) == 0x80)
    --start;
  if (start == 0) return;
  const auto lead = static_cast<unsigned char>(bytes[start - 1]);
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (length > 1 && bytes.size() - (start - 1) < length) bytes.resize(start - 1);
}

WString MiB(uint64_t bytes) { return text::FromUtf8(std::to_string((bytes + (1u << 20) - 1) >> 20)) + u" MiB"; }

}  // namespace

FileHead ReadFileHead(const WString& path, uint64_t cap) {
  std::ifstream in(HostPath(path), std::ios::binary | std::ios::ate);
  if (!in) throw QuillonError(u"Cannot open file \"" + path + u"\".");
  const std::streamoff end = in.tellg();
  if (end < 0) throw QuillonError(u"Cannot read file \"" + path + u"\".");
  FileHead head;
  head.size = uint64_t(end);
  in.seekg(0);
  head.bytes.resize(size_t(std::min(cap, head.size)));
  if (!in.read(head.bytes.data(), std::streamsize(head.bytes.size())))
    throw QuillonError(u"Cannot read file \"" + path + u"\".");
  if (head.Cut()) EndOnACharacter(head.bytes);
  return head;
}

WString CutNote(const FileHead& head) {
  if (!head.Cut()) return {};
  return u"[Only the first " + MiB(head.bytes.size()) + u" of this " + MiB(head.size) + u" file are shown.]";
}

}  // namespace paths
