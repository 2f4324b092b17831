#pragma once
// The patch of one archive's update, built from the archive as the update found
// it and the archive the update is about to write.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/WadArchive.h"
#include "archive/history/Patch.h"

namespace skarvel::history {

// Who makes a patch, the same for every archive of one run.
struct PatchOrigin {
  std::string run;
  std::string how;      // "window", "installer" or "command line"
  std::string package;  // the installer's package folder, or empty
};
// A new run's identifier: its time and a few random letters.
std::string NewRunId();

// The archive before the update: its length and directory, taken before the
// update changes the shared archive.
struct ArchiveBefore {
  std::int64_t length = 0;
  std::int32_t count = 0;
  std::vector<WadDirEntry> entries;
};
ArchiveBefore TakeBefore(const WadArchive& wad, const std::string& path);

struct PatchChanges {
  std::vector<ReplacedEntry> replaced;
  std::vector<AppendedEntry> appended;
};

// The patch that turns before into after (the shared archive with its new
// directory and the data it holds in memory): the old bytes the rewrite drops
// are read from the archive at path, which is still the old one. The identity
// of the archive it leaves (after) is the rewrite's to fill in, from the file it
// wrote.
// Where the rewrite drops nearly all of the old archive, keepWhole is asked to
// keep it whole instead (true when it could, at no copy).
Patch MakePatch(const std::string& path, const ArchiveBefore& before, const WadArchive& after, PatchChanges changes,
                const std::string& source, const PatchOrigin& origin, const std::function<bool()>& keepWhole = {});

}  // namespace skarvel::history
