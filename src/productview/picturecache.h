#pragma once
// The pictures model files carry, read and decoded off the UI thread and kept
// by path: a small one for the rows of a tree, the full one for a preview.
// Requests are served newest first, so the rows in view come before those a
// fast scroll went past.

#include "reader/assemblymodel.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace kelvaron::productview {

/// The encoded picture (JPEG) of the file at a path; empty when it has none
/// or cannot be read.
using PictureReader = std::function<QByteArray(const QString& path)>;

/// The picture of the model file at `path` as its JPEG bytes, read by the
/// part-data reader's picture-only entry; empty when it has none. The
/// PictureReader the window uses.
QByteArray readPictureBytes(const QString& path);

/// A plain picture for a file without one: a frame with the type's short
/// name ("PRT", "ASM") in the palette's colours, `side` pixels square.
QImage typePlaceholder(reader::ComponentType type, int side);

class PictureCache : public QObject {
  Q_OBJECT
 public:
  /// `smallSide` is the side, in pixels, of the pictures in rows.
  explicit PictureCache(PictureReader reader, int smallSide = 48, QObject* parent = nullptr);
  ~PictureCache() override;

  /// The row picture of `path` when it is known; otherwise a null image, and
  /// the file is read unless it was already (ready follows).
  QImage small(const QString& path);
  /// The full picture, as small().
  QImage full(const QString& path);
  int smallSide() const { return m_smallSide; }
  /// Whether `path` was read and has no picture.
  bool hasNone(const QString& path) const { return m_none.contains(path); }

  /// Forgets every picture and drops the requests not yet served.
  void clear();

 Q_SIGNALS:
  /// The pictures of `path` are known (possibly none).
  void ready(const QString& path);

 private:
  void request(const QString& path);
  void deliver(const QString& path, const QImage& full, const QImage& small);

  PictureReader m_reader;
  int m_smallSide;
  QHash<QString, QImage> m_small;
  QCache<QString, QImage> m_full;
  QSet<QString> m_none;
  QSet<QString> m_asked;
  // Shared with the worker: paths to read, newest last.
  struct Queue {
    std::mutex mutex;
    std::vector<QString> paths;
    bool running = false;
    int generation = 0;
  };
  std::shared_ptr<Queue> m_queue;
  QThreadPool m_pool;
};

}  // namespace kelvaron::productview
