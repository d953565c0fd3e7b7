// The offline system message table: the English texts Windows' FormatMessageW
// gives, trailing CR LF included.
#include <mutex>
#include <unordered_map>

#include "platform/offline/Machine.h"

namespace offline {

namespace {

struct MessageTable {
  std::mutex mutex;
  std::unordered_map<uint32_t, WString> texts{
      {0, u"The operation completed successfully.\r\n"},
      {2, u"The system cannot find the file specified.\r\n"},
      {3, u"The system cannot find the path specified.\r\n"},
      {5, u"Access is denied.\r\n"},
      {6, u"The handle is invalid.\r\n"},
      {4, u"The system cannot open the file.\r\n"},
      {8, u"Not enough memory resources are available to process this command.\r\n"},
      {13, u"The data is invalid.\r\n"},
      {17, u"The system cannot move the file to a different disk drive.\r\n"},
      {19, u"The media is write protected.\r\n"},
      {32, u"The process cannot access the file because it is being used by another process.\r\n"},
      {80, u"The file exists.\r\n"},
      {50, u"The request is not supported.\r\n"},
      {87, u"The parameter is incorrect.\r\n"},
      {112, u"There is not enough space on the disk.\r\n"},
      {120, u"This function is not supported on this system.\r\n"},
      {122, u"The data area passed to a system call is too small.\r\n"},
      {123, u"The filename, directory name, or volume label syntax is incorrect.\r\n"},
      {126, u"The specified module could not be found.\r\n"},
      {127, u"The specified procedure could not be found.\r\n"},
      {145, u"The directory is not empty.\r\n"},
      {161, u"The specified path is invalid.\r\n"},
      {206, u"The filename or extension is too long.\r\n"},
      {193, u"%1 is not a valid Win32 application.\r\n"},
      {234, u"More data is available.\r\n"},
      {259, u"No more data is available.\r\n"},
      {1300, u"Not all privileges or groups referenced are assigned to the caller.\r\n"},
      {1313, u"A specified privilege does not exist.\r\n"},
      {1117, u"The request could not be performed because of an I/O device error.\r\n"},
      {1813, u"The specified resource type cannot be found in the image file.\r\n"},
      {1921, u"The name of the file cannot be resolved by the system.\r\n"},
      {0x80004004u, u"Operation aborted\r\n"},
      {0x80004005u, u"Unspecified error\r\n"},
      {0x80070057u, u"The parameter is incorrect.\r\n"},
      {0x8007000Eu, u"Not enough memory resources are available to complete this operation.\r\n"},
  };
};

// Refusals get codes of their own, one per text, up to a bound.
constexpr uint32_t kRefusalBase = winapi::kApplicationErrorBit;
constexpr uint32_t kMaxRefusals = 4096;
constexpr uint32_t kErrorAccessDenied = 5;

struct Refusals {
  std::mutex mutex;
  std::unordered_map<std::u16string, uint32_t> codes;
};

MessageTable& Table() {
  static MessageTable table;
  return table;
}

}  // namespace

void RegisterMessageText(uint32_t code, WString text) {
  MessageTable& t = Table();
  std::lock_guard lock(t.mutex);
  t.texts[code] = std::move(text);
}

uint32_t RefusalCode(const WString& refusal) {
  static Refusals refusals;
  std::lock_guard lock(refusals.mutex);
  if (auto known = refusals.codes.find(refusal); known != refusals.codes.end()) return known->second;
  if (refusals.codes.size() >= kMaxRefusals) return kErrorAccessDenied;  // a disk refused thousands of times over
  const uint32_t code = kRefusalBase + uint32_t(refusals.codes.size()) + 1;
  refusals.codes.emplace(refusal, code);
  RegisterMessageText(code, refusal + u"\r\n");
  return code;
}

std::optional<WString> MessageText(uint32_t code) {
  MessageTable& t = Table();
  std::lock_guard lock(t.mutex);
  auto it = t.texts.find(code);
  if (it == t.texts.end()) return std::nullopt;
  return it->second;
}

}  // namespace offline
