#include "archive/SevenZipReader.h"

#include <exception>
#include <mutex>

#include "archive/EntryNames.h"
#include "archive/EntryTime.h"
#include "archive/SevenZipGuard.h"
#include "archive/SevenZipStream.h"

namespace sevenzip {

const abi::GUID kSevenZipFormat = {0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};
const abi::GUID kZipFormat = {0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x01, 0x00, 0x00}};

class SevenZipReader::Format final : public T7zArchive {
 public:
  using T7zArchive::T7zArchive;
  uint32_t AddRef() { return AddRefImpl(); }
  uint32_t Release() { return ReleaseImpl(); }
};

namespace {

using archive::ArchiveError;

// A property value the library filled, cleared when it goes.
struct Property {
  abi::PROPVARIANT value;
  ~Property() {
    if (value.vt == abi::VT_BSTR_ && value.bstrVal) abi::FreeBstr(value.bstrVal);
  }
};

WString FromBstr(const abi::BSTR s) {
  WString out;
  for (const abi::WChar* p = s; p && *p; ++p) out.push_back(char16_t(*p));  // UTF-16 units, one per wchar_t
  return out;
}

WString OperationFault(int32_t result) {
  switch (result) {
    case abi::kOpUnsupportedMethod: return u"its compression method is not supported";
    case abi::kOpDataError: return u"its data is damaged";
    case abi::kOpCrcError: return u"its CRC does not match (the data is damaged)";
    case abi::kOpUnavailable: return u"its data is not in the archive";
    case abi::kOpUnexpectedEnd: return u"its data is cut short (truncated archive)";
    case abi::kOpDataAfterEnd: return u"data follows its end";
    case abi::kOpIsNotArc: return u"it is not in an archive";
    case abi::kOpHeadersError: return u"the archive's headers are damaged";
    case abi::kOpWrongPassword: return u"it is encrypted";
  }
  return u"it could not be read (result " + text::FromInt(result) + u")";
}

// The data of one entry, handed on to the sink.
class EntryStream final : public TRefCount, public abi::ISequentialOutStream {
 public:
  EntryStream(archive::IEntrySink& sink, std::mutex& mutex) : sink_(sink), mutex_(mutex) {}
  abi::HRESULT QueryInterface(const abi::GUID& iid, void** out) override {
    if (!out) return abi::E_INVALIDARG_;
    *out = nullptr;
    if (iid != abi::IID_IUnknown_ && iid != abi::IID_ISequentialOutStream_) return abi::E_NOINTERFACE_;
    *out = static_cast<abi::ISequentialOutStream*>(this);
    AddRef();
    return abi::S_OK_;
  }
  abi::ULONG AddRef() override { return AddRefImpl(); }
  abi::ULONG Release() override { return ReleaseImpl(); }
  abi::HRESULT Write(const void* data, uint32_t size, uint32_t* processed) override {
    if (processed) *processed = 0;
    return Guarded([&] {
      std::lock_guard lock(mutex_);
      sink_.Write(data, size);
      if (processed) *processed = size;
      return abi::S_OK_;
    });
  }

 private:
  archive::IEntrySink& sink_;
  std::mutex& mutex_;
};

// Hands each file entry to the sink and keeps the first fault, which ends the
// extraction (E_ABORT) and is raised once the library returns.
class ExtractCallback final : public TRefCount, public abi::IArchiveExtractCallback {
 public:
  ExtractCallback(const WString& archive, const std::vector<archive::ArchiveEntry>& entries,
                  archive::IEntrySink& sink)
      : archive_(archive), entries_(entries), sink_(sink) {}

  abi::HRESULT QueryInterface(const abi::GUID& iid, void** out) override {
    if (!out) return abi::E_INVALIDARG_;
    *out = nullptr;
    if (iid != abi::IID_IUnknown_ && iid != abi::IID_IArchiveExtractCallback_ && iid != abi::IID_IProgress_)
      return abi::E_NOINTERFACE_;
    *out = static_cast<abi::IArchiveExtractCallback*>(this);
    AddRef();
    return abi::S_OK_;
  }
  abi::ULONG AddRef() override { return AddRefImpl(); }
  abi::ULONG Release() override { return ReleaseImpl(); }
  abi::HRESULT SetTotal(uint64_t) override { return abi::S_OK_; }
  abi::HRESULT SetCompleted(const uint64_t*) override { return abi::S_OK_; }

  abi::HRESULT GetStream(uint32_t index, abi::ISequentialOutStream** stream, int32_t mode) override {
    if (!stream) return abi::E_INVALIDARG_;
    *stream = nullptr;
    return Kept([&] {
      current_ = index;
      if (mode != abi::kExtractModeExtract || index >= entries_.size() || entries_[index].isFolder) return;
      std::lock_guard lock(mutex_);
      sink_.BeginEntry(entries_[index]);
      auto* s = new EntryStream(sink_, mutex_);
      s->AddRef();
      *stream = s;
    });
  }
  abi::HRESULT PrepareOperation(int32_t) override { return abi::S_OK_; }
  abi::HRESULT SetOperationResult(int32_t result) override {
    return Kept([&] {
      const WString name = current_ < entries_.size() ? entries_[current_].name : WString();
      if (result != abi::kOpOk)
        throw ArchiveError(archive::Printable(archive_) + u": the entry \"" + archive::Printable(name) +
                           u"\": " + OperationFault(result));
      if (current_ < entries_.size() && !entries_[current_].isFolder) {
        std::lock_guard lock(mutex_);
        sink_.EndEntry();
      }
    });
  }

  void RaiseFault() const {
    if (fault_) std::rethrow_exception(fault_);
  }

 private:
  template <class Body>
  abi::HRESULT Kept(Body&& body) noexcept {
    try {
      body();
      return abi::S_OK_;
    } catch (...) {
      if (!fault_) fault_ = std::current_exception();
      return abi::E_ABORT_;
    }
  }

  const WString& archive_;
  const std::vector<archive::ArchiveEntry>& entries_;
  archive::IEntrySink& sink_;
  std::mutex mutex_;
  uint32_t current_ = 0;
  std::exception_ptr fault_;
};

}  // namespace

SevenZipReader::SevenZipReader(const WString& path, const WString& libraryPath, const abi::GUID& classId)
    : path_(path) {
  try {
    format_ = TComPtr<Format>::Share(new Format(libraryPath));
  } catch (const QuillonError& e) {
    throw ArchiveError(archive::Printable(path) + u": the 7-Zip library cannot be used: " + e.Message());
  }
  archive_ = TComPtr<abi::IInArchive>::Attach(
      static_cast<abi::IInArchive*>(format_->CreateObject(classId, abi::IID_IInArchive_)));
  auto file = std::make_shared<archive::TFileStream>(path, archive::TFileStream::Mode::Read);
  auto stream = TComPtr<T7zStream>::Share(new T7zStream(file));
  const uint64_t maxCheckStart = 0;  // the archive starts at the file's start
  const abi::HRESULT hr = archive_->Open(static_cast<abi::IInStream*>(stream.Get()), &maxCheckStart, nullptr);
  if (hr != abi::S_OK_)
    throw ArchiveError(archive::Printable(path) + (hr == abi::S_FALSE_ ? WString(u": not an archive of its format")
                                                                        : u": the archive cannot be opened"));
  ReadEntries();
}

SevenZipReader::~SevenZipReader() {
  if (archive_) archive_->Close();
}

void SevenZipReader::ReadEntries() {
  uint32_t count = 0;
  if (archive_->GetNumberOfItems(&count) != abi::S_OK_) throw ArchiveError(path_ + u": its entries cannot be listed");
  entries_.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    archive::ArchiveEntry e;
    Property path, isDir, size, crc, modified;
    if (archive_->GetProperty(i, abi::kpidPath, &path.value) == abi::S_OK_ && path.value.vt == abi::VT_BSTR_)
      e.name = FromBstr(path.value.bstrVal);
    if (archive_->GetProperty(i, abi::kpidIsDir, &isDir.value) == abi::S_OK_ && isDir.value.vt == abi::VT_BOOL_)
      e.isFolder = isDir.value.boolVal != 0;
    if (archive_->GetProperty(i, abi::kpidSize, &size.value) == abi::S_OK_)
      e.size = size.value.vt == abi::VT_UI8_ ? size.value.uhVal : size.value.vt == abi::VT_UI4_ ? size.value.ulVal : 0;
    if (archive_->GetProperty(i, abi::kpidCRC, &crc.value) == abi::S_OK_ && crc.value.vt == abi::VT_UI4_)
      e.crc = crc.value.ulVal;
    if (archive_->GetProperty(i, abi::kpidMTime, &modified.value) == abi::S_OK_ &&
        modified.value.vt == abi::VT_FILETIME_)
      e.modified = archive::SystemTimeFromFileTime(modified.value.filetime);
    entries_.push_back(std::move(e));
  }
}

void SevenZipReader::ReadAll(archive::IEntrySink& sink) {
  auto callback = TComPtr<ExtractCallback>::Share(new ExtractCallback(path_, entries_, sink));
  const abi::HRESULT hr = archive_->Extract(nullptr, uint32_t(-1), 0, callback.Get());
  callback->RaiseFault();
  if (hr != abi::S_OK_) throw ArchiveError(archive::Printable(path_) + u": the archive cannot be read to its end");
}

}  // namespace sevenzip
