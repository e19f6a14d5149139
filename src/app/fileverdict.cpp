#include "app/fileverdict.h"

#include "app/uitexts.h"
#include "platform/nativepath.h"

#include <QFileInfo>

namespace kelvaron {

FileVerdict fileVerdict(const FileOutcome& outcome, const AssemblyAnalysis& analysis) {
  using Kind = FileVerdict::Kind;
  const QString name = platform::displayPath(outcome.file);
  const QString notes = analysis.notes.join(QStringLiteral("; "));
  if (!analysis.error.isEmpty()) return {Kind::NotRead, analysis.error, {}};
  if (!analysis.assembly)
    return {Kind::NotRead, QStringLiteral("%1 is not read: only *.asm files are assemblies").arg(name), {}};
  FileVerdict verdict;
  const bool nothing = analysis.partCount == 0 && analysis.model.components.empty();
  if (nothing && QFileInfo(outcome.file).size() == 0) {
    verdict = {Kind::Empty, QStringLiteral("%1 is empty").arg(name), {}};
  } else if (!analysis.fallback.isEmpty()) {
    verdict = {Kind::Damaged,
               QStringLiteral("%1 is damaged: its parts were found by a plain search and may be wrong or incomplete")
                   .arg(name),
               notes.isEmpty() ? analysis.fallback : notes};
  } else if (nothing && analysis.model.generation == reader::Generation::Unknown) {
    verdict = {Kind::NoParts,
               QStringLiteral("%1 holds no parts: it is no Pro/ENGINEER or Creo assembly, or it is damaged").arg(name),
               notes};
  } else if (!notes.isEmpty()) {
    verdict = {Kind::Incomplete, QStringLiteral("%1 may be damaged: its list may be incomplete").arg(name), notes};
  } else {
    verdict.status = QString::fromLatin1(texts::kFileSaved);
  }
  // A report that could not be written is the user's first concern; what the
  // file itself is like stays in the details.
  if (!outcome.error.isEmpty()) {
    const QString fileNote = verdict.kind == Kind::Fine ? QString() : verdict.status;
    return {Kind::Failed, outcome.error,
            fileNote.isEmpty() ? verdict.details : fileNote + (verdict.details.isEmpty() ? "" : "; " + verdict.details)};
  }
  return verdict;
}

}  // namespace kelvaron
