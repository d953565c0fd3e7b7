// Owners of the Win32 handles the adapters keep: each closes its handle once,
// moves but never copies.
#pragma once
#include <windows.h>

#include <utility>

namespace win32 {

template <typename H, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  ~UniqueHandle() { Close(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.Detach()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) Attach(o.Detach());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H Get() const { return h_; }
  explicit operator bool() const { return Traits::IsValid(h_); }
  // For out-parameters: closes what is held and hands out the slot.
  H* Put() {
    Close();
    return &h_;
  }
  void Attach(H h) {
    Close();
    h_ = h;
  }
  H Detach() { return std::exchange(h_, Traits::Invalid()); }
  void Close() {
    if (Traits::IsValid(h_)) Traits::Close(std::exchange(h_, Traits::Invalid()));
  }

 private:
  H h_ = Traits::Invalid();
};

struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};

struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static bool IsValid(HKEY h) { return h != nullptr; }
  static void Close(HKEY h) { ::RegCloseKey(h); }
};

struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static bool IsValid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { ::FreeLibrary(h); }
};

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueHKey = UniqueHandle<HKEY, RegKeyTraits>;
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;

// The port's UTF-16 text as the W functions' type (both 16-bit on Windows).
inline const wchar_t* Wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* Wide(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
inline const wchar_t* WideOrNull(const std::u16string& s) { return s.empty() ? nullptr : Wide(s.c_str()); }

}  // namespace win32
