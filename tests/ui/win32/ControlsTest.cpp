// The control layer: notifications reach the control that sent them, whatever
// panel holds it, and an edit reports only real changes.
#include <gtest/gtest.h>

#include "ui/win32/controls/Button.h"
#include "ui/win32/controls/Container.h"
#include "ui/win32/controls/Edit.h"

namespace skarvel::ui::win32 {
namespace {

TEST(ControlsTest, NotificationsReachTheControlThroughItsPanel) {
  Form form;
  form.Create("Controls", 200, 100);
  Panel panel;
  panel.Create(form.Handle(), {0, 0, 200, 100});
  Button button;
  button.Create(panel.Handle(), "Press", {8, 8, 80, 22});
  Edit edit;
  edit.Create(panel.Handle(), {8, 40, 120, 20});
  int clicks = 0;
  int changes = 0;
  button.onClick = [&] { ++clicks; };
  edit.onChange = [&] { ++changes; };

  button.Click();
  edit.SetText("a");
  edit.SetText("a");
  edit.SetText("b");

  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(edit.Text(), "b");
}

}  // namespace
}  // namespace skarvel::ui::win32
