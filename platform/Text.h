// UTF-16 text, the program's text type on every platform, and conversions.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

using WString = std::u16string;
using WStringView = std::u16string_view;
using WStringList = std::vector<WString>;

namespace text {

// The code point starting at s[i]; i moves past it. An unpaired surrogate is U+FFFD.
char32_t NextCodePoint(WStringView s, size_t& i);
std::string ToUtf8(WStringView s);            // unpaired surrogates become U+FFFD
WString FromUtf8(std::string_view s);         // invalid bytes become U+FFFD
inline WString W(std::string_view ascii) { return FromUtf8(ascii); }

// Host file-system paths (UTF-16 on Windows, UTF-8 on Linux underneath).
std::filesystem::path ToPath(WStringView s);
WString FromPath(const std::filesystem::path& p);

// Ordinal comparison of UTF-16 code units: -1, 0 or 1; a proper prefix orders first.
int CompareOrdinal(WStringView a, WStringView b);
// ASCII-only case folding, as the file system's case-insensitive comparisons of names.
WString UpperAscii(WStringView s);
bool EqualsIgnoreCase(WStringView a, WStringView b);

// Removes characters of code 32 or below at both ends.
WString Trim(WStringView s);
// The text up to (not including) the first NUL.
WString UpToNul(const char16_t* s, size_t maxUnits);

WString FromUInt(uint64_t v);
WString FromInt(int64_t v);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
WString GuidToString(const winapi::Guid& g);
// Parses the braced form; false when malformed.
bool StringToGuid(WStringView s, winapi::Guid& out);

// Replaces every occurrence of `from` by `to`, left to right, in one pass.
WString ReplaceAll(WStringView s, WStringView from, WStringView to);

}  // namespace text
