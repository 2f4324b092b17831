#pragma once
// Which entry names may become files below a target folder.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The first name that another name needs as a folder ("a" beside "a\b"). A file
// and a folder cannot share a path, so extracting both would stop halfway with
// part of the archive written. Under the Windows rules names that differ only in
// case share a path too.
std::optional<std::string> NameUsedAsFolder(const std::vector<std::string>& names, const EntryNameRules& rules);

// The name between double quotes for a message, with control characters shown
// as [0xNN] so that the message box shows what the archive really holds.
std::string QuotedEntryName(std::string_view name);

}  // namespace skarvel
