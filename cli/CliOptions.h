// The command line of quillon / quillon-cli.exe:
//   quillon [--windows DIR] [--include-microsoft] [--json] [--verbose] [--jobs N] VERB ...
// with the verbs list, show, verify, export, export-all, submit, plan, restore, stage and check.
#pragma once
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// Wrong arguments, an unknown device, no installation to read: exit code 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The named installation cannot be read (not a Windows installation, a damaged
// or missing hive): nothing to read, exit code 2, without the usage hint.
class NothingToRead : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Verb { List, Show, Verify, Export, ExportAll, Submit, Plan, Restore, Stage, Check };

struct Options {
  Verb verb = Verb::List;
  std::string windows;             // --windows DIR; empty: found (Linux) or the live machine (Windows)
  std::string mountsFile = "/proc/self/mounts";  // where mounted file systems are listed (tests replace it)
  bool includeMicrosoft = false;   // --include-microsoft
  bool json = false;               // --json
  bool verbose = false;            // --verbose: export's full reports instead of a line per device
  bool all = false;                // list --all, verify --all
  bool zip = false;                // --zip: Zip archives even with a 7-Zip library
  std::vector<std::string> devices;  // DEVICE...: instance ids or list numbers
  std::string to;                  // --to DIR
  std::string backup;              // plan, restore, stage BACKUP: the folder of an export; check BACKUP: a backup
                                   // folder or a submission
  bool allPackages = false;        // restore, stage --all-packages
  bool dryRun = false;             // restore --dry-run
  std::string record;              // restore --record DIR
  unsigned jobs = 0;               // --jobs N; 0: one per core
};

// Parses argv (UTF-8). Returns nullopt when --help or --version was asked for: the
// help or the version went to `out`. Throws UsageError with the parser's message
// otherwise.
std::optional<Options> ParseOptions(int argc, const char* const* argv, std::ostream& out);

}  // namespace cli
