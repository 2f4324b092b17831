#include "app/Installer.h"

#include <cstdint>
#include <typeinfo>

#if defined(__GNUC__)
#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#endif

#include "host/Encoding.h"
#include "host/GameFolder.h"
#include "host/SettingsStore.h"
#include "ui/WadUnit.h"

namespace skarvel::app {

namespace {

constexpr char kModeWord[] = "\\1wad";
constexpr char kStartStep[] = "\\Start";
constexpr char kEndStep[] = "\\End";
constexpr char kRunStep[] = "\\Run";
constexpr char kContinueValue[] = "Continue";
// Set by a step whose update stopped with its message or an error, cleared by
// "\Start": the "\End" of a package one of whose steps failed must not say that
// the game was patched.
constexpr char kFailedValue[] = "Failed";
constexpr char kUpdateFolder[] = "UpdateFolder";
constexpr char kSuccessMessage[] = "Your GP4 installation has been succesfully patched";

constexpr int kExitDone = 0;
// An update that stopped with its own message patched nothing; a calling
// package must be able to tell that from a patched game.
constexpr int kExitNotPatched = 1;
constexpr int kExitError = 1;

// One run of the installer over its words (argument k is words[k - 1]).
class Installation {
 public:
  Installation(const std::vector<std::string>& words, AppState& state, InstallerDesktop& desktop)
      : words_(words), state_(state), desktop_(desktop) {}

  int Run() {
    if (words_.size() < 2 || words_[0] != kModeWord) return kExitDone;
    if (words_.size() <= 3) return SingleStep();
    return MultiStep(words_[3]);
  }

 private:
  int SingleStep() {
    if (!Confirmed()) return kExitDone;
    const std::string source = words_.size() == 3 ? SubfolderSource() : std::string(kUpdateFolder);
    if (!Patched(source)) return kExitNotPatched;
    desktop_.ShowMessage(kSuccessMessage);
    return kExitDone;
  }

  int MultiStep(const std::string& step) {
    if (step == kStartStep) {
      OpenPackageStore();
      state_.settings.WriteBool(kFailedValue, false);
      if (!Confirmed()) {
        state_.settings.WriteBool(kContinueValue, false);
        return kExitDone;
      }
      state_.settings.WriteBool(kContinueValue, true);
      return StepPatched() ? kExitDone : kExitNotPatched;
    }
    if (step == kEndStep) {
      OpenPackageStore();
      if (!state_.settings.ReadBool(kContinueValue, true)) return kExitDone;
      if (!StepPatched()) return kExitNotPatched;
      // An earlier step left the package half installed.
      if (state_.settings.ReadBool(kFailedValue, false)) return kExitNotPatched;
      desktop_.ShowMessage(kSuccessMessage);
      return kExitDone;
    }
    if (step == kRunStep) {
      OpenPackageStore();
      if (!state_.settings.ReadBool(kContinueValue, true)) return kExitDone;
      return StepPatched() ? kExitDone : kExitNotPatched;
    }
    return kExitDone;
  }

  // The steps share "Continue" through the package's own key, which takes the
  // place of the main settings for the rest of the run.
  void OpenPackageStore() { state_.settings = SettingsStore::Open(state_.registry, kPackageSettingsKey); }

  // The welcome text names the game folder as the registry has it now, not as
  // the main window found it at start.
  // The folder as the user writes it, as every other message names a path.
  bool Confirmed() {
    return desktop_.Confirm(WelcomeText(DisplayPath(GetPath(state_.registry, state_.gameFolderFound))));
  }

  std::string SubfolderSource() const { return std::string(kUpdateFolder) + "\\" + words_[2]; }

  // Fills both edits and runs the update; false when it stopped with its message.
  bool Patched(const std::string& source) {
    desktop_.SetSourceText(source);
    desktop_.SetArchiveText(GetPath(state_.registry, state_.gameFolderFound) + "\\" + words_[1]);
    return desktop_.RunUpdate();
  }

  // Patched() for a step of a multi-step package, recording in the package key
  // a step that patched nothing.
  bool StepPatched() {
    bool patched = false;
    try {
      patched = Patched(SubfolderSource());
    } catch (...) {
      // The error that ends the run is the one to show, not one of this write.
      try {
        state_.settings.WriteBool(kFailedValue, true);
      } catch (const std::exception&) {
      }
      throw;
    }
    if (!patched) state_.settings.WriteBool(kFailedValue, true);
    return patched;
  }

  const std::vector<std::string>& words_;
  AppState& state_;
  InstallerDesktop& desktop_;
};

// The dynamic class of the error, without our namespace: "IoError",
// "RegistryError", "std::bad_alloc", ...
std::string ErrorClassName(const std::exception& error) {
  std::string name = typeid(error).name();
#if defined(__GNUC__)
  int status = 0;
  const std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), std::free);
  if (status == 0 && demangled) name = demangled.get();
#endif
  for (const std::string prefix : {"class ", "struct "}) {
    if (name.starts_with(prefix)) name.erase(0, prefix.size());
  }
  const std::string ours = "skarvel::";
  if (name.starts_with(ours)) name.erase(0, ours.size());
  return name;
}

// The runtime writes an address as all its hexadecimal digits, upper case.
std::string AddressText(const void* address) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto value = reinterpret_cast<std::uintptr_t>(address);
  std::string text(2 * sizeof value, '0');
  for (auto digit = text.rbegin(); digit != text.rend(); ++digit, value >>= 4) *digit = kDigits[value & 0xF];
  return text;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace

int RunInstaller(const std::vector<std::string>& words, AppState& state, InstallerDesktop& desktop,
                 const std::string& programFile) {
  try {
    return Installation(words, state, desktop).Run();
  } catch (const std::exception& error) {
    // Nothing runs after the error: no message, no later step.
    desktop.ShowApplicationError(ApplicationErrorText(error, programFile));
    return kExitError;
  }
}

std::string WelcomeText(const std::string& gameFolder) {
  return std::string(
             "Welcome to Skarvel's auto install program.\n\nThis package will update the following GP4 "
             "installation :\n\nCurrent GP4 Path :\n") +
         gameFolder + "\n\n" + "(If no GP4 path appears, you have to manualy select your GP4 path first" + "\n" +
         "using one of my tools as Tolvane or Mirelock for examples.)";
}

std::string ApplicationErrorText(const std::exception& error, const std::string& programFile) {
  const std::string message = ui::ErrorBoxText(error);
  // A C++ error keeps no code address; the error's own address stands in for it.
  const std::string fullStop = !message.empty() && message.back() != '.' ? "." : "";
  return "Exception " + ErrorClassName(error) + " dans le module " + FileNameOf(programFile) + " dans " +
         AddressText(&error) + ".\r\n" + message + fullStop + "\r\n";
}

}  // namespace skarvel::app
