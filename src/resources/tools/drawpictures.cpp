// Draws the program's pictures into a folder as PNG files:
//   drawpictures <folder>
// The PNGs are committed in src/resources/pictures; run this again after a
// change of the drawings (target kelvaron_draw_pictures, not built by default).

#include <QDir>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cstdio>
#include <functional>

namespace {

// One palette for every picture.
const QColor kInk(0x1f, 0x3a, 0x5f);        // dark blue: outlines, text
const QColor kBlueLight(0x7f, 0xb2, 0xe5);  // cube top
const QColor kBlue(0x3f, 0x7f, 0xc4);       // cube left face
const QColor kBlueDark(0x28, 0x5a, 0x96);   // cube right face
const QColor kOrange(0xe8, 0x86, 0x1f);     // accent: lens, arrows
const QColor kFolder(0xf2, 0xc1, 0x4e);     // folder body
const QColor kFolderDark(0xc9, 0x93, 0x20);
const QColor kRed(0xc8, 0x30, 0x2c);
const QColor kGrey(0x5c, 0x66, 0x73);
const QColor kPaper(0xfb, 0xfb, 0xf8);

using Draw = std::function<void(QPainter&)>;

bool save(const QString& folder, const QString& name, int w, int h, const Draw& draw, bool smooth = true) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, smooth);
    p.setRenderHint(QPainter::TextAntialiasing, smooth);
    draw(p);
  }
  const QString path = folder + '/' + name;
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

// An isometric cube filling a box of size s (width) at (x, y).
void cube(QPainter& p, qreal x, qreal y, qreal s, qreal outline) {
  const qreal h = s * 0.5;  // rhombus height of the top face
  const QPointF top(x + s / 2, y), left(x, y + h / 2), right(x + s, y + h / 2), mid(x + s / 2, y + h),
      bottomLeft(x, y + h / 2 + s * 0.62), bottomRight(x + s, y + h / 2 + s * 0.62),
      bottom(x + s / 2, y + h + s * 0.62);
  p.setPen(QPen(kInk, outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(kBlueLight);
  p.drawPolygon(QPolygonF{top, right, mid, left});
  p.setBrush(kBlue);
  p.drawPolygon(QPolygonF{left, mid, bottom, bottomLeft});
  p.setBrush(kBlueDark);
  p.drawPolygon(QPolygonF{mid, right, bottomRight, bottom});
}

// A magnifying lens with its centre at c and radius r.
void lens(QPainter& p, QPointF c, qreal r, qreal width) {
  p.setBrush(QColor(255, 255, 255, 90));
  p.setPen(QPen(kOrange, width, Qt::SolidLine, Qt::RoundCap));
  p.drawEllipse(c, r, r);
  const qreal d = r * 0.7071;
  p.setPen(QPen(kOrange, width * 1.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(c.x() + d + width * 0.4, c.y() + d + width * 0.4), QPointF(c.x() + r * 1.65, c.y() + r * 1.65));
}

// The program's emblem (a part under a lens) in a square of side s.
void emblem(QPainter& p, qreal x, qreal y, qreal s) {
  const qreal line = qMax<qreal>(1.0, s / 22.0);
  cube(p, x + s * 0.04, y + s * 0.06, s * 0.72, line);
  lens(p, QPointF(x + s * 0.66, y + s * 0.64), s * 0.17, qMax<qreal>(1.3, s / 12.0));
}

void folderShape(QPainter& p, const QRectF& r, qreal outline) {
  QPainterPath back;
  back.moveTo(r.left(), r.top() + r.height() * 0.15);
  back.lineTo(r.left() + r.width() * 0.38, r.top() + r.height() * 0.15);
  back.lineTo(r.left() + r.width() * 0.48, r.top() + r.height() * 0.30);
  back.lineTo(r.right(), r.top() + r.height() * 0.30);
  back.lineTo(r.right(), r.bottom());
  back.lineTo(r.left(), r.bottom());
  back.closeSubpath();
  p.setPen(QPen(kFolderDark, outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(kFolderDark.lighter(125));
  p.drawPath(back);
  p.setBrush(kFolder);
  p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.42, r.width(), r.height() * 0.58));
}

void page(QPainter& p, const QRectF& r) {
  QPainterPath sheet;
  const qreal fold = r.width() * 0.35;
  sheet.moveTo(r.topLeft());
  sheet.lineTo(r.right() - fold, r.top());
  sheet.lineTo(r.right(), r.top() + fold);
  sheet.lineTo(r.bottomRight());
  sheet.lineTo(r.bottomLeft());
  sheet.closeSubpath();
  p.setPen(QPen(kGrey, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(kPaper);
  p.drawPath(sheet);
  p.setPen(QPen(kBlue, 1.0));
  for (qreal y = r.top() + 4.5; y < r.bottom() - 1.5; y += 2.5) {
    p.drawLine(QPointF(r.left() + 2.5, y), QPointF(r.right() - 2.5, y));
  }
}

QPolygonF octagon(QPointF c, qreal r) {
  QPolygonF poly;
  const qreal a = r * 0.4142;
  poly << QPointF(c.x() - a, c.y() - r) << QPointF(c.x() + a, c.y() - r) << QPointF(c.x() + r, c.y() - a)
       << QPointF(c.x() + r, c.y() + a) << QPointF(c.x() + a, c.y() + r) << QPointF(c.x() - a, c.y() + r)
       << QPointF(c.x() - r, c.y() + a) << QPointF(c.x() - r, c.y() - a);
  return poly;
}

void logo(QPainter& p, int w, int h) {
  emblem(p, 6, (h - 88) / 2.0, 88);
  p.setPen(kInk);
  QFont title("DejaVu Sans", 1);
  title.setBold(true);
  // The largest size at which the name fits beside the emblem.
  for (int size = 44; size > 10; --size) {
    title.setPixelSize(size);
    if (QFontMetricsF(title).horizontalAdvance("Kelvaron") <= w - 118) break;
  }
  p.setFont(title);
  p.drawText(QRectF(108, 14, w - 110, 54), Qt::AlignLeft | Qt::AlignVCenter, "Kelvaron");
  p.setPen(QPen(kOrange, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(110, 70), QPointF(w - 8, 70));
  QFont sub("DejaVu Sans", 1);
  sub.setPixelSize(12);
  p.setFont(sub);
  p.setPen(kGrey);
  p.drawText(QRectF(110, 76, w - 112, 17), Qt::AlignLeft | Qt::AlignVCenter, "parts in");
  p.drawText(QRectF(110, 91, w - 112, 17), Qt::AlignLeft | Qt::AlignVCenter, "Pro/ENGINEER assemblies");
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: drawpictures <folder>\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  bool ok = true;

  ok &= save(out, "logo.png", 294, 111, [](QPainter& p) { logo(p, 294, 111); });
  ok &= save(out, "logo_small.png", 100, 79, [](QPainter& p) { emblem(p, 14, 2, 74); });
  for (int size : {16, 32, 48, 64, 128, 256}) {
    ok &= save(out, QString("kelvaron_%1.png").arg(size), size, size, [size](QPainter& p) { emblem(p, 0, 0, size); });
  }

  // Toolbar icons, 16 x 16.
  ok &= save(out, "file.png", 16, 16, [](QPainter& p) {
    folderShape(p, QRectF(0.5, 1.5, 13, 11), 1.0);
    lens(p, QPointF(10, 10), 2.6, 1.3);
  });
  ok &= save(out, "info.png", 16, 16, [](QPainter& p) {
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(8, 8), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.6), 1.3, 1.3);
    p.drawRoundedRect(QRectF(6.9, 6.8, 2.2, 5.8), 0.6, 0.6);
  });
  ok &= save(out, "place.png", 16, 16, [](QPainter& p) {
    folderShape(p, QRectF(0.5, 3.5, 15, 12), 1.0);
    p.setPen(QPen(kBlueDark, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(8, 0.8), QPointF(8, 9.5));
    p.drawPolyline(QPolygonF{QPointF(4.8, 6.6), QPointF(8, 10), QPointF(11.2, 6.6)});
  });
  ok &= save(out, "report.png", 16, 16, [](QPainter& p) {
    page(p, QRectF(1.5, 0.5, 10, 14));
    p.setPen(QPen(kOrange, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(8.5, 11), QPointF(14.5, 11));
    p.drawPolyline(QPolygonF{QPointF(12, 8.3), QPointF(14.8, 11), QPointF(12, 13.7)});
  });
  ok &= save(out, "exit.png", 16, 16, [](QPainter& p) {
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 1.5, 8, 13));
    p.setBrush(kBlueDark);
    p.drawPolygon(QPolygonF{QPointF(1.5, 1.5), QPointF(7, 3), QPointF(7, 15.5), QPointF(1.5, 14.5)});
    p.setPen(QPen(kRed, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(8.5, 8), QPointF(14.5, 8));
    p.drawPolyline(QPolygonF{QPointF(12, 5.3), QPointF(14.8, 8), QPointF(12, 10.7)});
  });

  // Stop picture (32 x 30) and its cursor (32 x 32, black and white).
  ok &= save(out, "stop.png", 32, 30, [](QPainter& p) {
    p.setPen(QPen(kRed.darker(150), 1.2));
    p.setBrush(kRed);
    p.drawPolygon(octagon(QPointF(16, 15), 14));
    p.setPen(QPen(Qt::white, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(octagon(QPointF(16, 15), 11.6));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(8, 12.5, 16, 5), 1, 1);
  });
  ok &= save(
      out, "stop_cursor.png", 32, 32,
      [](QPainter& p) {
        p.setPen(QPen(Qt::white, 4));
        p.setBrush(Qt::black);
        p.drawPolygon(octagon(QPointF(16, 16), 13));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 14, 14, 4));
      },
      false);

  // Pointing hand of the links, 32 x 32, hot spot at the finger tip (12, 1).
  ok &= save(out, "link_cursor.png", 32, 32, [](QPainter& p) {
    QPainterPath hand;
    hand.addRoundedRect(QRectF(10, 1, 5, 16), 2.5, 2.5);      // index finger
    hand.addRoundedRect(QRectF(15, 8, 4.5, 10), 2.2, 2.2);    // middle finger
    hand.addRoundedRect(QRectF(19.5, 9, 4.5, 10), 2.2, 2.2);  // ring finger
    hand.addRoundedRect(QRectF(24, 10.5, 4, 9), 2, 2);        // little finger
    QPainterPath thumb;
    thumb.moveTo(10, 21);
    thumb.lineTo(4.5, 14.5);
    thumb.cubicTo(3, 12.5, 5.5, 10.5, 7.5, 12.5);
    thumb.lineTo(11, 16);
    thumb.closeSubpath();
    hand.addPath(thumb);
    hand.addRoundedRect(QRectF(9, 14, 19, 15), 4, 4);  // palm
    hand = hand.simplified();
    p.setPen(QPen(Qt::black, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 14), QPointF(15, 18));
    p.drawLine(QPointF(19.5, 14), QPointF(19.5, 18.5));
    p.drawLine(QPointF(24, 14), QPointF(24, 19));
  });

  return ok ? 0 : 1;
}
