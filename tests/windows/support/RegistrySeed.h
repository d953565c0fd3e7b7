// Registry keys a test writes below HKEY_LOCAL_MACHINE and removes again (HKLM is
// writable in a Wine prefix). Names carry the process id: the cases of one exe
// run as parallel processes in the same prefix.
#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace win32_test {

class RegistrySeed {
 public:
  RegistrySeed() = default;
  ~RegistrySeed() {
    for (auto it = trees_.rbegin(); it != trees_.rend(); ++it) ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, it->c_str());
  }
  RegistrySeed(const RegistrySeed&) = delete;
  RegistrySeed& operator=(const RegistrySeed&) = delete;

  // Creates `path` (removed with everything below it at the end).
  void Tree(const std::wstring& path) {
    Create(path);
    trees_.push_back(path);
  }
  void String(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    Set(path, name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
  }
  // A REG_MULTI_SZ of the strings, with its closing double NUL.
  void Multi(const std::wstring& path, const wchar_t* name, const std::vector<std::wstring>& values) {
    std::wstring data;
    for (const auto& v : values) data += v + L'\0';
    data += L'\0';
    Set(path, name, REG_MULTI_SZ, data.data(), data.size() * sizeof(wchar_t));
  }
  void Dword(const std::wstring& path, const wchar_t* name, DWORD value) {
    Set(path, name, REG_DWORD, &value, sizeof value);
  }
  void Binary(const std::wstring& path, const wchar_t* name, const void* data, size_t size) {
    Set(path, name, REG_BINARY, data, size);
  }

 private:
  static HKEY Create(const std::wstring& path) {
    HKEY key = nullptr;
    LONG rc = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr);
    if (rc != ERROR_SUCCESS) throw std::runtime_error("RegCreateKeyExW failed: " + std::to_string(rc));
    return key;
  }
  static void Set(const std::wstring& path, const wchar_t* name, DWORD type, const void* data, size_t size) {
    HKEY key = Create(path);
    LONG rc = ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), DWORD(size));
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS) throw std::runtime_error("RegSetValueExW failed: " + std::to_string(rc));
  }

  std::vector<std::wstring> trees_;
};

}  // namespace win32_test
