// Linked into every test program run under Wine: its output is written as it is
// made, not when the program ends, so that a program that ends early (a crash
// in its first window call) still leaves in the test log how far it came.
#include <cstdio>

namespace {

const bool kUnbuffered = [] {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  return true;
}();

}  // namespace
