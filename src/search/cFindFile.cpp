#include "search/cFindFile.h"

namespace kelvaron {

// Turns the walk's questions into the design's two events.
class cFindFile::Visitor final : public WalkVisitor {
 public:
  explicit Visitor(cFindFile& finder) : m_finder(finder) {}

  WalkState visit(const WalkEntry& entry) override {
    m_finder.m_current = &entry;
    Q_EMIT m_finder.MatchFound(entry.name, entry.path.left(entry.path.size() - entry.name.size()));
    m_finder.m_current = nullptr;
    return WalkState::Continue;
  }
  WalkState enter(const WalkEntry& folder) override {
    bool cancel = false;
    Q_EMIT m_finder.StopSearch(cancel);
    if (cancel) return WalkState::Skip;
    m_finder.m_sSearchpath = folder.path;
    return WalkState::Continue;
  }
  void unreadable(const QString& folder, const QString& reason) override {
    if (m_finder.m_unreadable) m_finder.m_unreadable(folder, reason);
  }
  WalkState fetched() override {
    return !m_finder.m_yield || m_finder.m_yield() ? WalkState::Continue : WalkState::Stop;
  }

 private:
  cFindFile& m_finder;
};

cFindFile::cFindFile(QObject* parent) : QObject(parent) {}

cFindFile::~cFindFile() = default;

bool cFindFile::sStartSearch() {
  try {
    Visitor visitor(*this);
    return walkFolder(m_sSearchpath, m_sFileToFind, m_sInclSubfolders, visitor);
  } catch (...) {
    m_current = nullptr;
    throw FindFileError(9999, QStringLiteral("cFindFile:sStartSearch Method"),
                        QStringLiteral("Fehler bei sStartSearch"));
  }
}

}  // namespace kelvaron
