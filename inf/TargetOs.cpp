#include "inf/TargetOs.h"

#include <tuple>

namespace inf {
namespace {

constexpr Architecture kArchitectures[] = {Architecture::X86, Architecture::Amd64, Architecture::Arm64};

bool StartsWithIgnoreCase(WStringView s, WStringView prefix) {
  return s.size() >= prefix.size() && text::EqualsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

// Decimal, or hexadecimal after 0x; nullopt for anything else.
std::optional<uint32_t> ParseNumber(WStringView s) {
  unsigned base = 10;
  if (StartsWithIgnoreCase(s, u"0x")) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty() || s.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char16_t c : s) {
    unsigned digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (base == 16 && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (base == 16 && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else return std::nullopt;
    value = value * base + digit;
  }
  if (value > UINT32_MAX) return std::nullopt;
  return uint32_t(value);
}

}  // namespace

WString PlatformName(Architecture arch) {
  switch (arch) {
    case Architecture::X86: return u"x86";
    case Architecture::Amd64: return u"amd64";
    case Architecture::Arm64: return u"arm64";
  }
  return {};
}

WString NtPlatformName(Architecture arch) { return u"NT" + PlatformName(arch); }

std::optional<Decoration> ParseDecoration(WStringView textIn) {
  Decoration d;
  d.text = WString(textIn);
  if (textIn.empty()) return d;
  if (!StartsWithIgnoreCase(textIn, u"NT")) return std::nullopt;
  d.nt = true;
  WStringView rest = textIn.substr(2);
  const size_t dot = rest.find(u'.');
  const WStringView platform = rest.substr(0, dot);
  if (!platform.empty()) {
    for (Architecture arch : kArchitectures)
      if (text::EqualsIgnoreCase(platform, PlatformName(arch))) d.architecture = arch;
    if (!d.architecture) return std::nullopt;
  }
  if (dot == WStringView::npos) return d;
  rest = rest.substr(dot + 1);
  std::optional<uint32_t>* parts[] = {&d.major, &d.minor, &d.productType, &d.suiteMask, &d.build};
  for (size_t i = 0;; ++i) {
    const size_t next = rest.find(u'.');
    const WStringView field = rest.substr(0, next);
    if (i == std::size(parts)) return std::nullopt;  // more fields than a TargetOSVersion has
    if (!field.empty()) {
      *parts[i] = ParseNumber(field);
      if (!*parts[i]) return std::nullopt;
    }
    if (next == WStringView::npos) break;
    rest = rest.substr(next + 1);
  }
  return d;
}

bool Applies(const Decoration& d, const TargetOs& target) {
  if (d.architecture ? *d.architecture != target.architecture : target.architecture != Architecture::X86) return false;
  const uint32_t major = d.major.value_or(0), minor = d.minor.value_or(0);
  if (std::tie(major, minor) > std::tie(target.major, target.minor)) return false;
  if (d.productType && *d.productType != target.productType) return false;
  if (d.suiteMask && (*d.suiteMask & target.suiteMask) != *d.suiteMask) return false;
  if (d.build && *d.build > target.build) return false;
  return true;
}

std::optional<size_t> ChooseDecoration(const std::vector<Decoration>& decorations, const TargetOs& target) {
  auto specificity = [](const Decoration& d) {
    return std::make_tuple(d.major.value_or(0), d.minor.value_or(0), d.build.value_or(0), d.productType.has_value(),
                           d.suiteMask.has_value(), d.architecture.has_value(), d.nt);
  };
  std::optional<size_t> best;
  for (size_t i = 0; i < decorations.size(); ++i) {
    if (!Applies(decorations[i], target)) continue;
    if (!best || specificity(decorations[i]) > specificity(decorations[*best])) best = i;
  }
  return best;
}

}  // namespace inf
