#pragma once
// Product trees for the bill-of-materials tests: empty files in a temporary
// folder for the file index to find, and a loader that answers from a table
// of models instead of reading them.

#include "bom/modelcache.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <mutex>

namespace kelvaron::bomtest {

using reader::ComponentType;

/// A model from "NAME*quantity~suppressed<GENERIC!SUBTYPE" words, a leading +
/// for a sub-assembly: "+SUB*2 BOLT*3~1 M4<ISO4762 LAYOUT*0!SKEL_MODEL".
inline reader::AssemblyModel model(const QString& words) {
  static const QRegularExpression word(R"(^(\+?)([^*~<!]+)(?:\*(\d+))?(?:~(\d+))?(?:<([^!]+))?(?:!(.+))?$)");
  reader::AssemblyModel m;
  m.generation = reader::Generation::LegacyText;
  for (const QString& w : words.split(u' ', Qt::SkipEmptyParts)) {
    const QRegularExpressionMatch g = word.match(w);
    EXPECT_TRUE(g.hasMatch()) << w.toStdString();
    reader::ModelComponent c;
    c.type = g.captured(1).isEmpty() ? ComponentType::Part : ComponentType::Assembly;
    c.name = g.captured(2);
    c.quantity = g.captured(3).isEmpty() ? 1 : g.captured(3).toLongLong();
    c.suppressed = g.captured(4).toLongLong();
    c.generic = g.captured(5);
    c.subtype = g.captured(6);
    m.add(c);
  }
  return m;
}

class BomTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

  QString path(const QString& name) const { return QDir::cleanPath(m_dir.filePath(m_prefix + name)); }
  /// Files from "PATH: words; PATH" (an assembly and its model, see model();
  /// an empty file, which the loader cannot read).
  void make(const QString& layout) {
    for (const QString& entry : layout.split(u';', Qt::SkipEmptyParts)) {
      const QString e = entry.trimmed(), file = e.left(e.indexOf(u':'));
      QDir().mkpath(QFileInfo(path(file)).path());
      QFile f(path(file));
      EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << file.toStdString();
      if (e.contains(u':')) m_models.insert(path(file), model(e.mid(file.size() + 1)));
    }
  }
  bom::ModelLoader loader() {
    return [this](const QString& p) {
      const std::lock_guard<std::mutex> lock(m_mutex);  // scans read on several threads
      ++m_reads[p];
      reader::FileModel f;
      if (m_models.contains(p))
        f.model = m_models.value(p);
      else
        f.error = QStringLiteral("cannot read %1: damaged").arg(p);
      return f;
    };
  }
  /// Starts a fresh tree in a folder of its own, for one case of a table.
  void startCase(const QString& name) {
    m_prefix = name + u'/';
    m_models.clear();
    m_reads.clear();
  }
  /// Paths below the current case's folder, as written in the tests, joined by spaces.
  QString rel(const QStringList& paths) const {
    QStringList out;
    for (const QString& p : paths) out << QDir(path({})).relativeFilePath(p);
    return out.join(u' ');
  }

  QTemporaryDir m_dir;
  QString m_prefix;
  QHash<QString, reader::AssemblyModel> m_models;
  QHash<QString, int> m_reads;
  std::mutex m_mutex;
};

}  // namespace kelvaron::bomtest
