// T7zStream: a file stream seen by the 7-Zip library as its input and output
// stream interfaces.
#pragma once
#include <functional>
#include <memory>

#include "archive/FileStream.h"
#include "archive/RefCount.h"
#include "archive/SevenZipAbi.h"
#include "archive/SevenZipGuard.h"

namespace sevenzip {

class T7zStream final : public TRefCount,
                        public abi::IOutStreamFinish,
                        public abi::IOutStream,
                        public abi::IStreamGetSize,
                        public abi::IInStream {
 public:
  // The adapter shares the stream: the caller may keep using (and closing) it; a
  // call after the caller closed it fails instead of touching a dead file.
  // `noteFailure` hears the message of a failed operation: the library itself
  // only learns E_FAIL, which says nothing of a full disk.
  explicit T7zStream(std::shared_ptr<archive::TFileStream> stream,
                     std::function<void(const WString&)> noteFailure = {})
      : FStream(std::move(stream)), FNoteFailure(std::move(noteFailure)) {}

  abi::HRESULT QueryInterface(const abi::GUID& iid, void** out) override;
  abi::ULONG AddRef() override { return AddRefImpl(); }
  abi::ULONG Release() override { return ReleaseImpl(); }

  abi::HRESULT Read(void* data, uint32_t size, uint32_t* processed) override;
  abi::HRESULT Write(const void* data, uint32_t size, uint32_t* processed) override;
  abi::HRESULT Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) override;
  abi::HRESULT SetSize(uint64_t newSize) override;
  abi::HRESULT GetSize(uint64_t* size) override;
  abi::HRESULT OutStreamFinish() override { return abi::S_OK_; }

 private:
  template <class Body>
  abi::HRESULT Noted(Body&& body) noexcept {
    return Guarded([&] {
      try {
        return body();
      } catch (const AbortError&) {
        throw;
      } catch (const QuillonError& e) {
        if (FNoteFailure) FNoteFailure(e.Message());
        throw;
      }
    });
  }

  std::shared_ptr<archive::TFileStream> FStream;
  std::function<void(const WString&)> FNoteFailure;
};

}  // namespace sevenzip
