#include "host/WineRegistry.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "host/Encoding.h"
#include "host/Errors.h"

namespace skarvel {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted or bracketed text from at (just past its opening character) to
// its closing character, undoing Wine's escapes; at ends past the closing one.
// Nothing when the line ends first. Surrogate pairs of "\x" escapes join.
std::optional<std::string> Unescape(std::string_view line, std::size_t& at, char closing) {
  std::string out;
  std::uint32_t highSurrogate = 0;
  while (at < line.size()) {
    const char c = line[at++];
    if (c == closing) return out;
    if (c != '\\' || at >= line.size()) {
      out += c;  // UTF-8 as Wine writes it, byte for byte
      continue;
    }
    const char e = line[at++];
    std::uint32_t code = 0;
    if (e == 'x') {
      int digits = 0;
      while (digits < 4 && at < line.size() && HexDigit(line[at]) >= 0) code = code * 16 + HexDigit(line[at++]), ++digits;
      if (digits == 0) return std::nullopt;
    } else if (e >= '0' && e <= '7') {
      code = static_cast<std::uint32_t>(e - '0');
      for (int digits = 1; digits < 3 && at < line.size() && line[at] >= '0' && line[at] <= '7'; ++digits) {
        code = code * 8 + static_cast<std::uint32_t>(line[at++] - '0');
      }
    } else {
      static constexpr std::string_view kFrom = "abtnvfr", kTo = "\a\b\t\n\v\f\r";
      const std::size_t k = kFrom.find(e);
      code = static_cast<unsigned char>(k == std::string_view::npos ? e : kTo[k]);
    }
    if (code >= 0xD800 && code < 0xDC00) {
      highSurrogate = code;
      continue;
    }
    if (code >= 0xDC00 && code < 0xE000 && highSurrogate != 0) {
      const std::uint32_t full = 0x10000 + ((highSurrogate - 0xD800) << 10) + (code - 0xDC00);
      out += static_cast<char>(0xF0 | (full >> 18));
      out += static_cast<char>(0x80 | ((full >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((full >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (full & 0x3F));
      highSurrogate = 0;
      continue;
    }
    highSurrogate = 0;
    AppendUtf8(out, code);
  }
  return std::nullopt;
}

// The text of a string value's data: "text" or str(2):"text" (an expandable
// string, not expanded); nothing for any other type.
std::optional<std::string> StringData(std::string_view data) {
  if (data.starts_with("str(2):")) data.remove_prefix(7);
  if (!data.starts_with('"')) return std::nullopt;
  std::size_t at = 1;
  return Unescape(data, at, '"');
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The entry of folder whose name equals name without regard to case (Wine's
// own rule), the exact one first.
std::optional<std::filesystem::path> EntryIgnoringCase(const std::filesystem::path& folder, const std::string& name) {
  std::error_code error;
  if (std::filesystem::exists(folder / name, error)) return folder / name;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (SameIgnoringCase(it->path().filename().string(), name)) return it->path();
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> WineRegistryString(std::string_view systemReg, std::string_view keyPath,
                                              std::string_view name) {
  bool inKey = false;
  std::size_t start = 0;
  while (start < systemReg.size()) {
    std::size_t end = systemReg.find('\n', start);
    if (end == std::string_view::npos) end = systemReg.size();
    std::string_view line = systemReg.substr(start, end - start);
    start = end + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.starts_with('[')) {
      std::size_t at = 1;
      const std::optional<std::string> key = Unescape(line, at, ']');
      inKey = key && SameIgnoringCase(*key, keyPath);
      continue;
    }
    if (!inKey || !line.starts_with('"')) continue;
    std::size_t at = 1;
    const std::optional<std::string> valueName = Unescape(line, at, '"');
    if (!valueName || !SameIgnoringCase(*valueName, name) || at >= line.size() || line[at] != '=') continue;
    return StringData(line.substr(at + 1));
  }
  return std::nullopt;
}

std::optional<std::string> WinePathInPrefix(const std::string& nativePrefix, std::string_view windowsPath) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':' || !std::isalpha(static_cast<unsigned char>(windowsPath[0]))) {
    return std::nullopt;
  }
  const std::string drive(1, static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0]))));
  std::filesystem::path folder = std::filesystem::path(nativePrefix) / "dosdevices" / (drive + ":");
  std::string_view rest = windowsPath.substr(2);
  while (!rest.empty()) {
    const std::size_t separator = rest.find('\\');
    const std::string name(rest.substr(0, separator));
    rest = separator == std::string_view::npos ? std::string_view() : rest.substr(separator + 1);
    if (name.empty() || name == ".") continue;
    const std::optional<std::filesystem::path> found = EntryIgnoringCase(folder, name);
    folder = found ? *found : folder / name;
  }
  return folder.string();
}

std::vector<std::string> GameFoldersInWinePrefixes(const std::vector<std::string>& nativePrefixes,
                                                   const std::string& keyPath, const std::string& name) {
  // The key below "Software\" as the 32-bit view keeps it on a 64-bit prefix.
  const std::string software = "Software\\";
  const std::string view32 = SameIgnoringCase(std::string_view(keyPath).substr(0, software.size()), software)
                                 ? software + "Wow6432Node\\" + keyPath.substr(software.size())
                                 : keyPath;
  std::vector<std::string> folders;
  for (const std::string& prefix : nativePrefixes) {
    const std::optional<std::string> systemReg = ReadFile(prefix + "/system.reg");
    if (!systemReg) continue;
    for (const std::string& path : {view32, keyPath}) {
      const std::optional<std::string> windowsFolder = WineRegistryString(*systemReg, path, name);
      if (!windowsFolder) continue;
      const std::optional<std::string> native = WinePathInPrefix(prefix, *windowsFolder);
      if (!native) continue;
      try {
        folders.push_back(ToInternalPath(*native));
      } catch (const RefusedError&) {
        // A folder the internal form cannot name is no folder the program can use.
      }
    }
  }
  return folders;
}

}  // namespace skarvel
