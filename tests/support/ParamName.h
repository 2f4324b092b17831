#pragma once
// Names for the cases of parameterised tests, so that CTest and GoogleTest list
// "Masks/SearchMaskTest.MatchesWhatWindowsWouldMatch/2_mask_star_txt" instead of
// a dump of the parameter's bytes.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace skarvel::test {

// The case's number, then the ASCII letters and digits of text, every other run
// of bytes one "_" (the characters GoogleTest allows in a name), cut short.
std::string NameFromText(std::size_t index, std::string_view text);
// The bytes of text in hexadecimal, "E4 B8 AD": for parameters that are bytes
// rather than words.
std::string HexBytes(std::string_view text);

// A name from what the parameter prints (its PrintTo): the fourth argument of
// INSTANTIATE_TEST_SUITE_P.
struct PrintedParamName {
  template <class T>
  std::string operator()(const ::testing::TestParamInfo<T>& info) const {
    return NameFromText(info.index, ::testing::PrintToString(info.param));
  }
};

}  // namespace skarvel::test
