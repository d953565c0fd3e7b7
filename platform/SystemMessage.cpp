#include "platform/SystemMessage.h"

#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace {
// Larger than any text of the message table; a text that does not fit gives "".
constexpr uint32_t kMessageBufferChars = 1024;

uint32_t LastErrorCode() { return Os().system ? Os().system->GetLastError() : 0; }
}  // namespace

WString SystemMessage(uint32_t code) {
  ports::ISystem* system = Os().system;
  if (!system) return {};
  char16_t buffer[kMessageBufferChars] = {};
  const uint32_t written = system->FormatMessage(code, buffer, kMessageBufferChars);
  if (written == 0 || written > kMessageBufferChars) return {};
  return text::UpToNul(buffer, written);
}

WString SystemMessageTrimmed(uint32_t code) { return text::Trim(SystemMessage(code)); }

WString SystemMessageWithoutStop(uint32_t code) {
  WString message = SystemMessage(code);
  while (!message.empty() && (message.back() <= u' ' || message.back() == u'.')) message.pop_back();
  return message;
}

WString LastErrorMessage() { return SystemMessage(LastErrorCode()); }
WString LastErrorMessageTrimmed() { return SystemMessageTrimmed(LastErrorCode()); }

void RaiseOSError(uint32_t code, const WString& addedText) {
  if (code == 0) throw OSError(0, text::W("A call to an OS function failed"));
  throw OSError(code, text::W("System Error.  Code: ") + text::FromUInt(code) + text::W(".\r\n") +
                          SystemMessageWithoutStop(code) + addedText);
}
