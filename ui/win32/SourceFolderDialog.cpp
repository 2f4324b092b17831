#include "ui/win32/SourceFolderDialog.h"

#include <algorithm>

namespace skarvel::ui::win32 {
namespace {

// The client area at the design size, and the panels' depths along their sides.
constexpr int kClientWidth = 236;
constexpr int kClientHeight = 335;
constexpr int kTopHeight = 20;
constexpr int kBottomHeight = 36;
constexpr int kMarginWidth = 9;
// OK keeps its distance to the top and the right of the bottom panel.
constexpr int kOkTop = 8;
constexpr int kOkWidth = 73;
constexpr int kOkHeight = 20;
constexpr int kOkRightGap = kClientWidth - 152 - kOkWidth;

}  // namespace

SourceFolderDialog::SourceFolderDialog(HWND owner)
    : FolderDialog("Select Files...", kClientWidth, kClientHeight, owner) {
  HWND form = Window().Handle();
  // Created in the tab order: the tree, the bottom panel with OK, the margins,
  // the top panel.
  CreateTree(form, {0, 0, 0, 0}, true);
  panel1_.Create(form, {0, 0, 0, 0});
  CreateOk(panel1_.Handle(), {0, kOkTop, kOkWidth, kOkHeight});
  panel2_.Create(form, {0, 0, 0, 0});
  panel3_.Create(form, {0, 0, 0, 0});
  panel4_.Create(form, {0, 0, 0, 0});
  label1_.Create(panel4_.Handle(), "Please choose a folder", {10, 4, 0, 13});
  Window().onResize = [this] { Layout(); };
  Layout();
}

SourceFolderDialog::~SourceFolderDialog() { Window().Destroy(); }

// The panels take their sides in the order top, bottom, left, right; the tree
// fills what is left.
void SourceFolderDialog::Layout() {
  const SIZE client = Window().ClientSize();
  const int width = static_cast<int>(client.cx);
  const int height = static_cast<int>(client.cy);
  const int middleTop = std::min(kTopHeight, height);
  const int middleHeight = std::max(0, height - kTopHeight - kBottomHeight);
  const int middleWidth = std::max(0, width - 2 * kMarginWidth);
  panel4_.Place({0, 0, width, kTopHeight});
  panel1_.Place({0, std::max(middleTop, height - kBottomHeight), width, kBottomHeight});
  panel2_.Place({0, middleTop, kMarginWidth, middleHeight});
  panel3_.Place({std::max(kMarginWidth, width - kMarginWidth), middleTop, kMarginWidth, middleHeight});
  Tree().View().Place({kMarginWidth, middleTop, middleWidth, middleHeight});
  Ok().Place({width - kOkRightGap - kOkWidth, kOkTop, kOkWidth, kOkHeight});
}

}  // namespace skarvel::ui::win32
