// The "\1wad" command line with the real main window's handlers and the real
// update, over a game folder and a package folder below a temporary folder.
// The registry lives in that folder, which only the POSIX registry allows.
#ifndef _WIN32

#include "app/Installer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "host/Errors.h"
#include "host/GameFolder.h"
#include "host/Messages.h"
#include "host/SettingsStore.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"
#include "tests/app/ScriptedDesktop.h"

namespace skarvel {
namespace {

using test::PackedWad;
using test::ReadNativeFile;
using test::WriteNativeFile;

constexpr char kSuccess[] = "Your GP4 installation has been succesfully patched";
constexpr char kMainKey[] = "Software\\Vintrel's Tools\\Skarvel";
constexpr char kPackageKey[] = "Software\\Vintrel's Skarvel";
constexpr char kUnset[] = "<unset>";

const std::string kOriginal = PackedWad({{"tex\\a.tex", "old-a"}, {"tex\\b.tex", "old-b"}});
// "UpdateFolder" holds a.tex, its subfolder "sub" holds b.tex.
const std::string kBothPatched = PackedWad({{"tex\\a.tex", "NEW-A"}, {"tex\\b.tex", "NEW-B"}});
const std::string kSubPatched = PackedWad({{"tex\\a.tex", "old-a"}, {"tex\\b.tex", "NEW-B"}});

// A game folder with GP4.exe and "data\mod.wad", recorded in the game's key,
// and a package folder holding "UpdateFolder", which is the current folder
// while the installation lives.
class Installation {
 public:
  test::TempDir dir;
  AppState state{Registry::AtFolder(dir.Native("registry"))};
  test::ScriptedDesktop desktop{state};

  Installation() {
    WriteNativeFile(dir.Native("GP4\\GP4.exe"), "MZ");
    WriteNativeFile(dir.Native("GP4\\data\\mod.wad"), kOriginal);
    regpath(state.registry, dir.Internal("GP4"));
    WriteNativeFile(dir.Native("pkg\\UpdateFolder\\a.tex"), "NEW-A");
    WriteNativeFile(dir.Native("pkg\\UpdateFolder\\sub\\b.tex"), "NEW-B");
    std::filesystem::current_path(dir.Native("pkg"));
  }
  ~Installation() { std::filesystem::current_path(previousDirectory_); }
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  int Run(const std::vector<std::string>& words) {
    return app::RunProgram(words, state, desktop, "C:\\Games\\Skarvel\\Skarvel.exe");
  }
  std::string Archive() const { return ReadNativeFile(dir.Native("GP4\\data\\mod.wad")); }
  std::string ArchivePath() const { return dir.Internal("GP4\\data\\mod.wad"); }
  std::string Stored(const char* keyPath, const char* name) const {
    std::optional<RegistryKey> key = state.registry.Open(RegistryRoot::CurrentUser, keyPath, false);
    return key ? key->ReadString(name, kUnset) : kUnset;
  }
  void Store(const char* keyPath, const char* name, const std::string& text) {
    std::optional<RegistryKey> key = state.registry.Open(RegistryRoot::CurrentUser, keyPath, true);
    ASSERT_TRUE(key);
    key->WriteString(name, text);
  }
  void ExpectNoFileNameAnywhere() const {
    EXPECT_EQ(Stored(kMainKey, "FileName"), kUnset);
    EXPECT_EQ(Stored(kPackageKey, "FileName"), kUnset);
  }
  const std::vector<std::string>& Messages() const { return desktop.window.bench.messages; }

 private:
  std::filesystem::path previousDirectory_ = std::filesystem::current_path();
};

// ---------------------------------------------------------------------------
// Every form of the command line, answered in every way.

enum class Result { Unchanged, Both, SubOnly };
enum class WadNameIn { Nowhere, MainKey, PackageKey };

struct InstallCase {
  const char* what;
  std::vector<std::string> words;
  std::vector<bool> answers;         // the confirmation boxes' answers; none left: closed
  const char* continueBefore;        // nullptr: no value
  bool confirmationShown;
  Result result;
  bool successShown;
  const char* continueAfter;         // kUnset: no value
  WadNameIn wadName;
};

const std::string kWad = "data\\mod.wad";

TEST(Installer, EachFormOfTheCommandLineDoesWhatItsWordsSay) {
  const std::vector<InstallCase> cases = {
      {"two words, Yes", {"\\1wad", kWad}, {true}, nullptr, true, Result::Both, true, kUnset, WadNameIn::MainKey},
      {"three words, Yes", {"\\1wad", kWad, "sub"}, {true}, nullptr, true, Result::SubOnly, true, kUnset,
       WadNameIn::MainKey},
      {"two words, Cancel", {"\\1wad", kWad}, {false}, nullptr, true, Result::Unchanged, false, kUnset,
       WadNameIn::Nowhere},
      {"three words, box closed", {"\\1wad", kWad, "sub"}, {}, nullptr, true, Result::Unchanged, false, kUnset,
       WadNameIn::Nowhere},
      {"mode word in capitals", {"\\1WAD", kWad}, {true}, nullptr, false, Result::Unchanged, false, kUnset,
       WadNameIn::Nowhere},
      {"mode word without its backslash", {"1wad", kWad, "sub", "\\Run"}, {true}, nullptr, false,
       Result::Unchanged, false, kUnset, WadNameIn::Nowhere},
      {"Start, Yes", {"\\1wad", kWad, "sub", "\\Start"}, {true}, nullptr, true, Result::SubOnly, false, "1",
       WadNameIn::PackageKey},
      {"Start, Cancel", {"\\1wad", kWad, "sub", "\\Start"}, {false}, "1", true, Result::Unchanged, false, "0",
       WadNameIn::Nowhere},
      {"Start, box closed", {"\\1wad", kWad, "sub", "\\Start"}, {}, nullptr, true, Result::Unchanged, false, "0",
       WadNameIn::Nowhere},
      {"start in small letters", {"\\1wad", kWad, "sub", "\\start"}, {true}, nullptr, false, Result::Unchanged,
       false, kUnset, WadNameIn::Nowhere},
      {"Run, never started", {"\\1wad", kWad, "sub", "\\Run"}, {}, nullptr, false, Result::SubOnly, false, kUnset,
       WadNameIn::PackageKey},
      {"Run after a refused Start", {"\\1wad", kWad, "sub", "\\Run"}, {}, "0", false, Result::Unchanged, false,
       "0", WadNameIn::Nowhere},
      {"Run after an accepted Start", {"\\1wad", kWad, "sub", "\\Run"}, {}, "1", false, Result::SubOnly, false,
       "1", WadNameIn::PackageKey},
      {"Run after a number", {"\\1wad", kWad, "sub", "\\Run"}, {}, "7", false, Result::SubOnly, false, "7",
       WadNameIn::PackageKey},
      {"RUN in capitals", {"\\1wad", kWad, "sub", "\\RUN"}, {}, nullptr, false, Result::Unchanged, false, kUnset,
       WadNameIn::Nowhere},
      {"End, never started", {"\\1wad", kWad, "sub", "\\End"}, {}, nullptr, false, Result::SubOnly, true, kUnset,
       WadNameIn::PackageKey},
      {"End after a refused Start", {"\\1wad", kWad, "sub", "\\End"}, {}, "0", false, Result::Unchanged, false,
       "0", WadNameIn::Nowhere},
      {"End after an accepted Start", {"\\1wad", kWad, "sub", "\\End"}, {}, "1", false, Result::SubOnly, true, "1",
       WadNameIn::PackageKey},
      {"end in small letters", {"\\1wad", kWad, "sub", "\\end"}, {}, nullptr, false, Result::Unchanged, false,
       kUnset, WadNameIn::Nowhere},
      {"another step word", {"\\1wad", kWad, "sub", "\\Go"}, {true}, nullptr, false, Result::Unchanged, false,
       kUnset, WadNameIn::Nowhere},
      {"a fifth word is ignored", {"\\1wad", kWad, "sub", "\\End", "\\Start"}, {}, "1", false, Result::SubOnly,
       true, "1", WadNameIn::PackageKey},
      {"a fifth step word does not count", {"\\1wad", kWad, "sub", "x", "\\Run"}, {}, nullptr, false,
       Result::Unchanged, false, kUnset, WadNameIn::Nowhere},
  };
  for (const InstallCase& c : cases) {
    SCOPED_TRACE(c.what);
    Installation run;
    if (c.continueBefore) run.Store(kPackageKey, "Continue", c.continueBefore);
    run.desktop.confirmAnswers.assign(c.answers.begin(), c.answers.end());

    EXPECT_EQ(run.Run(c.words), 0);

    EXPECT_EQ(run.desktop.confirmations.size(), c.confirmationShown ? 1U : 0U);
    const std::string expected = c.result == Result::Both      ? kBothPatched
                                 : c.result == Result::SubOnly ? kSubPatched
                                                               : kOriginal;
    EXPECT_EQ(run.Archive(), expected);
    EXPECT_EQ(run.Messages(), c.successShown ? std::vector<std::string>{kSuccess} : std::vector<std::string>{});
    EXPECT_EQ(run.Stored(kPackageKey, "Continue"), c.continueAfter);
    EXPECT_EQ(run.Stored(kMainKey, "WadName"), c.wadName == WadNameIn::MainKey ? run.ArchivePath() : kUnset);
    EXPECT_EQ(run.Stored(kPackageKey, "WadName"), c.wadName == WadNameIn::PackageKey ? run.ArchivePath() : kUnset);
    run.ExpectNoFileNameAnywhere();
    EXPECT_TRUE(run.desktop.applicationErrors.empty());
    EXPECT_EQ(std::count(run.desktop.events.begin(), run.desktop.events.end(), "event-loop"), 0);
  }
}

// ---------------------------------------------------------------------------
// Runs that patch nothing: a stop by the update's own message, or an error.

enum class Setup { Ready, NoGameFolder, ShortArchive, DamagedSettings };

struct FailureCase {
  const char* what;
  Setup setup;
  std::vector<std::string> words;
  std::vector<std::string> messages;  // the update's own, and never the success message
  bool applicationError;
  const char* continueAfter;
};

TEST(Installer, ARunThatPatchedNothingSaysSoAndEndsWithOne) {
  const std::vector<FailureCase> cases = {
      {"archive not ending in wad", Setup::Ready, {"\\1wad", "data\\mod.WAD"}, {messages::kNotAWadFile}, false,
       kUnset},
      {"no such archive", Setup::Ready, {"\\1wad", "data\\other.wad"}, {messages::kWadPathMistake}, false, kUnset},
      {"no such single source file", Setup::Ready, {"\\1wad", kWad, "c.tex"}, {messages::kFilePathMistake}, false,
       kUnset},
      {"game folder not found", Setup::NoGameFolder, {"\\1wad", kWad}, {messages::kWadPathMistake}, false, kUnset},
      {"Start stopped: its Continue stays", Setup::Ready, {"\\1wad", "data\\other.wad", "sub", "\\Start"},
       {messages::kWadPathMistake}, false, "1"},
      {"Run stopped", Setup::Ready, {"\\1wad", "data\\other.wad", "sub", "\\Run"}, {messages::kWadPathMistake},
       false, kUnset},
      {"End stopped", Setup::NoGameFolder, {"\\1wad", kWad, "sub", "\\End"}, {messages::kWadPathMistake}, false,
       kUnset},
      {"archive shorter than its directory", Setup::ShortArchive, {"\\1wad", kWad}, {}, true, kUnset},
      {"archive shorter, after Start wrote Continue", Setup::ShortArchive, {"\\1wad", kWad, "sub", "\\Start"}, {},
       true, "1"},
      {"settings file damaged before the package key opens", Setup::DamagedSettings,
       {"\\1wad", kWad, "sub", "\\Run"}, {}, true, kUnset},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    Installation run;
    std::string before = run.Archive();
    if (c.setup == Setup::NoGameFolder) regpath(run.state.registry, run.dir.Internal("nowhere"));
    if (c.setup == Setup::ShortArchive) {
      before = kOriginal.substr(0, 4 + 136 + 10);  // the second record cut short
      WriteNativeFile(run.dir.Native("GP4\\data\\mod.wad"), before);
    }
    if (c.setup == Setup::DamagedSettings) {
      WriteNativeFile(run.dir.Native("registry\\HKEY_CURRENT_USER.reg"), "this is no registry file\n");
    }
    run.desktop.confirmAnswers = {true};

    EXPECT_EQ(run.Run(c.words), 1);

    EXPECT_EQ(run.Messages(), c.messages);
    EXPECT_EQ(run.desktop.applicationErrors.size(), c.applicationError ? 1U : 0U);
    // An error ends the run where it happens: nothing follows its box.
    if (c.applicationError) {
      EXPECT_EQ(run.desktop.events.back(), "application-error");
    }
    EXPECT_EQ(run.Archive(), before);
    if (c.setup != Setup::DamagedSettings) {
      EXPECT_EQ(run.Stored(kPackageKey, "Continue"), c.continueAfter);
    }
    if (c.setup == Setup::NoGameFolder && c.words.size() <= 3) {
      EXPECT_EQ(run.desktop.confirmations, std::vector<std::string>{app::WelcomeText("")});
    }
  }
}

TEST(Installer, AnErrorBoxNamesTheErrorTheProgramAndTheMessage) {
  Installation run;
  WriteNativeFile(run.dir.Native("GP4\\data\\mod.wad"), kOriginal.substr(0, 100));
  run.desktop.confirmAnswers = {true};
  ASSERT_EQ(run.Run({"\\1wad", kWad}), 1);
  ASSERT_EQ(run.desktop.applicationErrors.size(), 1U);
  EXPECT_TRUE(std::regex_match(run.desktop.applicationErrors[0],
                               std::regex("Exception (IoError|FormatError) dans le module Skarvel\\.exe dans "
                                          "[0-9A-F]{16}\\.\r\n[^\r\n]+\\.\r\n")))
      << run.desktop.applicationErrors[0];
}

// The game folder is looked up at each use: a folder chosen while the box is
// open (with another tool) is the one patched, and the welcome text names the
// folder recorded when it is built.
TEST(Installer, TheGameFolderIsLookedUpAtEachUse) {
  Installation run;
  run.desktop.form.FormCreate();
  WriteNativeFile(run.dir.Native("GP4b\\GP4.exe"), "MZ");
  WriteNativeFile(run.dir.Native("GP4b\\data\\mod.wad"), kOriginal);
  regpath(run.state.registry, run.dir.Internal("GP4b"));
  run.desktop.whileConfirming = [&run] { regpath(run.state.registry, run.dir.Internal("GP4")); };
  run.desktop.confirmAnswers = {true};
  run.state.commandLineMode = true;

  EXPECT_EQ(app::RunInstaller({"\\1wad", kWad}, run.state, run.desktop, "Skarvel"), 0);

  ASSERT_EQ(run.desktop.confirmations.size(), 1U);
  EXPECT_EQ(run.desktop.confirmations[0], app::WelcomeText(run.dir.Internal("GP4b")));
  EXPECT_EQ(run.Archive(), kBothPatched);
  EXPECT_EQ(ReadNativeFile(run.dir.Native("GP4b\\data\\mod.wad")), kOriginal);
}

TEST(Installer, WelcomeTextIsItsSixPiecesWithLineFeedsOnly) {
  EXPECT_EQ(app::WelcomeText("C:\\GP4"),
            "Welcome to Skarvel's auto install program.\n\nThis package will update the following GP4 "
            "installation :\n\nCurrent GP4 Path :\nC:\\GP4\n\n(If no GP4 path appears, you have to manualy "
            "select your GP4 path first\nusing one of my tools as Tolvane or Mirelock for examples.)");
  EXPECT_NE(app::WelcomeText("").find("Current GP4 Path :\n\n\n(If no"), std::string::npos);
}

struct ErrorTextCase {
  const char* what;
  std::function<void()> raise;
  const char* className;
  std::string message;  // as the box shows it, full stop included
};

TEST(Installer, ApplicationErrorTextFollowsTheRuntimesPattern) {
  const std::vector<ErrorTextCase> cases = {
      {"file", [] { throw IoError(100); }, "IoError", IoError::TextFor(100) + "."},
      {"registry", [] { throw RegistryError("Type de donn\xE9" "es incorrect pour 'WadName'"); }, "RegistryError",
       "Type de donn\xE9" "es incorrect pour 'WadName'."},
      {"format, ending in a full stop", [] { throw FormatError("The count is negative."); }, "FormatError",
       "The count is negative."},
      {"refused", [] { throw RefusedError("Name too long"); }, "RefusedError", "Name too long."},
      {"list index", [] { throw ListIndexError(-1); }, "ListIndexError", "Indice de liste hors limites (-1)."},
      {"memory", [] { throw std::bad_alloc(); }, "std::bad_alloc", "M\xE9moire insuffisante."},
      {"another", [] { throw std::out_of_range("range"); }, "std::out_of_range", "range."},
      {"an empty message gets no full stop", [] { throw RefusedError(""); }, "RefusedError", ""},
  };
  for (const ErrorTextCase& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      c.raise();
      FAIL() << "nothing raised";
    } catch (const std::exception& error) {
      const std::string text = app::ApplicationErrorText(error, "/usr/bin/Skarvel");
      const std::string head = std::string("Exception ") + c.className + " dans le module Skarvel dans ";
      ASSERT_TRUE(text.starts_with(head)) << text;
      EXPECT_TRUE(std::regex_match(text.substr(head.size()), std::regex("[0-9A-F]{16}\\.\r\n[^]*"))) << text;
      EXPECT_TRUE(text.ends_with(".\r\n" + c.message + "\r\n")) << text;
    }
  }
}

}  // namespace
}  // namespace skarvel

#endif  // _WIN32
