// The base of the reference-counted interface objects handed to the 7-Zip library.
// The count is atomic: the library takes and drops references from its own thread.
#pragma once
#include <atomic>
#include <cstdint>

namespace sevenzip {

class TRefCount {
 public:
  TRefCount() = default;
  TRefCount(const TRefCount&) = delete;
  TRefCount& operator=(const TRefCount&) = delete;

 protected:
  virtual ~TRefCount() = default;
  uint32_t AddRefImpl() { return fRefCount.fetch_add(1, std::memory_order_relaxed) + 1; }
  // The object dies with its last reference.
  uint32_t ReleaseImpl() {
    const uint32_t left = fRefCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<uint32_t> fRefCount{0};
};

}  // namespace sevenzip
