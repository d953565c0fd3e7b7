// Owners of the catalog-administrator contexts, catalog-information contexts and
// file handles the checks open through the trust port; each releases its handle once.
#pragma once
#include "platform/Platform.h"
#include "platform/Trust.h"

namespace cryptcat {

// A catalog-administrator context (CryptCATAdminReleaseContext on destruction).
class CatAdminContext {
 public:
  CatAdminContext() = default;
  ~CatAdminContext() {
    if (handle_) Os().trust->CryptCATAdminReleaseContext(handle_, 0);
  }
  CatAdminContext(const CatAdminContext&) = delete;
  CatAdminContext& operator=(const CatAdminContext&) = delete;

  winapi::Handle* Receive() { return &handle_; }  // out-parameter of the acquire call
  winapi::Handle Get() const { return handle_; }

 private:
  winapi::Handle handle_ = 0;
};

// A catalog found for a hash (CryptCATAdminReleaseCatalogContext on destruction).
class CatInfoContext {
 public:
  CatInfoContext(winapi::Handle catAdmin, winapi::Handle catInfo) : catAdmin_(catAdmin), catInfo_(catInfo) {}
  ~CatInfoContext() {
    if (catInfo_) Os().trust->CryptCATAdminReleaseCatalogContext(catAdmin_, catInfo_, 0);
  }
  CatInfoContext(const CatInfoContext&) = delete;
  CatInfoContext& operator=(const CatInfoContext&) = delete;

  winapi::Handle Get() const { return catInfo_; }

 private:
  winapi::Handle catAdmin_;
  winapi::Handle catInfo_;
};

// A file opened for reading its hash (CloseHandle on destruction).
class HashedFile {
 public:
  // CreateFileW: read access, share-read, open-existing, normal attributes.
  explicit HashedFile(const WString& fileName)
      : handle_(Os().trust->CreateFile(fileName.c_str(), winapi::kGenericRead, winapi::kFileShareRead,
                                       winapi::kOpenExisting, winapi::kFileAttributeNormal)) {}
  ~HashedFile() {
    if (IsOpen()) Os().trust->CloseHandle(handle_);
  }
  HashedFile(const HashedFile&) = delete;
  HashedFile& operator=(const HashedFile&) = delete;

  bool IsOpen() const { return handle_ != winapi::kInvalidHandle && handle_ != 0; }
  winapi::Handle Get() const { return handle_; }

 private:
  winapi::Handle handle_;
};

}  // namespace cryptcat
