// On Windows the program speaks the system's ANSI code page with "\" paths, which
// is the internal form itself: every edge is the identity.
#include <string>

#include "host/Encoding.h"

namespace skarvel {

std::string ToDisplayText(std::string_view internal) { return std::string(internal); }
std::string FromDisplayText(std::string_view display) { return std::string(display); }
std::string ToInternalPath(std::string_view native) { return std::string(native); }
std::string ToNativePath(std::string_view internal) { return std::string(internal); }
std::string DisplayPath(std::string_view internal) { return std::string(internal); }

}  // namespace skarvel
