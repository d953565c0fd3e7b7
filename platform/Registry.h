// Registry port: the advapi32 calls the program makes, with their semantics
// (LONG results, value types, byte sizes, ERROR_MORE_DATA for a small buffer).
#pragma once
#include <cstdint>

#include "platform/Text.h"

namespace ports {

using HKey = winapi::Handle;
constexpr HKey kHKeyLocalMachine = HKey(0x80000002);
constexpr uint32_t kKeyRead = 0x20019;

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // RegOpenKeyExW: subKey is a backslash-separated path, matched case-insensitively.
  virtual int32_t OpenKey(HKey root, const char16_t* subKey, uint32_t access, HKey* result) = 0;
  // RegQueryValueExW: name null or "" is the default value. With data null only
  // type and size are reported. size is in bytes, in and out.
  virtual int32_t QueryValue(HKey key, const char16_t* name, uint32_t* type, uint8_t* data, uint32_t* size) = 0;
  virtual int32_t CloseKey(HKey key) = 0;
};

}  // namespace ports
