// verify: the signature report of each device, headed by its name, as the
// window's Verify Signatures writes it to the Shell tab; with --json each check
// as an object. Devices are verified side by side (--jobs), reported in order.
#include <nlohmann/json.hpp>

#include "backup/DeviceList.h"
#include "backup/ExportRun.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ProgressLine.h"

namespace cli {

namespace {

std::string U8(const WString& s) { return text::ToUtf8(s); }

// JSON null for an empty text.
nlohmann::ordered_json Nullable(const WString& s) {
  return s.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(U8(s));
}

nlohmann::ordered_json CheckJson(const backup::TFileCheck& check) {
  nlohmann::ordered_json j = {{"kind", check.label == u"INF File" ? "inf" : "file"},
                              {"name", U8(check.shown)},
                              {"path", U8(check.path)}};
  j["sha1"] = Nullable(check.Field(u"SHA-1"));
  j["sha256"] = Nullable(check.Field(u"SHA-256"));
  j["systemCatalog"] = Nullable(check.Field(u"Catalog"));  // a system catalog listing the file
  j["trust"] = check.passed ? "Verified" : "Failed";
  j["error"] = Nullable(check.error);
  return j;
}

nlohmann::ordered_json CatalogJson(const backup::TFileCheck& check) {
  nlohmann::ordered_json attributes = nlohmann::ordered_json::array();
  for (const backup::TReportField& f : check.fields)
    if (f.name != u"Tag") attributes.push_back({{"name", U8(f.name)}, {"value", U8(f.value)}});
  return {{"path", U8(check.path)},
          {"tag", Nullable(check.Field(u"Tag"))},
          {"trust", check.passed ? "Verified" : "Failed"},
          {"error", Nullable(check.error)},
          {"attributes", attributes}};
}

nlohmann::ordered_json DeviceJson(const TDevice& device, const backup::TDeviceOutcome& outcome) {
  const backup::TVerifyReport& report = outcome.verification;
  nlohmann::ordered_json files = nlohmann::ordered_json::array();
  const backup::TFileCheck* catalog = report.CatalogCheck();
  for (const backup::TFileCheck& check : report.checks)
    if (&check != catalog) files.push_back(CheckJson(check));
  return {{"instanceId", U8(device.InstanceId)},
          {"name", U8(backup::ShownName(device))},
          {"verified", outcome.verified()},
          {"reason", Nullable(outcome.verified() ? WString() : backup::FirstReason(outcome))},
          {"catalog", catalog ? CatalogJson(*catalog) : nlohmann::ordered_json()},
          {"files", files}};
}

}  // namespace

int RunVerify(Session& session, const Options& options, std::ostream& out, std::ostream& err) {
  TDeviceList devices;
  if (options.all) {
    for (const TDevice* device : session.Listed()) devices.push_back(*device);
  } else {
    for (const std::string& wanted : options.devices) devices.push_back(session.Find(wanted));
  }

  ProgressLine progress(err, IsTerminal(stderr), devices.size(), TerminalColumns(stderr));
  nlohmann::ordered_json reports = nlohmann::ordered_json::array();
  std::vector<std::string> failed;
  backup::RunDevices(
      devices, {{}, Jobs(options)},
      [&](size_t i, const backup::TDeviceOutcome& outcome) {
        progress.Clear();
        const TDevice& device = devices[i];
        const std::string name = Shown(backup::ShownName(device)) + " (" + Shown(device.InstanceId) + ")";
        if (!outcome.verified()) failed.push_back(name + ": " + Shown(backup::FirstReason(outcome)));
        if (options.json) {
          reports.push_back(DeviceJson(device, outcome));
          return;
        }
        out << "=== " << name << "\n"
            << PlainLines(outcome.report) << (outcome.verified() ? "Verified\n\n" : "Verification failed\n\n")
            << std::flush;
      },
      [&](size_t i, const backup::TProgressState& state) {
        progress.Show(i, backup::ShownName(devices[i]), state.title, state.text, state.Caption());
      });
  progress.Clear();

  if (options.json) {
    out << nlohmann::ordered_json{{"devices", reports}}.dump(2) << '\n';
  } else if (!failed.empty()) {
    out << failed.size() << " of " << devices.size()
        << " devices failed verification (the first reason of each; their reports above say more):\n";
    for (const std::string& f : failed) out << "  " << f << '\n';
  } else {
    out << "All " << devices.size() << " devices verified.\n";
  }
  return failed.empty() ? 0 : 1;
}

}  // namespace cli
