#include "app/summarypanel.h"

#include "app/problemmodel.h"
#include "app/uitexts.h"
#include "platform/nativepath.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

namespace kelvaron {

SummaryPanel::SummaryPanel(ProblemModel* model, QWidget* parent)
    : QWidget(parent), m_model(model), m_title(new QLabel(this)), m_problems(new QTreeView(this)), m_notes(new QLabel(this)) {
  setAccessibleName(QString::fromUtf8(texts::kSummary));
  m_title->setWordWrap(true);
  m_title->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_title->setAccessibleDescription(QString::fromUtf8(texts::kSummary));
  m_problems->setModel(model);
  m_problems->setAccessibleName(QString::fromUtf8(texts::kFailures));
  m_problems->setToolTip(QString::fromUtf8(texts::kFailuresTip));
  m_problems->setRootIsDecorated(false);
  m_problems->setUniformRowHeights(true);
  m_problems->setAllColumnsShowFocus(true);
  m_problems->header()->setSectionResizeMode(ProblemModel::File, QHeaderView::Interactive);
  m_problems->header()->setStretchLastSection(true);
  m_title->setBuddy(m_problems);
  m_notes->setWordWrap(true);
  m_notes->setAccessibleDescription(QStringLiteral("folders named like assemblies"));
  m_notes->setVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_title);
  layout->addWidget(m_problems, 1);
  layout->addWidget(m_notes);
  connect(m_problems, &QTreeView::activated, this,
          [this](const QModelIndex& index) { Q_EMIT openRequested(m_model->problem(index.row()).path); });
}

void SummaryPanel::showStarted(const QString& folder) {
  m_title->setText(QStringLiteral("scanning %1 ...").arg(platform::displayPath(folder)));
  m_model->setProblems({});
  m_notes->clear();
  m_notes->setVisible(false);
}

void SummaryPanel::showSummary(const ScanSummary& summary) {
  m_title->setText(QStringLiteral("%1: %2").arg(platform::displayPath(summary.folder), summaryText(summary)));
  m_model->setProblems(summary.problems);
  m_problems->resizeColumnToContents(ProblemModel::File);
  m_notes->setText(summary.notes.join(u'\n'));
  m_notes->setVisible(!summary.notes.isEmpty());
}

}  // namespace kelvaron
