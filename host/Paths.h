#pragma once
// Path helpers on internal paths ("\" the only separator) and the enumeration of
// source files.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace skarvel {

// The full paths of the source files of an update or a creation, in the order in
// which they were found; never sorted.
using SourceList = std::vector<std::string>;

// The text without any NUL character.
std::string Crop(std::string_view text);
// The folder part with its trailing "\"; empty when the path holds no "\".
std::string Path(std::string_view path);
// The text after the last "\"; the whole text when it holds none.
std::string Patchname(std::string_view path);
// True when the source path counts as a folder: its fourth- or third-last
// character is not ".". Never looks at the disk.
bool IsSourceFolder(std::string_view source);

// Everything below folder whose names match mask, depth first in the order the
// directory search delivers entries. A link to a folder is a folder (entered, or
// listed), a link to a file a file. A link that leads back to a folder on the way
// down raises RefusedError naming the link and that folder.
std::vector<std::string> ListFilesEx(const std::string& folder, const std::string& mask, bool recurse,
                                     bool includeFolders, std::uint8_t attributes);

// Shows one message box text to the user.
using MessageCallback = std::function<void(const std::string& text)>;

// Fills sources from a source text (a folder, or a single file that must exist).
// Returns false, with sources unchanged, after telling the user that the single
// file does not exist.
bool FillSourceList(const std::string& source, SourceList& sources, const MessageCallback& showMessage);

}  // namespace skarvel
