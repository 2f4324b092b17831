#pragma once
// The history commands of skarvel-cli: history, restore and forget, over the
// user's history of patches.
#include <ostream>

#include "archive/history/HistoryStore.h"
#include "cli/Arguments.h"

namespace skarvel::cli {

int History(const Arguments& args, const history::HistoryStore& store, std::ostream& out, std::ostream& err);
int Restore(const Arguments& args, const history::HistoryStore& store, std::ostream& out, std::ostream& err);
int Forget(const Arguments& args, const history::HistoryStore& store, std::ostream& out);

}  // namespace skarvel::cli
