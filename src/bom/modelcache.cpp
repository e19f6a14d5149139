#include "bom/modelcache.h"

namespace kelvaron::bom {

const reader::FileModel& ModelCache::get(const QString& path) {
  auto it = m_models.find(path);
  if (it == m_models.end()) it = m_models.emplace(path, m_loader(path)).first;
  return it->second;
}

QString unreadableReason(const QString& path, const reader::FileModel& file) {
  if (!file.error.isEmpty()) return file.error;
  const QString& shown = path;
  if (file.model.failed) {
    const QString why = file.model.notes.isEmpty() ? QStringLiteral("the component list is damaged")
                                                   : file.model.notes.join(QStringLiteral("; "));
    return QStringLiteral("cannot read %1: %2").arg(shown, why);
  }
  if (file.model.generation == reader::Generation::Unknown)
    return QStringLiteral("cannot read %1: not an assembly file of a known layout").arg(shown);
  return {};
}

}  // namespace kelvaron::bom
