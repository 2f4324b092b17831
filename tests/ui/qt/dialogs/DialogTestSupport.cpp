#include "DialogTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "ui/qt/FolderModel.h"

namespace skarvel::test {
namespace {

constexpr const char* kVariables[] = {"HOME", "XDG_CONFIG_HOME", "WINEPREFIX"};

std::vector<std::function<QObject*()>>& Registry() {
  static std::vector<std::function<QObject*()>> tests;
  return tests;
}

QString HomePattern(const QString& base) {
  const QString parent = !base.isEmpty() && QFileInfo(base).isDir() && QFileInfo(base).isWritable() ? base : QDir::tempPath();
  return parent + "/skarvel-dialogs-XXXXXX";
}

}  // namespace

TestHome::TestHome(const QString& base) : dir_(HomePattern(base)) {
  for (int i = 0; i < 3; ++i) saved_[i] = qgetenv(kVariables[i]);
  qputenv("HOME", dir_.path().toUtf8());
  qputenv("XDG_CONFIG_HOME", Path(".config").toUtf8());
  qputenv("WINEPREFIX", WinePrefix().toUtf8());
  MakeFolders({"Desktop", ".config"});
}

TestHome::~TestHome() {
  for (int i = 0; i < 3; ++i) {
    if (saved_[i].isNull()) qunsetenv(kVariables[i]);
    else qputenv(kVariables[i], saved_[i]);
  }
}

QString TestHome::Path(const QString& relative) const {
  return relative.isEmpty() ? dir_.path() : dir_.path() + '/' + relative;
}

void TestHome::MakeFolders(const QStringList& relatives) const {
  for (const QString& relative : relatives) QDir().mkpath(Path(relative));
}

void TestHome::MakeFile(const QString& relative) const {
  QFile file(Path(relative));
  file.open(QIODevice::WriteOnly);
}

QStringList ChildLabels(const ui::qt::FolderModel& model, const QModelIndex& parent) {
  QStringList labels;
  for (int row = 0; row < model.rowCount(parent); ++row) labels.append(model.index(row, 0, parent).data().toString());
  return labels;
}

QModelIndex ChildNamed(const ui::qt::FolderModel& model, const QModelIndex& parent, const QString& label) {
  const int row = ChildLabels(model, parent).indexOf(label);
  return row < 0 ? QModelIndex() : model.index(row, 0, parent);
}

TestRegistration::TestRegistration(std::function<QObject*()> make) { Registry().push_back(std::move(make)); }

const std::vector<std::function<QObject*()>>& RegisteredTests() { return Registry(); }

}  // namespace skarvel::test
