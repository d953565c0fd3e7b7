#include "archive/SevenZipPlugin.h"

#include "archive/SevenZip.h"
#include "platform/Errors.h"

namespace sevenzip {

namespace {
// Reads `path` into the place of the first "%s" of `format`.
WString WithPath(const char* format, const WString& path) {
  return text::ReplaceAll(text::W(format), u"%s", path);
}

#ifdef _WIN32
constexpr bool kNeedsModuleProp = false;  // 7z.dll never had a destructor in its vtables
#else
constexpr bool kNeedsModuleProp = true;   // before 7-Zip 23 the Linux vtables had one
#endif
}  // namespace

T7zPlugin::T7zPlugin(const WString& libraryPath) : FLibraryPath(libraryPath), FHandle(libraryPath) {
  FCreateObject = reinterpret_cast<abi::CreateObjectFunc>(FHandle.Proc("CreateObject"));
  if (!FCreateObject) throw QuillonError(WithPath("%s is not a 7z library", libraryPath));
}

void* T7zPlugin::CreateObject(const abi::GUID& classId, const abi::GUID& iid) {
  void* object = nullptr;
  const abi::HRESULT hr = FCreateObject(&classId, &iid, &object);
  if (hr < 0) CheckResult(hr);
  if (!object) throw QuillonError(WithPath("%s created no object for the format", FLibraryPath));
  return object;
}

T7zArchive::T7zArchive(const WString& libraryPath) : T7zPlugin(libraryPath) {
  FGetHandlerProperty = reinterpret_cast<abi::GetHandlerPropertyFunc>(Module().Proc("GetHandlerProperty"));
  if (!FGetHandlerProperty) throw QuillonError(WithPath("%s is not a Format library", libraryPath));
  CheckInterfaceLayout();
}

// GetModuleProp(0) tells whether the library's vtables carry a virtual destructor
// (1) or not (0); calling one layout as the other crashes.
void T7zArchive::CheckInterfaceLayout() {
  auto getModuleProp = reinterpret_cast<abi::GetModulePropFunc>(Module().Proc("GetModuleProp"));
  if (!getModuleProp) {
    if (kNeedsModuleProp)
      throw QuillonError(WithPath("%s is a 7-Zip library older than version 23, whose interfaces cannot be used",
                                  LibraryPath()));
    return;
  }
  abi::PROPVARIANT layout;
  if (getModuleProp(abi::kModuleInterfaceType, &layout) == abi::S_OK_ && layout.vt == abi::VT_UI4_ &&
      layout.ulVal != 0)
    throw QuillonError(WithPath("%s uses interfaces with virtual destructors, which cannot be used", LibraryPath()));
}

}  // namespace sevenzip
