#include "tools/headless/HeadlessOptions.h"

#include <algorithm>
#include <cstdio>

namespace headless {

const char* const kUsage =
    "usage: quillon-headless --machine DIR [--pick DIR | --cancel] [--now \"YYYY-MM-DD hh:mm:ss\"] [--no-7zip] "
    "ACTION...\n"
    "actions: scan toggle-microsoft select ID select-class TEXT select-root verify export export-all submit\n"
    "         properties about tree grid files inf log state";

namespace {

const char* const kPlainActions[] = {"scan",   "toggle-microsoft", "select-root", "verify", "export",
                                     "export-all", "submit",       "properties",  "about",  "tree",
                                     "grid",   "files",            "inf",         "log",    "state"};
const char* const kActionsWithArgument[] = {"select", "select-class"};

bool OneOf(const std::string& s, const auto& list) {
  return std::find(std::begin(list), std::end(list), s) != std::end(list);
}

}  // namespace

winapi::SystemTime ParseNow(const std::string& s) {
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
  char tail = 0;
  if (std::sscanf(s.c_str(), "%4u-%2u-%2u %2u:%2u:%2u%c", &y, &mo, &d, &h, &mi, &se, &tail) != 6 || y < 1601 ||
      mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || se > 59)
    throw UsageError("--now wants \"YYYY-MM-DD hh:mm:ss\", not \"" + s + "\"");
  winapi::SystemTime st;
  st.wYear = uint16_t(y);
  st.wMonth = uint16_t(mo);
  st.wDay = uint16_t(d);
  st.wHour = uint16_t(h);
  st.wMinute = uint16_t(mi);
  st.wSecond = uint16_t(se);
  return st;
}

Options ParseOptions(const std::vector<std::string>& args) {
  Options o;
  bool cancel = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      return args[++i];
    };
    if (a == "--machine") o.machine = value();
    else if (a == "--pick") o.pick = value();
    else if (a == "--cancel") cancel = true;
    else if (a == "--now") o.now = ParseNow(value());
    else if (a == "--no-7zip") o.noSevenZip = true;
    else if (OneOf(a, kPlainActions)) o.actions.push_back({a, {}});
    else if (OneOf(a, kActionsWithArgument)) o.actions.push_back({a, value()});
    else throw UsageError("unknown argument \"" + a + "\"");
  }
  if (o.machine.empty()) throw UsageError("--machine DIR is required");
  if (cancel && o.pick) throw UsageError("--pick and --cancel exclude each other");
  return o;
}

}  // namespace headless
