// Where the optional 7-Zip library is: looked for once, when the main window is created.
#pragma once
#include "platform/Text.h"

// "7z.dll" beside the program's own executable; else, when HKEY_LOCAL_MACHINE has
// the key "Software\7-zip", its "Path64" folder, then "%ProgramFiles%\7-Zip" and
// "%ProgramFiles(x86)%\7-Zip". Empty when none holds the file. Only existence is
// tested; whether it really is a 7-Zip library shows when an archive is written.
WString FindSevenZipLibrary();
