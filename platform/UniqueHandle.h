// The one owner of a handle: closes it once, moves but never copies. Traits say
// what "none" is, whether a value is a handle, and how it is closed:
//   struct Traits { static H Invalid(); static bool IsValid(H); static void Close(H); };
// The Win32 adapters use it for HANDLE, HKEY, HMODULE and GDI objects
// (platform/win32/Handles.h); portable code for the handles the ports hand out
// (platform/PortHandles.h).
#pragma once
#include <utility>

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = decltype(Traits::Invalid());

  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  ~UniqueHandle() { Close(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.Detach()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) Attach(o.Detach());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle Get() const { return h_; }
  explicit operator bool() const { return Traits::IsValid(h_); }
  // For out-parameters: closes what is held and hands out the slot.
  Handle* Put() {
    Close();
    return &h_;
  }
  void Attach(Handle h) {
    Close();
    h_ = h;
  }
  Handle Detach() { return std::exchange(h_, Traits::Invalid()); }
  // Closes the handle now; closing again does nothing.
  void Close() {
    if (Traits::IsValid(h_)) Traits::Close(std::exchange(h_, Traits::Invalid()));
  }

 private:
  Handle h_ = Traits::Invalid();
};
