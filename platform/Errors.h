// The error kinds the program raises. Messages are UTF-8 in what() and UTF-16 in Message().
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/Text.h"

class QuillonError : public std::runtime_error {
 public:
  explicit QuillonError(const WString& message) : std::runtime_error(text::ToUtf8(message)), message_(message) {}
  explicit QuillonError(const std::string& utf8) : std::runtime_error(utf8), message_(text::FromUtf8(utf8)) {}
  const WString& Message() const { return message_; }

 private:
  WString message_;
};

// A failed operating-system call, carrying its error code.
class OSError : public QuillonError {
 public:
  OSError(uint32_t code, const WString& message) : QuillonError(message), code_(code) {}
  uint32_t Code() const { return code_; }

 private:
  uint32_t code_;
};

// The text of any exception: the UTF-16 message of the program's own errors,
// the UTF-8 what() of others.
inline WString ExceptionMessage(const std::exception& e) {
  if (const auto* error = dynamic_cast<const QuillonError*>(&e)) return error->Message();
  return text::FromUtf8(e.what());
}

// Cancels an operation without a message (reported to the 7-Zip library as E_ABORT).
class AbortError : public QuillonError {
 public:
  AbortError() : QuillonError(WString(u"Operation aborted")) {}
};
