// BSTR allocation the 7-Zip library can free, and wide-character conversion.
#include "archive/SevenZipAbi.h"

#include <cstdlib>
#include <cstring>
#include <new>

#ifdef _WIN32
#include <windows.h>
#include <oleauto.h>
#endif

namespace sevenzip::abi {

std::wstring ToWide(WStringView s) {
  if constexpr (sizeof(WChar) == 2) {
    return std::wstring(s.begin(), s.end());
  } else {
    // UTF-16 to UTF-32; an unpaired surrogate becomes U+FFFD.
    std::wstring out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) out.push_back(static_cast<wchar_t>(text::NextCodePoint(s, i)));
    return out;
  }
}

#ifdef _WIN32

BSTR AllocBstr(WStringView s) {
  std::wstring wide = ToWide(s);
  BSTR b = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (!b) throw std::bad_alloc();
  return b;
}

void FreeBstr(BSTR s) { ::SysFreeString(s); }

#else

BSTR AllocBstr(WStringView s) {
  std::wstring wide = ToWide(s);
  const uint32_t bytes = static_cast<uint32_t>(wide.size() * sizeof(WChar));
  auto* block = static_cast<unsigned char*>(std::malloc(bytes + sizeof(uint32_t) + sizeof(WChar)));
  if (!block) throw std::bad_alloc();
  std::memcpy(block, &bytes, sizeof bytes);
  std::memcpy(block + sizeof bytes, wide.data(), bytes);
  std::memset(block + sizeof bytes + bytes, 0, sizeof(WChar));
  return reinterpret_cast<BSTR>(block + sizeof bytes);
}

void FreeBstr(BSTR s) {
  if (s) std::free(reinterpret_cast<unsigned char*>(s) - sizeof(uint32_t));
}

#endif

}  // namespace sevenzip::abi
