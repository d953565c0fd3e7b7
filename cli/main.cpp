// quillon (Linux) / quillon-cli.exe (Windows console): the command line for
// people and scripts. Exit codes: 0 all done, 1 some device failed verification
// or export or could not be read whole, or a package to restore or stage failed
// (or the run failed), 2 wrong arguments, nothing to read, or a restore not run
// as an administrator.
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Session.h"
#include "cli/ShownText.h"
#include "platform/Errors.h"
#include "restore/RestoreRun.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// check needs an installation only for the trust roots of the catalogs: without
// one it checks everything else and says so.
int RunCheck(const cli::Options& options) {
  std::optional<cli::Session> session;
  std::string why;
  try {
    session.emplace(options, std::cerr);
  } catch (const std::exception& e) {
    why = std::string("no installation to take the trusted roots from (") + e.what() + ")";
  }
  return cli::RunCheck(session ? &*session : nullptr, why, options, std::cout);
}

// An error's message may quote the disk being read.
std::string Shown(const std::exception& e) { return cli::Shown(text::FromUtf8(e.what())); }

int Run(int argc, const char* const* argv) {
  std::optional<cli::Options> options;
  try {
    options = cli::ParseOptions(argc, argv, std::cout);
    if (!options) return 0;  // --help or --version
    // The submission never holds Microsoft's drivers: the window rescans without them.
    if (options->verb == cli::Verb::Submit) options->includeMicrosoft = false;
    if (options->verb == cli::Verb::Check) return RunCheck(*options);
#ifndef _WIN32
    // A kit of every package needs no installation to read.
    if (options->verb == cli::Verb::Stage && options->windows.empty())
      return cli::RunStage(*options, nullptr, std::cout, std::cerr);
#endif
    cli::Session session(*options, std::cerr);
    switch (options->verb) {
      case cli::Verb::List: return cli::RunList(session, *options, std::cout);
      case cli::Verb::Show: return cli::RunShow(session, *options, std::cout);
      case cli::Verb::Verify: return cli::RunVerify(session, *options, std::cout, std::cerr);
      case cli::Verb::Plan: return cli::RunPlan(session, *options, std::cout, std::cerr);
      case cli::Verb::Restore: return cli::RunRestore(session, *options, std::cout, std::cerr);
      case cli::Verb::Stage: return cli::RunStage(*options, &session, std::cout, std::cerr);
      default: return cli::RunExport(session, *options, std::cout, std::cerr);
    }
  } catch (const cli::UsageError& e) {
    std::cout.flush();
    std::cerr << "quillon: " << Shown(e) << "\nRun `quillon --help` or `quillon VERB --help` for the usage.\n";
    return 2;
  } catch (const cli::NothingToRead& e) {
    std::cout.flush();
    std::cerr << "quillon: " << Shown(e) << '\n';
    return 2;
  } catch (const restore::NotElevatedError& e) {
    std::cout.flush();
    std::cerr << "quillon: " << e.what() << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "quillon: " << Shown(e) << '\n';
    return 1;
  }
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  const cli::Utf8Console console;
  std::vector<std::string> utf8;
  for (int i = 0; i < argc; ++i) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string s(size_t(size > 0 ? size - 1 : 0), '\0');
    if (size > 1) ::WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, s.data(), size, nullptr, nullptr);
    utf8.push_back(std::move(s));
  }
  std::vector<const char*> pointers;
  for (const std::string& s : utf8) pointers.push_back(s.c_str());
  const int code = Run(argc, pointers.data());
  std::cout.flush();  // while the console still shows UTF-8
  return code;
}
#else
int main(int argc, char** argv) { return Run(argc, argv); }
#endif
