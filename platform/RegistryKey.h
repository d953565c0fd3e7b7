// A registry key of HKEY_LOCAL_MACHINE opened read-only through the registry
// port, closed once when the object dies. The one way the program reads values.
#pragma once
#include <cstdint>

#include "platform/PortHandles.h"
#include "platform/Text.h"

class TRegistryKey {
 public:
  // RegOpenKeyExW's result: 0 when the key is open, otherwise the system error
  // code (ERROR_FILE_NOT_FOUND when there is no such key).
  int32_t OpenReadOnly(const WString& path);
  bool IsOpen() const { return bool(key_); }

  // False when the value does not exist; otherwise its type and size in bytes.
  bool Describe(const char16_t* name, uint32_t* type, uint32_t* size) const;
  // True when the value exists and is a string (REG_SZ or REG_EXPAND_SZ).
  bool HoldsString(const char16_t* name) const;

  // The text of a string value; empty when it does not exist. Raises QuillonError
  // "Invalid data type for '<name>'" for a value of another type.
  WString ReadString(const char16_t* name) const;
  // A binary (or REG_NONE) value of at most `capacity` bytes into `out`; `out` is
  // untouched when the value does not exist. Raises QuillonError for another type
  // ("Invalid data type for '<name>'") or a larger value ("Invalid data size ...").
  void ReadBinary(const char16_t* name, void* out, uint32_t capacity) const;

 private:
  // Raises "Failed to get data for '<name>'" when the system cannot read it.
  void Read(const char16_t* name, uint8_t* data, uint32_t size) const;

  UniqueRegistryKey key_;
};
