#pragma once
// A label that reports a click of the left mouse button (the status line, the
// stop picture).

#include <QLabel>
#include <QMouseEvent>

namespace kelvaron {

class ClickableLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickableLabel(const QString& text = QString(), QWidget* parent = nullptr) : QLabel(text, parent) {}
  explicit ClickableLabel(QWidget* parent) : QLabel(parent) {}

 Q_SIGNALS:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && isEnabled())
      Q_EMIT clicked();
  }
};

}  // namespace kelvaron
