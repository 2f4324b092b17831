#pragma once
// The status line ProgressBar: a lowered bevel whose inner part fills from the
// left, percent / 100 of its width, with the caption centred over it on one
// line. Every change draws at once, synchronously: while an operation works no
// event loop runs that could draw it later.
#include <QFrame>
#include <cstdint>
#include <string>

#include "archive/Workbench.h"

namespace skarvel::ui::qt {

class StatusLine : public QFrame, public ProgressSink {
  Q_OBJECT

 public:
  static constexpr QRgb kFillColour = 0xFF69AEE7;  // RGB(105, 174, 231)

  explicit StatusLine(QWidget* parent = nullptr);

  const std::string& Caption() const { return caption_; }
  int Position() const { return position_; }
  // The width of the filled part for the current position.
  int FilledWidth() const;

  // ProgressSink
  void SetCaption(const std::string& text) override;
  void SetPosition(std::uint8_t percent) override;
  void Repaint() override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string caption_;
  int position_ = 0;
};

}  // namespace skarvel::ui::qt
