#include "platform/offline/OfflineDer.h"

namespace offline::der {

std::optional<Node> Read(Bytes in) {
  if (in.size() < 2) return std::nullopt;
  const uint8_t tag = in[0];
  if ((tag & 0x1F) == 0x1F) return std::nullopt;  // multi-byte tags never occur here
  size_t length = in[1];
  size_t header = 2;
  if (length & 0x80) {
    const size_t count = length & 0x7F;
    if (count == 0 || count > sizeof(size_t) || in.size() < 2 + count) return std::nullopt;  // indefinite or truncated
    length = 0;
    for (size_t i = 0; i < count; ++i) length = (length << 8) | in[2 + i];
    header += count;
  }
  if (length > in.size() - header) return std::nullopt;
  return Node{tag, in.subspan(0, header + length), in.subspan(header, length)};
}

std::optional<std::vector<Node>> Children(const Node& parent) {
  if (!(parent.tag & 0x20)) return std::nullopt;
  std::vector<Node> out;
  Bytes rest = parent.value;
  while (!rest.empty()) {
    std::optional<Node> child = Read(rest);
    if (!child) return std::nullopt;
    rest = rest.subspan(child->whole.size());
    out.push_back(*child);
  }
  return out;
}

std::optional<std::vector<Node>> ChildrenOf(const Node& parent, uint8_t tag) {
  if (parent.tag != tag) return std::nullopt;
  return Children(parent);
}

std::string OidText(const Node& n) {
  if (n.tag != kOid || n.value.empty()) return {};
  std::string out;
  uint64_t arc = 0;
  bool first = true;
  for (size_t i = 0; i < n.value.size(); ++i) {
    if (arc > (UINT64_MAX >> 7)) return {};
    arc = (arc << 7) | (n.value[i] & 0x7F);
    if (n.value[i] & 0x80) {
      if (i + 1 == n.value.size()) return {};  // the last byte must end an arc
      continue;
    }
    if (first) {
      const uint64_t top = arc < 80 ? arc / 40 : 2;
      out = std::to_string(top) + "." + std::to_string(arc - top * 40);
      first = false;
    } else {
      out += "." + std::to_string(arc);
    }
    arc = 0;
  }
  return out;
}

std::u16string BmpText(const Node& n) {
  std::u16string out;
  if (n.tag != kBmpString) return out;
  for (size_t i = 0; i + 1 < n.value.size(); i += 2) out += char16_t((n.value[i] << 8) | n.value[i + 1]);
  return out;
}

std::optional<uint64_t> Unsigned(const Node& n) {
  if (n.tag != kInteger || n.value.empty() || (n.value[0] & 0x80)) return std::nullopt;
  Bytes v = n.value;
  while (v.size() > 1 && v[0] == 0) v = v.subspan(1);
  if (v.size() > 8) return std::nullopt;
  uint64_t out = 0;
  for (uint8_t b : v) out = (out << 8) | b;
  return out;
}

}  // namespace offline::der
