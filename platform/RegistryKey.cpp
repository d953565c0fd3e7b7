#include "platform/RegistryKey.h"

#include <vector>

#include "platform/Errors.h"

namespace {
bool IsStringType(uint32_t type) { return type == winapi::kRegSz || type == winapi::kRegExpandSz; }
}  // namespace

int32_t TRegistryKey::OpenReadOnly(const WString& path) {
  return Os().registry->OpenKey(ports::kHKeyLocalMachine, path.c_str(), ports::kKeyRead, key_.Put());
}

bool TRegistryKey::Describe(const char16_t* name, uint32_t* type, uint32_t* size) const {
  return Os().registry->QueryValue(key_.Get(), name, type, nullptr, size) == int32_t(winapi::kErrorSuccess);
}

bool TRegistryKey::HoldsString(const char16_t* name) const {
  uint32_t type = 0, size = 0;
  return Describe(name, &type, &size) && IsStringType(type);
}

void TRegistryKey::Read(const char16_t* name, uint8_t* data, uint32_t size) const {
  if (Os().registry->QueryValue(key_.Get(), name, nullptr, data, &size) != int32_t(winapi::kErrorSuccess))
    throw QuillonError(u"Failed to get data for '" + WString(name) + u"'");
}

WString TRegistryKey::ReadString(const char16_t* name) const {
  uint32_t type = 0, size = 0;
  if (!Describe(name, &type, &size)) return {};
  if (!IsStringType(type)) throw QuillonError(u"Invalid data type for '" + WString(name) + u"'");
  std::vector<char16_t> units(size / sizeof(char16_t) + 1, u'\0');
  Read(name, reinterpret_cast<uint8_t*>(units.data()), size);
  return text::UpToNul(units.data(), units.size());
}

void TRegistryKey::ReadBinary(const char16_t* name, void* out, uint32_t capacity) const {
  uint32_t type = 0, size = 0;
  if (!Describe(name, &type, &size)) return;
  if (type != winapi::kRegBinary && type != winapi::kRegNone)
    throw QuillonError(u"Invalid data type for '" + WString(name) + u"'");
  if (size > capacity) throw QuillonError(u"Invalid data size for '" + WString(name) + u"'");
  Read(name, static_cast<uint8_t*>(out), size);
}
