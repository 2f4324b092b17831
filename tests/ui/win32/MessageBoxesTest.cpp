// The boxes as the user reads them: title, text, buttons, and which answer a
// press gives. A second thread reads the box that the test's thread shows, and
// answers it.
#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>

#include "support/win32/WindowProbe.h"
#include "ui/win32/MessageBoxes.h"

namespace skarvel::ui::win32 {
namespace {

using namespace std::chrono_literals;

// Shows a box with show, and from another thread reads it and closes it with
// answer (a button's caption, or empty to close it from its frame).
test::BoxContents ShowAndAnswer(const std::function<void()>& show, const std::string& answer) {
  std::promise<test::BoxContents> read;
  std::thread answering([&] {
    HWND box = test::WaitForBox(GetCurrentProcessId(), 10s);
    test::BoxContents contents = box != nullptr ? test::ReadBox(box) : test::BoxContents{};
    if (box != nullptr && (answer.empty() || !test::PressButton(box, answer))) PostMessageA(box, WM_CLOSE, 0, 0);
    read.set_value(contents);
  });
  show();
  answering.join();
  return read.get_future().get();
}

TEST(MessageBoxesTest, BoxesShowTheirTitleTextAndButtons) {
  struct Case {
    const char* name;
    std::function<void()> show;
    test::BoxContents expected;
  };
  const Case cases[] = {
      {"plain", [] { ShowPlainBox(nullptr, "Sorry but you have to choose a wad file first."); },
       {"Skarvel 3.3", "Sorry but you have to choose a wad file first.", {"OK"}, false}},
      {"error", [] { ShowErrorBox(nullptr, "Fichier introuvable"); }, {"Skarvel 3.3", "Fichier introuvable", {"OK"}, true}},
      {"application error", [] { ShowApplicationErrorBox(nullptr, "Exception IoError dans le module Skarvel.exe"); },
       {"Erreur d'application", "Exception IoError dans le module Skarvel.exe", {"OK"}, true}},
      {"confirmation", [] { ConfirmBox(nullptr, "Welcome\n\nCurrent GP4 Path :\nC:\\GP4"); },
       {"Confirmation", "Welcome\n\nCurrent GP4 Path :\nC:\\GP4", {"&Oui", "Annuler"}, true}},
  };
  for (const Case& c : cases) {
    const test::BoxContents shown = ShowAndAnswer(c.show, "");
    EXPECT_EQ(shown.title, c.expected.title) << c.name;
    EXPECT_EQ(shown.text, c.expected.text) << c.name;
    EXPECT_EQ(shown.buttons, c.expected.buttons) << c.name;
    EXPECT_EQ(shown.hasIcon, c.expected.hasIcon) << c.name;
  }
}

TEST(MessageBoxesTest, OnlyOuiConsents) {
  struct Case {
    const char* answer;
    bool consent;
  };
  for (const Case& c : {Case{"&Oui", true}, Case{"Annuler", false}, Case{"", false}}) {
    bool consent = !c.consent;
    ShowAndAnswer([&] { consent = ConfirmBox(nullptr, "Welcome"); }, c.answer);
    EXPECT_EQ(consent, c.consent) << "answer: " << (*c.answer ? c.answer : "the close button");
  }
}

}  // namespace
}  // namespace skarvel::ui::win32
