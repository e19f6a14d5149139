#include "app/picturebutton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace kelvaron {

PictureButton::PictureButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  setFont(small);
}

QSize PictureButton::sizeHint() const {
  const int textHeight = text().isEmpty() ? 0 : fontMetrics().height();
  return {std::max(iconSize().width(), fontMetrics().horizontalAdvance(text())) + 8,
          iconSize().height() + textHeight + 8};
}

void PictureButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  // The bevel alone; icon and caption are laid out below, one above the other.
  option.text.clear();
  option.icon = QIcon();
  painter.drawControl(QStyle::CE_PushButtonBevel, option);

  const QRect inner = rect().adjusted(2, 2, -2, -2);
  const int textHeight = text().isEmpty() ? 0 : fontMetrics().height();
  const QSize icon = iconSize();
  const int top = inner.top() + (inner.height() - icon.height() - textHeight) / 2;
  const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
  const int shift = isDown() ? 1 : 0;
  const QRect iconRect(inner.left() + (inner.width() - icon.width()) / 2 + shift, top + shift, icon.width(),
                       icon.height());
  this->icon().paint(&painter, iconRect, Qt::AlignCenter, mode);
  if (textHeight > 0) {
    const QRect textRect(inner.left() + shift, iconRect.bottom() + 1, inner.width(), textHeight);
    painter.drawItemText(textRect, Qt::AlignHCenter | Qt::AlignTop, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
  }
}

}  // namespace kelvaron
