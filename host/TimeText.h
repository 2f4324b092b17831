#pragma once
// The duration shown at the end of an operation: seconds with at most three
// decimals, in the shortest form, with the user's decimal separator.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace skarvel {

// seconds rounded to three decimals (a tie goes to the even neighbour), written
// without trailing zeros: 1.5 -> "1.5", 2 -> "2", 0.0004 -> "0".
std::string FormatSeconds(double seconds, char decimalSeparator);
// The decimal separator of the user's locale (LC_NUMERIC on POSIX, the user's
// regional settings on Windows); "." when it cannot be told.
char UserDecimalSeparator();
// The separator byte for a locale's radix text: the text itself when it is one
// byte, its Windows-1252 byte when it is one UTF-8 character the code page
// holds, else ".".
char DecimalSeparatorOf(std::string_view radix);

// A moment (seconds since 1970, UTC) as strftime's format writes it, in UTC or
// in the user's local time.
std::string CalendarText(std::int64_t seconds, const char* format, bool local);

// Measures an operation on a monotonic clock, so a run across midnight or a
// change of the system clock still reports its true length.
class Stopwatch {
 public:
  Stopwatch() : start_(std::chrono::steady_clock::now()) {}
  double Seconds() const;
  // leading + seconds + "s", e.g. "Update done in 1.25s".
  std::string Caption(const std::string& leading) const;

 private:
  std::chrono::steady_clock::time_point start_;
};

}  // namespace skarvel
