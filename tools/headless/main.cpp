// quillon-headless: the real main-window logic on an offline machine (a machine
// folder or a Windows installation), driven from the command line (tests,
// benchmarks, checking a machine folder).
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "tools/headless/HeadlessOptions.h"
#include "tools/headless/HeadlessSession.h"

int main(int argc, char** argv) {
  headless::Options options;
  try {
    options = headless::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const headless::UsageError& e) {
    std::cerr << "quillon-headless: " << e.what() << '\n' << headless::kUsage << '\n';
    return 1;
  }
  try {
    headless::Session session(options, std::cout);
    const int code = session.Run();
    std::cout.flush();
    return code;
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "quillon-headless: " << e.what() << '\n';
  }
  return 1;
}
