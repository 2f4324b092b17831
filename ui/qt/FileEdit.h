#pragma once
// A one-line file-name edit with a browse button at its right end. The browse
// button runs a file-open dialog; a confirmed dialog sets the text, and then
// Browsed is emitted whether the user confirmed or cancelled. Changed is
// emitted on every change of the text, typed or set, and never when the text
// set is the one it holds. A file (or, where allowed, a folder) dropped on the
// edit counts as a confirmed browse.
//
// The edit shows native paths; the properties of the dialog are internal texts.
#include <QLineEdit>
#include <QMimeData>
#include <QString>
#include <QToolButton>
#include <QWidget>
#include <string>

namespace skarvel::ui::qt {

class FileEdit : public QWidget {
  Q_OBJECT

 public:
  explicit FileEdit(QWidget* parent = nullptr);

  // Where the dialog's properties come from: the title, the filter pairs
  // ("description|patterns|..."), the default extension ("*.wad") and the
  // folder it opens in, internal form.
  void SetDialogTitle(const std::string& title);
  void SetFilter(const std::string& filter) { filter_ = filter; }
  void SetDefaultExtension(const std::string& extension) { defaultExtension_ = extension; }
  void SetInitialFolder(const std::string& folder) { initialFolder_ = folder; }
  const std::string& InitialFolder() const { return initialFolder_; }
  // Whether a dropped folder is taken, besides files.
  void SetAcceptsFolders(bool accepts) { acceptsFolders_ = accepts; }

  // The label that names the edit to assistive technology.
  void SetAccessibleLabel(const QString& label);

  QString Text() const { return edit_.text(); }
  void SetText(const QString& text);

  QLineEdit& Edit() { return edit_; }
  QToolButton& BrowseButton() { return browse_; }

  // Runs the dialog as a press of the browse button does.
  void Browse();

 signals:
  void Changed();
  void Browsed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString DroppedPath(const QMimeData* data) const;

  QLineEdit edit_;
  QToolButton browse_;
  std::string title_;
  std::string filter_;
  std::string defaultExtension_;
  std::string initialFolder_;
  bool acceptsFolders_ = false;
};

}  // namespace skarvel::ui::qt
