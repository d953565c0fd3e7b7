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
  // (docs/behaviour.md) UTF-16 code units, one per wchar_t, also where wchar_t is 4 bytes: the
  // library stores each wchar_t of a name as one UTF-16 unit, so a code point
  // beyond U+FFFF must arrive as its surrogate pair (a decoded one loses its
  // upper bits).
  return std::wstring(s.begin(), s.end());
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
