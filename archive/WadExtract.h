#pragma once
// Extraction: every entry of the archive edit's archive into a folder tree, or
// the entry of the selected row into one file.
#include "archive/AppState.h"
#include "archive/Workbench.h"

namespace skarvel {

// "Extract wad".
void ExtractClick(AppState& state, Workbench& bench);
// A double-click on a row of the contents list.
void LMDFilesDblClick(AppState& state, Workbench& bench);

}  // namespace skarvel
