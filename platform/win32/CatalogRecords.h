// The catalog records of wintrust as the trust port hands them out. A member is
// translated (the SDK's record has fields between those the port reads); an
// attribute has the port's layout already and is passed as it is.
#pragma once
#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <mscat.h>

#include <cstddef>
#include <cstring>

#include "platform/Trust.h"

namespace win32 {

static_assert(sizeof(CRYPTCATATTRIBUTE) == sizeof(winapi::CatAttribute));
static_assert(offsetof(CRYPTCATATTRIBUTE, pwszReferenceTag) == offsetof(winapi::CatAttribute, pwszReferenceTag));
static_assert(offsetof(CRYPTCATATTRIBUTE, dwAttrTypeAndAction) == offsetof(winapi::CatAttribute, dwAttrTypeAndAction));
static_assert(offsetof(CRYPTCATATTRIBUTE, cbValue) == offsetof(winapi::CatAttribute, cbValue));
static_assert(offsetof(CRYPTCATATTRIBUTE, pbValue) == offsetof(winapi::CatAttribute, pbValue));
static_assert(offsetof(CRYPTCATATTRIBUTE, dwReserved) == offsetof(winapi::CatAttribute, dwReserved));

// The texts stay owned by the open catalog.
inline winapi::CatMember ToPortMember(const CRYPTCATMEMBER& m) {
  winapi::CatMember out;
  out.cbStruct = sizeof out;
  out.pwszReferenceTag = reinterpret_cast<const char16_t*>(m.pwszReferenceTag);
  out.pwszFileName = reinterpret_cast<const char16_t*>(m.pwszFileName);
  std::memcpy(static_cast<void*>(&out.gSubjectType), &m.gSubjectType, sizeof out.gSubjectType);
  out.fdwMemberFlags = m.fdwMemberFlags;
  out.dwCertVersion = m.dwCertVersion;
  return out;
}

inline const winapi::CatAttribute* ToPortAttribute(const CRYPTCATATTRIBUTE* a) {
  return reinterpret_cast<const winapi::CatAttribute*>(a);
}

inline CRYPTCATATTRIBUTE* ToWinAttribute(const winapi::CatAttribute* a) {
  return reinterpret_cast<CRYPTCATATTRIBUTE*>(const_cast<winapi::CatAttribute*>(a));
}

}  // namespace win32
