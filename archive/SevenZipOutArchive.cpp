#include "archive/SevenZipOutArchive.h"

#include "archive/FileBatch.h"
#include "archive/FileInfo.h"
#include "archive/SevenZipGuard.h"
#include "archive/SevenZipStream.h"
#include "platform/Errors.h"
#include "platform/Interrupt.h"
#include "platform/Paths.h"

namespace sevenzip {

abi::HRESULT T7zOutArchive::QueryInterface(const abi::GUID& iid, void** out) {
  if (!out) return abi::E_INVALIDARG_;
  *out = nullptr;
  if (iid == abi::IID_IUnknown_ || iid == abi::IID_IArchiveUpdateCallback_ || iid == abi::IID_IProgress_)
    *out = static_cast<abi::IArchiveUpdateCallback*>(this);
  else if (iid == abi::IID_ICryptoGetTextPassword2_)
    *out = static_cast<abi::ICryptoGetTextPassword2*>(this);
  else
    return abi::E_NOINTERFACE_;
  AddRef();
  return abi::S_OK_;
}

void T7zOutArchive::AddFile(const WString& fileName, const WString& path) {
  archive::TFileInfo info;
  if (!archive::ReadFileInfo(fileName, info)) return;
  T7zBatchItem item;
  item.FileName = fileName;
  item.Path = path;
  item.Attributes = info.Attributes;
  item.CreationTime = info.CreationTime;
  item.LastWriteTime = info.LastWriteTime;  // the last-access time stays zero
  item.Size = info.Size;
  FBatchList.push_back(std::move(item));
}

void T7zOutArchive::AddFiles(const WString& folder, const WString& masks) {
  archive::ForEachMatchingFile(folder, archive::SplitMasks(masks),
                               [this](const WString& fileName, const WString& relativePath) {
                                 archive::TFileInfo info;
                                 if (!archive::ReadFileInfo(fileName, info)) return;  // gone since the listing
                                 T7zBatchItem item;
                                 item.FileName = fileName;
                                 item.Path = relativePath;
                                 item.Attributes = info.Attributes;
                                 item.CreationTime = info.CreationTime;
                                 item.LastWriteTime = info.LastWriteTime;
                                 item.LastAccessTime = info.LastAccessTime;
                                 item.Size = info.Size;
                                 FBatchList.push_back(std::move(item));
                               });
}

abi::IOutArchive& T7zOutArchive::OutArchive() {
  if (!FOutArchive)
    FOutArchive = TComPtr<abi::IOutArchive>::Attach(
        static_cast<abi::IOutArchive*>(CreateObject(ClassID(), abi::IID_IOutArchive_)));
  return *FOutArchive.Get();
}

void T7zOutArchive::SaveToFile(const WString& fileName) {
  auto file = std::make_shared<archive::TFileStream>(fileName, archive::TFileStream::Mode::Create);
  {
    std::lock_guard lock(FFailureLock);
    FFailure.clear();
  }
  abi::HRESULT hr;
  {
    auto stream =
        TComPtr<T7zStream>::Share(new T7zStream(file, [this](const WString& message) { NoteFailure(message); }));
    hr = OutArchive().UpdateItems(static_cast<abi::IOutStream*>(stream.Get()),
                                  static_cast<uint32_t>(FBatchList.size()), this);
  }
  if (hr != abi::S_OK_) {
    WString cause;
    {
      std::lock_guard lock(FFailureLock);
      cause = FFailure;
    }
    // The library turns every failure of ours into E_FAIL ("Unspecified error"):
    // when the stream or callback said what went wrong, that is the message.
    if (!cause.empty()) throw OSError(uint32_t(hr), cause);
    CheckResult(hr);
  }
  file->Close();
}

void T7zOutArchive::SetProgressCallback(void* sender, T7zProgressCallback callback) {
  FProgressSender = sender;
  FProgressCallback = callback;
}

void T7zOutArchive::SetProperty(const WString& name, const abi::PROPVARIANT& value) {
  TComPtr<abi::ISetProperties> setter;
  CheckResult(OutArchive().QueryInterface(abi::IID_ISetProperties_, setter.PutVoid()));
  const std::wstring wideName = abi::ToWide(name);
  const abi::WChar* names[] = {wideName.c_str()};
  CheckResult(setter->SetProperties(names, &value, 1));
}

const T7zBatchItem& T7zOutArchive::Item(uint32_t index) const {
  if (index >= FBatchList.size()) throw QuillonError(text::W("Archive item index out of range"));
  return FBatchList[index];
}

void T7zOutArchive::NoteFailure(const WString& message) {
  std::lock_guard lock(FFailureLock);
  if (FFailure.empty()) FFailure = message;
}

abi::HRESULT T7zOutArchive::SetTotal(uint64_t total) {
  return Guarded([&] { return FProgressCallback ? FProgressCallback(FProgressSender, true, total) : abi::S_OK_; });
}

abi::HRESULT T7zOutArchive::SetCompleted(const uint64_t* completed) {
  return Guarded([&] {
    return FProgressCallback && completed ? FProgressCallback(FProgressSender, false, *completed) : abi::S_OK_;
  });
}

abi::HRESULT T7zOutArchive::GetUpdateItemInfo(uint32_t index, int32_t* newData, int32_t* newProps,
                                              uint32_t* indexInArchive) {
  return Guarded([&] {
    Item(index);
    if (newData) *newData = 1;
    if (newProps) *newProps = 1;
    if (indexInArchive) *indexInArchive = 0xFFFFFFFF;  // every item is new
    return abi::S_OK_;
  });
}

abi::HRESULT T7zOutArchive::GetProperty(uint32_t index, abi::PROPID propId, abi::PROPVARIANT* value) {
  return Guarded([&] {
    const T7zBatchItem& item = Item(index);
    if (!value) return abi::E_INVALIDARG_;
    auto setBool = [&](bool b) {
      value->vt = abi::VT_BOOL_;
      value->boolVal = b ? -1 : 0;
    };
    auto setTime = [&](const winapi::FileTime& t) {
      value->vt = abi::VT_FILETIME_;
      value->filetime = t;
    };
    switch (propId) {
      case abi::kpidPath:
        // The host's delimiter is the one the library expects: '\' on Windows, '/' on Linux.
        if (!item.Path.empty()) {
          value->bstrVal = abi::AllocBstr(item.Path);
          value->vt = abi::VT_BSTR_;
        }
        break;
      case abi::kpidIsDir: setBool(item.IsFolder); break;
      case abi::kpidSize:
        value->vt = abi::VT_UI8_;
        value->uhVal = static_cast<uint64_t>(item.Size);
        break;
      case abi::kpidAttrib:
        value->vt = abi::VT_UI4_;
        value->ulVal = item.Attributes;
        break;
      case abi::kpidCTime: setTime(item.CreationTime); break;
      case abi::kpidATime: setTime(item.LastAccessTime); break;
      case abi::kpidMTime: setTime(item.LastWriteTime); break;
      case abi::kpidIsAnti: setBool(item.IsAnti); break;
      default: break;  // the value stays empty
    }
    return abi::S_OK_;
  });
}

abi::HRESULT T7zOutArchive::GetStream(uint32_t index, abi::ISequentialInStream** stream) {
  return Guarded([&] {
    if (!stream) return abi::E_INVALIDARG_;
    *stream = nullptr;
    try {
      interrupt::StopIfRequested(Item(index).FileName);  // between files, never inside one
      auto file = std::make_shared<archive::TFileStream>(Item(index).FileName, archive::TFileStream::Mode::Read);
      auto adapter = TComPtr<T7zStream>::Share(new T7zStream(std::move(file)));
      *stream = static_cast<abi::IInStream*>(adapter.Get());
      (*stream)->AddRef();
    } catch (const QuillonError& e) {
      NoteFailure(e.Message());
      throw;
    }
    return abi::S_OK_;
  });
}

abi::HRESULT T7zOutArchive::SetOperationResult(int32_t) { return abi::S_OK_; }

abi::HRESULT T7zOutArchive::CryptoGetTextPassword2(int32_t* passwordIsDefined, abi::BSTR*) {
  if (passwordIsDefined) *passwordIsDefined = 0;
  return abi::S_OK_;
}

}  // namespace sevenzip
