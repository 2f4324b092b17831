// The regedit-export text of one root: parsing and writing.
#include <algorithm>
#include <cstdio>
#include <cstdint>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/platform/posix/RegistryFile.h"

namespace skarvel::regfile {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                             [](char x, char y) { return LowerCp1252(x) == LowerCp1252(y); });
}

// True when path lies below parent ("" is the root, above everything).
bool IsBelow(std::string_view path, std::string_view parent) {
  if (parent.empty()) return !path.empty();
  return path.size() > parent.size() && path[parent.size()] == '\\' &&
         SameName(path.substr(0, parent.size()), parent);
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// The five bytes Windows-1252 leaves undefined: they would travel as invisible
// C1 characters, so a string holding one is written as hex instead.
bool IsUndefinedCp1252(unsigned char c) { return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D; }

// A REG_SZ that the quoted form gives back byte for byte: one closing NUL, no
// other NUL, nothing that a text line cannot show.
bool FitsQuotedForm(const RegistryValue& value) {
  if (value.type != kRegSz || value.data.empty() || value.data.back() != '\0') return false;
  for (std::size_t i = 0; i + 1 < value.data.size(); ++i) {
    const auto c = static_cast<unsigned char>(value.data[i]);
    if (IsControl(c) || IsUndefinedCp1252(c)) return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    std::uint32_t min = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, min = 0x10000;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    std::uint32_t code = c & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

void AppendHexList(std::string& out, std::string line, const std::string& data) {
  static const char kDigits[] = "0123456789abcdef";
  // Lines wrap before 80 columns with a trailing "\", as regedit writes them.
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto c = static_cast<unsigned char>(data[i]);
    std::string piece{kDigits[c >> 4], kDigits[c & 15]};
    const bool last = i + 1 == data.size();
    if (!last) piece.push_back(',');
    if (line.size() + piece.size() > 77 && !last) {
      out += line + "\\\n";
      line = "  ";
    }
    line += piece;
  }
  out += line + "\n";
}

std::string FormatValue(const NamedValue& named) {
  std::string out = named.name.empty() ? std::string("@") : Quoted(named.name);
  out.push_back('=');
  const RegistryValue& value = named.value;
  if (FitsQuotedForm(value)) {
    out += Quoted(std::string_view(value.data).substr(0, value.data.size() - 1));
    out.push_back('\n');
    return out;
  }
  if (value.type == kRegDword && value.data.size() == 4) {
    const auto* b = reinterpret_cast<const unsigned char*>(value.data.data());
    const std::uint32_t number = b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t{b[3]} << 24);
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%08x\n", static_cast<unsigned>(number));
    return out + digits;
  }
  if (value.type == kRegBinary) {
    out += "hex:";
  } else {
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
    out += prefix;
  }
  std::string result;
  AppendHexList(result, out, value.data);
  return result;
}

// Reading ------------------------------------------------------------------

class Parser {
 public:
  Parser(std::string_view text, const char* rootName, const std::string& file)
      : rootName_(rootName), file_(file) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a BOM left by an editor
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.emplace_back(line);
      start = end + 1;
    }
  }

  Contents Run() {
    Contents contents;
    bool header = false;
    Key* current = nullptr;
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      itemLine_ = index_;
      std::string line = Decoded(lines_[index_]);
      std::string_view view = Trimmed(line);
      if (view.empty() || view.front() == ';') continue;
      if (!header) {
        if (view != "REGEDIT4") Fail("the file does not begin with REGEDIT4");
        header = true;
        continue;
      }
      if (view.front() == '[') {
        current = &Section(contents, view);
      } else if (view.front() == '"' || view.front() == '@') {
        if (current == nullptr) Fail("a value stands before any key");
        ReadValue(*current, view);
      } else {
        Fail("the line is neither a key, a value nor a comment");
      }
    }
    return contents;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    // A value continued over several lines is reported at its first line.
    throw RegistryError("Damaged registry file " + file_ + ", line " + std::to_string(itemLine_ + 1) + ": " + what);
  }

  std::string Decoded(const std::string& line) const {
    const bool ascii = std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !IsValidUtf8(line)) return line;
    try {
      return Utf8ToCp1252(line);
    } catch (const Error&) {
      Fail("a character that Windows-1252 cannot hold");
    }
  }

  static std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
  }

  Key& Section(Contents& contents, std::string_view view) {
    const std::size_t close = view.rfind(']');
    if (close == std::string_view::npos || close != view.size() - 1) Fail("a key name without its closing \"]\"");
    std::string_view name = view.substr(1, close - 1);
    const std::string_view root(rootName_);
    if (!SameName(name.substr(0, root.size()), root)) Fail("a key outside " + std::string(rootName_));
    name.remove_prefix(std::min(root.size(), name.size()));
    if (!name.empty()) {
      if (name.front() != '\\') Fail("a key outside " + std::string(rootName_));
      name.remove_prefix(1);
    }
    if (!IsStorableKeyPath(name)) Fail("a key path with an empty or unprintable name");
    if (Key* existing = contents.Find(name)) return *existing;  // sections repeat in hand-made files
    contents.keys.push_back(Key{std::string(name), {}});
    return contents.keys.back();
  }

  // A quoted text at the front of view; view moves past it.
  std::string QuotedText(std::string_view& view) const {
    std::string text;
    std::size_t i = 1;
    for (; i < view.size() && view[i] != '"'; ++i) {
      if (view[i] == '\\') {
        if (i + 1 >= view.size() || (view[i + 1] != '\\' && view[i + 1] != '"')) {
          Fail("a \"\\\" that is not followed by \"\\\" or '\"'");
        }
        ++i;
      }
      text.push_back(view[i]);
    }
    if (i >= view.size()) Fail("a quoted text without its closing '\"'");
    view.remove_prefix(i + 1);
    return text;
  }

  void ReadValue(Key& key, std::string_view view) {
    std::string name;
    if (view.front() == '@') {
      view.remove_prefix(1);
    } else {
      name = QuotedText(view);
      if (!IsStorableValueName(name)) Fail("a value name with unprintable characters");
    }
    view = Trimmed(view);
    if (view.empty() || view.front() != '=') Fail("a value name without \"=\"");
    view = Trimmed(view.substr(1));

    RegistryValue value;
    if (!view.empty() && view.front() == '"') {
      std::string text = QuotedText(view);
      if (!Trimmed(view).empty()) Fail("text after the closing '\"'");
      value = RegistryValue::String(text);
    } else if (view.substr(0, 6) == "dword:") {
      std::uint32_t number = HexNumber(view.substr(6), 8);
      value.type = kRegDword;
      for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
    } else if (view.substr(0, 3) == "hex") {
      view.remove_prefix(3);
      value.type = kRegBinary;
      if (!view.empty() && view.front() == '(') {
        const std::size_t close = view.find(')');
        if (close == std::string_view::npos) Fail("a value type without its closing \")\"");
        value.type = HexNumber(view.substr(1, close - 1), 8);
        view.remove_prefix(close + 1);
      }
      if (view.empty() || view.front() != ':') Fail("a hex value without \":\"");
      value.data = HexList(std::string(view.substr(1)));
    } else {
      Fail("a value that is neither a quoted text, dword: nor hex:");
    }
    key.Set(name, value);
  }

  std::uint32_t HexNumber(std::string_view digits, std::size_t maxDigits) const {
    digits = Trimmed(digits);
    if (digits.empty() || digits.size() > maxDigits) Fail("a malformed hexadecimal number");
    std::uint32_t number = 0;
    for (char c : digits) number = number * 16 + HexDigit(c);
    return number;
  }

  unsigned HexDigit(char c) const {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    Fail("a malformed hexadecimal number");
  }

  // Comma-separated bytes; a line ending in "\" goes on in the next line.
  std::string HexList(std::string list) {
    std::string_view rest = Trimmed(list);
    std::string joined;
    while (!rest.empty() && rest.back() == '\\') {
      joined += rest.substr(0, rest.size() - 1);
      if (index_ + 1 >= lines_.size()) Fail("a continued hex list at the end of the file");
      ++index_;
      rest = Trimmed(lines_[index_]);
    }
    joined += rest;
    std::string bytes;
    std::string_view view = joined;
    while (!view.empty()) {
      const std::size_t comma = view.find(',');
      std::string_view item = Trimmed(view.substr(0, comma));
      if (item.empty() || item.size() > 2) Fail("a malformed byte in a hex list");
      unsigned byte = 0;
      for (char c : item) byte = byte * 16 + HexDigit(c);
      bytes.push_back(static_cast<char>(byte));
      if (comma == std::string_view::npos) break;
      view.remove_prefix(comma + 1);
      if (Trimmed(view).empty()) Fail("a hex list that ends with \",\"");
    }
    return bytes;
  }

  const char* rootName_;
  const std::string& file_;
  std::vector<std::string> lines_;
  std::size_t index_ = 0;
  std::size_t itemLine_ = 0;
};

}  // namespace

const NamedValue* Key::Find(std::string_view name) const {
  for (const NamedValue& value : values) {
    if (SameName(value.name, name)) return &value;
  }
  return nullptr;
}

void Key::Set(const std::string& name, const RegistryValue& value) {
  for (NamedValue& existing : values) {
    if (SameName(existing.name, name)) {
      existing.value = value;
      return;
    }
  }
  values.push_back(NamedValue{name, value});
}

const Key* Contents::Find(std::string_view path) const {
  for (const Key& key : keys) {
    if (SameName(key.path, path)) return &key;
  }
  return nullptr;
}

Key* Contents::Find(std::string_view path) {
  return const_cast<Key*>(static_cast<const Contents*>(this)->Find(path));
}

bool Contents::Exists(std::string_view path) const { return path.empty() || Find(path) != nullptr || HasSubkeys(path); }

bool Contents::HasSubkeys(std::string_view path) const {
  return std::any_of(keys.begin(), keys.end(), [&](const Key& key) { return IsBelow(key.path, path); });
}

Key& Contents::Create(std::string_view path) {
  for (std::size_t end = 0; end != std::string_view::npos;) {
    end = path.find('\\', end + 1);
    std::string_view prefix = path.substr(0, end);
    if (!prefix.empty() && Find(prefix) == nullptr) keys.push_back(Key{std::string(prefix), {}});
  }
  if (path.empty() && Find(path) == nullptr) keys.push_back(Key{});
  return *Find(path);
}

void Contents::Remove(std::string_view path) {
  keys.erase(std::remove_if(keys.begin(), keys.end(), [&](const Key& key) { return SameName(key.path, path); }),
             keys.end());
}

bool IsStorableValueName(std::string_view name) {
  return std::none_of(name.begin(), name.end(), [](char c) { return IsControl(static_cast<unsigned char>(c)); });
}

bool IsStorableKeyPath(std::string_view path) {
  if (path.empty()) return true;
  if (!IsStorableValueName(path) || path.front() == '\\' || path.back() == '\\') return false;
  return path.find("\\\\") == std::string_view::npos;
}

Contents Parse(std::string_view text, const char* rootName, const std::string& fileForMessages) {
  return Parser(text, rootName, fileForMessages).Run();
}

std::string Format(const Contents& contents, const char* rootName) {
  std::string text = "REGEDIT4\n\n";
  for (const Key& key : contents.keys) {
    text += "[" + std::string(rootName) + (key.path.empty() ? "" : "\\") + key.path + "]\n";
    for (const NamedValue& value : key.values) text += FormatValue(value);
    text += "\n";
  }
  // Names and quoted texts are Windows-1252 inside; the file is UTF-8 so that
  // any editor of this system shows them as they are.
  return Cp1252ToUtf8(text);
}

}  // namespace skarvel::regfile
