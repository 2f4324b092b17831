#pragma once
// The desktop program takes a source folder that does not exist, or holds no
// file, as an empty list of files, and an update then rewrites its archives
// unchanged and reports success. On the command line that is nearly always a
// mistyped path, so skarvel-cli refuses it before anything is touched.
#include <ostream>
#include <string>

namespace skarvel::cli {

// True when source (internal form) is a single file, left to the operation's
// own check, or a folder with at least one file below it. Otherwise says why on
// err. singleFileAllowed: whether the command takes a single source file.
bool SourceHoldsFiles(const std::string& source, bool singleFileAllowed, std::ostream& err);

}  // namespace skarvel::cli
