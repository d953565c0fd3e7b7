// Whether this process may install drivers: Windows installs them only for an
// elevated process (an administrator's full token), so a restore asks first and
// says so plainly instead of failing package by package.
#pragma once

namespace restore {

// Raises OSError with the system's words when the process token cannot be read.
bool ProcessIsElevated();

}  // namespace restore
