// End to end on Windows: the real Skarvel.exe started as a player or a package
// starts it, its windows found and driven with messages from this program, as
// a user's clicks and typing would drive them. Each outcome is compared with
// what skarvel-cli.exe makes of the same work.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/WadUpdate.h"
#include "e2e/win32/Process.h"
#include "host/GameFolder.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"
#include "support/win32/WindowProbe.h"

namespace skarvel::test {
namespace {

using namespace std::chrono_literals;

constexpr char kSuccess[] = "Your GP4 installation has been succesfully patched";

// What the program remembers and where the game lives, as a fresh machine has them.
void ForgetSettings() {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vintrel's Tools\\Skarvel");
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vintrel's Skarvel");
  // The game's key as its 32-bit installer writes it (reg add ... /reg:32).
  HKEY infogrames = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Infogrames", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &infogrames) ==
      ERROR_SUCCESS) {
    RegDeleteTreeA(infogrames, "Grand Prix 4");
    RegCloseKey(infogrames);
  }
}

void RecordGameFolder(const std::string& folder) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Infogrames\\Grand Prix 4\\1.00\\Install Dir", 0, nullptr,
                            0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Directory", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>(folder.size() + 1));
  RegCloseKey(key);
}

// A sample of replacement files and an archive made from other files, with a
// copy patched by skarvel-cli.exe for comparison.
struct Patch {
  TempDir dir;
  std::string source = dir.Native("sample");
  std::string archive = dir.Native("gp4\\cars.wad");
  // Named as the archive: the name chooses the prefix of appended entries.
  std::string expected = dir.Native("expected\\cars.wad");

  Patch() {
    WriteNativeFile(dir.Native("gp4\\GP4.exe"), "MZ");
    WriteNativeFile(archive, PackedWad({{"cars\\car01.tex", std::string(400, 'o')}, {"readme.txt", "old\n"}}));
    WriteNativeFile(dir.Native("sample\\cars\\car01.tex"), std::string(600, 'n'));
    WriteNativeFile(dir.Native("sample\\extra.bin"), "appended");
    WriteNativeFile(expected, ReadNativeFile(archive));
    EXPECT_EQ(RunCli({"update", expected, source, "--quiet"}, dir.native()), 0);
  }
  std::string Original() const {
    return PackedWad({{"cars\\car01.tex", std::string(400, 'o')}, {"readme.txt", "old\n"}});
  }
};

class SkarvelExeTest : public ::testing::Test {
 protected:
  void SetUp() override { ForgetSettings(); }
  void TearDown() override { ForgetSettings(); }
};

// The two path edits of the main window, top first.
std::pair<HWND, HWND> PathEdits(HWND window) {
  std::vector<HWND> edits;
  for (HWND child : Descendants(window)) {
    if (ClassNameOf(child) == "Edit") edits.push_back(child);
  }
  std::sort(edits.begin(), edits.end(), [](HWND a, HWND b) {
    RECT ra{}, rb{};
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top < rb.top;
  });
  EXPECT_EQ(edits.size(), 2u);
  return edits.size() == 2 ? std::pair{edits[0], edits[1]} : std::pair<HWND, HWND>{};
}

void Type(HWND edit, const std::string& text) { SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }

TEST_F(SkarvelExeTest, APlayerListsAnArchiveAndPatchesItFromAFolder) {
  Patch patch;
  Process skarvel(ProgramBeside("Skarvel.exe"), {}, patch.dir.native());
  HWND window = WaitForWindow([&] { return FindTopLevel(skarvel.Id(), "Skarvel 3.3"); }, 20s);
  ASSERT_NE(window, nullptr) << "the main window did not show";
  const auto [source, archive] = PathEdits(window);
  EXPECT_EQ(WindowText(source), "...or select a file");

  Type(archive, patch.archive);
  HWND list = FindControl(window, "SysListView32");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ListViewRowCount(list), 2);
  EXPECT_EQ(ListViewText(list, 0, 0), "car01.tex");
  EXPECT_EQ(ListViewText(list, 0, 1), "cars\\");
  EXPECT_EQ(ListViewText(list, 0, 2), "400");

  Type(source, patch.source);
  ASSERT_TRUE(PressButton(window, "Update wad"));
  HWND status = FindControl(window, "SkarvelStatusLine");
  ASSERT_NE(WaitForWindow([&] { return WindowText(status).rfind("Update done in ", 0) == 0 ? status : nullptr; }, 30s),
            nullptr)
      << "status: " << WindowText(status);
  EXPECT_EQ(ListViewRowCount(list), 3) << "the archive is listed again";
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(skarvel.Wait(20s), 0u);
  EXPECT_EQ(ReadNativeFile(patch.archive), ReadNativeFile(patch.expected));
}

// A package installed by the auto-install program, then undone by the player
// from the main window's patch history, reached from the system menu.
TEST_F(SkarvelExeTest, APlayerUndoesAnInstalledPackageFromThePatchHistory) {
  Patch patch;
  RecordGameFolder(patch.dir.Native("gp4"));
  const std::string package = patch.dir.Native("package");
  WriteNativeFile(package + "\\UpdateFolder\\sub\\cars\\car01.tex", std::string(600, 'n'));
  {
    Process installer(ProgramBeside("Skarvel.exe"), {"\\1wad", "cars.wad", "sub"}, package);
    HWND welcome = WaitForBox(installer.Id(), 20s);
    ASSERT_NE(welcome, nullptr);
    ASSERT_TRUE(PressButton(welcome, "&Oui"));
    HWND done = WaitForWindow([&]() -> HWND {
      HWND box = WaitForBox(installer.Id(), 100ms);
      return box != nullptr && box != welcome && ReadBox(box).text == kSuccess ? box : nullptr;
    }, 30s);
    ASSERT_NE(done, nullptr);
    PressButton(done, "OK");
    ASSERT_EQ(installer.Wait(30s), 0u);
  }
  ASSERT_NE(ReadNativeFile(patch.archive), patch.Original());

  Process skarvel(ProgramBeside("Skarvel.exe"), {}, patch.dir.native());
  HWND window = WaitForWindow([&] { return FindTopLevel(skarvel.Id(), "Skarvel 3.3"); }, 20s);
  ASSERT_NE(window, nullptr);
  Type(PathEdits(window).second, patch.archive);
  PostMessageA(window, WM_SYSCOMMAND, 0x0110, 0);  // "Patch history..." in the system menu
  HWND history = WaitForWindow([&] { return FindTopLevel(skarvel.Id(), "Patch history - cars.wad"); }, 20s);
  ASSERT_NE(history, nullptr) << "the history window did not show";
  HWND list = FindControl(history, "SysListView32");
  ASSERT_EQ(ListViewRowCount(list), 1);
  EXPECT_EQ(ListViewText(list, 0, 1), "installer");
  EXPECT_EQ(ListViewText(list, 0, 2), package + "\\UpdateFolder\\sub");
  EXPECT_EQ(ListViewText(list, 0, 3), "1 replaced, 0 appended");
  EXPECT_FALSE(IsWindowEnabled(window)) << "the main window waits while the history is shown";

  ASSERT_TRUE(PressButton(history, "Undo this package"));
  HWND box = WaitForBox(skarvel.Id(), 20s);
  ASSERT_NE(box, nullptr) << "no confirmation";
  const BoxContents question = ReadBox(box);
  EXPECT_EQ(question.title, "Confirmation");
  EXPECT_NE(question.text.find("Undo the package \"" + package + "\"? This restores 1 archive and undoes 1 patch"),
            std::string::npos)
      << question.text;
  ASSERT_TRUE(PressButton(box, "&Oui"));
  HWND status = FindControl(window, "SkarvelStatusLine");
  ASSERT_NE(WaitForWindow([&] { return WindowText(status).rfind("Restore done in ", 0) == 0 ? status : nullptr; }, 30s),
            nullptr)
      << "status: " << WindowText(status);
  EXPECT_EQ(ReadNativeFile(patch.archive), patch.Original());
  EXPECT_NE(WaitForWindow([&] { return ListViewRowCount(list) == 0 ? list : nullptr; }, 10s), nullptr)
      << "the history is listed again";
  ASSERT_TRUE(PressButton(history, "Close"));
  EXPECT_NE(WaitForWindow([&] { return IsWindowEnabled(window) ? window : nullptr; }, 10s), nullptr);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(skarvel.Wait(20s), 0u);
}

// What Explorer shows of the program and what Windows reads before it starts.
TEST(SkarvelExeFileTest, CarriesItsIconVersionAndManifest) {
  const std::string program = ProgramBeside("Skarvel.exe");
  DWORD ignored = 0;
  std::vector<char> version(GetFileVersionInfoSizeA(program.c_str(), &ignored));
  ASSERT_FALSE(version.empty());
  ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
  for (const char* value : {"FileVersion", "ProductVersion"}) {
    char* text = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\040904E4\\") + value;
    ASSERT_TRUE(VerQueryValueA(version.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) << value;
    EXPECT_STREQ(text, "3.3") << value;
  }
  EXPECT_GE(ExtractIconExA(program.c_str(), -1, nullptr, nullptr, 0), 1u) << "no icon";

  HMODULE image = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // the manifest
  ASSERT_NE(found, nullptr) << "no manifest";
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(image, found))),
                             SizeofResource(image, found));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
  // No execution level: Windows then virtualises the program as it does the game,
  // so that both see the same files under Program Files.
  EXPECT_EQ(manifest.find("requestedExecutionLevel"), std::string::npos);
  FreeLibrary(image);
}

// The game's key where the game's 32-bit installer and its players' other tools
// keep it on 64-bit Windows: "Change GP4 Path" writes it there (read back as
// "reg query ... /reg:32" reads it, and not in this 64-bit program's own view),
// and skarvel-cli.exe finds a key written there.
TEST_F(SkarvelExeTest, TheGameKeyIsWrittenAndReadInThe32BitView) {
  TempDir dir;
  const std::string game = dir.Native("gp4");
  regpath(Registry::Default(), game);
  char stored[MAX_PATH] = "";
  DWORD size = sizeof stored;
  EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Infogrames\\Grand Prix 4\\1.00\\Install Dir", "Directory",
                         RRF_RT_REG_SZ | RRF_SUBKEY_WOW6432KEY, nullptr, stored, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(stored), game);
  HKEY native = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Infogrames\\Grand Prix 4\\1.00\\Install Dir", 0,
                          KEY_READ | KEY_WOW64_64KEY, &native),
            ERROR_SUCCESS);

  ForgetSettings();
  RecordGameFolder(game);  // as a 32-bit installer writes it
  WriteNativeFile(game + "\\GP4.exe", "MZ");
  for (const char* track : TrackNames) WriteNativeFile(game + "\\" + track + ".wad", PackedWad({{"x.tex", "x"}}));
  WriteNativeFile(dir.Native("src\\x.tex"), "y");
  EXPECT_EQ(RunCli({"update-tracks", dir.Native("src"), "--dry-run"}, dir.native()), 0);
}

struct InstallCase {
  const char* name;
  std::string wad;          // argument 2
  const char* answer;       // the welcome box's button
  std::string closingText;  // the box after the update, empty for none
  DWORD exitCode;
  bool patched;
};

void PrintTo(const InstallCase& c, std::ostream* out) { *out << c.name; }

class InstallerTest : public SkarvelExeTest, public ::testing::WithParamInterface<InstallCase> {};

TEST_P(InstallerTest, APackageRunsTheAutoInstallProgram) {
  const InstallCase& c = GetParam();
  Patch patch;
  RecordGameFolder(patch.dir.Native("gp4"));
  // The package's folder: its replacement files in UpdateFolder\sub.
  const std::string package = patch.dir.Native("package");
  WriteNativeFile(package + "\\UpdateFolder\\sub\\cars\\car01.tex", std::string(600, 'n'));
  WriteNativeFile(package + "\\UpdateFolder\\sub\\extra.bin", "appended");

  Process skarvel(ProgramBeside("Skarvel.exe"), {"\\1wad", c.wad, "sub"}, package);
  HWND welcome = WaitForBox(skarvel.Id(), 20s);
  ASSERT_NE(welcome, nullptr) << "no welcome box";
  const BoxContents contents = ReadBox(welcome);
  EXPECT_EQ(contents.title, "Confirmation");
  EXPECT_NE(contents.text.find("Current GP4 Path :\n" + patch.dir.Native("gp4") + "\n"), std::string::npos)
      << contents.text;
  EXPECT_EQ(FindTopLevel(skarvel.Id(), "Skarvel 3.3"), nullptr) << "the main window shows";
  ASSERT_TRUE(PressButton(welcome, c.answer));

  if (!c.closingText.empty()) {
    HWND closing = WaitForWindow(
        [&]() -> HWND {
          HWND box = WaitForBox(skarvel.Id(), 100ms);
          return box != nullptr && box != welcome && ReadBox(box).text == c.closingText ? box : nullptr;
        },
        30s);
    ASSERT_NE(closing, nullptr) << "no box saying: " << c.closingText;
    EXPECT_EQ(ReadBox(closing).title, "Skarvel 3.3");
    PressButton(closing, "OK");
  }
  EXPECT_EQ(skarvel.Wait(30s), c.exitCode);
  EXPECT_EQ(ReadNativeFile(patch.archive), c.patched ? ReadNativeFile(patch.expected) : patch.Original());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, InstallerTest,
    ::testing::Values(InstallCase{"Confirmed", "cars.wad", "&Oui", kSuccess, 0, true},
                      InstallCase{"Declined", "cars.wad", "Annuler", "", 0, false},
                      InstallCase{"MissingArchive", "nowhere.wad", "&Oui",
                                  "Sorry but you surely did a mistake in wad's pathname :)", 1, false}),
    [](const ::testing::TestParamInfo<InstallCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skarvel::test
