// The registry files that keep the settings on Linux, as a user or another
// program may have edited them: any text either parses or is refused with the
// program's own error, and a text that parses is written back so that it parses
// to the same keys and values, in the same order, and is then written the same.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "host/Errors.h"
#include "host/platform/posix/RegistryFile.h"

using namespace skarvel;

namespace {

constexpr const char* kRoot = "HKEY_CURRENT_USER";

std::string Describe(const regfile::Contents& contents) {
  std::string text;
  for (const regfile::Key& key : contents.keys) {
    text += "[" + key.path + "]\n";
    for (const regfile::NamedValue& value : key.values) {
      text += "  " + value.name + " type " + std::to_string(value.value.type) + " " +
              std::to_string(value.value.data.size()) + " bytes\n";
    }
  }
  return text;
}

bool Same(const regfile::Contents& a, const regfile::Contents& b) {
  if (a.keys.size() != b.keys.size()) return false;
  for (std::size_t k = 0; k < a.keys.size(); ++k) {
    const regfile::Key& x = a.keys[k];
    const regfile::Key& y = b.keys[k];
    if (x.path != y.path || x.values.size() != y.values.size()) return false;
    for (std::size_t v = 0; v < x.values.size(); ++v) {
      if (x.values[v].name != y.values[v].name || !(x.values[v].value == y.values[v].value)) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  regfile::Contents first;
  try {
    first = regfile::Parse(text, kRoot, "fuzz.reg");
  } catch (const RegistryError&) {
    return 0;  // a damaged file is reported, which is all that is asked of it
  }
  const std::string written = regfile::Format(first, kRoot);
  regfile::Contents second;
  try {
    second = regfile::Parse(written, kRoot, "written.reg");
  } catch (const RegistryError& error) {
    fuzz::Fail(std::string("a file the parser accepted was written so that it no longer parses: ") + error.what() +
               "\n--- written:\n" + written);
  }
  if (!Same(first, second)) {
    fuzz::Fail("written back, the file parses to other values\n--- read:\n" + Describe(first) + "--- read back:\n" +
               Describe(second) + "--- written:\n" + written);
  }
  if (regfile::Format(second, kRoot) != written) fuzz::Fail("the file written back is written differently again");
  return 0;
}
