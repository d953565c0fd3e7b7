// The order in which the process starts and ends, shared by WinMain and
// quillon-headless.
#pragma once
#include <functional>

class TfrmMainForm;

// The units' start-up steps, run before anything else: the device inventory binds
// its optional setup function and the process enables its own debug privilege
// (a refusal is ignored).
void RunStartupSteps();

// The main window's life: FormCreate; `showWindow` shows it (and runs FormShow,
// which posts the deferred start-up); `messageLoop` runs until the window closes.
// Returns the exit code, 0; the caller terminates the process at once with it.
int RunMainWindow(TfrmMainForm& form, const std::function<void()>& showWindow,
                  const std::function<void()>& messageLoop);
