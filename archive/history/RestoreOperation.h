#pragma once
// A restore as the desktop program runs it: like the other operations, with its
// progress and its time on the status line, and the archive edit's archive
// listed again at the end.
#include <vector>

#include "archive/AppState.h"
#include "archive/Workbench.h"
#include "archive/history/Restore.h"

namespace skarvel::history {

// Carries the plans out one after the other (each one crash-safe on its own);
// an error ends the run there, leaving the archives not yet restored and their
// histories as they were.
void RestoreArchives(AppState& state, Workbench& bench, const HistoryStore& store,
                     const std::vector<RestorePlan>& plans);

}  // namespace skarvel::history
