// History files: any bytes either are refused with the program's own error
// naming the file, or are a patch that writes back to the very same bytes and
// whose pieces fill the old archive exactly (which the reader checks), unless
// it keeps the old archive whole beside it.
#include <cstdint>
#include <string>
#include <string_view>

#include "archive/history/Patch.h"
#include "fuzz/FuzzSupport.h"
#include "host/Errors.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const history::Patch patch = history::DecodePatch(bytes, "\\history\\000001.patch");
    if (history::EncodePatch(patch) != bytes) fuzz::Fail("a patch read back does not write the same bytes");
    std::int64_t covered = static_cast<std::int64_t>(patch.oldHead.size());
    for (const auto& kept : patch.kept) covered += kept.size;
    for (const auto& region : patch.stored) covered += static_cast<std::int64_t>(region.bytes.size());
    // A patch that keeps its old archive whole, as a file beside it, has no pieces.
    if (!patch.oldKeptWhole && covered != patch.oldLength) fuzz::Fail("a patch's pieces do not fill its old archive");
  } catch (const FormatError& error) {
    if (std::string_view(error.what()).find("000001.patch") == std::string_view::npos) {
      fuzz::Fail("a refusal does not name the history file");
    }
  }
  return 0;
}
