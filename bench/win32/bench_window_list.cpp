// How long the Win32 main window takes to show an archive of 100,000 entries:
// the listing as the archive edit's change handler runs it (directory read,
// rows made and sorted into the virtual list) and the paint of the shown list.
// The floor is `skarvel-cli.exe list` of the same archive, in the same run.
// Run under Wine on a display: bash bench/run-windows.sh.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "archive/WadArchive.h"
#include "bench/support/ListArchive.h"
#include "ui/MainWindowView.h"
#include "ui/win32/MainWindow.h"

namespace {

constexpr int kEntries = 100000;
constexpr int kRuns = 3;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void WriteArchive(const std::string& path) { skarvel::bench::WriteListArchive(path, kEntries); }

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

struct Figures {
  double listing = 0, paint = 0;
};

Figures TimeWindow(const std::string& archive) {
  skarvel::ui::win32::MainWindow window;
  window.SetWindowHeight(skarvel::ui::kShownHeight);
  window.ShowCentred();
  PumpMessages();
  Figures figures;
  skarvel::WadArchive wad;
  auto start = Clock::now();
  skarvel::CreateFileList(wad, archive, window.Contents());
  figures.listing = MillisecondsSince(start);
  start = Clock::now();
  RedrawWindow(window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  figures.paint = MillisecondsSince(start);
  if (window.LMDFiles().Rows().size() != static_cast<std::size_t>(kEntries)) std::fprintf(stderr, "the list lost rows\n");
  return figures;
}

double TimeCli(const std::string& archive) {
  char self[MAX_PATH];
  const std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  const std::string cli = path.substr(0, path.rfind('\\') + 1) + "skarvel-cli.exe";
  std::string commandLine = "\"" + cli + "\" list \"" + archive + "\"";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  const auto start = Clock::now();
  if (!CreateProcessA(cli.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "cannot start %s\n", cli.c_str());
    return 0;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  const double elapsed = MillisecondsSince(start);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(nul);
  return elapsed;
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  char temporary[MAX_PATH];
  GetTempPathA(MAX_PATH, temporary);
  const std::string archive = std::string(temporary) + "skarvel-bench-list.wad";
  WriteArchive(archive);
  Figures best{1e30, 1e30};
  double bestCli = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    const Figures figures = TimeWindow(archive);
    if (figures.listing + figures.paint < best.listing + best.paint) best = figures;
    bestCli = std::min(bestCli, TimeCli(archive));
  }
  DeleteFileA(archive.c_str());
  std::printf("list %d entries into the Win32 window (best of %d):\n", kEntries, kRuns);
  std::printf("  CreateFileList %8.1f ms\n  paint          %8.1f ms\n  window total   %8.1f ms\n", best.listing,
              best.paint, best.listing + best.paint);
  std::printf("skarvel-cli list %8.1f ms\n", bestCli);
  std::printf("ratio window / skarvel-cli list: %.2f\n", (best.listing + best.paint) / bestCli);
  return 0;
}
