#include "ui/PatchHistory.h"

#include "archive/history/RestoreOperation.h"
#include "host/Encoding.h"
#include "host/Paths.h"
#include "host/TimeText.h"
#include "ui/WadUnit.h"

namespace skarvel::ui {
namespace {

using history::HistoryStore;
using history::RestorePlan;

std::string Counted(std::size_t count, const char* one, const char* more) {
  return std::to_string(count) + " " + (count == 1 ? one : more);
}

std::string Quoted(const std::string& path) { return "\"" + DisplayPath(path) + "\""; }

// The installer names its source inside the package's folder ("UpdateFolder\sub"),
// which alone would not tell one package from another: shown in full.
std::string SourceShown(const history::Patch& patch) {
  const std::string& source = patch.source;
  const bool rooted = source.starts_with('\\') || (source.size() >= 2 && source[1] == ':');
  if (patch.package.empty() || rooted) return DisplayPath(source);
  return DisplayPath(patch.package + (patch.package.ends_with('\\') ? "" : "\\") + source);
}

}  // namespace

void PatchHistoryForm::FormShow() {
  main_.Guarded([this] { List(); });
}

void PatchHistoryForm::List() {
  // Emptied first, so that a history that cannot be read offers nothing.
  patches_.clear();
  restorable_ = false;
  archive_ = main_.View().ArchiveText();
  view_.SetCaption("Patch history - " + Patchname(archive_));
  view_.SetRows({});
  view_.SetNote("");
  view_.EnableActions(false, false);
  patches_ = main_.State().history->Read(archive_);

  std::vector<PatchHistoryRow> rows;
  for (auto patch = patches_.rbegin(); patch != patches_.rend(); ++patch) {
    const history::Patch& p = patch->patch;
    rows.push_back({CalendarText(p.time, "%Y-%m-%d %H:%M:%S", true), p.how, SourceShown(p),
                    std::to_string(p.replaced.size()) + " replaced, " + std::to_string(p.appended.size()) +
                        " appended"});
  }
  view_.SetRows(rows);
  if (patches_.empty()) {
    view_.SetNote("No patch of this archive is recorded.");
    return;
  }
  const history::Patch& newest = patches_.back().patch;
  restorable_ = history::IdentityOf(archive_, newest.version) == newest.after;
  if (!restorable_) {
    view_.SetNote("Another program changed the archive since patch " + std::to_string(patches_.size()) +
                  ": its history no longer restores it.");
  }
  ListSelect();
}

const HistoryStore::Entry* PatchHistoryForm::Selected() const {
  const int row = view_.SelectedRow();
  if (row < 0 || static_cast<std::size_t>(row) >= patches_.size()) return nullptr;
  return &patches_[patches_.size() - 1 - static_cast<std::size_t>(row)];
}

void PatchHistoryForm::ListSelect() {
  const HistoryStore::Entry* patch = Selected();
  view_.EnableActions(restorable_ && patch != nullptr,
                      restorable_ && patch != nullptr && !patch->patch.package.empty());
}

void PatchHistoryForm::RestoreClick() {
  const HistoryStore::Entry* patch = Selected();
  if (!restorable_ || patch == nullptr) return;
  const std::size_t number = static_cast<std::size_t>(patch - patches_.data()) + 1;
  std::vector<RestorePlan> plans;
  main_.Guarded([&] { plans.push_back(history::PlanRestore(*main_.State().history, archive_, number)); });
  if (plans.empty()) return;
  const std::string undone = number == patches_.size()
                                 ? "This undoes that patch."
                                 : "This undoes patches " + std::to_string(number) + " to " +
                                       std::to_string(patches_.size()) + ", the newest first.";
  RunRestore(plans, "Restore " + Quoted(archive_) + " to what it was before patch " + std::to_string(number) +
                        "? " + undone);
}

void PatchHistoryForm::UndoPackageClick() {
  const HistoryStore::Entry* patch = Selected();
  if (!restorable_ || patch == nullptr || patch->patch.package.empty()) return;
  const std::string package = patch->patch.package;
  std::vector<RestorePlan> plans;
  main_.Guarded([&] { plans = history::PlanPackageRestore(*main_.State().history, package); });
  if (plans.empty()) return;
  std::size_t undone = 0;
  for (const RestorePlan& plan : plans) undone += plan.undone.size();
  RunRestore(plans, "Undo the package " + Quoted(package) + "? This restores " + Counted(plans.size(), "archive", "archives") +
                        " and undoes " + Counted(undone, "patch", "patches") + ", with every later patch of those archives.");
}

void PatchHistoryForm::RunRestore(const std::vector<RestorePlan>& plans, const std::string& question) {
  if (!view_.Confirm(question)) return;
  main_.RunOperation([&] { history::RestoreArchives(main_.State(), main_.View(), *main_.State().history, plans); });
  FormShow();
}

}  // namespace skarvel::ui
