// Reading and listing: the listing of any bytes either fails with the program's
// own error or gives one row per directory record, each of which reads back.
#include <cstdint>
#include <string>

#include "archive/AppState.h"
#include "archive/WadArchive.h"
#include "fuzz/FuzzSupport.h"
#include "host/Errors.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  scratch.Write("a.wad", data, size);
  const std::string path = scratch.Internal("a.wad");

  AppState state(Registry::AtFolder(scratch.Native("registry")));
  fuzz::FuzzWorkbench bench;
  bench.archiveText = path;
  try {
    CreateFileList(state.wad, path, bench);
    if (!bench.rowsSet) fuzz::Fail("an existing archive was not listed");
    if (bench.rows.size() != static_cast<std::size_t>(state.wad.Count) || state.wad.Entries.size() != bench.rows.size())
      fuzz::Fail("rows, count and directory disagree");
    // Rows arrive in directory order; a name may hold ";", so the row is
    // compared whole rather than split.
    for (std::size_t i = 0; i < bench.rows.size(); ++i) {
      const auto index = static_cast<std::int32_t>(i);
      const WadDirEntry& entry = state.wad.Entries[i];
      if (bench.rows[i] != ContentsRow(entry, index)) fuzz::Fail("a row is not its record's");
      try {
        if (ReadWadEntry(state.wad, path, index).size() != static_cast<std::size_t>(entry.Size))
          fuzz::Fail("an entry read back with another size");
      } catch (const Error&) {
        // A record outside the file is refused on its own; the listing stands.
      }
    }
  } catch (const Error&) {
  }

  try {
    WadArchive whole;
    LoadWadArchive(whole, path);
    for (std::size_t i = 0; i < whole.Entries.size(); ++i) {
      if (whole.Payloads[i].size() != static_cast<std::size_t>(whole.Entries[i].Size))
        fuzz::Fail("a loaded payload differs from its record's size");
    }
  } catch (const Error&) {
  }
  if (scratch.Read("a.wad") != std::string(reinterpret_cast<const char*>(data), size))
    fuzz::Fail("reading changed the archive");
  return 0;
}
