// T7zPlugin loads the 7-Zip library and creates its objects; T7zArchive checks
// that it is a format library and holds the format's class id.
#pragma once
#include "archive/LibraryModule.h"
#include "archive/RefCount.h"
#include "archive/SevenZipAbi.h"

namespace sevenzip {

class T7zPlugin : public TRefCount {
 public:
  // Raises when the library cannot be loaded or has no "CreateObject"; the
  // library is then released again.
  explicit T7zPlugin(const WString& libraryPath);

  // The library's object of class `classId` answering `iid`; raises on a failure.
  void* CreateObject(const abi::GUID& classId, const abi::GUID& iid);

 protected:
  const WString& LibraryPath() const { return FLibraryPath; }
  const TLibraryModule& Module() const { return FHandle; }

 private:
  WString FLibraryPath;
  TLibraryModule FHandle;
  abi::CreateObjectFunc FCreateObject = nullptr;
};

class T7zArchive : public T7zPlugin {
 public:
  // Also raises when the library has no "GetHandlerProperty", or when its
  // interfaces have a layout this program cannot call (7-Zip before 23 on Linux).
  explicit T7zArchive(const WString& libraryPath);

  const abi::GUID& ClassID() const { return FClassId; }
  void SetClassID(const abi::GUID& classId) { FClassId = classId; }

 private:
  void CheckInterfaceLayout();
  abi::GetHandlerPropertyFunc FGetHandlerProperty = nullptr;
  abi::GUID FClassId{};
};

}  // namespace sevenzip
