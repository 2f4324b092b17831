#include <gtest/gtest.h>

#include <clocale>
#include <cwctype>
#include <string>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "support/ParamName.h"

namespace skarvel {
namespace {

std::string AllBytes() {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  return all;
}

TEST(EncodingTest, EveryByteSurvivesARoundTripThroughUtf8) {
  const std::string all = AllBytes();
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
  EXPECT_EQ(FromDisplayText(ToDisplayText(all)), all);
  for (int i = 0; i < 256; ++i) {
    const std::string one(1, static_cast<char>(i));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << "byte " << i;
  }
}

struct ByteCharacter {
  unsigned char byte;
  const char* utf8;
};

void PrintTo(const ByteCharacter& c, std::ostream* os) { *os << "byte " << test::HexBytes(std::string(1, static_cast<char>(c.byte))); }

class Cp1252CharacterTest : public ::testing::TestWithParam<ByteCharacter> {};

TEST_P(Cp1252CharacterTest, ByteAndCharacterCorrespond) {
  const std::string byte(1, static_cast<char>(GetParam().byte));
  EXPECT_EQ(Cp1252ToUtf8(byte), GetParam().utf8);
  EXPECT_EQ(Utf8ToCp1252(GetParam().utf8), byte);
}

INSTANTIATE_TEST_SUITE_P(
    CodePage, Cp1252CharacterTest,
    ::testing::Values(ByteCharacter{'A', "A"}, ByteCharacter{0x80, "\u20AC"}, ByteCharacter{0x8A, "\u0160"},
                      ByteCharacter{0x9F, "\u0178"}, ByteCharacter{0x99, "\u2122"}, ByteCharacter{0xA0, "\u00A0"},
                      ByteCharacter{0xE9, "\u00E9"}, ByteCharacter{0xFF, "\u00FF"},
                      // The five undefined bytes stand for the C1 controls of the same value.
                      ByteCharacter{0x81, "\xC2\x81"}, ByteCharacter{0x8D, "\xC2\x8D"}, ByteCharacter{0x8F, "\xC2\x8F"},
                      ByteCharacter{0x90, "\xC2\x90"}, ByteCharacter{0x9D, "\xC2\x9D"}), test::PrintedParamName());

class RefusedUtf8Test : public ::testing::TestWithParam<const char*> {};

TEST_P(RefusedUtf8Test, RefusedWithAMessageNamingTheText) {
  const std::string text = std::string("name-") + GetParam() + "-end";
  try {
    Utf8ToCp1252(text);
    FAIL() << "accepted " << text;
  } catch (const RefusedError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("name-"), std::string::npos) << message;
    EXPECT_NE(message.find("-end"), std::string::npos) << message;
    // The message itself must be showable: it is internal form too.
    EXPECT_NO_THROW(ToDisplayText(message));
  }
}

INSTANTIATE_TEST_SUITE_P(Unencodable, RefusedUtf8Test,
                         ::testing::Values("\u4E2D", "\U0001F600", "\u0100", "\xC2\x80" /* C1 not in the code page */,
                                           "\u2192"), [](const auto& info) { return test::NameFromText(info.index, test::HexBytes(info.param)); });
INSTANTIATE_TEST_SUITE_P(Malformed, RefusedUtf8Test,
                         ::testing::Values("\x80", "\xC3", "\xC0\xAF" /* overlong "/" */, "\xE0\x80\xAF",
                                           "\xED\xA0\x80" /* surrogate */, "\xF4\x90\x80\x80" /* past U+10FFFF */,
                                           "\xFF", "\xE2\x82"), [](const auto& info) { return test::NameFromText(info.index, test::HexBytes(info.param)); });

TEST(EncodingTest, UnencodableMessageSaysWhichCharacter) {
  try {
    Utf8ToCp1252("caf\u00E9 \u4E2D.txt");
    FAIL();
  } catch (const RefusedError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("caf\xE9 ?.txt"), std::string::npos) << message;
    EXPECT_NE(message.find("U+4E2D"), std::string::npos) << message;
    EXPECT_NE(message.find("Windows-1252"), std::string::npos) << message;
  }
}

// The table must agree with Unicode's own lower-casing wherever the lower-case
// letter exists in the code page, and leave every other byte alone. On Windows
// the system's code page and lower-casing decide (tests/win32).
#ifndef _WIN32
TEST(EncodingTest, LowerCasingAgreesWithUnicodeWithinTheCodePage) {
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale to compare with";
  int changed = 0;
  for (int i = 0; i < 256; ++i) {
    const std::string byte(1, static_cast<char>(i));
    const std::string utf8 = Cp1252ToUtf8(byte);
    wchar_t wide = 0;
    ASSERT_GE(std::mbtowc(&wide, utf8.c_str(), utf8.size()), 0) << i;  // 0 for the NUL byte
    std::string expected = byte;
    const wchar_t lower = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(wide)));
    if (lower != wide) {
      char buffer[8] = {};
      const int length = std::wctomb(buffer, lower);
      try {
        expected = Utf8ToCp1252(std::string(buffer, length));
      } catch (const RefusedError&) {
      }
    }
    EXPECT_EQ(LowerCp1252(static_cast<char>(i)), expected[0]) << "byte " << i;
    if (expected != byte) ++changed;
  }
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ(changed, 26 + 30 + 4);  // A-Z, the accented capitals, S and Z caron, OE, Y diaeresis
  EXPECT_EQ(ToLowerCp1252("C:\\GP4\\Maps\\\xC9T\xC9\x8A.DAT"), "c:\\gp4\\maps\\\xE9t\xE9\x9A.dat");
}
#endif

struct PathForms {
  const char* native;    // UTF-8 with "/"
  const char* internal;  // Windows-1252 with "\"
};

void PrintTo(const PathForms& c, std::ostream* os) { *os << "path " << c.native; }

// The POSIX edges; on Windows both conversions are the identity.
#ifndef _WIN32
class PathConversionTest : public ::testing::TestWithParam<PathForms> {};

TEST_P(PathConversionTest, BothWays) {
  EXPECT_EQ(ToInternalPath(GetParam().native), GetParam().internal);
  EXPECT_EQ(ToNativePath(GetParam().internal), GetParam().native);
  // A message names the path in the internal code page, shown as the user typed it.
  EXPECT_EQ(ToDisplayText(DisplayPath(GetParam().internal)), GetParam().native);
}

INSTANTIATE_TEST_SUITE_P(Posix, PathConversionTest,
                         ::testing::Values(PathForms{"", ""}, PathForms{"/", "\\"}, PathForms{"a", "a"},
                                           PathForms{"/home/u/GP4/cars.wad", "\\home\\u\\GP4\\cars.wad"},
                                           PathForms{"rel/dir/", "rel\\dir\\"},
                                           PathForms{"/tmp/\u00E9t\u00E9/\u20AC 1.txt", "\\tmp\\\xE9t\xE9\\\x80 1.txt"}), test::PrintedParamName());

TEST(EncodingTest, NativePathWithABackslashIsRefused) {
  // A "\" inside a Linux name would be read back as a separator and name another file.
  try {
    ToInternalPath("/tmp/odd\\name.txt");
    FAIL();
  } catch (const RefusedError& error) {
    EXPECT_NE(std::string(error.what()).find("odd\\name.txt"), std::string::npos) << error.what();
  }
  EXPECT_THROW(ToInternalPath("/tmp/\u4E2D"), RefusedError);
}
#endif

}  // namespace
}  // namespace skarvel
