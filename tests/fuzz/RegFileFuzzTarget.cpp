// libFuzzer entry point for the registry.reg parser: any input either parses or
// is rejected with MachineError; anything else (a crash, another exception) is a bug.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzTarget.h"
#include "platform/offline/Machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  offline::RegKey root(u"HKEY_LOCAL_MACHINE");
  try {
    offline::ParseRegFile(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.reg", root);
  } catch (const offline::MachineError&) {
    // Rejected input is the expected outcome for most mutations.
  }
  return 0;
}

namespace {

std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

}  // namespace

std::vector<std::string> FuzzBuiltInSeeds() {
  const std::string body =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "; comment\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1&DEV_2\\3&4]\r\n"
      "\"DeviceDesc\"=\"Disk \\\"A\\\" \\\\\"\r\n"
      "\"ConfigFlags\"=dword:00000000\r\n"
      "\"HardwareID\"=hex(7):50,00,43,00,49,00,00,00,\\\r\n  00,00\r\n"
      "\"Path\"=hex(2):25,00,00,00\r\n"
      "\"Bin\"=hex:01,02,\\\r\n  03\r\n"
      "\"Q\"=hex(b):00,00,00,00,00,00,00,00\r\n"
      "\"N\"=hex(0):\r\n"
      "@=\"default\"\r\n"
      "\"Gone\"=-\r\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n"
      "[HKEY_CURRENT_USER\\Software]\r\n\"x\"=dword:1\r\n";
  return {body, Utf16(body), "\xEF\xBB\xBF" + body, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"m\"=hex(7):41,00\n", ""};
}

// Fragments the parser treats specially, spliced in to reach its branches.
std::vector<std::string> FuzzTokens() {
  std::vector<std::string> tokens = {"\\",    "\"",     "[",      "]",   ",",     "\r\n", "\n",  "=",   "-",
                                     "@",     ";",      "dword:", "hex:", "hex(7):", "hex(2):", "hex(b):",
                                     "hex(ffffffff):", "ff", "0", "\\\r\n  ", "[-", "HKEY_LOCAL_MACHINE\\", "\xFF\xFE"};
  tokens.push_back(std::string(1, '\0'));
  return tokens;
}
