#include "tools/headless/HeadlessSession.h"

#include <filesystem>

#include "app/ProcessEntry.h"
#include "platform/offline/Machine.h"

namespace headless {

Session::Session(const Options& options, std::ostream& out) : options_(options), out_(out), dialogs_(out) {
  auto machine = offline::Machine::Load(std::filesystem::path(options.machine));
  platform_ = std::make_unique<offline::OfflinePlatform>(std::move(machine), [this](const WString& program,
                                                                             const WString& parameters) {
    out_ << "[start] " << text::ToUtf8(program) << ' ' << text::ToUtf8(parameters) << '\n';
  });
  platform_->SetDialogs(&dialogs_);
  installed_ = std::make_unique<ScopedPlatform>(platform_->Ports());
  offline::SetClockOverride(options.now);

  if (options.pick) {
    std::filesystem::create_directories(std::filesystem::path(*options.pick));
    view_.pickFolder = text::FromUtf8(*options.pick);
  }
  view_.progressEvents.titled = [this](const WString& title) { out_ << "[progress] " << text::ToUtf8(title) << '\n'; };
  view_.progressEvents.closed = [this] { out_ << "[progress] closed\n"; };

  TfrmMainForm::TSevenZipFinder finder;
  if (options.noSevenZip) finder = [] { return WString(); };
  form_ = std::make_unique<TfrmMainForm>(view_, std::move(finder));
  view_.onStartupMessage = [this] { RunHandler([this] { form_->StartupMessage(); }); };
}

Session::~Session() {
  form_.reset();  // closes a progress window while the printer still exists
  offline::SetClockOverride(std::nullopt);
}

int Session::Run() {
  RunStartupSteps();
  return RunMainWindow(
      *form_, [this] { RunHandler([this] { form_->FormShow(); }); },
      [this] {
        view_.ProcessMessages();  // the posted start-up message: the first scan
        for (const Action& action : options_.actions) RunAction(action);
      });
}

void Session::Click(view::NodeId node) {
  view_.tree.Select(node);
  RunHandler([this, node] { form_->tvDevicesChange(node); });
}

view::NodeId Session::FindDeviceNode(const std::string& instanceId) const {
  const WString wanted = text::FromUtf8(instanceId);
  for (view::NodeId root : view_.tree.Children(view::kNoNode))
    for (view::NodeId classNode : view_.tree.Children(root))
      for (view::NodeId node : view_.tree.Children(classNode)) {
        const TDevice* device = view_.tree.Device(node);
        // Instance ids are case-insensitive on Windows.
        if (device && text::EqualsIgnoreCase(device->InstanceId, wanted)) return node;
      }
  throw UsageError("select: no device node with instance id \"" + instanceId + "\"");
}

view::NodeId Session::FindClassNodeByText(const std::string& text) const {
  const WString wanted = text::FromUtf8(text);
  for (view::NodeId root : view_.tree.Children(view::kNoNode))
    for (view::NodeId classNode : view_.tree.Children(root))
      if (view_.tree.Text(classNode) == wanted) return classNode;
  throw UsageError("select-class: no class node \"" + text + "\"");
}

void Session::RunAction(const Action& action) {
  TfrmMainForm& form = *form_;
  const std::string& a = action.name;
  auto handler = [](auto&& f) { RunHandler(f); };
  if (a == "scan") handler([&] { form.btnScanClick(); });
  else if (a == "toggle-microsoft") handler([&] { form.mnuIncludeMicrosoftClick(); });
  else if (a == "select") Click(FindDeviceNode(action.argument));
  else if (a == "select-class") Click(FindClassNodeByText(action.argument));
  else if (a == "select-root") {
    const std::vector<view::NodeId> top = view_.tree.Children(view::kNoNode);
    if (top.empty()) throw UsageError("select-root: the tree is empty");
    Click(top.front());
  }
  else if (a == "verify") handler([&] { form.btnVerifyClick(); });
  else if (a == "export") handler([&] { form.btnExportClick(); });
  else if (a == "export-all") handler([&] { form.btnExportAllClick(); });
  else if (a == "submit") handler([&] { form.btnSubmitClick(); });
  else if (a == "properties") handler([&] { form.tvDevicesDblClick(); });
  else if (a == "about") {
    handler([&] { form.mnuAboutClick(); });
    if (!view_.aboutVersionLines.empty()) out_ << "[about] " << text::ToUtf8(view_.aboutVersionLines.back()) << '\n';
  }
  else if (a == "tree") PrintTree(out_, view_.tree);
  else if (a == "grid") PrintGrid(out_, view_.deviceInfo);
  else if (a == "files") PrintGrid(out_, view_.files);
  else if (a == "inf") PrintText(out_, view_.infFile.Text());
  else if (a == "log") PrintText(out_, view_.output.Text());
  else if (a == "state") PrintState(out_, view_);
  else throw UsageError("unknown action \"" + a + "\"");
}

}  // namespace headless
