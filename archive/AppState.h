#pragma once
// The program-wide state: one archive, one source list, one settings store and
// the flags. Created once by the program (or by a test) and handed by reference
// to every operation.
#include <optional>
#include <utility>

#include "archive/WadArchive.h"
#include "archive/history/HistoryStore.h"
#include "host/Paths.h"
#include "host/Registry.h"
#include "host/SettingsStore.h"

namespace skarvel {

struct AppState {
  explicit AppState(Registry registryIn)
      : registry(std::move(registryIn)), settings(SettingsStore::InMemory()) {}

  Registry registry;
  WadArchive wad;
  SourceList sources;
  SettingsStore settings;
  bool allTracks = false;
  bool commandLineMode = false;
  bool gameFolderFound = false;
  // Where the desktop program and the installer record every update's patches
  // (set at start-up; a test that sets none records nothing).
  std::optional<history::HistoryStore> history;
};

}  // namespace skarvel
