#pragma once
// The restore: an archive given back as it was before one of its patches, byte
// for byte, by undoing that patch and every later one, newest first.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "archive/history/HistoryStore.h"

namespace skarvel::history {

struct RestorePlan {
  std::string archive;
  std::size_t first = 0;                    // the oldest patch undone, numbered from 1
  std::vector<HistoryStore::Entry> undone;  // newest first
};

// Which patches a restore to before patch first undoes. Refused (RefusedError,
// nothing changed) when the archive has no such patch, or when the archive is
// not exactly what its newest patch left: another program changed it since.
// A damaged history file raises FormatError naming it.
RestorePlan PlanRestore(const HistoryStore& store, const std::string& archive, std::size_t first);
// The first patch that the add-on package in folder made to the archive, 0
// when it made none.
std::size_t FirstPatchOfPackage(const std::vector<HistoryStore::Entry>& patches, const std::string& folder);
// What undoing the add-on package in folder takes: in every archive it patched,
// its first patch there and every later one. Every archive is checked as
// PlanRestore checks it before the caller restores the first; empty when the
// package made no recorded patch.
std::vector<RestorePlan> PlanPackageRestore(const HistoryStore& store, const std::string& folder);

// Carries a plan out as one crash-safe rewrite of the archive; the patches it
// undid leave the history only once the restored archive is in place. On any
// failure the archive and its history stay as they were.
// onPatchUndone, when given, is called as each patch has been undone.
void Restore(const HistoryStore& store, const RestorePlan& plan, const std::function<void()>& onPatchUndone = {});

}  // namespace skarvel::history
