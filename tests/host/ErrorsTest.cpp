#include <gtest/gtest.h>

#include <string>

#include "host/Encoding.h"
#include "host/Errors.h"

namespace skarvel {
namespace {

struct CodeText {
  int code;
  const char* utf8Text;
};

class IoErrorTextTest : public ::testing::TestWithParam<CodeText> {};

TEST_P(IoErrorTextTest, TextFollowsTheCodeInInternalForm) {
  const IoError error(GetParam().code);
  EXPECT_EQ(error.code(), GetParam().code);
  EXPECT_EQ(std::string(error.what()), Utf8ToCp1252(GetParam().utf8Text));
  EXPECT_EQ(IoError::TextFor(GetParam().code), error.what());
}

INSTANTIATE_TEST_SUITE_P(CodeTable, IoErrorTextTest,
                         ::testing::Values(CodeText{2, "Fichier introuvable"}, CodeText{3, "Nom de fichier incorrect"},
                                           CodeText{4, "Trop de fichiers ouverts"},
                                           CodeText{5, "Accès au fichier refusé"},
                                           CodeText{100, "Lecture au-delà de la fin de fichier"},
                                           CodeText{101, "Disque plein"},
                                           CodeText{106, "Saisie numérique incorrecte"},
                                           // Every other code shows its number.
                                           CodeText{0, "Erreur E/S 0"}, CodeText{1, "Erreur E/S 1"},
                                           CodeText{6, "Erreur E/S 6"}, CodeText{131, "Erreur E/S 131"},
                                           CodeText{28, "Erreur E/S 28"}, CodeText{-1, "Erreur E/S -1"}));

TEST(ErrorsTest, ListIndexTextCarriesTheIndex) {
  EXPECT_STREQ(ListIndexError(7).what(), "Indice de liste hors limites (7)");
  EXPECT_STREQ(ListIndexError(-1).what(), "Indice de liste hors limites (-1)");
}

}  // namespace
}  // namespace skarvel
