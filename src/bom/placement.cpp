#include "bom/placement.h"

#include "platform/nativepath.h"

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

void Notes::add(const QString& note) {
  if (!m_seen.contains(note)) {
    m_seen.insert(note);
    m_list << note;
  }
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
        QStringList shown;
        for (const QString& o : r.others) shown << platform::displayPath(o);
        notes.add(QStringLiteral("%1: using %2, also found as %3")
                      .arg(p.component.file, platform::displayPath(r.path), shown.join(QStringLiteral(", "))));
      }
    }
    placements.push_back(std::move(p));
  }
  return placements;
}

bool expands(const Placement& p) {
  return p.component.type == reader::ComponentType::Assembly && p.status == Status::Ok && p.component.quantity > 0;
}

}  // namespace kelvaron::bom
