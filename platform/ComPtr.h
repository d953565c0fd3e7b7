// An owning reference to a reference-counted interface object (AddRef/Release):
// 7-Zip's objects and the shell's COM objects alike.
#pragma once
#include <utility>

template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  // Takes over a reference the caller already holds.
  static TComPtr Attach(T* p) {
    TComPtr r;
    r.p_ = p;
    return r;
  }
  // Adds a reference of its own.
  static TComPtr Share(T* p) {
    if (p) p->AddRef();
    return Attach(p);
  }
  TComPtr(const TComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  TComPtr(TComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  TComPtr& operator=(TComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~TComPtr() { Reset(); }

  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // The slot for an out parameter; releases what was held.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

