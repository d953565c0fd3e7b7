// The start-up privilege step and the callback type that report lines reach the
// Shell tab through.
#pragma once
#include "platform/Text.h"
// TShellCallback, the callback report texts reach the Shell tab through (the main
// window's AppendShellOutput), is declared with the checks that report through it.
#include "signing/CryptCat.h"

// Enables (or disables) a privilege of the process's own access token. True only
// when the system reports that the privilege was adjusted; a privilege the token
// does not hold gives false.
bool SetProcessPrivilege(const WString& privilegeName, bool enable);
