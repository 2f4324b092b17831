#pragma once
// The system's ANSI code page, which is the program's internal code page on
// Windows, and the UTF-16 names of the file system.
#include <optional>
#include <string>
#include <string_view>

namespace skarvel {

std::wstring WideFromAnsi(std::string_view text);
// A text that the program shows, in UTF-16: the runtime's French texts
// (runtime_text, written in Windows-1252) from Windows-1252, everything else,
// the program's own words and the names and paths in them, from the system's
// code page, so that a player whose code page is another reads both right.
std::wstring WideFromProgramText(std::string_view text);
// The text in the code page, or nullopt when the code page cannot hold it
// exactly: the system would put a "?" or a look-alike ("A" for "Ā", "\" for a
// full-width backslash) in its place, which names another file or folder.
std::optional<std::string> AnsiFromWide(std::wstring_view text);
// The same with "?" for what the code page cannot hold, only to name such a
// text in a message.
std::string AnsiFromWideLossy(std::wstring_view text);
// The text of the refusal of a name or path that the code page cannot hold.
std::string CannotHoldText(std::wstring_view name);
// AnsiFromWide, or RefusedError with CannotHoldText.
std::string CheckedAnsiFromWide(std::wstring_view text);

// UTF-8 and UTF-16, both ways, exactly.
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);

}  // namespace skarvel
