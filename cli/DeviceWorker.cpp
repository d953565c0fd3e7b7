#include "cli/DeviceWorker.h"

#include <mutex>

#include "platform/Errors.h"

namespace cli {

namespace {

// The signature checks keep one process-wide catalog cache and the machine's
// ports are shared: one device is shown and verified at a time. Copying and
// archiving, the long part, run side by side.
std::mutex verifying;

}  // namespace

DeviceWorker::DeviceWorker(const WString& sevenZipLibrary, const WString& outputFolder, ProgressListener progress)
    : form_(view_, [sevenZipLibrary] { return sevenZipLibrary; }), progress_(std::move(progress)) {
  form_.FormCreate();
  if (progress_) {
    view_.progressEvents.titled = [this](const WString& title) { progress_(title, WString(), WString()); };
    view_.progressEvents.drawn = [this](const memview::MemoryProgressWindow& w) {
      progress_(w.titleLabel, w.textLabel, w.lastCaption);
    };
  }
  if (!outputFolder.empty()) {
    view_.pickFolder = outputFolder;
    form_.PickOutputFolder(form_.SharedFolderPicker(WString()));
  }
}

bool DeviceWorker::VerifyLogged(TDevice& device, DeviceOutcome& outcome) {
  std::lock_guard<std::mutex> lock(verifying);
  form_.ShowDevice(device);
  outcome.verified = form_.VerifyDriver(device, false);
  return outcome.verified;
}

std::vector<Message> DeviceWorker::Show(TDevice& device) {
  std::vector<Message> messages;
  MessagePort::Collector collect(messages);
  std::lock_guard<std::mutex> lock(verifying);
  form_.ShowDevice(device);
  return messages;
}

DeviceOutcome DeviceWorker::Verify(TDevice device) {
  DeviceOutcome outcome;
  MessagePort::Collector collect(outcome.messages);
  view_.output.LinesClear();
  const TfrmMainForm::TProgressCloser closeProgress(form_);
  VerifyLogged(device, outcome);
  outcome.report = view_.output.Text();
  return outcome;
}

DeviceOutcome DeviceWorker::Export(TDevice device, TExportedPackages& exported) {
  DeviceOutcome outcome;
  MessagePort::Collector collect(outcome.messages);
  view_.output.LinesClear();
  try {
    const TfrmMainForm::TProgressCloser closeProgress(form_);
    if (VerifyLogged(device, outcome)) outcome.archive = ExportPackageOnce(form_, device, exported);
  } catch (const QuillonError& e) {
    outcome.failure = e.Message();
  } catch (const std::exception& e) {
    outcome.failure = text::FromUtf8(e.what());
  }
  outcome.report = view_.output.Text();
  if (outcome.verified && !outcome.exported() && outcome.failure.empty()) {
    // The archive step said why in its message box.
    for (const Message& m : outcome.messages)
      if (m.kind == ports::MessageKind::Error) outcome.failure = m.text;
    if (outcome.failure.empty()) outcome.failure = u"no archive was written";
  }
  return outcome;
}

}  // namespace cli
