// The program-start port (shell32's ShellExecuteW): how Explorer and the device
// manager's properties dialog are started. Named apart from the Shell tab (the
// command log) and from app/Shell (the start-up privilege step).
#pragma once
#include <cstdint>

#include "platform/Text.h"

namespace ports {

constexpr int kSwShowNormal = 1;

class IProgramStarter {
 public:
  virtual ~IProgramStarter() = default;
  // Starts a program; the result is the ShellExecuteW instance value (> 32 is success).
  virtual intptr_t ShellExecute(const WString& operation, const WString& file, const WString& parameters,
                                const WString& directory, int showCommand) = 0;
};

}  // namespace ports
