// verify: any bytes give a report, never an out-of-proportion allocation, and
// its verdict is the loader's: readable exactly when the whole archive loads
// (the loader also refuses entries that together claim more than a few copies
// of the file, which verify leaves to it).
#include <cstdint>
#include <string>

#include "archive/WadArchive.h"
#include "archive/WadVerify.h"
#include "fuzz/FuzzSupport.h"
#include "host/Errors.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  scratch.Write("a.wad", data, size);
  const std::string path = scratch.Internal("a.wad");

  const WadVerifyReport report = VerifyWad(path);
  if (report.fileSize != static_cast<std::int64_t>(size)) fuzz::Fail("wrong file size");
  if (report.packed && !report.Readable()) fuzz::Fail("packed but not readable");
  if (report.trailingBytes < 0 || report.trailingBytes > report.fileSize) fuzz::Fail("trailing bytes out of range");
  std::int64_t gapBytes = 0;
  for (const WadByteRange& gap : report.gaps) {
    if (gap.length <= 0 || gap.start < 0 || gap.start + gap.length > report.fileSize) fuzz::Fail("a gap outside");
    gapBytes += gap.length;
  }
  if (gapBytes > report.fileSize) fuzz::Fail("more gap bytes than the file holds");

  bool loads = true;
  std::int64_t claimed = 0;
  try {
    WadArchive wad;
    LoadWadArchive(wad, path);
  } catch (const FormatError&) {
    loads = false;
  }
  if (report.Readable() && !loads) {
    // Only the loader's limit on overlapping claims may refuse a readable archive.
    WadArchive directory;
    LoadWadDirectory(directory, path);
    for (const WadDirEntry& entry : directory.Entries) claimed += entry.Size;
    if (claimed <= 4 * report.fileSize) fuzz::Fail("verify calls readable what the loader refuses");
  }
  if (!report.Readable() && loads) fuzz::Fail("the loader reads what verify calls unreadable");
  if (scratch.Read("a.wad") != std::string(reinterpret_cast<const char*>(data), size))
    fuzz::Fail("verify changed the archive");
  return 0;
}
