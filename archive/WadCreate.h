#pragma once
// Creation: a new archive from every file below the source folder.
#include "archive/AppState.h"
#include "archive/Workbench.h"

namespace skarvel {

// "Create wad".
void LMDCreateWadClick(AppState& state, Workbench& bench);

}  // namespace skarvel
