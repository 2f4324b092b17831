#include "archive/history/RestoreOperation.h"

#include "archive/WadArchive.h"
#include "host/Paths.h"
#include "host/TimeText.h"

namespace skarvel::history {

void RestoreArchives(AppState& state, Workbench& bench, const HistoryStore& store,
                     const std::vector<RestorePlan>& plans) {
  const Stopwatch stopwatch;
  ProgressSink& progress = bench.Progress();
  std::size_t total = 0, done = 0;
  for (const RestorePlan& plan : plans) total += plan.undone.size();
  for (const RestorePlan& plan : plans) {
    const std::string name = Patchname(plan.archive);
    Restore(store, plan, [&] {
      const std::size_t percent = ++done * 100 / total;
      progress.SetCaption("Restoring " + name + " : " + std::to_string(percent) + "%");
      progress.SetPosition(static_cast<std::uint8_t>(percent));
      progress.Repaint();
    });
  }
  progress.SetPosition(0);
  progress.SetCaption(stopwatch.Caption("Restore done in "));
  CreateFileList(state.wad, bench.ArchiveText(), bench.Contents());
}

}  // namespace skarvel::history
