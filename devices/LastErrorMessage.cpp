#include "devices/ScanSteps.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace devices {

WString LastErrorMessage() {
  ports::ISystem& system = *Os().system;
  char16_t buffer[kSystemMessageChars] = {};
  const uint32_t written = system.FormatMessage(system.GetLastError(), buffer, kSystemMessageChars);
  if (written == 0) return {};
  return text::UpToNul(buffer, kSystemMessageChars);
}

}  // namespace devices
