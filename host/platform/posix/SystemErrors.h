#pragma once
// The system's error numbers as the codes of the program's error table: each
// number the file and registry layers can meet becomes the Windows code of the
// same meaning, so that a user sees the same text for the same failure on every
// platform, and no number is taken for a Windows code that means something else.

namespace skarvel {

// Which way the failed call moved data: a device's I/O error is the Windows
// read fault or write fault according to it.
enum class IoDirection { Read, Write };

// A number without a Windows counterpart keeps its value with the bit that
// Windows leaves to applications' own codes (no system code has it), so it can
// never read as one of the table's codes yet can still be told apart.
inline constexpr int kUnmappedSystemError = 0x20000000;

int IoCodeFor(int error, IoDirection direction = IoDirection::Read);
// Raises the IoError of an errno value.
[[noreturn]] void ThrowIoError(int error, IoDirection direction = IoDirection::Read);

}  // namespace skarvel
