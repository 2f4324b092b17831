#pragma once
// The errors that end an operation. Their texts are in the program's internal
// form (Windows-1252 bytes), like every other text the engine hands to a front end.
#include <stdexcept>
#include <string>
#include <utility>

namespace skarvel {

// The runtime's texts that hold letters beyond ASCII, as the runtime wrote
// them: in Windows-1252, whatever the system's code page. What shows a text
// converts these from that code page and the rest (the program's English, and
// the names and paths in it) from the system's own.
namespace runtime_text {
inline constexpr char kAccessDenied[] = "Acc\xE8s au fichier refus\xE9";
inline constexpr char kReadPastEnd[] = "Lecture au-del\xE0 de la fin de fichier";
inline constexpr char kBadNumber[] = "Saisie num\xE9rique incorrecte";
inline constexpr char kWrongType[] = "Type de donn\xE9" "es incorrect pour";
inline constexpr char kWriteFailed[] = "Echec \xE0 la d\xE9" "finition des donn\xE9" "es pour";
inline constexpr char kOutOfMemory[] = "M\xE9moire insuffisante";
inline constexpr const char* kBeyondAscii[] = {kAccessDenied, kReadPastEnd, kBadNumber,
                                               kWrongType,    kWriteFailed, kOutOfMemory};
}  // namespace runtime_text

// Base of every error the program raises itself; what() is the text to show.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failed file operation. The code is the system's error code, 100 for a short
// read, 101 for a short write; the text follows from the code. The file it
// concerns (internal form) is known once an operation has named it, and is not
// part of the text, which stays the runtime's own words.
class IoError : public Error {
 public:
  explicit IoError(int code);
  int code() const { return code_; }
  static std::string TextFor(int code);

  // Empty until ConcerningFile names it.
  const std::string& path() const { return path_; }
  void SetPath(std::string path) { path_ = std::move(path); }

 private:
  int code_;
  std::string path_;
};

// Runs action; an IoError from it that names no file yet is given path, the file
// that action works on. An inner call names a file first, so the most precise wins.
template <typename Action>
decltype(auto) ConcerningFile(const std::string& path, Action&& action) {
  try {
    return std::forward<Action>(action)();
  } catch (IoError& error) {
    if (error.path().empty()) error.SetPath(path);
    throw;
  }
}

// A registry value that cannot be read as asked, a refused write, a damaged store.
class RegistryError : public Error {
 public:
  using Error::Error;
};

// The contents list was asked for a row that does not exist.
class ListIndexError : public Error {
 public:
  explicit ListIndexError(int index);
};

// An archive whose numbers do not describe a readable archive.
class FormatError : public Error {
 public:
  using Error::Error;
};

// An input the program refuses before it changes anything: a name too long for
// its field, a file too large for the format, an entry name that would escape
// its folder, a file name the internal code page cannot hold.
class RefusedError : public Error {
 public:
  using Error::Error;
};

}  // namespace skarvel
