#include "app/problemmodel.h"

#include "platform/nativepath.h"

#include <QLocale>

namespace kelvaron {

ProblemModel::ProblemModel(QObject* parent) : QAbstractTableModel(parent) {}

void ProblemModel::setProblems(std::vector<ScanProblem> problems) {
  beginResetModel();
  m_problems = std::move(problems);
  endResetModel();
}

int ProblemModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_problems.size());
}

int ProblemModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ProblemModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const ScanProblem& p = problem(index.row());
  if (role == Qt::ToolTipRole) return p.details.isEmpty() ? p.reason : p.reason + u'\n' + p.details;
  if (role != Qt::DisplayRole) return {};
  const QString file = platform::displayPath(p.path);
  if (index.column() == File) return file;
  // The path stands in the first column already.
  const QString reason = p.reason.startsWith(file + u' ') ? p.reason.mid(file.size() + 1) : p.reason;
  return p.failed ? reason : QStringLiteral("warning: ") + reason;
}

QVariant ProblemModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == File ? QStringLiteral("file") : QStringLiteral("what happened");
}

QString summaryText(const ScanSummary& summary) {
  const QLocale locale;
  QString text = QStringLiteral("%1 %2, %3 reports written, %4 %5, %6 s")
                     .arg(locale.toString(summary.files), summary.files == 1 ? "file" : "files",
                          locale.toString(summary.reports), locale.toString(summary.failures),
                          summary.failures == 1 ? "failure" : "failures")
                     .arg(static_cast<double>(summary.milliseconds) / 1000.0, 0, 'f', 1);
  const auto warnings = std::count_if(summary.problems.begin(), summary.problems.end(),
                                      [](const ScanProblem& p) { return !p.failed; });
  if (warnings > 0) text += QStringLiteral(", %1 damaged or empty").arg(warnings);
  if (summary.stopped) text += QStringLiteral(", stopped");
  return text;
}

}  // namespace kelvaron
