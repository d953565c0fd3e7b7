// T7zOutArchive: collects a batch of files, serves them to the 7-Zip library
// through its update callback and has the library write the archive.
#pragma once
#include <memory>
#include <mutex>
#include <vector>

#include "archive/SevenZip.h"
#include "archive/SevenZipPlugin.h"

namespace sevenzip {

class T7zOutArchive final : public T7zArchive,
                            public abi::ICryptoGetTextPassword2,
                            public abi::IArchiveUpdateCallback,
                            public I7zOutArchive {
 public:
  explicit T7zOutArchive(const WString& libraryPath) : T7zArchive(libraryPath) {}

  // IUnknown, shared by every interface.
  abi::HRESULT QueryInterface(const abi::GUID& iid, void** out) override;
  abi::ULONG AddRef() override { return AddRefImpl(); }
  abi::ULONG Release() override { return ReleaseImpl(); }

  // I7zOutArchive
  void AddFile(const WString& fileName, const WString& path) override;
  void AddFiles(const WString& folder, const WString& masks) override;
  void SaveToFile(const WString& fileName) override;
  void SetProgressCallback(void* sender, T7zProgressCallback callback) override;
  void SetProperty(const WString& name, const abi::PROPVARIANT& value) override;
  void SetClassID(const winapi::Guid& classId) override { T7zArchive::SetClassID(classId); }

  // The library's archive object, created on first use.
  abi::IOutArchive& OutArchive();
  const std::vector<T7zBatchItem>& BatchList() const { return FBatchList; }

  // IProgress and IArchiveUpdateCallback, called by the library.
  abi::HRESULT SetTotal(uint64_t total) override;
  abi::HRESULT SetCompleted(const uint64_t* completed) override;
  abi::HRESULT GetUpdateItemInfo(uint32_t index, int32_t* newData, int32_t* newProps,
                                 uint32_t* indexInArchive) override;
  abi::HRESULT GetProperty(uint32_t index, abi::PROPID propId, abi::PROPVARIANT* value) override;
  abi::HRESULT GetStream(uint32_t index, abi::ISequentialInStream** stream) override;
  abi::HRESULT SetOperationResult(int32_t result) override;
  // ICryptoGetTextPassword2: never a password.
  abi::HRESULT CryptoGetTextPassword2(int32_t* passwordIsDefined, abi::BSTR* password) override;

 private:
  const T7zBatchItem& Item(uint32_t index) const;
  // Keeps the first failure of a callback, to explain the library's bare error code.
  void NoteFailure(const WString& message);

  std::vector<T7zBatchItem> FBatchList;
  T7zProgressCallback FProgressCallback = nullptr;
  void* FProgressSender = nullptr;
  std::mutex FFailureLock;  // GetStream runs on the library's thread
  WString FFailure;
  // Declared last so that it is released first, while the library (the base) is still loaded.
  TComPtr<abi::IOutArchive> FOutArchive;
};

}  // namespace sevenzip
