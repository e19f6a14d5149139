#include "productview/picturecache.h"

#include "reader/modeldata.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

namespace kelvaron::productview {

namespace {

// Full pictures kept: a preview and a screen of rows scrolling back.
constexpr int kFullKept = 64;

}  // namespace

QByteArray readPictureBytes(const QString& path) {
  const reader::Picture picture = reader::readPictureFile(path);
  return picture.error.isEmpty() ? QByteArray::fromStdString(picture.bytes) : QByteArray();
}

QImage typePlaceholder(reader::ComponentType type, int side) {
  const QPalette palette = QApplication::palette();
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(palette.color(QPalette::Base));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal pen = std::max(1.0, side / 32.0);
  painter.setPen(QPen(palette.color(QPalette::Mid), pen));
  painter.drawRoundedRect(QRectF(pen, pen, side - 2 * pen, side - 2 * pen), side / 8.0, side / 8.0);
  QFont font = painter.font();
  font.setPixelSize(std::max(6, side / 4));
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(palette.color(QPalette::PlaceholderText));
  painter.drawText(image.rect(), Qt::AlignCenter,
                   type == reader::ComponentType::Assembly ? QStringLiteral("ASM") : QStringLiteral("PRT"));
  return image;
}

PictureCache::PictureCache(PictureReader reader, int smallSide, QObject* parent)
    : QObject(parent), m_reader(std::move(reader)), m_smallSide(smallSide), m_queue(std::make_shared<Queue>()) {
  m_full.setMaxCost(kFullKept);
  m_pool.setMaxThreadCount(1);
}

PictureCache::~PictureCache() {
  clear();
  m_pool.waitForDone();
}

QImage PictureCache::small(const QString& path) {
  if (const auto it = m_small.constFind(path); it != m_small.constEnd()) return *it;
  request(path);
  return {};
}

QImage PictureCache::full(const QString& path) {
  if (const QImage* image = m_full.object(path)) return *image;
  if (!m_none.contains(path)) {
    m_asked.remove(path);  // read again: the full picture was dropped to keep memory bounded
    request(path);
  }
  return {};
}

void PictureCache::clear() {
  m_small.clear();
  m_full.clear();
  m_none.clear();
  m_asked.clear();
  const std::lock_guard<std::mutex> lock(m_queue->mutex);
  m_queue->paths.clear();
  ++m_queue->generation;
}

void PictureCache::request(const QString& path) {
  if (path.isEmpty() || m_none.contains(path) || m_asked.contains(path)) return;
  m_asked.insert(path);
  const std::lock_guard<std::mutex> lock(m_queue->mutex);
  m_queue->paths.push_back(path);
  if (m_queue->running) return;
  m_queue->running = true;
  // One worker drains the queue newest first; it ends when the queue is empty.
  m_pool.start([this, queue = m_queue, reader = m_reader, side = m_smallSide] {
    for (;;) {
      QString path;
      int generation = 0;
      {
        const std::lock_guard<std::mutex> lock(queue->mutex);
        if (queue->paths.empty()) {
          queue->running = false;
          return;
        }
        path = std::move(queue->paths.back());
        queue->paths.pop_back();
        generation = queue->generation;
      }
      const QImage full = QImage::fromData(reader(path));
      const QImage small =
          full.isNull() ? QImage() : full.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
      QMetaObject::invokeMethod(
          this,
          [this, queue, generation, path, full, small] {
            if (generation == queue->generation) deliver(path, full, small);
          },
          Qt::QueuedConnection);
    }
  });
}

void PictureCache::deliver(const QString& path, const QImage& full, const QImage& small) {
  if (full.isNull()) {
    m_none.insert(path);
  } else {
    m_small.insert(path, small);
    m_full.insert(path, new QImage(full));
  }
  Q_EMIT ready(path);
}

}  // namespace kelvaron::productview
