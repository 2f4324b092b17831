#pragma once
// Creation: a new archive from every file below the source folder.
#include <string>

#include "archive/AppState.h"
#include "archive/Workbench.h"

namespace skarvel {

// "Create wad".
void LMDCreateWadClick(AppState& state, Workbench& bench);

// The core of the creation: packs the files of sources (every one below source)
// into a new archive at target, in list order, directory first and data packed
// behind it. Names longer than 128 bytes and data that would end past the largest
// offset are refused (RefusedError naming the file) before anything is written.
// Each file is streamed once into a temporary file beside target, which replaces
// target only once it is complete and flushed. Afterwards wad.Entries holds the
// new directory and wad.Payloads is empty: the data went straight to the disk.
void WriteNewArchive(WadArchive& wad, const SourceList& sources, const std::string& source,
                     const std::string& target, ProgressSink& progress);

}  // namespace skarvel
