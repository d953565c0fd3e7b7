// verify: the signature report of each device, headed by its name, as the
// window's Verify Signatures writes it to the Shell tab.
#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/DeviceWorker.h"
#include "cli/ProgressLine.h"

namespace cli {

int RunVerify(Session& session, const Options& options, std::ostream& out, std::ostream& err) {
  std::vector<TDevice*> devices;
  if (options.all) {
    devices = session.Listed();
  } else {
    for (const std::string& wanted : options.devices) devices.push_back(&session.Find(wanted));
  }

  ProgressLine progress(err, IsTerminal(stderr), devices.size(), TerminalColumns(stderr));
  size_t current = 0;
  DeviceWorker worker(session.SevenZipLibrary(), WString(),
                      [&](const WString& title, const WString& text, const WString& caption) {
                        progress.Show(current, ShownName(*devices[current]), title, text, caption);
                      });
  nlohmann::ordered_json reports = nlohmann::ordered_json::array();
  std::vector<std::string> failed;
  for (current = 0; current < devices.size(); ++current) {
    const TDevice& device = *devices[current];
    const DeviceOutcome outcome = worker.Verify(device);
    progress.Clear();
    const std::string name = text::ToUtf8(ShownName(device));
    if (!outcome.verified) failed.push_back(name + " (" + text::ToUtf8(device.InstanceId) + ")");
    if (options.json) {
      reports.push_back({{"instanceId", text::ToUtf8(device.InstanceId)},
                         {"name", name},
                         {"verified", outcome.verified},
                         {"report", PlainLines(outcome.report)}});
      continue;
    }
    out << "=== " << name << " (" << text::ToUtf8(device.InstanceId) << ")\n"
        << PlainLines(outcome.report) << (outcome.verified ? "Verified\n\n" : "Verification failed\n\n") << std::flush;
  }

  if (options.json) {
    out << nlohmann::ordered_json{{"devices", reports}}.dump(2) << '\n';
  } else if (!failed.empty()) {
    out << failed.size() << " of " << devices.size() << " devices failed verification (their reports above say why):\n";
    for (const std::string& f : failed) out << "  " << f << '\n';
  } else {
    out << "All " << devices.size() << " devices verified.\n";
  }
  return failed.empty() ? 0 : 1;
}

}  // namespace cli
