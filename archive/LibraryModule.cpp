#include "archive/LibraryModule.h"

#include "platform/Errors.h"
#include "platform/Library.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/SystemMessage.h"

namespace sevenzip {

namespace {
ports::ILibraryLoader& Loader() {
  if (!Os().libraries) throw QuillonError(text::W("No library loader is installed"));
  return *Os().libraries;
}
}  // namespace

TLibraryModule::TLibraryModule(const WString& path) : handle_(Loader().LoadLibrary(path)) {
  if (!handle_) {
    const uint32_t code = Os().system ? Os().system->GetLastError() : 0;
    RaiseOSError(code, text::W("\r\nError loading library ") + path);
  }
}

void* TLibraryModule::Proc(const char* name) const { return Loader().GetProcAddress(handle_.Get(), name); }

}  // namespace sevenzip
