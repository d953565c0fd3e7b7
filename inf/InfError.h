// An INF that cannot be read, or that Windows would refuse: the message names the
// file and, where there is one, the line.
#pragma once
#include <cstdint>
#include <filesystem>

#include "platform/Errors.h"

namespace inf {

class InfError : public QuillonError {
 public:
  // "<file>, line <line>: <cause>", or "<file>: <cause>" for line 0.
  InfError(const std::filesystem::path& file, uint32_t line, const WString& cause);
  uint32_t Line() const { return line_; }

 private:
  uint32_t line_;
};

}  // namespace inf
