#pragma once
// The edges between the internal form of texts and paths and the outside world.
//
// Inside, every text is a byte string in Windows-1252 and every path uses "\" as
// its only separator, on every platform. On POSIX the OS, the terminal and Qt
// speak UTF-8 with "/" paths, so texts are converted where they cross; on
// Windows the path conversions are the identity.
#include <string>
#include <string_view>

namespace skarvel {

// Windows-1252 bytes to UTF-8. Total: the five bytes that Windows-1252 leaves
// undefined map to the C1 control characters of the same value, as Windows does.
std::string Cp1252ToUtf8(std::string_view text);

// UTF-8 to Windows-1252. Throws RefusedError naming the text when it holds a
// character that Windows-1252 cannot hold or is not valid UTF-8.
std::string Utf8ToCp1252(std::string_view text);
// The same with "?" for what cannot be held: only for naming such a text in a
// message, never for a name the program goes on to use.
std::string Utf8ToCp1252Lossy(std::string_view text);

// Lower-casing of Windows-1252 bytes through a table (A-Z and the accented
// capitals of the code page), the same on every POSIX machine whatever its
// locale. On Windows the table is the system's own lower-casing of its code
// page, in which the program's bytes are there.
char LowerCp1252(char c);
std::string ToLowerCp1252(std::string_view text);

// A text for the user (message, caption, row) in the terminal's or toolkit's form.
std::string ToDisplayText(std::string_view internal);
// A text typed by the user, in internal form.
std::string FromDisplayText(std::string_view display);

// A path from the user or the OS ("/" separators, UTF-8 on POSIX) in internal form.
// Throws RefusedError when a component holds "\" (POSIX) or cannot be encoded.
std::string ToInternalPath(std::string_view native);
// An internal path as the OS and the user see it.
std::string ToNativePath(std::string_view internal);
// An internal path as a message names it: the separators the user knows ("/" on
// POSIX), still in the internal code page like the rest of the message, which is
// converted as a whole where it is shown. The identity on Windows. Only for a
// path on the disk: an entry name inside an archive keeps its "\".
std::string DisplayPath(std::string_view internal);

}  // namespace skarvel
