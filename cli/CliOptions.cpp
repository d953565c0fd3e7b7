#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>

namespace cli {

namespace {

const char* const kDeviceHelp = "an instance id, or the number `list` printed before the device";

CLI::App* AddVerb(CLI::App& app, const char* name, const char* description) {
  CLI::App* verb = app.add_subcommand(name, description);
  verb->fallthrough();  // the global options may also follow the verb
  return verb;
}

void AddOutput(CLI::App& verb, Options& o) {
  verb.add_option("--to", o.to, "the folder the archives and the record go into (made when missing)")
      ->required()
      ->type_name("DIR");
  verb.add_flag("--zip", o.zip, "write Zip archives even when a 7-Zip library is there");
}

}  // namespace

std::optional<Options> ParseOptions(int argc, const char* const* argv, std::ostream& out) {
  Options o;
  CLI::App app("Quillon backs up the device drivers of a Windows installation: it lists the devices with their "
               "installed driver, checks the drivers' signatures and exports each driver as one archive.",
               "quillon");
  app.require_subcommand(1);
  app.set_version_flag("--version", "quillon " QUILLON_VERSION, "print the version and exit");
  app.add_option("--windows", o.windows,
                 "the Windows installation to read (its folder holding Windows\\System32)"
#ifdef _WIN32
                 "; only on Linux: here the running Windows is read"
#else
                 "; without it, the one mounted NTFS installation"
#endif
                 )
      ->type_name("DIR");
  app.add_option("--mounts-file", o.mountsFile)->group("");  // tests: a mount table of their own
  app.add_flag("--include-microsoft", o.includeMicrosoft, "also the drivers Microsoft provides");
  app.add_flag("--json", o.json, "print JSON for scripts instead of tables and reports");
  app.add_flag("--verbose", o.verbose,
               "export, export-all, submit: each device's full verification report instead of one line; "
               "plan: why a current driver's rank is estimated");
  app.add_option("--jobs", o.jobs, "devices verified and exported at the same time (default: one per core)")
      ->check(CLI::Range(1u, 256u))
      ->type_name("N");

  CLI::App* list = AddVerb(app, "list", "the devices with their installed driver, by class, numbered");
  list->add_flag("--all", o.all, "also the devices the tree leaves out");

  CLI::App* show = AddVerb(app, "show", "the properties, files and INF text of one device");
  show->add_option("DEVICE", o.devices, kDeviceHelp)->required()->expected(1)->type_name("");

  CLI::App* verify = AddVerb(app, "verify", "the signature report of devices, device by device");
  verify->add_option("DEVICE", o.devices, kDeviceHelp)->type_name("");
  verify->add_flag("--all", o.all, "every listed device");

  CLI::App* exportDevices = AddVerb(app, "export", "export the drivers of the named devices");
  exportDevices->add_option("DEVICE", o.devices, kDeviceHelp)->required()->type_name("");
  AddOutput(*exportDevices, o);

  CLI::App* exportAll = AddVerb(app, "export-all", "export the driver of every listed device");
  AddOutput(*exportAll, o);

  CLI::App* submit = AddVerb(app, "submit", "one dated NAVU submission archive of every verified driver "
                                            "(never Microsoft's)");
  AddOutput(*submit, o);

  CLI::App* check = AddVerb(app, "check", "whether a backup is intact: every archive its index names, tested and "
                                          "checked against its catalog");
  check->add_option("BACKUP", o.backup, "a backup folder, or a NAVU submission archive")->required()->type_name("");
  CLI::App* plan = AddVerb(app, "plan", "which driver of a backup Windows would install on each present device");
  plan->add_option("BACKUP", o.backup, "the folder export or export-all wrote")->required()->type_name("");

  CLI::App* restore = AddVerb(app, "restore",
                               "install the backup's drivers on the running Windows (as an administrator): the "
                               "packages `plan` says give a present device a better driver");
  restore->add_option("BACKUP", o.backup, "the folder export or export-all wrote")->required()->type_name("");
  restore->add_option("DEVICE", o.devices, kDeviceHelp + std::string(" (only these devices)"))->type_name("");
  restore->add_flag("--all-packages", o.allPackages,
                    "also put every other package of the backup into the driver store, for devices not plugged in "
                    "yet");
  restore->add_flag("--dry-run", o.dryRun, "print what would be installed and install nothing");
  restore->add_option("--record", o.record, "the folder the restore record goes into (default: BACKUP)")
      ->type_name("DIR");

  CLI::App* stage = AddVerb(app, "stage",
                            "a kit for a fresh Windows: the backup's packages extracted into DIR with "
                            "install-drivers.cmd, which installs them with pnputil");
  stage->add_option("BACKUP", o.backup, "the folder export or export-all wrote")->required()->type_name("");
  stage->add_option("--to", o.to, "the kit's folder (made when missing)")->required()->type_name("DIR");
  stage->add_flag("--all-packages", o.allPackages,
                  "every package, also where --windows (or the running Windows) has a driver as good");

  app.footer("DEVICE: an instance id, or the number `list` printed. The options above may also follow the verb;\n"
             "`quillon VERB --help` tells a verb's own.\n"
             "Exit codes: 0 all done, 1 some device failed verification or export or could not be read whole\n"
             "(or a package to restore or stage failed), 2 wrong arguments, nothing to read or (restore) not run\n"
             "as an administrator.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    // The help of the verb named before --help, else the program's.
    const CLI::App* shown = &app;
    for (const CLI::App* verb : app.get_subcommands()) shown = verb;
    out << shown->help();
    return std::nullopt;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << '\n';
    return std::nullopt;
  } catch (const CLI::ParseError& e) {
    throw UsageError(e.what());
  }

  const std::pair<CLI::App*, Verb> verbs[] = {{list, Verb::List},           {show, Verb::Show},
                                              {verify, Verb::Verify},       {exportDevices, Verb::Export},
                                              {exportAll, Verb::ExportAll}, {submit, Verb::Submit},
                                              {plan, Verb::Plan},           {restore, Verb::Restore},
                                              {stage, Verb::Stage},         {check, Verb::Check}};
  for (const auto& [command, verb] : verbs)
    if (command->parsed()) o.verb = verb;
  if (o.verb == Verb::Verify && o.all == !o.devices.empty())
    throw UsageError("verify wants DEVICE... or --all");
  return o;
}

}  // namespace cli
