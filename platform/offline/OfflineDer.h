// A bounds-checked DER reader over bytes in memory: enough of ASN.1 for PKCS #7
// SignedData, certificate trust lists and Authenticode indirect data. Malformed
// input (truncated, oversized lengths, indefinite lengths) reads as "no node".
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace offline::der {

using Bytes = std::span<const uint8_t>;

constexpr uint8_t kInteger = 0x02, kBitString = 0x03, kOctetString = 0x04, kNull = 0x05, kOid = 0x06;
constexpr uint8_t kSequence = 0x30, kSet = 0x31, kBmpString = 0x1E;
constexpr uint8_t ContextTag(int n, bool constructed = true) { return uint8_t(0x80 | (constructed ? 0x20 : 0) | n); }

// One tag-length-value: `whole` is the encoding, `value` its contents.
struct Node {
  uint8_t tag = 0;
  Bytes whole;
  Bytes value;
};

// The node at the start of `in` (single-byte tags only), or nothing.
std::optional<Node> Read(Bytes in);

// The children of a constructed node's value, in order; nothing when the value
// is not an exact run of well-formed nodes.
std::optional<std::vector<Node>> Children(const Node& parent);

// Children of `parent` if it carries `tag`, else nothing.
std::optional<std::vector<Node>> ChildrenOf(const Node& parent, uint8_t tag);

// Dotted text of an OBJECT IDENTIFIER node ("" when not one or malformed).
std::string OidText(const Node& n);
// The UTF-16 text of a BMPString (big-endian) node.
std::u16string BmpText(const Node& n);
// A non-negative INTEGER that fits 64 bits.
std::optional<uint64_t> Unsigned(const Node& n);

}  // namespace offline::der
