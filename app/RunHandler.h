// How the toolkit runs an event handler: an error that escapes it is shown in an
// error message box and the window keeps running.
#pragma once
#include <functional>

// Runs `handler`; false when an error escaped it (and was shown).
bool RunHandler(const std::function<void()>& handler);
