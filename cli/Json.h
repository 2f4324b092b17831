#pragma once
// JSON output of list and verify: UTF-8 text, names converted from the
// internal code page.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/WadVerify.h"

namespace skarvel::cli {

// One line of the listing, in directory order.
struct ListedEntry {
  std::int32_t index = 0;
  std::int32_t offset = 0;
  std::int32_t size = 0;
  std::string name;  // internal form, as the contents list shows it
};

// text (UTF-8) as a quoted JSON string. Bytes that are not valid UTF-8 become
// U+FFFD, so the output is valid JSON whatever a path holds.
std::string JsonString(std::string_view text);

// archive is the path as the user gave it (native form).
std::string ListJson(const std::string& archive, const std::vector<ListedEntry>& entries);
std::string VerifyJson(const std::string& archive, const WadVerifyReport& report);

}  // namespace skarvel::cli
