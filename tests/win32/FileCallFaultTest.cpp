// The update with each Win32 file call it makes failing in turn, as the Linux
// suite fails each system call under strace, and ReplaceFile failing half-way
// as Windows documents it: whatever fails, the archive is the old one or the
// new one, whole; no temporary file is left unless it holds the only copy, and
// then the error names it; and no failure passes for success.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "archive/WadUpdate.h"
#include "host/platform/win32/FileCalls.h"
#include "support/ScratchRegistry.h"
#include "support/ScriptedWorkbench.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"
#include "win32/Win32TestSupport.h"

namespace skarvel {
namespace {

using test::NamesIn;
using test::PackedWad;
using test::ReadNativeFile;
using test::WriteNativeFile;

const std::string kBefore = PackedWad({{"keep", "kept data"}, {"swap", "old"}});
const std::string kAfter = PackedWad({{"keep", "kept data"}, {"swap", "new!"}});

// One update of "test.wad" from "src" under a hook; the hook goes at the end.
struct Outcome {
  bool threw = false;
  std::string error;
  std::string archive;  // "<none>" when there is no file
  std::map<std::string, std::string> files;  // the folder's files (not "src") and their bytes
};

Outcome UpdateWith(const filecalls::FaultHook& hook) {
  test::TempDir dir;
  AppState state{test::ScratchRegistry(dir)};
  test::ScriptedWorkbench bench;
  WriteNativeFile(dir.Native("test.wad"), kBefore);
  WriteNativeFile(dir.Native("src\\swap"), "new!");
  bench.archiveText = dir.Native("test.wad");
  bench.sourceText = dir.Native("src");
  Outcome outcome;
  filecalls::SetFaultHook(hook);
  try {
    Update1wad(state, bench);
  } catch (const std::exception& error) {
    outcome.threw = true;
    outcome.error = error.what();
  }
  filecalls::SetFaultHook(nullptr);
  for (const std::string& name : NamesIn(dir.native())) {
    if (name != "src") outcome.files[name] = ReadNativeFile(dir.Native(name));
  }
  outcome.archive = outcome.files.count("test.wad") ? outcome.files["test.wad"] : "<none>";
  return outcome;
}

void ExpectWholeAndHonest(const Outcome& outcome) {
  if (!outcome.threw) {
    EXPECT_EQ(outcome.archive, kAfter) << "success reported over an archive that is not the new one";
  }
  if (outcome.archive == "<none>") {
    // The only copy is kept, and the error says where.
    ASSERT_TRUE(outcome.threw);
    bool named = false;
    for (const auto& [name, bytes] : outcome.files) {
      if (outcome.error.find(name) == std::string::npos) continue;
      named = true;
      EXPECT_TRUE(bytes == kAfter || bytes == kBefore) << name;
    }
    EXPECT_TRUE(named) << outcome.error;
    return;
  }
  EXPECT_TRUE(outcome.archive == kBefore || outcome.archive == kAfter) << outcome.error;
  EXPECT_EQ(outcome.files.size(), 1U) << "a temporary file was left: " << outcome.files.rbegin()->first;
}

TEST(FileCallFaults, AFailureOfAnyCallLeavesTheOldArchiveOrTheNewOneWhole) {
  std::vector<std::string> calls;
  const Outcome clean = UpdateWith([&calls](const char* call, const char*, const char*) -> DWORD {
    calls.push_back(call);
    return 0;
  });
  ASSERT_FALSE(clean.threw) << clean.error;
  ASSERT_EQ(clean.archive, kAfter);
  ASSERT_NE(std::find(calls.begin(), calls.end(), "ReplaceFile"), calls.end());

  for (std::size_t k = 0; k < calls.size(); ++k) {
    SCOPED_TRACE("call " + std::to_string(k) + ": " + calls[k]);
    std::size_t seen = 0;
    ExpectWholeAndHonest(UpdateWith([&seen, k](const char*, const char*, const char*) -> DWORD {
      return seen++ == k ? ERROR_ACCESS_DENIED : 0;
    }));
  }
}

// ReplaceFile's own errors, with what Windows has done on the disk by then.
struct ReplaceFault {
  const char* what;
  DWORD error;
  std::function<void(const char* target, const char* backup)> onDisk;
  bool moveFailsToo;  // the move that would put an archive in place fails as well
  const char* result;  // "old", "new" or "kept" (only the temporary file holds it)
};

TEST(FileCallFaults, ReplaceFileFailingHalfWayLosesNoArchive) {
  const auto nothing = [](const char*, const char*) {};
  const auto removed = [](const char* target, const char*) { DeleteFileA(target); };
  const auto movedAside = [](const char* target, const char* backup) { MoveFileA(target, backup); };
  const std::vector<ReplaceFault> faults = {
      {"1175: the old archive could not be removed", ERROR_UNABLE_TO_REMOVE_REPLACED, nothing, false, "old"},
      {"1176: the old archive is gone, the new one keeps its temporary name", ERROR_UNABLE_TO_MOVE_REPLACEMENT, removed,
       false, "new"},
      {"1176, and the new one cannot be moved either", ERROR_UNABLE_TO_MOVE_REPLACEMENT, removed, true, "kept"},
      {"1177: the old archive is under the backup name", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, movedAside, false, "old"},
  };
  for (const ReplaceFault& fault : faults) {
    SCOPED_TRACE(fault.what);
    bool replaced = false;
    const Outcome outcome = UpdateWith([&](const char* call, const char* path, const char* other) -> DWORD {
      if (std::string(call) == "ReplaceFile") {
        replaced = true;
        fault.onDisk(path, other);
        return fault.error;
      }
      return replaced && fault.moveFailsToo && std::string(call) == "MoveFileEx" ? ERROR_ACCESS_DENIED : 0;
    });
    ExpectWholeAndHonest(outcome);
    const std::string result = fault.result;
    EXPECT_EQ(outcome.threw, result != "new") << outcome.error;
    EXPECT_EQ(outcome.archive, result == "old" ? kBefore : result == "new" ? kAfter : "<none>");
  }
}

}  // namespace
}  // namespace skarvel
