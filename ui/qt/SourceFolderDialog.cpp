#include "ui/qt/SourceFolderDialog.h"

#include <QBoxLayout>
#include <QLabel>

namespace skarvel::ui::qt {
namespace {

// A panel without a bevel, aligned to one side by the layout that holds it.
QWidget* Panel(const char* name, QWidget* parent) {
  auto* panel = new QWidget(parent);
  panel->setObjectName(name);
  return panel;
}

}  // namespace

SourceFolderDialog::SourceFolderDialog(QWidget* parent)
    : FolderDialog("Select Files...", "LMDButton1", parent), watcher_(new FolderWatcher(Tree())) {
  QWidget* panel4 = Panel("Panel4", this);  // top, 20 high
  panel4->setFixedHeight(20);
  auto* label = new QLabel("Please choose a folder", panel4);
  label->setObjectName("Label1");
  label->move(10, 4);

  QWidget* panel2 = Panel("Panel2", this);  // left margin
  panel2->setFixedWidth(9);
  QWidget* panel3 = Panel("Panel3", this);  // right margin
  panel3->setFixedWidth(9);

  QWidget* panel1 = Panel("Panel1", this);  // bottom, 36 high, OK anchored to its top and right
  panel1->setFixedHeight(36);
  Ok().setParent(panel1);
  Ok().setFixedSize(73, 20);
  auto* buttonRow = new QHBoxLayout(panel1);
  buttonRow->setContentsMargins(0, 8, 236 - 152 - 73, 0);  // left 152 at the design width 236
  buttonRow->addStretch();
  buttonRow->addWidget(&Ok(), 0, Qt::AlignTop);

  auto* middle = new QHBoxLayout;
  middle->setContentsMargins(0, 0, 0, 0);
  middle->setSpacing(0);
  middle->addWidget(panel2);
  middle->addWidget(&Tree());
  middle->addWidget(panel3);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(panel4);
  column->addLayout(middle);
  column->addWidget(panel1);

  setTabOrder(&Tree(), &Ok());
  resize(236, 335);  // the client area: the tree is 218 by 279 at this size
}

}  // namespace skarvel::ui::qt
