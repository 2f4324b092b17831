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
#include "archive/Workbench.h"

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
  std::int64_t oldSize = 0;  // replaced entry's size before
  std::int64_t newSize = 0;  // the source file's size
};

// The steps of one archive, in source-list order.
struct UpdatePlan {
  std::string archivePath;
  std::vector<UpdateStep> steps;
};

struct UpdateOptions {
  // Plan only: nothing is written, no attribute changes, no settings written.
  bool dryRun = false;
  // Receives the plan of each archive before it is carried out (or instead).
  std::function<void(const UpdatePlan&)> onPlan;
  // All-tracks mode: the game folder to use instead of looking it up in the
  // game's registry key (the command line's --game-folder).
  std::optional<std::string> gameFolder;
};

// "Update wad": the run over the archive edit's archive, or over the track
// archives while state.allTracks is set.
void Update1wad(AppState& state, Workbench& bench, const UpdateOptions& options = {});
// "Update all tracks": sets the all-tracks flag and runs Update1wad.
void UpdateWads(AppState& state, Workbench& bench, const UpdateOptions& options = {});
// The archive paths of one run.
std::vector<std::string> WadPathList(const std::string& gameFolder);

}  // namespace skarvel
