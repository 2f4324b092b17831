// Takes the README's pictures of the Windows program: the main window
// collapsed and shown with a small archive listed after an update, the two
// folder dialogs, the auto install program's welcome box, and the patch history
// that its patch and the update leave. It starts the
// real Skarvel.exe, drives it with messages as the end-to-end tests do, and
// copies each window from the screen into a BMP file in the folder given
// (scripts/screenshots-windows.sh turns them into PNG).
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/win32/Process.h"
#include "support/TempDir.h"
#include "support/win32/WindowProbe.h"

namespace {

using namespace std::chrono_literals;
using namespace skarvel::test;

// The window as the screen shows it, frame included, as a 24-bit bitmap file.
bool Capture(HWND window, const std::string& file) {
  // A window grown past the screen's edge (the list shown at 150 %) is copied
  // from where it fits: the screen gives no pixels beyond its edge.
  RECT place{};
  GetWindowRect(window, &place);
  if (place.bottom > GetSystemMetrics(SM_CYSCREEN)) {
    SetWindowPos(window, nullptr, place.left, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  std::this_thread::sleep_for(800ms);
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const int row = (width * 3 + 3) / 4 * 4;
  BITMAPFILEHEADER header{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + row * height),
                          0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(row) * height);
  SelectObject(memory, old);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  std::printf("%s: %dx%d\n", file.c_str(), width, height);
  return out.good();
}

HWND Expect(HWND window, const char* what) {
  if (window == nullptr) {
    std::fprintf(stderr, "skarvel-screenshots: %s did not show\n", what);
    std::exit(1);
  }
  return window;
}

void RecordGameFolder(const std::string& folder) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Infogrames\\Grand Prix 4\\1.00\\Install Dir", 0, nullptr, 0,
                  KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr);
  RegSetValueExA(key, "Directory", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>(folder.size() + 1));
  RegCloseKey(key);
}

void Press(HWND window, const char* caption) {
  HWND button = Expect(FindControl(window, "Button", caption), caption);
  SendMessageA(button, BM_CLICK, 0, 0);
}

}  // namespace

// The program's window of that caption, once shown, copied and closed.
void CaptureAndClose(const Process& program, const char* caption, const std::string& file) {
  HWND shown = Expect(WaitForWindow([&] { return FindTopLevel(program.Id(), caption); }, 10s), caption);
  Capture(shown, file);
  PostMessageA(shown, WM_CLOSE, 0, 0);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: skarvel-screenshots FOLDER\n", stderr);
    return 2;
  }
  const std::string output = argv[1];
  // The program's windows in the screen's own pixels, at any scale.
  SetProcessDPIAware();
  TempDir dir;
  const char* files[][2] = {{"readme.txt", "Skarvel sample archive\n"},
                            {"cars\\car01.tex", "car texture car texture car texture"},
                            {"cars\\car02.tex", "car texture car texture"},
                            {"cars\\helmet01.tex", "helmet helmet helmet"},
                            {"maps\\monza2001\\track.dat", "track data track data track data track data"},
                            {"maps\\monza2001\\race\\setup.txt", "race setup\n"},
                            {"sounds\\engine.wav", "engine engine engine engine engine engine"}};
  for (const auto& [name, data] : files) WriteNativeFile(dir.Native(std::string("sample\\") + name), data);
  WriteNativeFile(dir.Native("gp4\\GP4.exe"), "MZ");
  const std::string archive = dir.Native("gp4\\cars.wad");
  if (RunCli({"create", dir.Native("sample"), archive, "--quiet"}, dir.native()) != 0) return 1;
  RecordGameFolder(dir.Native("gp4"));

  {
    Process skarvel(ProgramBeside("Skarvel.exe"), {archive}, dir.native());
    HWND window = Expect(WaitForWindow([&] { return FindTopLevel(skarvel.Id(), "Skarvel 3.3"); }, 20s), "the main window");
    HWND status = FindControl(window, "SkarvelStatusLine");
    HWND source = nullptr;
    for (HWND child : Descendants(window)) {
      if (ClassNameOf(child) == "Edit" && WindowText(child) == "...or select a file") source = child;
    }
    const std::string folder = dir.Native("sample");
    SendMessageA(Expect(source, "the source edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    Press(window, "Update wad");
    Expect(WaitForWindow([&] { return WindowText(status).rfind("Update done in ", 0) == 0 ? status : nullptr; }, 30s),
           "the update's closing caption");
    SetFocus(FindControl(window, "Button", "Update wad"));
    Capture(window, output + "\\window-win32-collapsed.bmp");
    Press(window, "Show/Hide files in the wad");
    Capture(window, output + "\\window-win32-shown.bmp");
    Press(window, "Show/Hide files in the wad");

    Press(window, "Select a Folder");
    CaptureAndClose(skarvel, "Select Files...", output + "\\dialog-win32-select-files.bmp");
    Press(window, "Change GP4 Path");
    CaptureAndClose(skarvel, "Manual Path Entry", output + "\\dialog-win32-manual-path.bmp");
    PostMessageA(window, WM_CLOSE, 0, 0);
    skarvel.Wait(20s);
  }

  const std::string package = dir.Native("package");
  WriteNativeFile(package + "\\UpdateFolder\\sub\\readme.txt", "patched\n");
  Process installer(ProgramBeside("Skarvel.exe"), {"\\1wad", "cars.wad", "sub"}, package);
  HWND welcome = Expect(WaitForBox(installer.Id(), 20s), "the welcome box");
  Capture(welcome, output + "\\installer-win32-confirmation.bmp");
  PressButton(welcome, "&Oui");
  HWND done = Expect(WaitForWindow([&]() -> HWND {
    HWND box = WaitForBox(installer.Id(), 100ms);
    return box != nullptr && box != welcome ? box : nullptr;
  }, 30s), "the installer's closing box");
  PressButton(done, "OK");
  installer.Wait(20s);

  // The two patches, the installer's newest, in the window's history.
  Process skarvel(ProgramBeside("Skarvel.exe"), {archive}, dir.native());
  HWND window = Expect(WaitForWindow([&] { return FindTopLevel(skarvel.Id(), "Skarvel 3.3"); }, 20s), "the main window");
  PostMessageA(window, WM_SYSCOMMAND, 0x0110, 0);  // "Patch history..." in the system menu
  CaptureAndClose(skarvel, "Patch history - cars.wad", output + "\\window-win32-patch-history.bmp");
  PostMessageA(window, WM_CLOSE, 0, 0);
  skarvel.Wait(20s);
  return 0;
}
