#include "host/TimeText.h"
#include "support/ParamName.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iomanip>
#include <optional>
#include <string>

namespace skarvel {
namespace {

struct SecondsCase {
  double seconds;
  const char* text;
};

void PrintTo(const SecondsCase& c, std::ostream* os) { *os << std::setprecision(12) << c.seconds << " s"; }

class FormatSecondsTest : public ::testing::TestWithParam<SecondsCase> {};

TEST_P(FormatSecondsTest, RoundsToThreeDecimalsInShortestForm) {
  EXPECT_EQ(FormatSeconds(GetParam().seconds, '.'), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatSecondsTest,
    ::testing::Values(
        // Ties go to the even neighbour, judged on the decimal value written, not
        // on the nearest double (0.0015 and 0.0025 are both held slightly off).
        SecondsCase{0.0005, "0"}, SecondsCase{0.0015, "0.002"}, SecondsCase{0.0025, "0.002"},
        SecondsCase{0.0035, "0.004"}, SecondsCase{2.0005, "2"}, SecondsCase{2.0015, "2.002"},
        // Just beside a tie.
        SecondsCase{0.00050001, "0.001"}, SecondsCase{0.0024999, "0.002"},
        // Trailing zeros and the point go.
        SecondsCase{1.5, "1.5"}, SecondsCase{2, "2"}, SecondsCase{0, "0"}, SecondsCase{0.0004, "0"},
        SecondsCase{0.1, "0.1"}, SecondsCase{0.25, "0.25"}, SecondsCase{12.3456, "12.346"},
        SecondsCase{1.23, "1.23"},
        // A carry runs through every digit, into the whole seconds.
        SecondsCase{0.9996, "1"}, SecondsCase{9.9995, "10"}, SecondsCase{99.9999, "100"},
        SecondsCase{3600.0625, "3600.062"}, SecondsCase{86399.9999, "86400"},
        SecondsCase{123456789.125, "123456789.125"}), test::PrintedParamName());

TEST(FormatSecondsTest, WritesTheGivenSeparator) {
  EXPECT_EQ(FormatSeconds(1.25, ','), "1,25");
  EXPECT_EQ(FormatSeconds(12.3456, ','), "12,346");
  // No separator when nothing follows it.
  EXPECT_EQ(FormatSeconds(4.0001, ','), "4");
}

TEST(FormatSecondsTest, NeverPrintsANegativeZero) {
  EXPECT_EQ(FormatSeconds(-0.0, '.'), "0");
  EXPECT_EQ(FormatSeconds(-0.0004, '.'), "0");
}

struct RadixCase {
  const char* radix;
  char separator;
};

void PrintTo(const RadixCase& c, std::ostream* os) { *os << "radix " << test::HexBytes(c.radix); }

class DecimalSeparatorTest : public ::testing::TestWithParam<RadixCase> {};

TEST_P(DecimalSeparatorTest, TakesOneByteOrFallsBackToAPoint) {
  EXPECT_EQ(DecimalSeparatorOf(GetParam().radix), GetParam().separator);
}

INSTANTIATE_TEST_SUITE_P(Radixes, DecimalSeparatorTest,
                         ::testing::Values(RadixCase{".", '.'}, RadixCase{",", ','},
                                           // U+00B7 MIDDLE DOT in UTF-8: one Windows-1252 byte.
                                           RadixCase{"\xC2\xB7", '\xB7'},
                                           // U+066B ARABIC DECIMAL SEPARATOR: not in the code page.
                                           RadixCase{"\xD9\xAB", '.'}, RadixCase{"\xFF\xFE", '.'}), test::PrintedParamName());

// On POSIX the user's locale comes from the environment; Windows has its own
// settings, which the process cannot change for itself.
#ifndef _WIN32
// Restores an environment variable when the test ends.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(UserDecimalSeparatorTest, FollowsTheEnvironmentAndSurvivesAnUnknownLocale) {
  {
    ScopedEnv all("LC_ALL", "C");
    EXPECT_EQ(UserDecimalSeparator(), '.');
  }
  {
    ScopedEnv all("LC_ALL", "xx_NOWHERE.UTF-8");
    EXPECT_EQ(UserDecimalSeparator(), '.');
  }
}

#endif

// The history's times: a moment past 2^31 seconds too, which a 32-bit time_t cannot hold.
TEST(CalendarTextTest, WritesAMomentInUtc) {
  EXPECT_EQ(CalendarText(1000000000, "%Y-%m-%dT%H:%M:%SZ", false), "2001-09-09T01:46:40Z");
  EXPECT_EQ(CalendarText(4102444800, "%Y-%m-%d", false), "2100-01-01");
}

TEST(StopwatchTest, CaptionWrapsTheSecondsInTheLeadingTextAndAnS) {
  const Stopwatch watch;
#ifndef _WIN32
  ScopedEnv all("LC_ALL", "C");
  const std::string digits = "0123456789.";
#else
  const std::string digits = std::string("0123456789") + UserDecimalSeparator();
#endif
  const std::string caption = watch.Caption("Update done in ");
  ASSERT_GT(caption.size(), std::string("Update done in s").size());
  EXPECT_EQ(caption.rfind("Update done in ", 0), 0u);
  EXPECT_EQ(caption.back(), 's');
  const std::string number = caption.substr(15, caption.size() - 16);
  EXPECT_EQ(number.find_first_not_of(digits), std::string::npos) << caption;
  EXPECT_GE(watch.Seconds(), 0.0);
}

}  // namespace
}  // namespace skarvel
