#include "host/TimeText.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <string_view>
#include <system_error>

#include "host/Encoding.h"
#include "host/Errors.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

namespace skarvel {
namespace {

// Adds one unit to the last digit of a run of decimal digits, carrying leftwards;
// a carry out of the first digit prepends a "1".
void IncrementDigits(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

// The shortest decimal text that reads back as value, in plain positional form.
// Rounding that text, rather than the binary value, treats 0.0025 as the tie its
// writer meant instead of as the slightly smaller double that holds it.
std::string ShortestFixed(double value) {
  char buffer[400];  // the longest fixed form of a double is about 330 characters
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (result.ec != std::errc()) return "0";
  return std::string(buffer, result.ptr);
}

}  // namespace

std::string FormatSeconds(double seconds, char decimalSeparator) {
  if (!std::isfinite(seconds)) return "0";
  const bool negative = std::signbit(seconds) && seconds != 0.0;
  const std::string text = ShortestFixed(std::fabs(seconds));

  const std::size_t point = text.find('.');
  std::string whole = text.substr(0, point);
  std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);

  if (fraction.size() > 3) {
    // Decide on the digits beyond the third decimal: above half rounds up, below
    // half down, exactly half to the even neighbour.
    const std::string_view rest = std::string_view(fraction).substr(3);
    const bool aboveHalf =
        rest[0] > '5' || (rest[0] == '5' && rest.substr(1).find_first_not_of('0') != std::string_view::npos);
    const bool exactlyHalf = rest[0] == '5' && !aboveHalf;
    fraction.resize(3);
    std::string digits = whole + fraction;
    const bool lastOdd = (digits.back() - '0') % 2 == 1;
    if (aboveHalf || (exactlyHalf && lastOdd)) IncrementDigits(digits);
    whole = digits.substr(0, digits.size() - 3);
    fraction = digits.substr(digits.size() - 3);
  }

  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  std::string out = whole.empty() ? "0" : whole;
  if (!fraction.empty()) {
    out += decimalSeparator;
    out += fraction;
  }
  if (negative && out != "0") out.insert(out.begin(), '-');
  return out;
}

char DecimalSeparatorOf(std::string_view radix) {
  if (radix.size() == 1) return radix[0];
  // A locale may name a separator beyond ASCII in UTF-8; it is shown only when
  // the internal code page holds it as one byte.
  try {
    const std::string internal = Utf8ToCp1252(radix);
    if (internal.size() == 1) return internal[0];
  } catch (const Error&) {
  }
  return '.';
}

char UserDecimalSeparator() {
#ifdef _WIN32
  char buffer[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 0 && buffer[0] != '\0') {
    return buffer[0];  // already in the system code page
  }
  return '.';
#else
  // The user's LC_NUMERIC as the environment gives it, read without touching the
  // process's own locale (which stays "C" so that number parsing is predictable).
  locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return '.';
  const char* radix = nl_langinfo_l(RADIXCHAR, user);
  const char separator = (radix == nullptr || radix[0] == '\0') ? '.' : DecimalSeparatorOf(radix);
  freelocale(user);
  return separator;
#endif
}

double Stopwatch::Seconds() const {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  return std::chrono::duration<double>(elapsed).count();
}

std::string Stopwatch::Caption(const std::string& leading) const {
  return leading + FormatSeconds(Seconds(), UserDecimalSeparator()) + "s";
}

std::string CalendarText(std::int64_t seconds, const char* format, bool local) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm parts{};
#ifdef _WIN32
  local ? localtime_s(&parts, &time) : gmtime_s(&parts, &time);
#else
  local ? localtime_r(&time, &parts) : gmtime_r(&time, &parts);
#endif
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &parts));
}

}  // namespace skarvel
