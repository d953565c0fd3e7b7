// String resources (RT_STRING) of the DLLs of an offline machine, as LoadStringW
// finds them: in the DLL's language resource file (<folder>\<language>\<dll>.mui,
// en-US first, then any language present) or in the DLL itself.
#pragma once
#include <cstdint>
#include <optional>

#include "platform/offline/Machine.h"

namespace offline {

// String `id` of the DLL `dllPath` names ("%SystemRoot%\System32\x.dll",
// "System32\x.dll" below the Windows folder, or "x.dll" in System32); nullopt
// when the file or the string is missing.
std::optional<WString> LoadDllString(const Machine& machine, WStringView dllPath, uint32_t id);

}  // namespace offline
