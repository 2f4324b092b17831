#include <future>

#include "host/FileSystem.h"

namespace skarvel {

void ReplacementFile::SyncWhile(const std::function<void()>& work) {
  // Where work fails, the future's end still waits for the sync before the
  // file can go.
  auto synced = std::async(std::launch::async, [this] { file_.Sync(); });
  work();
  synced.get();
}

}  // namespace skarvel
