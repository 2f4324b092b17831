#pragma once
// Extraction: every entry of the archive edit's archive into a folder tree, or
// the entry of the selected row into one file.
#include <string>

#include "archive/AppState.h"
#include "archive/Workbench.h"

namespace skarvel {

// What extract one says when the selected row cannot be trusted to name an
// entry of the archive edit's archive; nothing is read then.
inline constexpr char kRowOutsideDirectory[] =
    "Sorry but the selected row lies outside the directory of the wad file. Please list the wad file again.";
inline constexpr char kRowFromOtherListing[] =
    "Sorry but the contents list does not show the wad file that you chose any more. Please list it again.";

// "Extract wad".
void ExtractClick(AppState& state, Workbench& bench);
// A double-click on a row of the contents list.
void LMDFilesDblClick(AppState& state, Workbench& bench);

// The core of extract all: the directory of archive into wad.Entries (Count kept),
// then every entry into target\name. Every name and every data region is checked
// before anything is written: an unsafe name raises RefusedError naming it.
void ExtractAllEntries(WadArchive& wad, const std::string& archive, const std::string& target,
                       ProgressSink& progress);

}  // namespace skarvel
