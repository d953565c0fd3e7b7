// The order in which the window's process starts and ends, shared by WinMain and
// quillon-headless (the start-up steps come first: backup/StartupSteps.h).
#pragma once
#include <functional>

#include "backup/StartupSteps.h"

class TfrmMainForm;

// The main window's life: FormCreate; `showWindow` shows it (and runs FormShow,
// which posts the deferred start-up); `messageLoop` runs until the window closes.
// Returns the exit code, 0; the caller terminates the process at once with it.
int RunMainWindow(TfrmMainForm& form, const std::function<void()>& showWindow,
                  const std::function<void()>& messageLoop);
