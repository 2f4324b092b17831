// The update from a small fixed source folder: a dry run changes nothing and
// plans exactly what the real run then does; a failed run leaves the archive
// byte for byte as it was; a finished one leaves a readable archive holding
// every replaced or appended file's bytes.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "archive/AppState.h"
#include "archive/WadArchive.h"
#include "archive/WadUpdate.h"
#include "archive/WadVerify.h"
#include "fuzz/FuzzSupport.h"
#include "host/Errors.h"

using namespace skarvel;

namespace {

// Names that reach every matching rule: by file name, by path below "cars",
// the race and qualifying folders, and a file that no entry holds.
const std::map<std::string, std::string> kSources = {
    {"a.bin", "replacement a"},
    {"B.TXT", "upper-case name"},
    {"cars/x.tex", "a car texture"},
    {"race/r.bin", "race data"},
    {"qualifying/q.bin", "qualifying data"},
    {"deep/sub/new.dat", ""},
};
const std::string kArchive = "w/monza2001.wad";

void MakeSources(const fuzz::Scratch& scratch) {
  static bool made = false;
  if (made) return;
  for (const auto& [name, bytes] : kSources) {
    scratch.Write("src/" + name, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::filesystem::create_directories(scratch.Native("empty"));
  made = true;
}

struct Run {
  bool failed = false;
  int messages = 0;
  std::vector<UpdatePlan> plans;
};

Run Update(const fuzz::Scratch& scratch, const std::string& source, bool dryRun) {
  AppState state(Registry::AtFolder(scratch.Native("registry")));
  fuzz::FuzzWorkbench bench;
  bench.archiveText = scratch.Internal(kArchive);
  bench.sourceText = scratch.Internal(source);
  Run run;
  UpdateOptions options;
  options.dryRun = dryRun;
  options.onPlan = [&run](const UpdatePlan& plan) { run.plans.push_back(plan); };
  try {
    Update1wad(state, bench, options);
  } catch (const Error&) {
    run.failed = true;
  }
  run.messages = bench.messages;
  return run;
}

// Where the archive's data regions shared bytes before the update, they still
// do after it, and the entry later in the directory wins the shared bytes; only
// an archive without overlaps must give every entry exactly its source's bytes.
void CheckResult(const fuzz::Scratch& scratch, const UpdatePlan& plan, bool overlapsBefore) {
  const std::string path = scratch.Internal(kArchive);
  const WadVerifyReport report = VerifyWad(path);
  if (!report.Readable()) fuzz::Fail("the update wrote an archive that cannot be read");
  if (report.fileSize != plan.resultLength || report.count != plan.resultCount)
    fuzz::Fail("the rewritten archive is not the planned size or count");
  WadArchive wad;
  LoadWadArchive(wad, path);
  std::map<std::int32_t, const UpdateStep*> lastStepOf;
  for (const UpdateStep& step : plan.steps) lastStepOf[step.index] = &step;
  for (const auto& [index, step] : lastStepOf) {
    const auto i = static_cast<std::size_t>(index);
    if (i >= wad.Entries.size()) fuzz::Fail("a planned index is not in the rewritten directory");
    if (EntryName(wad.Entries[i]) != step->entryName) fuzz::Fail("a planned entry has another name");
    if (wad.Entries[i].Size != step->newSize) fuzz::Fail("a planned entry has another size");
    const std::string relative = step->source.substr(scratch.Internal("src").size() + 1);
    std::string nativeRelative = relative;
    for (char& c : nativeRelative) c = c == '\\' ? '/' : c;
    if (!overlapsBefore && wad.Payloads[i] != kSources.at(nativeRelative)) fuzz::Fail("an entry does not hold its source's bytes");
  }
}

void CheckConfined(const fuzz::Scratch& scratch) {
  for (const std::string& path : scratch.Walk()) {
    if (path != "w" && path != kArchive && path != "empty" && path != "src" && !path.starts_with("src/"))
      fuzz::Fail("the update left " + path);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  MakeSources(scratch);
  scratch.Remove("w");
  scratch.Write(kArchive, data, size);
  const std::string original(reinterpret_cast<const char*>(data), size);
  const WadVerifyReport before = VerifyWad(scratch.Internal(kArchive));
  const bool overlapsBefore = !before.overlaps.empty() || !before.intoDirectory.empty();

  // A quarter of the inputs, chosen by their bytes so that a crash replays, run
  // from an empty folder: a run without steps must still refuse what the
  // rebuild refuses.
  const std::string source = std::hash<std::string>{}(original) % 4 == 0 ? "empty" : "src";
  const Run dry = Update(scratch, source, true);
  if (scratch.Read(kArchive) != original) fuzz::Fail("the dry run changed the archive");
  const Run real = Update(scratch, source, false);
  CheckConfined(scratch);

  if (dry.failed != real.failed || dry.messages != real.messages)
    fuzz::Fail("the dry run and the real run ended differently");
  if (real.failed || real.messages > 0) {
    if (scratch.Read(kArchive) != original) fuzz::Fail("a failed update changed the archive");
    return 0;
  }
  if (dry.plans.size() != 1 || real.plans.size() != 1 || !(dry.plans[0] == real.plans[0]))
    fuzz::Fail("the dry run planned something else than the real run did");
  CheckResult(scratch, real.plans[0], overlapsBefore);
  return 0;
}
