// One run of quillon-headless: the offline machine, the in-memory view and the
// real main-window logic, started as Quillon.exe starts.
#pragma once
#include <memory>
#include <ostream>

#include "app/MainFormUnit.h"
#include "app/MemoryView.h"
#include "platform/offline/OfflinePlatform.h"
#include "tools/headless/HeadlessOptions.h"
#include "tools/headless/HeadlessPrint.h"

namespace headless {

class Session {
 public:
  Session(const Options& options, std::ostream& out);
  ~Session();
  // Start-up (start-up steps, FormCreate, FormShow, the deferred first scan), then
  // the actions in order. Returns the exit code. Throws UsageError for an action
  // that names nothing in the tree.
  int Run();

 private:
  void RunAction(const Action& action);
  // Selects as a click does: the node becomes selected and tvDevicesChange runs.
  void Click(view::NodeId node);
  view::NodeId FindDeviceNode(const std::string& instanceId) const;
  view::NodeId FindClassNodeByText(const std::string& text) const;

  const Options& options_;
  std::ostream& out_;
  PrintedDialogs dialogs_;
  std::unique_ptr<offline::OfflinePlatform> platform_;
  std::unique_ptr<ScopedPlatform> installed_;
  memview::MemoryView view_;
  std::unique_ptr<TfrmMainForm> form_;
};

}  // namespace headless
