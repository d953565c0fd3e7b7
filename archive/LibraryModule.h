// A library loaded through the library port, freed exactly once when the owner dies.
#pragma once
#include "platform/Text.h"
#include "platform/WinTypes.h"

namespace sevenzip {

class TLibraryModule {
 public:
  // Raises an OSError "… Error loading library <path>" when the library cannot be loaded.
  explicit TLibraryModule(const WString& path);
  ~TLibraryModule();
  TLibraryModule(const TLibraryModule&) = delete;
  TLibraryModule& operator=(const TLibraryModule&) = delete;

  // The export `name`, or nullptr.
  void* Proc(const char* name) const;
  winapi::Handle Handle() const { return FHandle; }

 private:
  winapi::Handle FHandle = 0;
};

}  // namespace sevenzip
