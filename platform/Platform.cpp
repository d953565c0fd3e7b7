#include "platform/Platform.h"

#include "platform/Errors.h"

namespace {
Platform* installed = nullptr;
}

Platform& Os() {
  if (!installed) throw QuillonError(std::string("No platform is installed"));
  return *installed;
}

Platform* InstalledPlatform() { return installed; }

Platform* InstallPlatform(Platform* p) {
  Platform* previous = installed;
  installed = p;
  return previous;
}
