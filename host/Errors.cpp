#include "host/Errors.h"

#include <string>

namespace skarvel {

// The texts are those of the runtime the program was first written against, so a
// user sees the same words for the same failure; Windows-1252 bytes like every
// internal text.
std::string IoError::TextFor(int code) {
  switch (code) {
    case 2:
      return "Fichier introuvable";
    case 3:
      return "Nom de fichier incorrect";
    case 4:
      return "Trop de fichiers ouverts";
    case 5:
      return runtime_text::kAccessDenied;
    case 100:
      return runtime_text::kReadPastEnd;
    case 101:
      return "Disque plein";
    case 106:
      return runtime_text::kBadNumber;
    default:
      return "Erreur E/S " + std::to_string(code);
  }
}

IoError::IoError(int code) : Error(TextFor(code)), code_(code) {}

ListIndexError::ListIndexError(int index)
    : Error("Indice de liste hors limites (" + std::to_string(index) + ")") {}

}  // namespace skarvel
