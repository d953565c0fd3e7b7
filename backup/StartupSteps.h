// The steps every front end runs first, before it reads the machine.
#pragma once
#include "platform/Text.h"

// The units' start-up steps: the device inventory binds its optional setup
// function and the process enables its own debug privilege (a refusal is ignored).
void RunStartupSteps();

// Enables (or disables) a privilege of the process's own access token. True only
// when the system reports that the privilege was adjusted; a privilege the token
// does not hold gives false.
bool SetProcessPrivilege(const WString& privilegeName, bool enable);
