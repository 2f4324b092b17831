#include "host/Paths.h"

#include <optional>
#include <utility>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "host/Messages.h"

namespace skarvel {

std::string Crop(std::string_view text) {
  std::string out(text);
  std::erase(out, '\0');
  return out;
}

std::string Path(std::string_view path) {
  const auto slash = path.rfind('\\');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash + 1));
}

std::string Patchname(std::string_view path) {
  const auto slash = path.rfind('\\');
  if (slash == std::string_view::npos) return std::string(path);
  return std::string(path.substr(slash + 1));
}

bool IsSourceFolder(std::string_view source) {
  // The first character of the last four, and of the last three, characters.
  const char c4 = source.empty() ? '\0' : source[source.size() < 4 ? 0 : source.size() - 4];
  const char c3 = source.empty() ? '\0' : source[source.size() < 3 ? 0 : source.size() - 3];
  return c4 != '.' && c3 != '.';
}

namespace {

// One walk of ListFilesEx: its arguments, its result, and the folders on the
// way from the start down to the folder being read, by identity and by path.
struct Walk {
  const std::string& mask;
  bool recurse;
  bool includeFolders;
  std::uint8_t attributes;
  std::vector<std::string>& out;
  std::vector<std::pair<FolderIdentity, std::string>> way;
};

// A folder reached again below itself, through a link, would be walked for
// ever; the user is told which link it is instead of losing files without a word.
[[noreturn]] void RefuseCycle(const std::string& folder, const std::string& ancestor) {
  throw RefusedError("The folder \"" + DisplayPath(folder) + "\" is a link that leads back to \"" +
                     DisplayPath(ancestor) + "\", which holds it, so the files below it would be listed without "
                     "end. Remove or change the link first.");
}

void AppendFiles(const std::string& folder, Walk& walk) {
  const std::string prefix = (!folder.empty() && folder.back() == '\\') ? folder : folder + "\\";
  // Only a walk into subfolders can come back to where it was.
  const std::optional<FolderIdentity> identity = walk.recurse ? IdentityOfFolder(prefix) : std::nullopt;
  if (identity) {
    for (const auto& [seen, path] : walk.way) {
      if (seen == *identity) RefuseCycle(folder, path);
    }
    walk.way.emplace_back(*identity, folder);
  }
  for (const DirectoryEntry& entry : SearchDirectory(prefix, walk.mask)) {
    if (entry.name == "." || entry.name == "..") continue;
    // A link to a folder has the folder attribute: its files belong to the source as
    // much as those of a real subfolder.
    if (entry.isFolder || entry.isLinkToFolder) {
      if (walk.recurse) {
        AppendFiles(prefix + entry.name, walk);
      } else if (walk.includeFolders) {
        walk.out.push_back(prefix + entry.name);
      }
    } else {
      walk.out.push_back(prefix + entry.name);
    }
  }
  if (walk.includeFolders) walk.out.push_back(prefix);
  if (identity) walk.way.pop_back();
}

}  // namespace

std::vector<std::string> ListFilesEx(const std::string& folder, const std::string& mask, bool recurse,
                                     bool includeFolders, std::uint8_t attributes) {
  // One list for the whole walk: each level appends in place instead of copying
  // its subfolder's list into its own.
  std::vector<std::string> out;
  Walk walk{mask, recurse, includeFolders, attributes, out, {}};
  AppendFiles(folder, walk);
  return out;
}

bool FillSourceList(const std::string& source, SourceList& sources, const MessageCallback& showMessage) {
  if (IsSourceFolder(source)) {
    sources = ListFilesEx(source, "*.*", true, false, 63);
    return true;
  }
  if (!FileExists(source)) {
    showMessage(messages::kFilePathMistake);
    return false;
  }
  sources.assign(1, source);
  return true;
}

}  // namespace skarvel
