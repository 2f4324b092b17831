// The "\1wad" command line with the real main window's handlers and the real
// update, over a game folder and a package folder below a temporary folder.
// The registry lives in that folder (on Windows in scratch keys of the test's
// own, tests/support/win32).

#include "app/Installer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Startup.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/GameFolder.h"
#include "host/Messages.h"
#include "support/ScratchRegistry.h"
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
const std::string kBoth = PackedWad({{"tex\\a.tex", "NEW-A"}, {"tex\\b.tex", "NEW-B"}});
const std::string kSub = PackedWad({{"tex\\a.tex", "old-a"}, {"tex\\b.tex", "NEW-B"}});

// A game folder with GP4.exe and "data\mod.wad", recorded in the game's key,
// and a package folder holding "UpdateFolder", the current folder meanwhile.
class Installation {
 public:
  test::TempDir dir;
  AppState state{test::ScratchRegistry(dir)};
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

  // The words after the program's name, written as a command line.
  int Run(const std::string& line) { return app::RunProgram(app::SplitCommandLine(line), state, desktop, "Skarvel"); }
  std::string Archive() const { return ReadNativeFile(dir.Native("GP4\\data\\mod.wad")); }
  std::string Stored(const char* keyPath, const char* name) const {
    std::optional<RegistryKey> key = state.registry.Open(RegistryRoot::CurrentUser, keyPath, false);
    return key ? key->ReadString(name, kUnset) : kUnset;
  }
  void StoreContinue(const char* text) {
    state.registry.Open(RegistryRoot::CurrentUser, kPackageKey, true)->WriteString("Continue", text);
  }
  const std::vector<std::string>& Messages() const { return desktop.window.bench.messages; }

 private:
  std::filesystem::path previousDirectory_ = std::filesystem::current_path();
};

enum class Key { None, Main, Package };  // which key receives "WadName"

struct InstallCase {
  const char* what;
  const char* line;
  const char* answers;         // "Y" Yes, "N" Cancel; none left: the box is closed
  const char* continueBefore;  // nullptr: no value
  bool confirmation;
  const std::string& result;
  bool success;
  const char* continueAfter;
  Key wadName;
};

TEST(Installer, EachFormOfTheCommandLineDoesWhatItsWordsSay) {
  const char* no = kUnset;
  const std::vector<InstallCase> cases = {
      {"two words, Yes", "\\1wad data\\mod.wad", "Y", nullptr, true, kBoth, true, no, Key::Main},
      {"three words, Yes", "\\1wad data\\mod.wad sub", "Y", nullptr, true, kSub, true, no, Key::Main},
      {"two words, Cancel", "\\1wad data\\mod.wad", "N", nullptr, true, kOriginal, false, no, Key::None},
      {"three words, box closed", "\\1wad data\\mod.wad sub", "", nullptr, true, kOriginal, false, no, Key::None},
      {"mode word in capitals", "\\1WAD data\\mod.wad", "Y", nullptr, false, kOriginal, false, no, Key::None},
      {"another first word", "1wad data\\mod.wad sub \\Run", "", nullptr, false, kOriginal, false, no, Key::None},
      {"Start, Yes", "\\1wad data\\mod.wad sub \\Start", "Y", nullptr, true, kSub, false, "1", Key::Package},
      {"Start, Cancel", "\\1wad data\\mod.wad sub \\Start", "N", "1", true, kOriginal, false, "0", Key::None},
      {"Start, box closed", "\\1wad data\\mod.wad sub \\Start", "", nullptr, true, kOriginal, false, "0", Key::None},
      {"\\start", "\\1wad data\\mod.wad sub \\start", "Y", nullptr, false, kOriginal, false, no, Key::None},
      {"Run, never started", "\\1wad data\\mod.wad sub \\Run", "", nullptr, false, kSub, false, no, Key::Package},
      {"Run after Cancel", "\\1wad data\\mod.wad sub \\Run", "", "0", false, kOriginal, false, "0", Key::None},
      {"Run after Yes", "\\1wad data\\mod.wad sub \\Run", "", "1", false, kSub, false, "1", Key::Package},
      {"Run after a number", "\\1wad data\\mod.wad sub \\Run", "", "7", false, kSub, false, "7", Key::Package},
      {"\\RUN", "\\1wad data\\mod.wad sub \\RUN", "", nullptr, false, kOriginal, false, no, Key::None},
      {"End, never started", "\\1wad data\\mod.wad sub \\End", "", nullptr, false, kSub, true, no, Key::Package},
      {"End after Cancel", "\\1wad data\\mod.wad sub \\End", "", "0", false, kOriginal, false, "0", Key::None},
      {"End after Yes", "\\1wad data\\mod.wad sub \\End", "", "1", false, kSub, true, "1", Key::Package},
      {"\\end", "\\1wad data\\mod.wad sub \\end", "", nullptr, false, kOriginal, false, no, Key::None},
      {"another step word", "\\1wad data\\mod.wad sub \\Go", "Y", nullptr, false, kOriginal, false, no, Key::None},
      {"a fifth word", "\\1wad data\\mod.wad sub \\End \\Start", "", "1", false, kSub, true, "1", Key::Package},
      {"a step word fifth", "\\1wad data\\mod.wad sub x \\Run", "", nullptr, false, kOriginal, false, no, Key::None},
  };
  for (const InstallCase& c : cases) {
    SCOPED_TRACE(c.what);
    Installation run;
    if (c.continueBefore) run.StoreContinue(c.continueBefore);
    for (const char* a = c.answers; *a; ++a) run.desktop.confirmAnswers.push_back(*a == 'Y');
    const std::string archivePath = run.dir.Internal("GP4\\data\\mod.wad");

    EXPECT_EQ(run.Run(c.line), 0);

    EXPECT_EQ(run.desktop.confirmations.size(), c.confirmation ? 1U : 0U);
    EXPECT_EQ(run.Archive(), c.result);
    EXPECT_EQ(run.Messages(), c.success ? std::vector<std::string>{kSuccess} : std::vector<std::string>{});
    EXPECT_EQ(run.Stored(kPackageKey, "Continue"), c.continueAfter);
    EXPECT_EQ(run.Stored(kMainKey, "WadName"), c.wadName == Key::Main ? archivePath : kUnset);
    EXPECT_EQ(run.Stored(kPackageKey, "WadName"), c.wadName == Key::Package ? archivePath : kUnset);
    EXPECT_EQ(run.Stored(kMainKey, "FileName"), kUnset);
    EXPECT_EQ(run.Stored(kPackageKey, "FileName"), kUnset);
    EXPECT_TRUE(run.desktop.applicationErrors.empty());
  }
}

// Runs that patch nothing: a stop by the update's own message, or an error.
enum class Setup { Ready, NoGameFolder, ShortArchive, UnreadableAnswer };

struct FailureCase {
  const char* what;
  Setup setup;
  const char* line;
  const char* message;  // the update's own; nullptr: an error box instead
  const char* continueAfter;
};

TEST(Installer, ARunThatPatchedNothingSaysSoAndEndsWithOne) {
  const char* no = kUnset;
  const std::vector<FailureCase> cases = {
      {"archive not ending in wad", Setup::Ready, "\\1wad data\\mod.WAD", messages::kNotAWadFile, no},
      {"no such archive", Setup::Ready, "\\1wad data\\other.wad", messages::kWadPathMistake, no},
      {"no such source file", Setup::Ready, "\\1wad data\\mod.wad c.tex", messages::kFilePathMistake, no},
      {"game folder not found", Setup::NoGameFolder, "\\1wad data\\mod.wad", messages::kWadPathMistake, no},
      {"Start: Continue stays", Setup::Ready, "\\1wad data\\x.wad sub \\Start", messages::kWadPathMistake, "1"},
      {"Run", Setup::Ready, "\\1wad data\\x.wad sub \\Run", messages::kWadPathMistake, no},
      {"End", Setup::NoGameFolder, "\\1wad data\\mod.wad sub \\End", messages::kWadPathMistake, no},
      {"archive shorter than its directory", Setup::ShortArchive, "\\1wad data\\mod.wad", nullptr, no},
      {"the same after Start", Setup::ShortArchive, "\\1wad data\\mod.wad sub \\Start", nullptr, "1"},
      {"the remembered answer is no text", Setup::UnreadableAnswer, "\\1wad data\\mod.wad sub \\Run", nullptr, nullptr},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    Installation run;
    std::string before = kOriginal;
    if (c.setup == Setup::NoGameFolder) regpath(run.state.registry, run.dir.Internal("nowhere"));
    if (c.setup == Setup::ShortArchive) {
      before = kOriginal.substr(0, 4 + 136 + 10);  // the second record cut short
      WriteNativeFile(run.dir.Native("GP4\\data\\mod.wad"), before);
    }
    if (c.setup == Setup::UnreadableAnswer) {
      run.state.registry.Open(RegistryRoot::CurrentUser, kPackageKey, true)
          ->Set("Continue", RegistryValue{kRegBinary, "\1"});
    }
    run.desktop.confirmAnswers = {true};

    EXPECT_EQ(run.Run(c.line), 1);

    EXPECT_EQ(run.Messages(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    EXPECT_EQ(run.desktop.applicationErrors.size(), c.message ? 0U : 1U);
    // An error ends the run where it happens: nothing follows its box.
    if (!c.message) {
      EXPECT_EQ(run.desktop.events.back(), "application-error");
      EXPECT_TRUE(run.desktop.applicationErrors.at(0).starts_with("Exception ")) << run.desktop.applicationErrors[0];
    }
    EXPECT_EQ(run.Archive(), before);
    if (c.continueAfter) {
      EXPECT_EQ(run.Stored(kPackageKey, "Continue"), c.continueAfter);
    }
    if (c.setup == Setup::NoGameFolder && !run.desktop.confirmations.empty()) {
      EXPECT_EQ(run.desktop.confirmations[0], app::WelcomeText(""));
    }
  }
}

// The steps of one package: a step that patched nothing is recorded, so that
// "\End" does not report a package that was not installed; "\Start" begins anew.
TEST(Installer, AFailedStepOfAPackageTakesTheSuccessFromItsEnd) {
  struct Step {
    const char* line;
    int code;
    bool success;
  };
  const std::vector<std::pair<const char*, std::vector<Step>>> sequences = {
      {"every step patches",
       {{"\\1wad data\\mod.wad sub \\Start", 0, false}, {"\\1wad data\\mod.wad sub \\End", 0, true}}},
      {"a Run patches nothing",
       {{"\\1wad data\\mod.wad sub \\Start", 0, false},
        {"\\1wad data\\x.wad sub \\Run", 1, false},
        {"\\1wad data\\mod.wad sub \\End", 1, false}}},
      {"a Run fails with an error",
       {{"\\1wad data\\mod.wad sub \\Start", 0, false},
        {"\\1wad data\\short.wad sub \\Run", 1, false},
        {"\\1wad data\\mod.wad sub \\End", 1, false}}},
      {"the next package starts anew",
       {{"\\1wad data\\x.wad sub \\Start", 1, false},
        {"\\1wad data\\mod.wad sub \\Start", 0, false},
        {"\\1wad data\\mod.wad sub \\End", 0, true}}},
  };
  for (const auto& [what, steps] : sequences) {
    SCOPED_TRACE(what);
    Installation run;
    WriteNativeFile(run.dir.Native("GP4\\data\\short.wad"), kOriginal.substr(0, 100));
    for (const Step& step : steps) {
      SCOPED_TRACE(step.line);
      run.desktop.confirmAnswers = {true};
      run.desktop.window.bench.messages.clear();
      EXPECT_EQ(run.Run(step.line), step.code);
      const bool succeeded = !run.Messages().empty() && run.Messages().back() == kSuccess;
      EXPECT_EQ(succeeded, step.success);
    }
    // What the steps patch is as before: the End patches its archive in every case.
    EXPECT_EQ(run.Archive(), kSub);
  }
}

// The game folder is looked up at each use: the welcome text names the folder
// recorded when it is built, and a folder chosen while the box is open (with
// another tool) is the one patched.
TEST(Installer, TheGameFolderIsLookedUpAtEachUse) {
  Installation run;
  run.desktop.form.FormCreate();
  WriteNativeFile(run.dir.Native("GP4b\\GP4.exe"), "MZ");
  WriteNativeFile(run.dir.Native("GP4b\\data\\mod.wad"), kOriginal);
  regpath(run.state.registry, run.dir.Internal("GP4b"));
  run.desktop.whileConfirming = [&run] { regpath(run.state.registry, run.dir.Internal("GP4")); };
  run.desktop.confirmAnswers = {true};
  run.state.commandLineMode = true;

  EXPECT_EQ(app::RunInstaller({"\\1wad", "data\\mod.wad"}, run.state, run.desktop, "Skarvel"), 0);

  // The folder as the user writes it ("/" on Linux).
  EXPECT_EQ(run.desktop.confirmations,
            std::vector<std::string>{app::WelcomeText(DisplayPath(run.dir.Internal("GP4b")))});
  EXPECT_EQ(run.Archive(), kBoth);
  EXPECT_EQ(ReadNativeFile(run.dir.Native("GP4b\\data\\mod.wad")), kOriginal);
  EXPECT_EQ(app::WelcomeText("C:\\GP4"),
            "Welcome to Skarvel's auto install program.\n\nThis package will update the following GP4 "
            "installation :\n\nCurrent GP4 Path :\nC:\\GP4\n\n(If no GP4 path appears, you have to manualy "
            "select your GP4 path first\nusing one of my tools as Tolvane or Mirelock for examples.)");
}

struct ErrorTextCase {
  std::function<void()> raise;
  const char* className;
  std::string message;  // as the box shows it, full stop included
};

TEST(Installer, ApplicationErrorTextFollowsTheRuntimesPattern) {
  const std::vector<ErrorTextCase> cases = {
      {[] { throw IoError(100); }, "IoError", IoError::TextFor(100) + "."},
      {[] { throw RegistryError("Type incorrect pour 'WadName'"); }, "RegistryError", "Type incorrect pour 'WadName'."},
      {[] { throw FormatError("The count is negative."); }, "FormatError", "The count is negative."},
      {[] { throw RefusedError("Name too long"); }, "RefusedError", "Name too long."},
      {[] { throw ListIndexError(-1); }, "ListIndexError", "Indice de liste hors limites (-1)."},
      {[] { throw std::bad_alloc(); }, "std::bad_alloc", "M\xE9moire insuffisante."},
      {[] { throw std::out_of_range("range"); }, "std::out_of_range", "range."},
      {[] { throw RefusedError(""); }, "RefusedError", ""},  // nothing to close with a full stop
  };
  for (const ErrorTextCase& c : cases) {
    SCOPED_TRACE(c.className + (" " + c.message));
    try {
      c.raise();
    } catch (const std::exception& error) {
      const std::string text = app::ApplicationErrorText(error, "/usr/bin/Skarvel");
      const std::string head = std::string("Exception ") + c.className + " dans le module Skarvel dans ";
      ASSERT_TRUE(text.starts_with(head)) << text;
      EXPECT_TRUE(std::regex_match(text.substr(head.size()), std::regex("[0-9A-F]{16}\\.\r\n[^]*"))) << text;
      EXPECT_TRUE(text.ends_with(".\r\n" + c.message + "\r\n")) << text;
    }
  }
  EXPECT_NE(app::ApplicationErrorText(IoError(2), "C:\\Jeux\\Skarvel.exe").find(" module Skarvel.exe dans "),
            std::string::npos);
}

}  // namespace
}  // namespace skarvel
