#include "inf/InfError.h"

namespace inf {
namespace {

WString Describe(const std::filesystem::path& file, uint32_t line, const WString& cause) {
  WString where = text::FromPath(file);
  if (line != 0) where += u", line " + text::FromUInt(line);
  return where + u": " + cause;
}

}  // namespace

InfError::InfError(const std::filesystem::path& file, uint32_t line, const WString& cause)
    : QuillonError(Describe(file, line, cause)), line_(line) {}

}  // namespace inf
