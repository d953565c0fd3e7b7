// The binary interface of the 7-Zip format library (7z.dll on Windows, 7z.so on
// Linux), as 7-Zip >= 23 publishes it. Everything that differs between the two
// builds lives here: integer widths, the wide character, BSTR allocation and the
// vtable shape (QueryInterface, AddRef, Release, then the methods; no destructor).
#pragma once
#include <cstdint>

#include "platform/Text.h"
#include "platform/WinTypes.h"

namespace sevenzip::abi {

using HRESULT = int32_t;  // LONG on Windows, int32_t in the Linux build
using ULONG = uint32_t;
using PROPID = uint32_t;
using WChar = wchar_t;  // 2 bytes (UTF-16) on Windows, 4 bytes (UTF-32) on Linux
static_assert(sizeof(WChar) == 2 || sizeof(WChar) == 4);
using BSTR = WChar*;
using GUID = winapi::Guid;


constexpr HRESULT S_OK_ = 0;
constexpr HRESULT S_FALSE_ = 1;
constexpr HRESULT E_NOTIMPL_ = winapi::kENotImpl;
constexpr HRESULT E_NOINTERFACE_ = winapi::kENoInterface;
constexpr HRESULT E_ABORT_ = winapi::kEAbort;
constexpr HRESULT E_FAIL_ = winapi::kEFail;
constexpr HRESULT E_INVALIDARG_ = winapi::kEInvalidArg;

// Variant types used by the archive properties.
enum : uint16_t { VT_EMPTY_ = 0, VT_BSTR_ = 8, VT_BOOL_ = 11, VT_UI4_ = 19, VT_UI8_ = 21, VT_FILETIME_ = 64 };

struct PROPVARIANT {
  uint16_t vt = VT_EMPTY_;
  uint16_t reserved1 = 0, reserved2 = 0, reserved3 = 0;
  union {
    int16_t boolVal;  // VARIANT_BOOL: -1 true, 0 false
    uint32_t ulVal;
    uint64_t uhVal;
    BSTR bstrVal;
    winapi::FileTime filetime;
  };
  PROPVARIANT() : uhVal(0) {}
};
static_assert(sizeof(PROPVARIANT) == 16);

// BSTRs the library may free: SysAllocString of oleaut32 on Windows; on Linux the
// layout 7z.so frees with free(p - 4) (uint32 byte length, text, 4-byte NUL).
BSTR AllocBstr(WStringView s);
void FreeBstr(BSTR s);
// Text as the library's wide characters (names of properties).
std::wstring ToWide(WStringView s);

// {23170F69-40C1-278A-0000-00gg00ii0000}
constexpr GUID InterfaceId(uint8_t group, uint8_t id) {
  return GUID{0x23170F69, 0x40C1, 0x278A, {0, 0, 0, group, 0, id, 0, 0}};
}
constexpr GUID IID_IUnknown_ = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID IID_IProgress_ = InterfaceId(0x00, 0x05);
constexpr GUID IID_ISequentialInStream_ = InterfaceId(0x03, 0x01);
constexpr GUID IID_ISequentialOutStream_ = InterfaceId(0x03, 0x02);
constexpr GUID IID_IInStream_ = InterfaceId(0x03, 0x03);
constexpr GUID IID_IOutStream_ = InterfaceId(0x03, 0x04);
constexpr GUID IID_IStreamGetSize_ = InterfaceId(0x03, 0x06);
constexpr GUID IID_IOutStreamFinish_ = InterfaceId(0x03, 0x07);
constexpr GUID IID_ICryptoGetTextPassword2_ = InterfaceId(0x05, 0x11);
constexpr GUID IID_ISetProperties_ = InterfaceId(0x06, 0x03);
constexpr GUID IID_IArchiveUpdateCallback_ = InterfaceId(0x06, 0x80);
constexpr GUID IID_IOutArchive_ = InterfaceId(0x06, 0xA0);
constexpr GUID IID_IArchiveOpenCallback_ = InterfaceId(0x06, 0x10);
constexpr GUID IID_IArchiveExtractCallback_ = InterfaceId(0x06, 0x20);
constexpr GUID IID_IInArchive_ = InterfaceId(0x06, 0x60);

// Property ids of archive items.
enum : PROPID { kpidPath = 3, kpidIsDir = 6, kpidSize = 7, kpidAttrib = 9, kpidCTime = 10, kpidATime = 11,
                kpidMTime = 12, kpidCRC = 19, kpidIsAnti = 21 };
// IArchiveExtractCallback: what is asked for, and how an item ended.
enum : int32_t { kExtractModeExtract = 0, kExtractModeTest = 1, kExtractModeSkip = 2 };
enum : int32_t { kOpOk = 0, kOpUnsupportedMethod = 1, kOpDataError = 2, kOpCrcError = 3, kOpUnavailable = 4,
                 kOpUnexpectedEnd = 5, kOpDataAfterEnd = 6, kOpIsNotArc = 7, kOpHeadersError = 8,
                 kOpWrongPassword = 9 };
// GetModuleProp ids: the interface layout (0 = no virtual destructor) and the version.
enum : PROPID { kModuleInterfaceType = 0, kModuleVersion = 1 };

// The interfaces. No virtual destructor: the library's vtables have none.
struct IUnknown {
  virtual HRESULT QueryInterface(const GUID& iid, void** out) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
struct ISequentialInStream : IUnknown {
  virtual HRESULT Read(void* data, uint32_t size, uint32_t* processed) = 0;
};
struct ISequentialOutStream : IUnknown {
  virtual HRESULT Write(const void* data, uint32_t size, uint32_t* processed) = 0;
};
struct IInStream : ISequentialInStream {
  virtual HRESULT Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) = 0;
};
struct IOutStream : ISequentialOutStream {
  virtual HRESULT Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) = 0;
  virtual HRESULT SetSize(uint64_t newSize) = 0;
};
struct IStreamGetSize : IUnknown {
  virtual HRESULT GetSize(uint64_t* size) = 0;
};
struct IOutStreamFinish : IUnknown {
  virtual HRESULT OutStreamFinish() = 0;
};
struct IProgress : IUnknown {
  virtual HRESULT SetTotal(uint64_t total) = 0;
  virtual HRESULT SetCompleted(const uint64_t* completed) = 0;
};
struct IArchiveUpdateCallback : IProgress {
  virtual HRESULT GetUpdateItemInfo(uint32_t index, int32_t* newData, int32_t* newProps,
                                    uint32_t* indexInArchive) = 0;
  virtual HRESULT GetProperty(uint32_t index, PROPID propId, PROPVARIANT* value) = 0;
  virtual HRESULT GetStream(uint32_t index, ISequentialInStream** stream) = 0;
  virtual HRESULT SetOperationResult(int32_t result) = 0;
};
struct ICryptoGetTextPassword2 : IUnknown {
  virtual HRESULT CryptoGetTextPassword2(int32_t* passwordIsDefined, BSTR* password) = 0;
};
struct ISetProperties : IUnknown {
  virtual HRESULT SetProperties(const WChar* const* names, const PROPVARIANT* values, uint32_t count) = 0;
};
struct IOutArchive : IUnknown {
  virtual HRESULT UpdateItems(ISequentialOutStream* out, uint32_t count, IArchiveUpdateCallback* callback) = 0;
  virtual HRESULT GetFileTimeType(uint32_t* type) = 0;
};

struct IArchiveOpenCallback : IUnknown {
  virtual HRESULT SetTotal(const uint64_t* files, const uint64_t* bytes) = 0;
  virtual HRESULT SetCompleted(const uint64_t* files, const uint64_t* bytes) = 0;
};
struct IArchiveExtractCallback : IProgress {
  virtual HRESULT GetStream(uint32_t index, ISequentialOutStream** stream, int32_t askExtractMode) = 0;
  virtual HRESULT PrepareOperation(int32_t askExtractMode) = 0;
  virtual HRESULT SetOperationResult(int32_t result) = 0;
};
struct IInArchive : IUnknown {
  virtual HRESULT Open(IInStream* stream, const uint64_t* maxCheckStartPosition, IArchiveOpenCallback* callback) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT GetNumberOfItems(uint32_t* count) = 0;
  virtual HRESULT GetProperty(uint32_t index, PROPID propId, PROPVARIANT* value) = 0;
  virtual HRESULT Extract(const uint32_t* indices, uint32_t count, int32_t testMode,
                          IArchiveExtractCallback* callback) = 0;
  virtual HRESULT GetArchiveProperty(PROPID propId, PROPVARIANT* value) = 0;
  virtual HRESULT GetNumberOfProperties(uint32_t* count) = 0;
  virtual HRESULT GetPropertyInfo(uint32_t index, BSTR* name, PROPID* propId, uint16_t* varType) = 0;
  virtual HRESULT GetNumberOfArchiveProperties(uint32_t* count) = 0;
  virtual HRESULT GetArchivePropertyInfo(uint32_t index, BSTR* name, PROPID* propId, uint16_t* varType) = 0;
};

// The library's exports.
extern "C" {
using CreateObjectFunc = HRESULT (*)(const GUID* classId, const GUID* iid, void** out);
using GetHandlerPropertyFunc = HRESULT (*)(PROPID propId, PROPVARIANT* value);
using GetModulePropFunc = HRESULT (*)(PROPID propId, PROPVARIANT* value);
}

}  // namespace sevenzip::abi
