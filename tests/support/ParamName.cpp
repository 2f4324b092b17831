#include "support/ParamName.h"

namespace skarvel::test {
namespace {

// Long enough to tell the cases apart, short enough to read in a listing.
constexpr std::size_t kMaxTextInName = 48;

bool IsAsciiAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

}  // namespace

std::string NameFromText(std::size_t index, std::string_view text) {
  const std::size_t digits = std::to_string(index).size();
  std::string name = std::to_string(index) + "_";
  const std::size_t start = name.size();
  for (const char c : text) {
    if (name.size() - start >= kMaxTextInName) break;
    if (IsAsciiAlnum(c)) {
      name += c;
    } else if (name.back() != '_') {
      name += '_';
    }
  }
  while (name.size() > digits && name.back() == '_') name.pop_back();
  return name;
}

std::string HexBytes(std::string_view text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (const char c : text) {
    if (!hex.empty()) hex += ' ';
    const auto byte = static_cast<unsigned char>(c);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

}  // namespace skarvel::test
