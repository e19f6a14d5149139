#pragma once
// A toolbar button that shows its icon with the caption, if any, below it.

#include <QPushButton>

namespace kelvaron {

class PictureButton : public QPushButton {
  Q_OBJECT

 public:
  explicit PictureButton(const QString& text, QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace kelvaron
