#include "archive/EntryNames.h"

#include <array>
#include <cstdio>
#include <unordered_set>

#include "host/Encoding.h"

namespace skarvel {

namespace {

constexpr std::size_t kMaxNativeComponent = 255;

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Windows opens a device, not a file, for these names, whatever extension
// follows and whatever spaces stand before the extension.
bool IsWindowsDeviceName(std::string_view component) {
  std::string_view base = component.substr(0, component.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  std::string lower;
  for (char c : base) lower += AsciiLower(c);
  static constexpr std::array<std::string_view, 6> kPlain = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  for (std::string_view device : kPlain) {
    if (lower == device) return true;
  }
  if (lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt"))) {
    // The digits 1 to 9, and the superscripts 1, 2 and 3 of the code page,
    // which Windows counts as digits here too.
    auto digit = static_cast<unsigned char>(lower[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  return false;
}

std::optional<std::string> UnsafeComponentReason(std::string_view component, const EntryNameRules& rules) {
  if (component.empty()) return "it holds an empty folder name";
  if (component == "." || component == "..")
    return "it holds a \"" + std::string(component) + "\" component, which would lead out of the folder";
  if (rules.posixComponentLimit && Cp1252ToUtf8(component).size() > kMaxNativeComponent)
    return "its part \"" + std::string(component) + "\" is too long for a file name on this system";
  if (rules.windows) {
    for (char c : component) {
      if (c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*')
        return std::string("it holds the character ") + c + ", which Windows does not allow in a file name";
    }
    if (component.back() == '.' || component.back() == ' ')
      return "its part \"" + std::string(component) + "\" ends in a dot or a space, which Windows drops";
    if (IsWindowsDeviceName(component))
      return "its part \"" + std::string(component) + "\" is a Windows device name";
  }
  return std::nullopt;
}

}  // namespace

EntryNameRules HostEntryNameRules() {
#ifdef _WIN32
  return EntryNameRules{.windows = true, .posixComponentLimit = false};
#else
  return EntryNameRules{.windows = false, .posixComponentLimit = true};
#endif
}

std::optional<std::string> UnsafeEntryNameReason(std::string_view name, const EntryNameRules& rules) {
  if (name.empty()) return "it has no name";
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (IsControl(byte)) {
      char shown[16];
      std::snprintf(shown, sizeof shown, "[0x%02X]", byte);
      return std::string("it holds the control character ") + shown;
    }
  }
  if (name.front() == '\\') return "it begins with \"\\\", which would start at the root of a drive";
  if (name.find(':') != std::string_view::npos) return "it holds \":\", which names a drive or a stream";
  // "/" separates folders for the system on every platform, so it could hide a
  // ".." that the "\" split below would not see.
  if (name.find('/') != std::string_view::npos) return "it holds \"/\", which the system takes for a folder separator";
  std::size_t start = 0;
  while (true) {
    std::size_t end = name.find('\\', start);
    std::string_view component = name.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (auto reason = UnsafeComponentReason(component, rules)) return reason;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> UnsafeEntryNameReason(std::string_view name) {
  return UnsafeEntryNameReason(name, HostEntryNameRules());
}

std::optional<std::string> NameUsedAsFolder(const std::vector<std::string>& names, const EntryNameRules& rules) {
  auto key = [&rules](std::string_view text) { return rules.windows ? ToLowerCp1252(text) : std::string(text); };
  std::unordered_set<std::string> folders;
  for (const std::string& name : names) {
    for (auto slash = name.find('\\'); slash != std::string::npos; slash = name.find('\\', slash + 1))
      folders.insert(key(std::string_view(name).substr(0, slash)));
  }
  for (const std::string& name : names) {
    if (folders.contains(key(name))) return name;
  }
  return std::nullopt;
}

std::string QuotedEntryName(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (IsControl(byte)) {
      char shown[16];
      std::snprintf(shown, sizeof shown, "[0x%02X]", byte);
      out += shown;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace skarvel
