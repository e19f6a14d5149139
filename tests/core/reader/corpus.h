#pragma once
// Real files for the reader tests: the shared corpus with its expectations, and
// the raw and LZW sections of its container files, cut out by the table of contents.

#include "reader/assemblymodel.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <optional>

namespace kelvaron::reader::test {

inline QString samplesDir() { return QStringLiteral(KELVARON_SAMPLES_DIR); }
inline QString corpusDir() { return QDir(samplesDir()).absoluteFilePath(QStringLiteral("../proe-corpus")); }

/// expected.json's "assemblies", empty when the corpus is absent.
inline QJsonObject expectedAssemblies() {
  QFile f(corpusDir() + QStringLiteral("/expected.json"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("assemblies")).toObject();
}

inline QByteArray readWhole(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// "NAME type quantity suppressed generic" per expected component, in order.
inline QStringList expectedLines(const QJsonObject& assembly) {
  QStringList lines;
  for (const QJsonValue& v : assembly.value(QStringLiteral("components")).toArray()) {
    const QJsonObject c = v.toObject();
    lines << QStringLiteral("%1 %2 %3 %4 %5")
                 .arg(c.value(QStringLiteral("name")).toString(), c.value(QStringLiteral("type")).toString())
                 .arg(c.value(QStringLiteral("quantity")).toInteger())
                 .arg(c.value(QStringLiteral("suppressed")).toInteger())
                 .arg(c.value(QStringLiteral("generic")).toString());
  }
  return lines;
}

/// The same form for what the reader gave.
inline QStringList modelLines(const AssemblyModel& model) {
  QStringList lines;
  for (const ModelComponent& c : model.components)
    lines << QStringLiteral("%1 %2 %3 %4 %5")
                 .arg(c.name, QString::fromLatin1(typeName(c.type)))
                 .arg(c.quantity)
                 .arg(c.suppressed)
                 .arg(c.generic);
  return lines;
}

/// The payload (after its "#NAME\n" line) of the first section whose TOC name
/// is `name`; the TOC offsets count from the header's base offset.
inline std::optional<QByteArray> sectionPayload(const QByteArray& file, const QByteArray& name) {
  const QList<QByteArray> first = file.left(file.indexOf('\n')).split(' ');
  if (first.size() < 11) return std::nullopt;
  bool ok = false;
  const qint64 base = first.at(10).toLongLong(&ok, 16);
  if (!ok) return std::nullopt;
  const qsizetype at = file.indexOf('\n' + name + ' ');
  if (at < 0) return std::nullopt;
  const QList<QByteArray> fields = file.mid(at + 1, 81).split(' ');
  const qint64 offset = base + fields.at(1).toLongLong(&ok, 16);
  const qint64 length = fields.at(2).toLongLong(&ok, 16);
  const QByteArray marker = '#' + name + '\n';
  if (!ok || file.mid(offset, marker.size()) != marker) return std::nullopt;
  return file.mid(offset + marker.size(), length - marker.size());
}

/// An LZW payload decoded by `gzip -dc`; nothing when gzip is missing or fails.
inline std::optional<QByteArray> gunzip(const QByteArray& lzw) {
  const QString gzip = QStandardPaths::findExecutable(QStringLiteral("gzip"));
  if (gzip.isEmpty()) return std::nullopt;
  QProcess p;
  p.start(gzip, {QStringLiteral("-dc")});
  if (!p.waitForStarted()) return std::nullopt;
  p.write(lzw);
  p.closeWriteChannel();
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return std::nullopt;
  return p.readAllStandardOutput();
}

}  // namespace kelvaron::reader::test
