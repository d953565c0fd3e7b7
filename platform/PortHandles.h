// Owners of the handles the ports hand out, each released through the port that
// made it (see platform/UniqueHandle.h).
#pragma once
#include "platform/Library.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SetupApi.h"
#include "platform/System.h"
#include "platform/Trust.h"
#include "platform/UniqueHandle.h"

namespace port_handles {

struct RegistryKeyTraits {
  static ports::HKey Invalid() { return 0; }
  static bool IsValid(ports::HKey h) { return h != 0; }
  static void Close(ports::HKey h) { Os().registry->CloseKey(h); }
};

// Kernel handles of the system port (the process's access token).
struct SystemHandleTraits {
  static winapi::Handle Invalid() { return 0; }
  static bool IsValid(winapi::Handle h) { return h != 0 && h != winapi::kInvalidHandle; }
  static void Close(winapi::Handle h) { Os().system->CloseHandle(h); }
};

struct DeviceInfoSetTraits {
  static ports::HDevInfo Invalid() { return winapi::kInvalidHandle; }
  static bool IsValid(ports::HDevInfo h) { return h != winapi::kInvalidHandle; }
  static void Close(ports::HDevInfo h) { Os().setup->DestroyDeviceInfoList(h); }
};

struct DeviceIconTraits {
  static ports::HIcon Invalid() { return 0; }
  static bool IsValid(ports::HIcon h) { return h != 0; }
  static void Close(ports::HIcon h) { Os().setup->DestroyIcon(h); }
};

struct CatAdminTraits {
  static winapi::Handle Invalid() { return 0; }
  static bool IsValid(winapi::Handle h) { return h != 0; }
  static void Close(winapi::Handle h) { Os().trust->CryptCATAdminReleaseContext(h, 0); }
};

// A catalog found for a hash is released together with the administrator
// context it was found through.
struct CatalogContext {
  winapi::Handle catAdmin = 0;
  winapi::Handle catInfo = 0;
};
struct CatalogContextTraits {
  static CatalogContext Invalid() { return {}; }
  static bool IsValid(const CatalogContext& c) { return c.catInfo != 0; }
  static void Close(const CatalogContext& c) { Os().trust->CryptCATAdminReleaseCatalogContext(c.catAdmin, c.catInfo, 0); }
};

// Files the trust port opens for hashing (CreateFile gives kInvalidHandle on failure).
struct TrustFileTraits {
  static winapi::Handle Invalid() { return winapi::kInvalidHandle; }
  static bool IsValid(winapi::Handle h) { return h != 0 && h != winapi::kInvalidHandle; }
  static void Close(winapi::Handle h) { Os().trust->CloseHandle(h); }
};

struct LibraryTraits {
  static winapi::Handle Invalid() { return 0; }
  static bool IsValid(winapi::Handle h) { return h != 0; }
  static void Close(winapi::Handle h) { Os().libraries->FreeLibrary(h); }
};

}  // namespace port_handles

using UniqueRegistryKey = UniqueHandle<port_handles::RegistryKeyTraits>;
using UniqueSystemHandle = UniqueHandle<port_handles::SystemHandleTraits>;
using UniqueDeviceInfoSet = UniqueHandle<port_handles::DeviceInfoSetTraits>;
using UniqueDeviceIcon = UniqueHandle<port_handles::DeviceIconTraits>;
using UniqueCatAdmin = UniqueHandle<port_handles::CatAdminTraits>;
using UniqueCatalogContext = UniqueHandle<port_handles::CatalogContextTraits>;
using UniqueTrustFile = UniqueHandle<port_handles::TrustFileTraits>;
using UniqueLibrary = UniqueHandle<port_handles::LibraryTraits>;
