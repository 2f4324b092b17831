// The start of the program in both its lives, told by the order of what the
// desktop was asked to do. The registry lives in a temporary folder (on Windows
// in scratch keys of the test's own).

#include "app/Startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/GameFolder.h"
#include "host/SettingsStore.h"
#include "support/ScratchRegistry.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"
#include "tests/app/ScriptedDesktop.h"

namespace skarvel {
namespace {

using test::WriteNativeFile;

// The events that tell the start-up's order: the desktop's own, the listings
// (rows), the archive edit's text and the error boxes.
std::vector<std::string> StartupEvents(const std::vector<std::string>& events) {
  std::vector<std::string> kept;
  for (const std::string& event : events) {
    const bool wanted = event.starts_with("title:") || event == "create-main-window" ||
                        event == "create-folder-dialogs" || event == "event-loop" || event == "confirm" ||
                        event.starts_with("rows:") || event.starts_with("archive-text:") ||
                        event.starts_with("error:") || event.starts_with("message-when-shown:");
    if (wanted) kept.push_back(event.starts_with("error:") ? "error" : event);
  }
  return kept;
}

struct StartupCase {
  const char* what;
  std::vector<std::string> words;  // "$" stands for the temporary folder
  bool damagedSettings;
  std::vector<std::string> expected;  // "$" as above
  bool commandLineMode;
};

TEST(Startup, TheWindowsComeFirstThenTheCommandLineDecides) {
  // The remembered archive (two entries) is listed at creation in every life:
  // once by the change of the archive edit, once at the end of the initialisation.
  const std::vector<std::string> created = {"title:Skarvel 3.3", "create-main-window", "archive-text:$\\GP4\\a.wad",
                                            "rows:0", "rows:2", "rows:0", "rows:2", "create-folder-dialogs"};
  auto with = [&created](std::vector<std::string> tail) {
    std::vector<std::string> all = created;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
  };
  const std::vector<StartupCase> cases = {
      {"no word", {}, false, with({"event-loop"}), false},
      {"the mode word alone", {"\\1wad"}, false, with({"event-loop"}), false},
      {"an archive", {"$\\b.wad"}, false, with({"archive-text:$\\b.wad", "rows:0", "rows:1", "event-loop"}), false},
      {"an archive in capitals", {"$\\c.WAD"}, false,
       with({"archive-text:$\\c.WAD", "rows:0", "rows:1", "event-loop"}), false},
      {"a missing archive", {"$\\missing.wad"}, false, with({"event-loop"}), false},
      {"a file that is no archive by name", {"$\\b.txt"}, false, with({"event-loop"}), false},
      {"two words", {"\\1wad", "a.wad"}, false, with({"confirm"}), true},
      {"two words of another program", {"/install", "a.wad"}, false, with({}), true},
      {"an error while the window initialises", {}, true,
       {"title:Skarvel 3.3", "create-main-window", "error", "create-folder-dialogs", "event-loop"}, false},
  };
  for (const StartupCase& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    AppState state{test::ScratchRegistry(dir)};
    test::ScriptedDesktop desktop{state};
    desktop.eventLoopExitCode = 7;
    WriteNativeFile(dir.Native("GP4\\GP4.exe"), "MZ");
    WriteNativeFile(dir.Native("GP4\\a.wad"), test::PackedWad({{"x.bin", "x"}, {"y.bin", "y"}}));
    WriteNativeFile(dir.Native("b.wad"), test::PackedWad({{"b.bin", "b"}}));
    WriteNativeFile(dir.Native("c.WAD"), test::PackedWad({{"c.bin", "c"}}));
    WriteNativeFile(dir.Native("b.txt"), test::PackedWad({{"t.bin", "t"}}));
    regpath(state.registry, dir.Internal("GP4"));
    SettingsStore::Open(state.registry, kMainSettingsKey).WriteString("WadName", dir.Internal("GP4\\a.wad"));
    // A remembered name of the wrong type stops the initialisation at the settings.
    if (c.damagedSettings) {
      state.registry.Open(RegistryRoot::CurrentUser, kMainSettingsKey, true)
          ->Set("FileName", RegistryValue{kRegDword, std::string("\1\0\0\0", 4)});
    }
    auto expand = [&dir](std::string text) {
      const std::size_t at = text.find('$');
      return at == std::string::npos ? text : text.replace(at, 1, dir.internal());
    };
    std::vector<std::string> words;
    for (const std::string& word : c.words) words.push_back(expand(word));
    std::vector<std::string> expected;
    for (const std::string& event : c.expected) expected.push_back(expand(event));

    const int code = app::RunProgram(words, state, desktop, "Skarvel");

    EXPECT_EQ(StartupEvents(desktop.events), expected);
    EXPECT_EQ(code, c.expected.back() == "event-loop" ? 7 : 0);
    EXPECT_EQ(state.commandLineMode, c.commandLineMode);
  }
}

// A file handed over by "Open with" whose name could not be read: the window
// opens without it and says why, once it is up.
TEST(Startup, AnUnreadableLoneWordOpensTheWindowAndSaysWhy) {
  test::TempDir dir;
  AppState state{test::ScratchRegistry(dir)};
  test::ScriptedDesktop desktop{state};
  EXPECT_EQ(app::RunProgram({}, state, desktop, "Skarvel", "cannot be read"), 0);
  EXPECT_EQ(StartupEvents(desktop.events),
            (std::vector<std::string>{"title:Skarvel 3.3", "create-main-window", "create-folder-dialogs",
                                      "message-when-shown:cannot be read", "event-loop"}));
}

}  // namespace
}  // namespace skarvel
