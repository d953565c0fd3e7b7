#include "archive/SevenZipStream.h"

namespace sevenzip {

abi::HRESULT T7zStream::QueryInterface(const abi::GUID& iid, void** out) {
  if (!out) return abi::E_INVALIDARG_;
  *out = nullptr;
  if (iid == abi::IID_IUnknown_ || iid == abi::IID_ISequentialInStream_ || iid == abi::IID_IInStream_)
    *out = static_cast<abi::IInStream*>(this);
  else if (iid == abi::IID_ISequentialOutStream_ || iid == abi::IID_IOutStream_)
    *out = static_cast<abi::IOutStream*>(this);
  else if (iid == abi::IID_IStreamGetSize_)
    *out = static_cast<abi::IStreamGetSize*>(this);
  else if (iid == abi::IID_IOutStreamFinish_)
    *out = static_cast<abi::IOutStreamFinish*>(this);
  else
    return abi::E_NOINTERFACE_;
  AddRef();
  return abi::S_OK_;
}

abi::HRESULT T7zStream::Read(void* data, uint32_t size, uint32_t* processed) {
  return Noted([&] {
    if (processed) *processed = 0;
    const size_t n = FStream->Read(data, size);
    if (processed) *processed = static_cast<uint32_t>(n);
    return abi::S_OK_;
  });
}

abi::HRESULT T7zStream::Write(const void* data, uint32_t size, uint32_t* processed) {
  return Noted([&] {
    if (processed) *processed = 0;
    FStream->Write(data, size);
    if (processed) *processed = size;
    return abi::S_OK_;
  });
}

abi::HRESULT T7zStream::Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) {
  return Noted([&] {
    const uint64_t pos = FStream->Seek(offset, static_cast<int>(origin));
    if (newPosition) *newPosition = pos;
    return abi::S_OK_;
  });
}

abi::HRESULT T7zStream::SetSize(uint64_t newSize) {
  return Noted([&] {
    FStream->SetSize(newSize);
    return abi::S_OK_;
  });
}

abi::HRESULT T7zStream::GetSize(uint64_t* size) {
  return Noted([&] {
    const uint64_t n = FStream->Size();
    if (size) *size = n;
    return abi::S_OK_;
  });
}

}  // namespace sevenzip
