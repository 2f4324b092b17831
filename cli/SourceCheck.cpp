#include "cli/SourceCheck.h"

#include "host/Encoding.h"
#include "host/FileSystem.h"
#include "host/Paths.h"

namespace skarvel::cli {

bool SourceHoldsFiles(const std::string& source, bool singleFileAllowed, std::ostream& err) {
  if (singleFileAllowed && !IsSourceFolder(source)) return true;
  const std::string shown = ToDisplayText(DisplayPath(source));
  if (FileExists(source)) {
    err << "The source " << shown << " is a file, not a folder";
    if (singleFileAllowed) {
      err << "; a single source file is one whose name ends in a dot and two or three characters (such as .tex or "
             ".gp)";
    }
    err << ".\n";
    return false;
  }
  if (!FolderExists(source)) {
    err << "There is no source folder " << shown << ".\n";
    return false;
  }
  // The walk the operation itself makes, so that "holds no file" means what it
  // will find; a folder of many files is listed twice, which costs little
  // beside reading them.
  if (ListFilesEx(source, "*.*", true, false, 63).empty()) {
    err << "The source folder " << shown << " holds no file.\n";
    return false;
  }
  return true;
}

}  // namespace skarvel::cli
