#include "host/Encoding.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "host/Errors.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace skarvel {
namespace {

// The characters of bytes 0x80-0x9F. The five bytes the code page leaves
// undefined stand for the C1 controls of the same value, as Windows maps them,
// so that every byte survives a round trip through UTF-8.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t CharacterOf(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

// The byte that holds character, or -1 when the code page has none.
int ByteOf(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) return static_cast<int>(character);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == character) return 0x80 + i;
  }
  return -1;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    // The code page holds nothing beyond the Basic Multilingual Plane.
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one character at text[i], advancing i; false for a malformed sequence
// (overlong forms, surrogates and values past U+10FFFF included).
bool DecodeUtf8(std::string_view text, std::size_t& i, char32_t& c) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  int extra;
  char32_t minimum;
  if (lead < 0x80) {
    c = lead;
    ++i;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, minimum = 0x80, c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, minimum = 0x800, c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, minimum = 0x10000, c = lead & 0x07;
  } else {
    return false;
  }
  if (text.size() - i <= static_cast<std::size_t>(extra)) return false;
  for (int k = 1; k <= extra; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return false;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  i += extra + 1;
  return true;
}

constexpr std::array<unsigned char, 256> MakeLowerTable() {
  std::array<unsigned char, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<unsigned char>(i);
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = static_cast<unsigned char>(c + 0x20);
  for (int c = 0xC0; c <= 0xDE; ++c) {
    if (c != 0xD7) table[c] = static_cast<unsigned char>(c + 0x20);  // 0xD7 is the multiplication sign
  }
  table[0x8A] = 0x9A;  // S caron
  table[0x8C] = 0x9C;  // OE
  table[0x8E] = 0x9E;  // Z caron
  table[0x9F] = 0xFF;  // Y diaeresis
  return table;
}

#ifdef _WIN32
// On Windows the program's bytes are in the system's code page, which need not
// be 1252: the system lower-cases them, once per byte value, into the same
// table (under 1252 it is the table above).
std::array<unsigned char, 256> MakeSystemLowerTable() {
  std::array<unsigned char, 256> table{};
  for (int i = 0; i < 256; ++i) {
    char c = static_cast<char>(i);
    CharLowerBuffA(&c, 1);
    table[i] = static_cast<unsigned char>(c);
  }
  return table;
}
const std::array<unsigned char, 256> kLower = MakeSystemLowerTable();
#else
constexpr std::array<unsigned char, 256> kLower = MakeLowerTable();
#endif

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char byte : text) AppendUtf8(out, CharacterOf(static_cast<unsigned char>(byte)));
  return out;
}

namespace {

// Walks UTF-8 text and converts each character to its Windows-1252 byte. A
// byte that starts no valid character (c = 0, invalid) or a character the code
// page cannot hold gets what onFailure returns, or stops the walk by throwing.
template <typename OnFailure>
std::string ConvertToCp1252(std::string_view text, OnFailure onFailure) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t c;
    if (!DecodeUtf8(text, i, c)) {
      ++i;
      out += onFailure(U'\0', true);
      continue;
    }
    const int byte = ByteOf(c);
    out += byte < 0 ? onFailure(c, false) : static_cast<char>(byte);
  }
  return out;
}

}  // namespace

std::string Utf8ToCp1252Lossy(std::string_view text) {
  // One "?" per byte that starts no valid character, or per character that
  // the code page cannot hold.
  return ConvertToCp1252(text, [](char32_t, bool) { return '?'; });
}

std::string Utf8ToCp1252(std::string_view text) {
  return ConvertToCp1252(text, [text](char32_t c, bool invalid) -> char {
    if (invalid) {
      throw RefusedError("\"" + Utf8ToCp1252Lossy(text) + "\" is not valid UTF-8 text, so it cannot be used");
    }
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    throw RefusedError("\"" + Utf8ToCp1252Lossy(text) + "\" holds a character (" + code +
                       ") that the Windows-1252 code page cannot hold, so it cannot be used");
  });
}

char LowerCp1252(char c) { return static_cast<char>(kLower[static_cast<unsigned char>(c)]); }

std::string ToLowerCp1252(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerCp1252(c);
  return out;
}

}  // namespace skarvel
