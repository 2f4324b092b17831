#pragma once
// The update: patches one archive, or the 17 track archives of the game folder,
// from a source file or every file below a source folder.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/AppState.h"
#include "archive/UpdateMatcher.h"
#include "archive/Workbench.h"
#include "archive/history/HistoryStore.h"
#include "archive/history/Recording.h"

namespace skarvel {

inline constexpr std::array<const char*, 17> TrackNames = {
    "a1ring2001",     "barcelona2001", "hockenheim2001",  "hungaroring2001", "imola2001",
    "indianapolis2001", "interlagos2001", "magnycours2001", "melborne2001",  "monaco2001",
    "montreal2001",   "monza2001",     "nurburgring2001", "sepang2001",      "silverstone2001",
    "spa2001",        "suzuka2001"};

// What one source file does to one archive.
struct UpdateStep {
  enum class Kind { Replace, Append };
  Kind kind = Kind::Replace;
  std::string source;      // full path of the source file
  std::int32_t index = 0;  // directory index of the replaced or appended entry
  std::string entryName;   // the entry's name (for an append: the new name)
  std::int64_t oldSize = 0;  // replaced entry's size before (0 for an append)
  std::int64_t newSize = 0;  // the source file's size
  SourceIdentity identity;   // category and match key of the source file

  bool operator==(const UpdateStep&) const = default;
};

// The steps of one archive, in source-list order, and the archive they make.
struct UpdatePlan {
  std::string archivePath;
  std::vector<UpdateStep> steps;
  std::int32_t resultCount = 0;   // entries after the update
  std::int64_t resultLength = 0;  // bytes of the rewritten archive

  bool operator==(const UpdatePlan&) const = default;
};

struct UpdateOptions {
  // Plan only: each archive is loaded with the checks of a real run, into an
  // archive of its own, and planned; the checks and their messages are as in a
  // real run, but no file, attribute, setting or archive changes, nothing is
  // shown on the status line and nothing is listed.
  bool dryRun = false;
  // Receives the plan of each archive before it is carried out (or instead).
  std::function<void(const UpdatePlan&)> onPlan;
  // All-tracks mode: the game folder to use instead of looking it up in the
  // game's registry key (the command line's --game-folder).
  std::optional<std::string> gameFolder;
  // Where each archive's patch is recorded, as part of its crash-safe rewrite;
  // none records nothing (the command line's --no-history).
  const history::HistoryStore* history = nullptr;
  history::PatchOrigin origin;
};

// The options of the desktop program's and the installer's updates, which
// always record their patches where the state says, as one new run.
UpdateOptions RecordedUpdate(const AppState& state, std::string how, std::string package = {});

// "Update wad": the run over the archive edit's archive, or over the track
// archives while state.allTracks is set. False when a check stopped it with one
// of its messages, so that a caller can tell that nothing was patched; true when
// it ran to its end.
bool Update1wad(AppState& state, Workbench& bench, const UpdateOptions& options = {});
// "Update all tracks": sets the all-tracks flag and runs Update1wad.
bool UpdateWads(AppState& state, Workbench& bench, const UpdateOptions& options = {});
// Whether an archive text names a wad file: the update's test, by its last
// three letters, case-sensitive.
bool EndsInWad(const std::string& text);
// The 17 track archive paths below a game folder, in TrackNames order.
std::vector<std::string> WadPathList(const std::string& gameFolder);

// The size of a source file (FileSizeOf in a run; tests hand in sizes the disk
// need not hold).
using SourceSizeFunction = std::function<std::int64_t(const std::string& path)>;

// What sources (filled from sourceText) do to the archive at archivePath whose
// directory is the first count records of entries. Refuses (RefusedError naming
// the file) an appended name over 128 bytes, a source file of 2 GiB or more, and
// any step after which an offset or the archive's length would pass
// 2,147,483,647 or data would lie before the end of the directory (also the
// archive as loaded when no file changes it).
UpdatePlan PlanUpdate(const std::string& archivePath, const std::vector<WadDirEntry>& entries, std::int32_t count,
                      const std::string& sourceText, const SourceList& sources, const SourceSizeFunction& sizeOf);

}  // namespace skarvel
