#pragma once
// The fixed texts that operations show in a message box after a failed check.

namespace skarvel::messages {

inline constexpr char kChooseWadFirst[] = "Sorry but you have to choose a wad file first.";            // 65264
inline constexpr char kChooseSourceFirst[] = "Sorry but you have to choose source file(s) first.";     // 65265
inline constexpr char kNotAWadFile[] = "Sorry but you havn't selected a wad file.";                    // 65266
inline constexpr char kWadPathMistake[] = "Sorry but you surely did a mistake in wad's pathname :)";   // 65267
inline constexpr char kFilePathMistake[] = "Sorry but you surely did a mistake in file's pathname :)"; // 65268
inline constexpr char kChooseSourceFolderFirst[] = "Sorry but you have to choose a source folder first.";

// The source edit's text before the user chose anything.
inline constexpr char kNoSourceChosen[] = "...or select a file";

}  // namespace skarvel::messages
