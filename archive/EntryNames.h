#pragma once
// Which entry names may become files below a target folder.
#include <optional>
#include <string>
#include <string_view>

namespace skarvel {

// The rules of one platform. Both sets are plain data so that either can be
// checked on any machine.
struct EntryNameRules {
  // Windows also refuses device names (CON, NUL, COM1, ...), components that end
  // in a dot or a space, and the characters < > " | ? *.
  bool windows = false;
  // POSIX: a component turns into UTF-8 on its way to the OS, where it may hold
  // at most 255 bytes; a Windows-1252 byte can grow to three.
  bool posixComponentLimit = false;
};

// The rules of the platform this program was built for.
EntryNameRules HostEntryNameRules();

// Why name cannot be written below a target folder (it would escape it, or the
// platform cannot hold one of its components), or nullopt when it is safe.
std::optional<std::string> UnsafeEntryNameReason(std::string_view name, const EntryNameRules& rules);
// The same under the rules of this platform.
std::optional<std::string> UnsafeEntryNameReason(std::string_view name);

// The name between double quotes for a message, with control characters shown
// as [0xNN] so that the message box shows what the archive really holds.
std::string QuotedEntryName(std::string_view name);

}  // namespace skarvel
