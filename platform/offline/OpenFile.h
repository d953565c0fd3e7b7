// A C stream the offline adapters read a machine file through, closed once.
#pragma once
#include <cstdio>

#include "platform/UniqueHandle.h"

namespace offline {

struct FileTraits {
  static std::FILE* Invalid() { return nullptr; }
  static bool IsValid(std::FILE* f) { return f != nullptr; }
  static void Close(std::FILE* f) { std::fclose(f); }
};
using UniqueFile = UniqueHandle<FileTraits>;

}  // namespace offline
