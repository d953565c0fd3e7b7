// The command line of quillon-headless:
//   quillon-headless --machine DIR [--pick DIR | --cancel] [--now "YYYY-MM-DD hh:mm:ss"] [--no-7zip] ACTION...
#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace headless {

// Wrong arguments; the message goes to stderr and the exit code is 1.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Action {
  std::string name;      // "scan", "select", "tree", ...
  std::string argument;  // for "select" and "select-class"
};

struct Options {
  std::string machine;
  std::optional<std::string> pick;  // nullopt: the picker is cancelled
  std::optional<winapi::SystemTime> now;
  bool noSevenZip = false;
  std::vector<Action> actions;
};

Options ParseOptions(const std::vector<std::string>& args);
// "YYYY-MM-DD hh:mm:ss"; throws UsageError when malformed.
winapi::SystemTime ParseNow(const std::string& s);

extern const char* const kUsage;

}  // namespace headless
