// A library loaded through the library port, freed exactly once when the owner dies.
#pragma once
#include "platform/PortHandles.h"
#include "platform/Text.h"

namespace sevenzip {

class TLibraryModule {
 public:
  // Raises an OSError "… Error loading library <path>" when the library cannot be loaded.
  explicit TLibraryModule(const WString& path);

  // The export `name`, or nullptr.
  void* Proc(const char* name) const;
  winapi::Handle Handle() const { return handle_.Get(); }

 private:
  UniqueLibrary handle_;
};

}  // namespace sevenzip
