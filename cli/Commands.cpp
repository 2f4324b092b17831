#include "cli/Commands.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <string>

#include "archive/AppState.h"
#include "archive/WadCreate.h"
#include "archive/WadExtract.h"
#include "archive/WadUpdate.h"
#include "archive/WadVerify.h"
#include "cli/HistoryCommands.h"
#include "cli/Json.h"
#include "cli/SourceCheck.h"
#include "cli/TerminalWorkbench.h"
#include "cli/VerifyText.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/Registry.h"

namespace skarvel::cli {

namespace {

// One run of the program: the state the desktop program would hold, with a
// settings store kept in memory so that nothing the desktop program remembers
// changes. The registry is read only when an operation looks for the game.
struct Session {
  Session(std::ostream& err, bool errIsTerminal) : state(Registry::Default()), bench(err, errIsTerminal) {}
  AppState state;
  TerminalWorkbench bench;
};

// Made absolute first: the window's dialogs always give full paths, and a
// relative "..\x.wad" would read as a text that names no archive.
std::string InternalPath(const std::string& native) {
  return ToInternalPath(std::filesystem::absolute(std::filesystem::path(native)).string());
}

// The closing caption of a finished operation ("Wad created in 0.1s", "File
// Saved", ...) unless the user asked for quiet; a shown message means refused.
int Finish(const Arguments& args, Session& session, std::ostream& err) {
  TerminalWorkbench& bench = session.bench;
  bench.EndProgressLine();
  if (bench.MessageShown()) return kExitFailed;
  if (!args.quiet && !bench.LastCaption().empty()) err << ToDisplayText(bench.LastCaption()) << '\n';
  return kExitDone;
}

std::int64_t ParseIndex(const std::string& text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  auto [stop, fault] = std::from_chars(text.data(), end, value);
  if (fault != std::errc() || stop != end || value < 0 || value > kWadMaxPosition) {
    throw UsageError("INDEX must be a directory index (0, 1, 2, ...), not \"" + text + "\"");
  }
  return value;
}

// Lists the archive through the contents list; false (after saying so) when
// the listing found no archive file to load.
bool ListInto(Session& session, const std::string& archive, std::ostream& err) {
  session.bench.archiveText = InternalPath(archive);
  CreateFileList(session.state.wad, session.bench.archiveText, session.bench);
  if (!session.bench.RowsSet()) err << "There is no archive file " << archive << ".\n";
  return session.bench.RowsSet();
}

// The rows with the offset of each from the directory that the same listing
// loaded. The listing hands its rows over in directory order, so a row's
// position is its index; the index field cannot be trusted for that, since a
// name may itself hold ";".
std::vector<ListedEntry> ListedEntries(const Session& session) {
  const auto& entries = session.state.wad.Entries;
  const auto& rows = session.bench.Rows();
  if (rows.size() != entries.size()) throw ListIndexError(static_cast<int>(rows.size()));
  std::vector<ListedEntry> listed;
  listed.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const WadDirEntry& entry = entries[i];
    listed.push_back({static_cast<std::int32_t>(i), entry.Offset, entry.Size, EntryName(entry)});
  }
  return listed;
}

int List(const Arguments& args, Session& session, std::ostream& out, std::ostream& err) {
  const std::string& archive = args.operands[0];
  if (!ListInto(session, archive, err)) return kExitFailed;
  const std::vector<ListedEntry> listed = ListedEntries(session);
  if (args.json) {
    out << ListJson(archive, listed);
  } else {
    for (const ListedEntry& e : listed) {
      out << e.index << '\t' << e.offset << '\t' << e.size << '\t' << ToDisplayText(e.name) << '\n';
    }
  }
  return Finish(args, session, err);
}

int Extract(const Arguments& args, Session& session, std::ostream& err) {
  session.bench.archiveText = InternalPath(args.operands[0]);
  session.bench.dialogAnswer = InternalPath(args.operands[1]);
  ExtractClick(session.state, session.bench);
  return Finish(args, session, err);
}

int ExtractOne(const Arguments& args, Session& session, std::ostream& err) {
  const std::int64_t index = ParseIndex(args.operands[1]);
  if (!ListInto(session, args.operands[0], err)) return kExitFailed;
  if (!session.bench.SelectRowOfIndex(index)) {
    err << "The archive " << args.operands[0] << " has no entry of index " << index << " (it holds "
        << session.bench.Rows().size() << ").\n";
    return kExitFailed;
  }
  session.bench.dialogAnswer = InternalPath(args.operands[2]);
  LMDFilesDblClick(session.state, session.bench);
  return Finish(args, session, err);
}

int Create(const Arguments& args, Session& session, std::ostream& err) {
  session.bench.sourceText = InternalPath(args.operands[0]);
  if (!SourceHoldsFiles(session.bench.sourceText, false, err)) return kExitFailed;
  session.bench.dialogAnswer = InternalPath(args.operands[1]);
  LMDCreateWadClick(session.state, session.bench);
  return Finish(args, session, err);
}

void PrintPlan(const UpdatePlan& plan, std::ostream& out) {
  out << "archive\t" << ToNativePath(plan.archivePath) << '\n';
  for (const UpdateStep& step : plan.steps) {
    if (step.kind == UpdateStep::Kind::Replace) {
      out << "replace\t" << step.index << '\t' << ToDisplayText(step.entryName) << '\t' << step.oldSize << '\t'
          << step.newSize << '\n';
    } else {
      out << "append\t" << ToDisplayText(step.entryName) << '\t' << step.newSize << '\n';
    }
  }
  out << std::flush;
}

// The user's history of patches; refused where the system names no folder for it.
const history::HistoryStore& Store() {
  static const std::optional<history::HistoryStore> store = history::HistoryStore::Default();
  if (!store) {
    throw RefusedError("The folder of the history of patches is unknown: neither XDG_DATA_HOME nor HOME is set. "
                       "Use --no-history to update without one.");
  }
  return *store;
}

UpdateOptions OptionsOf(const Arguments& args, std::ostream& out) {
  UpdateOptions options;
  options.dryRun = args.dryRun;
  if (args.dryRun) options.onPlan = [&out](const UpdatePlan& plan) { PrintPlan(plan, out); };
  if (args.gameFolder) options.gameFolder = InternalPath(*args.gameFolder);
  if (!args.noHistory && !args.dryRun) {
    options.history = &Store();
    options.origin = {history::NewRunId(), "command line", ""};
  }
  return options;
}

// The folder held files when it was checked, but the update's own walk of it
// found none (it vanished, or reading it failed in between): the desktop program
// takes that as no files and rewrites its archives unchanged, which on the
// command line must not pass for a patch.
int FinishUpdate(const Arguments& args, Session& session, std::ostream& err) {
  const int code = Finish(args, session, err);
  if (code != kExitDone || !session.state.sources.empty()) return code;
  err << "skarvel-cli: " << ToDisplayText(DisplayPath(session.bench.sourceText))
      << " held no file when the update read it; the archive was left as it was.\n";
  return kExitFailed;
}

int Update(const Arguments& args, Session& session, std::ostream& out, std::ostream& err) {
  session.bench.archiveText = InternalPath(args.operands[0]);
  session.bench.sourceText = InternalPath(args.operands[1]);
  if (!SourceHoldsFiles(session.bench.sourceText, true, err)) return kExitFailed;
  Update1wad(session.state, session.bench, OptionsOf(args, out));
  return FinishUpdate(args, session, err);
}

int UpdateTracks(const Arguments& args, Session& session, std::ostream& out, std::ostream& err) {
  session.bench.sourceText = InternalPath(args.operands[0]);
  if (!SourceHoldsFiles(session.bench.sourceText, true, err)) return kExitFailed;
  UpdateWads(session.state, session.bench, OptionsOf(args, out));
  return FinishUpdate(args, session, err);
}

int Verify(const Arguments& args, std::ostream& out) {
  const std::string& archive = args.operands[0];
  const WadVerifyReport report = VerifyWad(InternalPath(archive));
  out << (args.json ? VerifyJson(archive, report) : VerifyText(archive, report));
  return report.Readable() ? kExitDone : kExitFailed;
}

int Dispatch(const Arguments& args, Session& session, std::ostream& out, std::ostream& err) {
  switch (args.command) {
    case Command::List: return List(args, session, out, err);
    case Command::Extract: return Extract(args, session, err);
    case Command::ExtractOne: return ExtractOne(args, session, err);
    case Command::Create: return Create(args, session, err);
    case Command::Update: return Update(args, session, out, err);
    case Command::UpdateTracks: return UpdateTracks(args, session, out, err);
    case Command::Verify: return Verify(args, out);
    case Command::History: return History(args, Store(), out, err);
    case Command::Restore: return Restore(args, Store(), out, err);
    case Command::Forget: return Forget(args, Store(), out);
    case Command::Help:
    case Command::Version: break;
  }
  throw UsageError("no command given");
}

}  // namespace

int RunCommand(const Arguments& args, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  if (args.command == Command::Help) {
    out << kUsage;
    return kExitDone;
  }
  if (args.command == Command::Version) {
    out << kVersionText << '\n';
    return kExitDone;
  }
  std::optional<Session> session;
  const auto endProgress = [&] {
    if (session) session->bench.EndProgressLine();
  };
  try {
    session.emplace(err, errIsTerminal);
    return Dispatch(args, *session, out, err);
  } catch (const UsageError&) {
    throw;
  } catch (const IoError& error) {
    // The runtime's text says what failed; the command line says also where.
    endProgress();
    err << "skarvel-cli: ";
    if (!error.path().empty()) err << ToDisplayText(DisplayPath(error.path())) << ": ";
    err << ToDisplayText(error.what()) << '\n';
  } catch (const Error& error) {
    endProgress();
    err << ToDisplayText(error.what()) << '\n';
  } catch (const std::exception& error) {
    endProgress();
    err << error.what() << '\n';
  }
  return kExitFailed;
}

}  // namespace skarvel::cli
