#include "bom/placement.h"

namespace kelvaron::bom {

const char* statusName(Status status) {
  switch (status) {
    case Status::Ok:
      return "ok";
    case Status::Missing:
      return "missing";
    case Status::Unreadable:
      return "unreadable";
    case Status::Cycle:
      return "cycle";
  }
  return "ok";
}

void Notes::add(const QString& note, const QString& key) {
  const QString& k = key.isEmpty() ? note : key;
  if (!m_seen.contains(k)) {
    m_seen.insert(k);
    m_list << note;
    m_keys << k;
  }
}

void Notes::merge(const Notes& other) {
  for (qsizetype i = 0; i < other.m_list.size(); ++i) add(other.m_list[i], other.m_keys[i]);
}

std::vector<Placement> resolvePlacements(const reader::AssemblyModel& model, const QString& ownFolder,
                                         const FileIndex& index, Notes& notes) {
  std::vector<Placement> placements;
  placements.reserve(model.components.size());
  for (const reader::ModelComponent& c : model.components) {
    Placement p{c, Status::Ok, {}, {}, -1};
    if (p.component.file.isEmpty()) p.component.file = reader::storedFileName(c.name, c.type, c.generic, c.source);
    Resolution r = index.resolve(p.component.file, ownFolder);
    if (r.path.isEmpty()) {
      p.status = Status::Missing;
    } else {
      p.path = r.path;
      if (!r.others.isEmpty()) {
        QString note = QStringLiteral("%1: using %2, also found as %3").arg(p.component.file, r.path, r.others.first());
        if (r.others.size() > 1) note += QStringLiteral(" and in %1 more folders").arg(r.others.size() - 1);
        notes.add(note, QStringLiteral("using ") + foldName(p.component.file));
      }
    }
    placements.push_back(std::move(p));
  }
  return placements;
}

bool isSkeleton(const reader::ModelComponent& component) {
  return component.subtype.compare(u"SKEL_MODEL", Qt::CaseInsensitive) == 0;
}

QString typeText(const reader::ModelComponent& component) {
  return isSkeleton(component) ? QStringLiteral("skeleton") : QString::fromLatin1(reader::typeName(component.type));
}

bool expands(const Placement& p) {
  return p.component.type == reader::ComponentType::Assembly && p.status == Status::Ok && p.component.quantity > 0;
}

}  // namespace kelvaron::bom
