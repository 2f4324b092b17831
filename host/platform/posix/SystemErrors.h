#pragma once
// The system's error numbers as the codes of the program's error table, so that
// a user sees the same text for the same failure on every platform.

namespace skarvel {

int IoCodeFor(int error);
// Raises the IoError of an errno value.
[[noreturn]] void ThrowIoError(int error);

}  // namespace skarvel
