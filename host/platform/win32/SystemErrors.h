#pragma once
// The system's error codes as the codes of the program's error table.
#include "host/platform/win32/Windows.h"

namespace skarvel {

int IoCodeFor(DWORD error);
// Raises the IoError of GetLastError().
[[noreturn]] void ThrowLastError();

}  // namespace skarvel
