// The localisable texts a real Windows stores in the registry, resolved as the
// setup services resolve them before handing them out:
//   "@oem1.inf,%desc%;Contoso Adapter"                    -> "Contoso Adapter"
//   "@usbxhci.inf,%key%;%1 USB %2 Host - %3;(Std,3.0,1.0)" -> "Std USB 3.0 Host - 1.0"
//   "@%SystemRoot%\System32\SysClass.dll,-3008"           -> string 3008 of that DLL
// A DLL reference with a text after ';' falls back to that text when the DLL or its
// string is missing. Plain texts stay as they are.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/Text.h"

namespace offline {

// Loads string `id` of the DLL a Windows path names; nullopt when it cannot.
using StringLoader = std::function<std::optional<WString>(WStringView dllPath, uint32_t id)>;

// The text `stored` stands for; nullopt for a DLL reference that cannot be
// loaded and has no text of its own.
std::optional<WString> ResolveIndirectString(WStringView stored, const StringLoader& loadString);

}  // namespace offline
