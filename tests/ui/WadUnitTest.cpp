// The main window's initialisation and handlers without a display: a real
// TForm1 over a scripted window, with the registry in a temporary folder (on
// Windows in scratch keys of the test's own, tests/support/win32).

#include "ui/WadUnit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/FileSystem.h"
#include "host/GameFolder.h"
#include "host/SettingsStore.h"
#include "support/ScratchRegistry.h"
#include "support/ScriptedMainWindow.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"

namespace skarvel {
namespace {

using test::WriteNativeFile;

// A main window over a temporary folder, which holds a game folder "GP4"
// (GP4.exe once the game is installed) with the archive "a.wad" of two entries,
// a damaged archive "bad.wad" and a source file "src\f.tex".
class MainWindow {
 public:
  test::TempDir dir;
  AppState state{test::ScratchRegistry(dir)};
  test::ScriptedMainWindow window;
  ui::TForm1 form{state, window};

  MainWindow() {
    window.onArchiveChange = [this] { form.LMDFile2Change(); };
    WriteNativeFile(dir.Native("GP4\\a.wad"), test::PackedWad({{"x.bin", "x"}, {"y.bin", "y"}}));
    WriteNativeFile(dir.Native("GP4\\bad.wad"), test::PackedWad({{"x.bin", "x"}, {"y.bin", "y"}}).substr(0, 150));
    WriteNativeFile(dir.Native("src\\f.tex"), "f");
  }
  void InstallGame() {
    WriteNativeFile(dir.Native("GP4\\GP4.exe"), "MZ");
    regpath(state.registry, dir.Internal("GP4"));
  }
  void Remember(const std::string& name, const std::string& relative) {
    SettingsStore::Open(state.registry, kMainSettingsKey).WriteString(name, Expand(relative));
  }
  void Damage(const char* rootFile) { WriteNativeFile(dir.Native(std::string("registry\\") + rootFile), "[x\n"); }
  // "$" stands for the temporary folder, "@" for the current folder.
  std::string Expand(std::string text) const {
    for (std::size_t at; (at = text.find_first_of("$@")) != std::string::npos;) {
      text.replace(at, 1, text[at] == '$' ? dir.internal() : CurrentDirectory());
    }
    return text;
  }
  std::vector<std::string> Expanded(const std::vector<std::string>& events) const {
    std::vector<std::string> out;
    for (const std::string& event : events) out.push_back(Expand(event));
    return out;
  }
  // The events, with an error box's text left out.
  std::vector<std::string> Events() const {
    std::vector<std::string> out;
    for (const std::string& event : window.events) out.push_back(event.starts_with("error:") ? "error" : event);
    return out;
  }
};

const std::vector<std::string> kFirstSteps = {"height:208", "window-caption:Skarvel 3.3"};

std::vector<std::string> Then(std::vector<std::string> rest) {
  std::vector<std::string> all = kFirstSteps;
  all.insert(all.end(), rest.begin(), rest.end());
  return all;
}

struct FormCreateCase {
  const char* what;
  bool game;
  bool remembered;            // "FileName" and "WadName" (a.wad, or bad.wad when damagedArchive)
  bool damagedArchive;
  const char* damagedRootFile;  // nullptr: the registry is sound
  bool commandLine;
  std::vector<std::string> expected;
};

TEST(MainWindowFormCreate, RunsItsStepsInOrderAndStopsAtAnError) {
  const std::vector<FormCreateCase> cases = {
      {"first start, no game", false, false, false, nullptr, false,
       Then({"source-text:...or select a file", "source-folder:@\\", "archive-folder:@"})},
      {"game found, nothing remembered", true, false, false, nullptr, false,
       Then({"source-text:...or select a file", "source-folder:@\\", "archive-folder:$\\GP4"})},
      {"game found and paths remembered: listed twice", true, true, false, nullptr, false,
       Then({"source-text:$\\src\\f.tex", "source-folder:$\\src\\", "archive-folder:$\\GP4",
             "archive-text:$\\GP4\\a.wad", "rows:0", "rows:2", "rows:0", "rows:2"})},
      {"remembered paths without the game: the archive edit stays", false, true, false, nullptr, false,
       Then({"source-text:$\\src\\f.tex", "source-folder:$\\src\\", "archive-folder:@"})},
      {"command-line mode lists nothing", true, true, false, nullptr, true,
       Then({"source-text:$\\src\\f.tex", "source-folder:$\\src\\", "archive-folder:$\\GP4",
             "archive-text:$\\GP4\\a.wad"})},
#ifndef _WIN32
      // Only a registry kept in files can be damaged this way.
      {"damaged settings file", true, true, false, "HKEY_CURRENT_USER.reg", false, Then({"error"})},
      {"damaged game key file", true, true, false, "HKEY_LOCAL_MACHINE.reg", false, Then({"error"})},
#endif
      // The change handler's error ends the initialisation too: one box, no second listing.
      {"remembered archive damaged", true, true, true, nullptr, false,
       Then({"source-text:$\\src\\f.tex", "source-folder:$\\src\\", "archive-folder:$\\GP4",
             "archive-text:$\\GP4\\bad.wad", "rows:0", "error"})},
  };
  for (const FormCreateCase& c : cases) {
    SCOPED_TRACE(c.what);
    MainWindow main;
    if (c.game) main.InstallGame();
    if (c.remembered) {
      main.Remember("FileName", "$\\src\\f.tex");
      main.Remember("WadName", c.damagedArchive ? "$\\GP4\\bad.wad" : "$\\GP4\\a.wad");
    }
    if (c.damagedRootFile) main.Damage(c.damagedRootFile);
    main.state.commandLineMode = c.commandLine;
    main.state.allTracks = true;
    main.state.sources = {"left over"};

    main.form.FormCreate();

    EXPECT_EQ(main.Events(), main.Expanded(c.expected));
    EXPECT_FALSE(main.state.allTracks);
    EXPECT_FALSE(main.form.FilesShown());
    // The source list is renewed at the step after the settings.
    const bool settingsOpened =
        c.damagedRootFile == nullptr || std::string(c.damagedRootFile) != "HKEY_CURRENT_USER.reg";
    EXPECT_EQ(main.state.sources.empty(), settingsOpened);
    EXPECT_EQ(main.state.gameFolderFound, c.game && c.damagedRootFile == nullptr);
  }
}

TEST(MainWindowShowHide, TogglesByItsFlagAndAReinitialisationCollapses) {
  MainWindow main;
  main.form.FormCreate();
  struct Step {
    std::function<void(ui::TForm1&)> action;
    int height;
    bool shown;
  };
  const auto press = [](ui::TForm1& form) { form.LMDButton1Click(); };
  const std::vector<Step> steps = {
      {press, 467, true},
      {press, 208, false},
      {press, 467, true},
      {[](ui::TForm1& form) { form.FormCreate(); }, 208, false},
      {press, 467, true},
  };
  for (std::size_t k = 0; k < steps.size(); ++k) {
    SCOPED_TRACE("step " + std::to_string(k));
    steps[k].action(main.form);
    EXPECT_EQ(main.window.height, steps[k].height);
    EXPECT_EQ(main.form.FilesShown(), steps[k].shown);
  }
}

struct HandlerCase {
  const char* what;
  std::function<void(MainWindow&)> arrange;
  std::function<void(ui::TForm1&)> handler;
  std::vector<std::string> expected;
};

TEST(MainWindowHandlers, DoOnlyWhatTheirCaseCallsFor) {
  const auto browse = [](ui::TForm1& form) { form.LMDFile1Click(); };
  const auto change = [](ui::TForm1& form) { form.LMDFile2Change(); };
  const auto source = [](const char* text) {
    return [text](MainWindow& main) { main.window.bench.sourceText = main.Expand(text); };
  };
  const auto archive = [](const char* text, bool commandLine) {
    return [text, commandLine](MainWindow& main) {
      main.window.bench.archiveText = main.Expand(text);
      main.state.commandLineMode = commandLine;
    };
  };
  const std::vector<HandlerCase> cases = {
      {"browse cancelled at the initial text", source("...or select a file"), browse, {}},
      {"browse: a text beginning with two dots", source("..\\src\\f.tex"), browse, {}},
      {"browse: no such file", source("$\\src\\g.tex"), browse, {}},
      {"browse: a folder is no file", source("$\\src"), browse, {}},
      {"browse: a file", source("$\\src\\f.tex"), browse, {"source-folder:$\\src\\"}},
      {"change lists an archive", archive("$\\GP4\\a.wad", false), change, {"rows:0", "rows:2"}},
      {"change in command-line mode", archive("$\\GP4\\a.wad", true), change, {}},
      {"change to a name of no file", archive("$\\GP4\\a.wa", false), change, {}},
      {"change to a damaged archive: one box", archive("$\\GP4\\bad.wad", false), change, {"rows:0", "error"}},
      // Typing "\\" on Linux, or a letter the code page cannot hold: no file, no box.
      {"change to a text that cannot name a file",
       [](MainWindow& main) {
         main.window.bench.archiveText = main.Expand("$\\GP4\\a.wad");
         main.window.archiveTextRefused = true;
       },
       change, {}},
      {"Select a Folder", [](MainWindow&) {}, [](ui::TForm1& form) { form.SelectFolderClick(); },
       {"show-source-dialog"}},
      {"Change GP4 Path", [](MainWindow&) {}, [](ui::TForm1& form) { form.SetGP4Path(); }, {"show-game-dialog"}},
  };
  for (const HandlerCase& c : cases) {
    SCOPED_TRACE(c.what);
    MainWindow main;
    c.arrange(main);
    c.handler(main.form);
    EXPECT_EQ(main.Events(), main.Expanded(c.expected));
    EXPECT_EQ(main.window.operationsBegun, 0);
  }
}

// The operations run busy and drop the input given meanwhile (the view's part),
// and are over before their error box opens; the other handlers are not, since
// the change handler runs at every key typed.
TEST(MainWindowHandlers, TheOperationsRunAsOperationsAndEndBeforeTheirErrorBox) {
  struct Case {
    const char* what;
    std::function<void(ui::TForm1&)> handler;
  };
  const std::vector<Case> cases = {
      {"Update wad over a damaged archive", [](ui::TForm1& form) { form.BtnUpdate1WadClick(); }},
      {"Update all tracks", [](ui::TForm1& form) { form.UpdateWads(); }},
      {"Create wad", [](ui::TForm1& form) { form.LMDCreateWadClick(); }},
      {"Extract wad", [](ui::TForm1& form) { form.ExtractClick(); }},
      {"a double-click on a row", [](ui::TForm1& form) { form.LMDFilesDblClick(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MainWindow main;
    main.window.bench.sourceText = main.Expand("$\\src\\f.tex");
    main.window.bench.archiveText = main.Expand("$\\GP4\\bad.wad");
    c.handler(main.form);
    EXPECT_EQ(main.window.operationsBegun, 1);
    EXPECT_EQ(main.window.operationsEnded, 1);
    EXPECT_EQ(main.window.errorBoxesDuringOperation, 0);
  }
  MainWindow main;
  main.window.bench.sourceText = main.Expand("$\\src\\f.tex");
  main.window.bench.archiveText = main.Expand("$\\GP4\\bad.wad");
  main.form.BtnUpdate1WadClick();
  EXPECT_EQ(main.window.errorBoxes.size(), 1U) << "the damaged archive's error";
}

}  // namespace
}  // namespace skarvel
