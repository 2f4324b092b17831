// The POSIX edges: the OS, the terminal and Qt speak UTF-8 with "/" paths.
#include <string>

#include "host/Encoding.h"
#include "host/Errors.h"

namespace skarvel {

std::string ToDisplayText(std::string_view internal) { return Cp1252ToUtf8(internal); }

std::string FromDisplayText(std::string_view display) { return Utf8ToCp1252(display); }

std::string ToInternalPath(std::string_view native) {
  // Inside, "\" is the separator, so a "\" inside a name would split it in two.
  if (native.find('\\') != std::string_view::npos) {
    throw RefusedError("The path \"" + Utf8ToCp1252(native) +
                       "\" has a \"\\\" inside a name, which this program would take for a folder separator, "
                       "so it cannot be used");
  }
  std::string internal = Utf8ToCp1252(native);
  for (char& c : internal) {
    if (c == '/') c = '\\';
  }
  return internal;
}

std::string ToNativePath(std::string_view internal) {
  std::string native = Cp1252ToUtf8(internal);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

std::string DisplayPath(std::string_view internal) {
  std::string shown(internal);
  for (char& c : shown) {
    if (c == '\\') c = '/';
  }
  return shown;
}

}  // namespace skarvel
