#include "restore/Elevation.h"

#include "platform/Elevation.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/SystemMessage.h"

namespace restore {

bool ProcessIsElevated() {
  ports::IElevation* port = Os().elevation;
  if (!port) throw QuillonError(text::W("The elevation of this process cannot be checked on this platform"));
  bool elevated = false;
  if (!port->GetTokenElevation(&elevated))
    RaiseOSError(Os().system->GetLastError(), u" (reading whether this process is elevated)");
  return elevated;
}

}  // namespace restore
