#pragma once
// The desktop of the program for tests: a real TForm1 over a scripted main
// window, so that the update the installer runs is the real one; the boxes
// answer from a script and everything lands in the window's one event log.
#include <deque>
#include <functional>
#include <string>

#include "app/Startup.h"
#include "archive/WadUpdate.h"
#include "support/ScriptedMainWindow.h"
#include "ui/WadUnit.h"

namespace skarvel::test {

class ScriptedDesktop : public app::StartupDesktop {
  AppState& state_;

 public:
  explicit ScriptedDesktop(AppState& state) : state_(state), form(state, window) {
    window.onArchiveChange = [this] { form.LMDFile2Change(); };
  }

  ScriptedMainWindow window;
  ui::TForm1 form;
  // Answers of the confirmation boxes in order; with none left the box is
  // closed, which is no consent.
  std::deque<bool> confirmAnswers;
  // Runs while a confirmation box is open, before it is answered.
  std::function<void()> whileConfirming;
  int eventLoopExitCode = 0;

  std::vector<std::string>& events = window.events;
  std::vector<std::string> confirmations;
  std::vector<std::string> applicationErrors;

  bool Confirm(const std::string& text) override {
    confirmations.push_back(text);
    events.push_back("confirm");
    if (whileConfirming) whileConfirming();
    if (confirmAnswers.empty()) return false;
    const bool yes = confirmAnswers.front();
    confirmAnswers.pop_front();
    return yes;
  }
  void ShowMessage(const std::string& text) override { window.ShowMessage(text); }
  void ShowApplicationError(const std::string& text) override {
    applicationErrors.push_back(text);
    events.push_back("application-error");
  }
  void SetSourceText(const std::string& text) override { window.SetSourceText(text); }
  void SetArchiveText(const std::string& text) override { window.SetArchiveText(text); }
  bool RunUpdate() override {
    events.push_back("update");
    return Update1wad(state_, window);
  }

  void SetApplicationTitle(const std::string& title) override { events.push_back("title:" + title); }
  void CreateMainWindow() override {
    events.push_back("create-main-window");
    form.FormCreate();
  }
  void CreateFolderDialogs() override { events.push_back("create-folder-dialogs"); }
  void ShowMessageWhenShown(const std::string& text) override { events.push_back("message-when-shown:" + text); }
  int RunEventLoop() override {
    events.push_back("event-loop");
    return eventLoopExitCode;
  }
};

}  // namespace skarvel::test
