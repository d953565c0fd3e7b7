// libFuzzer entry point for the registry.reg parser: any input either parses or
// is rejected with MachineError; anything else (a crash, another exception) is a bug.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/sim/Machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::RegKey root(u"HKEY_LOCAL_MACHINE");
  try {
    sim::ParseRegFile(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.reg", root);
  } catch (const sim::MachineError&) {
    // Rejected input is the expected outcome for most mutations.
  }
  return 0;
}
