#include <gtest/gtest.h>

#include <string>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "support/ParamName.h"

#ifndef _WIN32
#include <cerrno>
#include <set>

#include "host/platform/posix/SystemErrors.h"
#endif

namespace skarvel {
namespace {

struct CodeText {
  int code;
  const char* utf8Text;
};

void PrintTo(const CodeText& c, std::ostream* os) { *os << "code " << c.code; }

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
                                           CodeText{28, "Erreur E/S 28"}, CodeText{-1, "Erreur E/S -1"}), test::PrintedParamName());

#ifndef _WIN32
// The system's error numbers become the Windows codes of the same meaning, so a
// disk's I/O error never reads as "access denied" (EIO is 5 on Linux, and 5 is
// Windows' access denied).
struct ErrnoCase {
  int error;
  IoDirection direction;
  const char* utf8Text;
};

TEST(SystemErrorsTest, EachNumberGetsTheTextOfItsMeaning) {
  const ErrnoCase cases[] = {
      {EIO, IoDirection::Read, "Erreur E/S 30"},   // ERROR_READ_FAULT
      {EIO, IoDirection::Write, "Erreur E/S 29"},  // ERROR_WRITE_FAULT
      {ENOSPC, IoDirection::Write, "Disque plein"},
      {EDQUOT, IoDirection::Write, "Disque plein"},
      {EROFS, IoDirection::Write, "Accès au fichier refusé"},
      {EACCES, IoDirection::Read, "Accès au fichier refusé"},
      {EEXIST, IoDirection::Write, "Erreur E/S 80"},  // ERROR_FILE_EXISTS
      {ENOENT, IoDirection::Read, "Fichier introuvable"},
      {EMFILE, IoDirection::Read, "Trop de fichiers ouverts"},
      {4000, IoDirection::Read, "Erreur E/S 536874912"},  // unknown: 0x20000000 | 4000
  };
  for (const ErrnoCase& c : cases) {
    EXPECT_EQ(IoError::TextFor(IoCodeFor(c.error, c.direction)), Utf8ToCp1252(c.utf8Text)) << c.error;
  }
  try {
    ThrowIoError(EIO, IoDirection::Write);
    ADD_FAILURE();
  } catch (const IoError& error) {
    EXPECT_EQ(error.code(), 29);
  }
}

// Only the numbers that mean what the table's own codes mean may land on them.
TEST(SystemErrorsTest, NoOtherNumberReadsAsOneOfTheTablesCodes) {
  const std::set<int> tableCodes = {2, 3, 4, 5, 100, 101, 106};
  const std::set<int> meaningThem = {ENOENT, ENOTDIR, EMFILE, ENFILE, EACCES, EPERM, EROFS, EISDIR, ENOSPC, EDQUOT};
  for (int error = 0; error < 4096; ++error) {
    for (IoDirection direction : {IoDirection::Read, IoDirection::Write}) {
      if (tableCodes.count(IoCodeFor(error, direction)) != 0) {
        EXPECT_EQ(meaningThem.count(error), 1u) << error;
      }
    }
  }
}
#endif

TEST(ErrorsTest, IoErrorNamesTheFileOfTheInnermostOperation) {
  try {
    ConcerningFile("outer.wad", [] { ConcerningFile("inner.tex", [] { throw IoError(100); }); });
    ADD_FAILURE();
  } catch (const IoError& error) {
    EXPECT_EQ(error.path(), "inner.tex");
    EXPECT_EQ(std::string(error.what()), IoError::TextFor(100)) << "the text stays the runtime's own";
  }
  EXPECT_EQ(ConcerningFile("a", [] { return 7; }), 7);
}

TEST(ErrorsTest, ListIndexTextCarriesTheIndex) {
  EXPECT_STREQ(ListIndexError(7).what(), "Indice de liste hors limites (7)");
  EXPECT_STREQ(ListIndexError(-1).what(), "Indice de liste hors limites (-1)");
}

}  // namespace
}  // namespace skarvel
