#include "host/Paths.h"

#include "host/FileSystem.h"
#include "host/Messages.h"

namespace skarvel {

std::string Crop(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '\0') out += c;
  }
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

void AppendFiles(const std::string& folder, const std::string& mask, bool recurse, bool includeFolders,
                 std::uint8_t attributes, std::vector<std::string>& out) {
  const std::string prefix = (!folder.empty() && folder.back() == '\\') ? folder : folder + "\\";
  for (const DirectoryEntry& entry : SearchDirectory(prefix, mask)) {
    if (entry.name == "." || entry.name == "..") continue;
    // A link to a folder may lead back above itself; it is neither entered nor
    // listed, so that the walk always ends.
    if (entry.isLinkToFolder) continue;
    if (entry.isFolder) {
      if (recurse) {
        AppendFiles(prefix + entry.name, mask, recurse, includeFolders, attributes, out);
      } else if (includeFolders) {
        out.push_back(prefix + entry.name);
      }
    } else {
      out.push_back(prefix + entry.name);
    }
  }
  if (includeFolders) out.push_back(prefix);
}

}  // namespace

std::vector<std::string> ListFilesEx(const std::string& folder, const std::string& mask, bool recurse,
                                     bool includeFolders, std::uint8_t attributes) {
  // One list for the whole walk: each level appends in place instead of copying
  // its subfolder's list into its own.
  std::vector<std::string> out;
  AppendFiles(folder, mask, recurse, includeFolders, attributes, out);
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
