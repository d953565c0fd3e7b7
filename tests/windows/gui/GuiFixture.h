// The real main window in-process under Wine: the Win32 adapters, except that
// message boxes and started programs are recorded and the folder picker answers
// what the test says (nothing here may block a headless run).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/win32/MainWindow.h"
#include "devices/Devices.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/ProgramStarter.h"
#include "platform/win32/Win32Platform.h"

namespace gui_test {

struct RecordedMessage {
  ports::MessageKind kind;
  WString text;
};

// Records every message and question; a question takes the next of `answers`
// (none left: No).
class RecordingDialogs final : public ports::IMessageDialogs {
 public:
  void ShowMessage(ports::MessageKind kind, const WString& text) override { shown.push_back({kind, text}); }
  bool AskYesNo(const WString& question) override {
    questions.push_back(question);
    return questions.size() <= answers.size() ? bool(answers[questions.size() - 1]) : answer;
  }
  std::vector<RecordedMessage> shown;
  std::vector<WString> questions;
  std::vector<bool> answers;  // the user's answers, question by question
  bool answer = false;        // the answer to every question after those
};

class RecordingProgramStarter final : public ports::IProgramStarter {
 public:
  intptr_t ShellExecute(const WString& operation, const WString& file, const WString& parameters, const WString&,
                        int) override {
    if (refuse) throw QuillonError(u"the shell refused to start " + file);
    started.push_back(operation + u" " + file + u" " + parameters);
    return 42;
  }
  std::vector<WString> started;
  bool refuse = false;
};

// The folder picker: answers `answer` (nullopt: cancelled) and counts its runs.
struct PickerScript {
  std::optional<WString> answer;
  int runs = 0;
};

class ScriptedFolderPicker final : public view::IFolderPicker {
 public:
  explicit ScriptedFolderPicker(PickerScript& script) : script_(script) {}
  WString Title() const override { return title_; }
  void SetTitle(const WString& title) override { title_ = title; }
  bool Execute() override {
    ++script_.runs;
    if (!script_.answer) return false;
    fileName_ = *script_.answer;
    return true;
  }
  WString FileName() const override { return fileName_; }
  WString DefaultFolder() const override { return defaultFolder_; }
  void SetDefaultFolder(const WString& folder) override { defaultFolder_ = folder; }

 private:
  PickerScript& script_;
  WString title_, fileName_, defaultFolder_;
};

// The process's Win32 platform with the two recorders in place of the real ones.
class GuiPlatform {
 public:
  RecordingDialogs dialogs;
  RecordingProgramStarter programs;

 private:
  static Platform WithRecorders(Platform ports, ports::IMessageDialogs& dialogs, ports::IProgramStarter& programs) {
    ports.dialogs = &dialogs;
    ports.programs = &programs;
    return ports;
  }
  Platform ports_ = WithRecorders(win32::Win32Platform(), dialogs, programs);
  ScopedPlatform installed_{ports_};
};

// Dispatches every pending message of this thread.
inline void PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// A control's rectangle in its parent's client coordinates.
inline view::Rect PlacedIn(HWND parent, HWND control) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

inline std::wstring TextOf(HWND window) {
  wchar_t buffer[512] = {};
  ::GetWindowTextW(window, buffer, 512);
  return buffer;
}

inline LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

constexpr LPARAM kAltDown = LPARAM(1) << 29;
constexpr LPARAM kKeyUp = (LPARAM(1) << 31) | (LPARAM(1) << 30);

// Alt and a letter on `target`, as the system sends them: system keys.
inline void PostAltKey(HWND target, WPARAM letter) {
  ::PostMessageW(target, WM_SYSKEYDOWN, letter, 1 | kAltDown);
  ::PostMessageW(target, WM_SYSKEYUP, letter, 1 | kAltDown | kKeyUp);
}

// A click as the mouse gives it: pressed and released at the same point.
inline void Click(HWND control, int x = 2, int y = 2) {
  ::SendMessageW(control, WM_MOUSEMOVE, 0, At(x, y));
  ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
  ::SendMessageW(control, WM_LBUTTONUP, 0, At(x, y));
}

class MainWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    BindDriverStoreLocation();
    gui::MainWindowOptions options;
    options.folderPicker = [this](HWND) { return std::make_unique<ScriptedFolderPicker>(picker); };
    options.findSevenZip = [] { return WString(); };
    window = std::make_unique<gui::MainWindow>(std::move(options));
  }
  void TearDown() override { window.reset(); }

  // As the process entry does: FormCreate, show (FormShow posts the rest), then the
  // posted start-up (first scan) runs.
  void Start() {
    window->Form().FormCreate();
    window->Show();
    PumpMessages();
  }
  // As at creation, without the deferred start-up.
  void Create() { window->Form().FormCreate(); }
  // Start, then the user chooses the first device node; that node (kNoNode: none listed).
  view::NodeId StartWithFirstDevice() {
    Start();
    const view::NodeId device = FirstDeviceNode();
    if (device != view::kNoNode) UserSelects(device);
    return device;
  }

  HWND Main() const { return window->Handle(); }
  view::Rect Placed(HWND control) const { return PlacedIn(Main(), control); }
  void Command(UINT id) { ::SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  // A tree node chosen by the user (the change event follows).
  void UserSelects(view::NodeId node) {
    window->Tree().SelectAsUser(node);
    PumpMessages();
  }
  // The first class node and its first device node; ASSERTs that both exist.
  view::NodeId FirstClassNode() {
    const auto top = window->Tree().Children(view::kNoNode);
    if (top.empty()) return view::kNoNode;
    const auto classes = window->Tree().Children(top.front());
    return classes.empty() ? view::kNoNode : classes.front();
  }
  view::NodeId FirstDeviceNode() {
    const view::NodeId classNode = FirstClassNode();
    if (classNode == view::kNoNode) return view::kNoNode;
    const auto devices = window->Tree().Children(classNode);
    return devices.empty() ? view::kNoNode : devices.front();
  }

  GuiPlatform os;
  PickerScript picker;
  std::unique_ptr<gui::MainWindow> window;
};

}  // namespace gui_test
