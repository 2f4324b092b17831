#pragma once
// The system's ANSI code page, which is the program's internal code page on
// Windows, and the UTF-16 names of the file system.
#include <optional>
#include <string>
#include <string_view>

namespace skarvel {

std::wstring WideFromAnsi(std::string_view text);
// The text in the code page, or nullopt when the code page cannot hold it
// exactly: the system would put a "?" or a look-alike ("A" for "Ā", "\" for a
// full-width backslash) in its place, which names another file or folder.
std::optional<std::string> AnsiFromWide(std::wstring_view text);
// The same with "?" for what the code page cannot hold, only to name such a
// text in a message.
std::string AnsiFromWideLossy(std::wstring_view text);

}  // namespace skarvel
