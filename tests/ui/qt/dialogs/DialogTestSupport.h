#pragma once
// What the folder dialogs' tests share: a home folder of their own, and a
// register of the test classes that main runs.
#include <QModelIndex>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace skarvel::ui::qt {
class FolderModel;
}

namespace skarvel::test {

// For its lifetime HOME, XDG_CONFIG_HOME and WINEPREFIX point into a fresh
// temporary folder (with an empty "Desktop" in it), so that the tree's places
// are the test's own.
class TestHome {
 public:
  // In the system's temporary folder, or below base when that is a folder.
  explicit TestHome(const QString& base = {});
  ~TestHome();
  TestHome(const TestHome&) = delete;
  TestHome& operator=(const TestHome&) = delete;

  QString Path(const QString& relative = {}) const;
  QString Desktop() const { return Path("Desktop"); }
  QString WinePrefix() const { return Path("wine-gp4"); }
  // Creates folders (with their parents) and empty files below the home folder.
  void MakeFolders(const QStringList& relatives) const;
  void MakeFile(const QString& relative) const;

 private:
  QTemporaryDir dir_;
  QByteArray saved_[3];
};

// The labels of the item's children, in their order.
QStringList ChildLabels(const ui::qt::FolderModel& model, const QModelIndex& parent);
// The child with that label; no item when there is none.
QModelIndex ChildNamed(const ui::qt::FolderModel& model, const QModelIndex& parent, const QString& label);

// Test classes register themselves; main runs each with QTest::qExec.
struct TestRegistration {
  explicit TestRegistration(std::function<QObject*()> make);
};
const std::vector<std::function<QObject*()>>& RegisteredTests();

}  // namespace skarvel::test
