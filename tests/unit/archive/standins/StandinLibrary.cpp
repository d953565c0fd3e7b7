// A stand-in for the 7-Zip format library, built in several shapes to drive the
// writer's failure paths: each STANDIN_HAS_* macro adds one export, and
// STANDIN_UPDATE_RESULT is what UpdateItems returns after writing a few bytes.
#include <atomic>

#include "archive/SevenZipAbi.h"

#ifdef _WIN32
#define STANDIN_EXPORT extern "C" __declspec(dllexport)
#else
#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace abi = sevenzip::abi;

namespace {

class FakeOutArchive final : public abi::IOutArchive, public abi::ISetProperties {
 public:
  abi::HRESULT QueryInterface(const abi::GUID& iid, void** out) override {
    *out = nullptr;
    if (iid == abi::IID_IOutArchive_ || iid == abi::IID_IUnknown_)
      *out = static_cast<abi::IOutArchive*>(this);
    else if (iid == abi::IID_ISetProperties_)
      *out = static_cast<abi::ISetProperties*>(this);
    else
      return abi::E_NOINTERFACE_;
    AddRef();
    return abi::S_OK_;
  }
  abi::ULONG AddRef() override { return ++refs_; }
  abi::ULONG Release() override {
    const abi::ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  abi::HRESULT SetProperties(const abi::WChar* const*, const abi::PROPVARIANT*, uint32_t) override {
    return abi::S_OK_;
  }
  abi::HRESULT UpdateItems(abi::ISequentialOutStream* out, uint32_t, abi::IArchiveUpdateCallback*) override {
    static const char kPartial[] = "7z partial";
    uint32_t written = 0;
    out->Write(kPartial, sizeof kPartial, &written);
    return static_cast<abi::HRESULT>(STANDIN_UPDATE_RESULT);
  }
  abi::HRESULT GetFileTimeType(uint32_t* type) override {
    *type = 0;
    return abi::S_OK_;
  }

 private:
  ~FakeOutArchive() = default;
  std::atomic<abi::ULONG> refs_{0};
};

}  // namespace

#ifdef STANDIN_HAS_CREATE_OBJECT
STANDIN_EXPORT abi::HRESULT CreateObject(const abi::GUID*, const abi::GUID* iid, void** out) {
  if (!(*iid == abi::IID_IOutArchive_)) return abi::E_NOINTERFACE_;
  auto* archive = new FakeOutArchive();
  archive->AddRef();
  *out = static_cast<abi::IOutArchive*>(archive);
  return abi::S_OK_;
}
#endif

#ifdef STANDIN_HAS_GET_HANDLER_PROPERTY
STANDIN_EXPORT abi::HRESULT GetHandlerProperty(abi::PROPID, abi::PROPVARIANT*) { return abi::S_OK_; }
#endif

#ifdef STANDIN_HAS_MODULE_PROP
STANDIN_EXPORT abi::HRESULT GetModuleProp(abi::PROPID id, abi::PROPVARIANT* value) {
  value->vt = abi::VT_UI4_;
  value->ulVal = id == abi::kModuleInterfaceType ? STANDIN_INTERFACE_TYPE : 0x170000;
  return abi::S_OK_;
}
#endif
