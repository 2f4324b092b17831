// Extraction: whatever the archive holds, nothing is written outside the target
// folder (and the one file extract-one names), the archive stays as it was, and
// a finished extraction holds each entry's own bytes.
#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "archive/AppState.h"
#include "archive/WadExtract.h"
#include "fuzz/FuzzSupport.h"
#include "host/Encoding.h"
#include "host/Errors.h"

using namespace skarvel;

namespace {

// Deep enough that a name climbing out with a few ".." lands where Walk sees it.
const std::string kHome = "1/2/3/4/w";
const std::string kArchive = kHome + "/a.wad";
const std::string kTarget = kHome + "/d1/d2/out";
const std::string kOne = kHome + "/one.bin";

std::int32_t Int32At(const std::uint8_t* p) {
  std::int32_t value = 0;
  std::memcpy(&value, p, sizeof value);
  return value;
}

void CheckConfined(const fuzz::Scratch& scratch) {
  for (const std::string& path : scratch.Walk()) {
    const bool allowed = kHome.starts_with(path) || path == kArchive || path == kOne ||
                         kTarget.starts_with(path) || path.starts_with(kTarget + "/");
    if (!allowed) fuzz::Fail("written outside the target: " + path);
  }
}

// Each name's last entry in directory order is what the file holds.
void CheckExtracted(const fuzz::Scratch& scratch, const std::uint8_t* data, std::size_t size) {
  if (size < 4) fuzz::Fail("a file without a count was extracted");
  const std::int32_t count = Int32At(data);
  std::map<std::string, std::string> expected;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint8_t* record = data + 4 + 136 * static_cast<std::size_t>(i);
    const std::string name(reinterpret_cast<const char*>(record), strnlen(reinterpret_cast<const char*>(record), 128));
    const std::int32_t offset = Int32At(record + 128);
    const std::int32_t length = Int32At(record + 132);
    expected[name] = length == 0 ? std::string() : std::string(reinterpret_cast<const char*>(data) + offset, length);
  }
  for (const auto& [name, bytes] : expected) {
    if (scratch.Read(kTarget + "/" + ToNativePath(name)) != bytes) fuzz::Fail("wrong bytes for an entry");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  scratch.Remove("1");
  scratch.Write(kArchive, data, size);

  AppState state(Registry::AtFolder(scratch.Native("registry")));
  fuzz::FuzzWorkbench bench;
  bench.archiveText = scratch.Internal(kArchive);
  bench.dialogAnswer = scratch.Internal(kTarget);
  try {
    ExtractClick(state, bench);
    CheckExtracted(scratch, data, size);
  } catch (const Error&) {
  }
  CheckConfined(scratch);

  try {
    CreateFileList(state.wad, bench.archiveText, bench);
    if (!bench.rows.empty()) {
      bench.selected = 0;  // rows arrive in directory order
      bench.dialogAnswer = scratch.Internal(kOne);
      const int messagesBefore = bench.messages;
      LMDFilesDblClick(state, bench);
      if (bench.messages != messagesBefore) return 0;
      const WadDirEntry& entry = state.wad.Entries.at(0);
      const std::string bytes = scratch.Read(kOne);
      if (bytes.size() != static_cast<std::size_t>(entry.Size) ||
          (entry.Size > 0 && std::memcmp(bytes.data(), data + entry.Offset, bytes.size()) != 0))
        fuzz::Fail("extract-one wrote other bytes than its entry's");
    }
  } catch (const Error&) {
  }
  CheckConfined(scratch);
  if (scratch.Read(kArchive) != std::string(reinterpret_cast<const char*>(data), size))
    fuzz::Fail("extraction changed the archive");
  return 0;
}
