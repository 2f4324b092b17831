#include "cli/HistoryCommands.h"

#include <filesystem>

#include "archive/history/Restore.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/TimeText.h"

namespace skarvel::cli {
namespace {

using history::HistoryStore;
using history::Patch;

std::string InternalPath(const std::string& native) {
  return ToInternalPath(std::filesystem::absolute(std::filesystem::path(native)).string());
}

std::string TimeText(std::int64_t seconds) { return CalendarText(seconds, "%Y-%m-%dT%H:%M:%SZ", false); }

std::string Utf8(const std::string& internal) { return JsonString(Cp1252ToUtf8(internal)); }

std::string PatchJson(std::size_t number, const Patch& patch) {
  std::string out = "{\"number\": " + std::to_string(number) + ", \"run\": " + JsonString(patch.run) +
                    ", \"time\": " + JsonString(TimeText(patch.time)) + ", \"how\": " + JsonString(patch.how) +
                    ", \"package\": " + (patch.package.empty() ? "null" : Utf8(DisplayPath(patch.package))) +
                    ", \"source\": " + Utf8(DisplayPath(patch.source)) + ", \"replaced\": [";
  for (std::size_t i = 0; i < patch.replaced.size(); ++i) {
    const auto& e = patch.replaced[i];
    out += (i > 0 ? ", " : "") + std::string("{\"index\": ") + std::to_string(e.index) + ", \"name\": " +
           Utf8(e.name) + ", \"old_size\": " + std::to_string(e.oldSize) + ", \"new_size\": " +
           std::to_string(e.newSize) + "}";
  }
  out += "], \"appended\": [";
  for (std::size_t i = 0; i < patch.appended.size(); ++i) {
    const auto& e = patch.appended[i];
    out += (i > 0 ? ", " : "") + std::string("{\"index\": ") + std::to_string(e.index) + ", \"name\": " +
           Utf8(e.name) + ", \"size\": " + std::to_string(e.size) + "}";
  }
  return out + "], \"bytes\": " + std::to_string(patch.StoredBytes()) + "}";
}

std::string ArchiveJson(const std::string& archive, const std::vector<HistoryStore::Entry>& patches) {
  std::string out = "{\"archive\": " + Utf8(DisplayPath(archive)) + ", \"patches\": [";
  for (std::size_t k = 0; k < patches.size(); ++k) out += (k > 0 ? ", " : "") + PatchJson(k + 1, patches[k].patch);
  return out + "]}";
}

// One line per patch, then one per entry it changed.
void PrintPatch(std::size_t number, const Patch& patch, std::ostream& out) {
  out << number << '\t' << TimeText(patch.time) << '\t' << patch.how;
  if (!patch.package.empty()) out << ' ' << ToDisplayText(DisplayPath(patch.package));
  out << '\t' << ToDisplayText(DisplayPath(patch.source)) << '\t' << patch.replaced.size() << " replaced, "
      << patch.appended.size() << " appended\t" << patch.StoredBytes() << " bytes kept\n";
  for (const auto& e : patch.replaced) {
    out << "\treplace\t" << e.index << '\t' << ToDisplayText(e.name) << '\t' << e.oldSize << '\t' << e.newSize << '\n';
  }
  for (const auto& e : patch.appended) {
    out << "\tappend\t" << e.index << '\t' << ToDisplayText(e.name) << '\t' << e.size << '\n';
  }
}

void PrintArchive(const std::string& archive, const std::vector<HistoryStore::Entry>& patches, std::ostream& out) {
  out << "archive\t" << ToNativePath(archive) << '\n';
  for (std::size_t k = 0; k < patches.size(); ++k) PrintPatch(k + 1, patches[k].patch, out);
  if (!patches.empty()) {
    const Patch& newest = patches.back().patch;
    if (history::IdentityOf(archive, newest.version) != newest.after) {
      out << "note\tanother program changed the archive since patch " << patches.size()
          << "; its history no longer restores it\n";
    }
  }
}

bool InFolder(const std::string& archive, const std::string& folder) {
  const std::string prefix = history::ArchiveKey(folder.ends_with('\\') ? folder : folder + "\\");
  return history::ArchiveKey(archive).starts_with(prefix);
}

}  // namespace

int History(const Arguments& args, const HistoryStore& store, std::ostream& out, std::ostream&) {
  if (!args.gameFolder) {
    const std::string archive = InternalPath(args.operands[0]);
    const auto patches = store.Read(archive);
    if (args.json) {
      out << ArchiveJson(archive, patches) << '\n';
    } else {
      PrintArchive(archive, patches, out);
    }
    return kExitDone;
  }
  const std::string folder = InternalPath(*args.gameFolder);
  std::string json = "{\"game_folder\": " + Utf8(DisplayPath(folder)) + ", \"archives\": [";
  bool first = true;
  for (const std::string& archive : store.Archives()) {
    if (!InFolder(archive, folder)) continue;
    const auto patches = store.Read(archive);
    if (patches.empty()) continue;
    if (args.json) {
      json += (first ? "" : ", ") + ArchiveJson(archive, patches);
    } else {
      PrintArchive(archive, patches, out);
    }
    first = false;
  }
  if (args.json) out << json << "]}\n";
  return kExitDone;
}

int Restore(const Arguments& args, const HistoryStore& store, std::ostream& out, std::ostream& err) {
  std::vector<history::RestorePlan> plans;
  if (args.package) {
    const std::string package = InternalPath(*args.package);
    plans = history::PlanPackageRestore(store, package);
    if (plans.empty()) {
      err << "No patch of the package " << ToDisplayText(DisplayPath(package)) << " is recorded.\n";
      return kExitFailed;
    }
  } else {
    const std::string archive = InternalPath(args.operands[0]);
    // Without --before, the newest patch alone.
    const std::size_t first = args.original ? 1 : args.before ? *args.before : store.Read(archive).size();
    plans.push_back(history::PlanRestore(store, archive, first));
  }
  // Every archive was checked before the first is restored.
  for (const history::RestorePlan& plan : plans) {
    if (!args.dryRun) history::Restore(store, plan);
    out << "archive\t" << ToNativePath(plan.archive) << '\n';
    for (std::size_t k = 0; k < plan.undone.size(); ++k) {
      PrintPatch(plan.first + plan.undone.size() - 1 - k, plan.undone[k].patch, out);
    }
  }
  if (!args.quiet) err << (args.dryRun ? "Nothing was changed (dry run).\n" : "Restore done.\n");
  return kExitDone;
}

int Forget(const Arguments& args, const HistoryStore& store, std::ostream& out) {
  const std::string archive = InternalPath(args.operands[0]);
  out << "freed\t" << store.Forget(archive) << " bytes\t" << ToNativePath(archive) << '\n';
  return kExitDone;
}

}  // namespace skarvel::cli
