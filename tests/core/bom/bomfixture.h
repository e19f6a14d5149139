#pragma once
// Product trees for the bill-of-materials tests: empty files in a temporary
// folder for the file index to find, and a loader that answers from a table
// of models instead of reading them.

#include "bom/modelcache.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <mutex>

namespace kelvaron::bomtest {

using reader::ComponentType;

struct Comp {
  QString name;
  ComponentType type = ComponentType::Part;
  std::int64_t quantity = 1;
  std::int64_t suppressed = 0;
  QString generic = {};
};

inline reader::AssemblyModel model(const std::vector<Comp>& comps) {
  reader::AssemblyModel m;
  m.generation = reader::Generation::LegacyText;
  for (const Comp& c : comps) {
    reader::ModelComponent mc;
    mc.name = c.name;
    mc.type = c.type;
    mc.quantity = c.quantity;
    mc.suppressed = c.suppressed;
    mc.generic = c.generic;
    m.add(mc);
  }
  return m;
}

inline Comp part(const QString& name, std::int64_t q = 1, std::int64_t s = 0) {
  return {name, ComponentType::Part, q, s};
}
inline Comp sub(const QString& name, std::int64_t q = 1, std::int64_t s = 0) {
  return {name, ComponentType::Assembly, q, s};
}

class BomTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

  QString path(const QString& name) const { return QDir::cleanPath(m_dir.filePath(m_prefix + name)); }

  /// An empty file (a part, or an assembly whose model is given separately).
  void touch(const QString& name) const {
    QDir().mkpath(QFileInfo(path(name)).path());
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
  }
  /// An assembly file and the model the loader gives for it.
  void assembly(const QString& name, const std::vector<Comp>& comps) {
    touch(name);
    m_models.insert(path(name), model(comps));
  }
  /// A file the loader cannot read.
  void broken(const QString& name) {
    touch(name);
    m_broken << path(name);
  }

  bom::ModelLoader loader() {
    return [this](const QString& p) {
      const std::lock_guard<std::mutex> lock(m_mutex);  // scans read on several threads
      ++m_reads[p];
      reader::FileModel f;
      if (m_models.contains(p))
        f.model = m_models.value(p);
      else
        f.error = QStringLiteral("cannot read %1: %2").arg(p, m_broken.contains(p) ? "damaged" : "no model");
      return f;
    };
  }

  int reads(const QString& name) const { return m_reads.value(path(name)); }

  /// Starts a fresh tree in a folder of its own, for one case of a table.
  void startCase(const QString& name) {
    m_prefix = name + u'/';
    m_models.clear();
    m_broken.clear();
    m_reads.clear();
  }

  QTemporaryDir m_dir;
  QString m_prefix;
  QHash<QString, reader::AssemblyModel> m_models;
  QStringList m_broken;
  QHash<QString, int> m_reads;
  std::mutex m_mutex;
};

}  // namespace kelvaron::bomtest
