#include "archive/SystemErrors.h"

#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace archive {

WString SysErrorMessage(uint32_t code) {
  ports::ISystem* system = Os().system;
  if (!system) return {};
  char16_t buffer[1024];
  uint32_t n = system->FormatMessage(code, buffer, static_cast<uint32_t>(std::size(buffer)));
  if (n > std::size(buffer)) n = 0;
  while (n > 0 && (buffer[n - 1] <= u' ' || buffer[n - 1] == u'.')) --n;
  return WString(buffer, n);
}

void RaiseOSError(uint32_t code, const WString& addedText) {
  if (code == 0) throw OSError(0, text::W("A call to an OS function failed"));
  throw OSError(code, text::W("System Error.  Code: ") + text::FromUInt(code) + text::W(".\r\n") +
                          SysErrorMessage(code) + addedText);
}

}  // namespace archive
