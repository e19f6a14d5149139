#include "productview/statusstyle.h"

#include "widgets/readablecolour.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>

namespace kelvaron::productview {

QIcon statusIcon(bom::Status status) {
  QStyle* style = QApplication::style();
  switch (status) {
    case bom::Status::Ok:
      return {};
    case bom::Status::Missing:
      return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case bom::Status::Unreadable:
      return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case bom::Status::Cycle:
      return style->standardIcon(QStyle::SP_BrowserReload);
  }
  return {};
}

QColor statusColour(bom::Status status, const QColor& background) {
  QColor wanted;
  switch (status) {
    case bom::Status::Ok:
      return {};
    case bom::Status::Missing:
      wanted = QColor(0xc0, 0x00, 0x00);
      break;
    case bom::Status::Unreadable:
      wanted = QColor(0xa0, 0x50, 0x00);
      break;
    case bom::Status::Cycle:
      wanted = QColor(0x80, 0x00, 0xa0);
      break;
  }
  return widgets::readableColour(wanted, background);
}

QColor statusColour(bom::Status status) { return statusColour(status, QApplication::palette().color(QPalette::Base)); }

}  // namespace kelvaron::productview
