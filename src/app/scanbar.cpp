#include "app/scanbar.h"

#include "app/scancontroller.h"
#include "app/uitexts.h"
#include "resources/resources.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QToolButton>

namespace kelvaron {

QString progressText(const ScanProgress& p) {
  const QLocale locale;
  QString text = p.searching ? QStringLiteral("searching: %1 found").arg(locale.toString(p.found))
                             : QStringLiteral("analysed %1 of %2").arg(locale.toString(p.analysed), locale.toString(p.found));
  if (p.milliseconds > 0 && p.analysed > 0)
    text += QStringLiteral(" · %1 files/s").arg(locale.toString(qRound64(p.analysed * 1000.0 / p.milliseconds)));
  text += QStringLiteral(" · %1 %2").arg(locale.toString(p.failures), p.failures == 1 ? "failure" : "failures");
  return text;
}

ScanBar::ScanBar(QWidget* parent)
    : QWidget(parent), m_bar(new QProgressBar(this)), m_counts(new QLabel(this)), m_stop(new QToolButton(this)) {
  m_bar->setAccessibleName(QString::fromUtf8(texts::kScanProgress));
  m_bar->setToolTip(QString::fromUtf8(texts::kScanProgress));
  m_bar->setTextVisible(false);
  m_counts->setAccessibleDescription(QString::fromUtf8(texts::kScanProgress));
  m_stop->setIcon(QIcon(resources::kStopPicture));
  m_stop->setText(QStringLiteral("stop"));
  m_stop->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  m_stop->setAccessibleName(QString::fromUtf8(texts::kStopScan));
  m_stop->setToolTip(QString::fromUtf8(texts::kStopScan));
  m_stop->setCursor(resources::stopCursor());
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_bar, 1);
  layout->addWidget(m_counts, 2);
  layout->addWidget(m_stop);
  connect(m_stop, &QToolButton::clicked, this, &ScanBar::stopClicked);
}

void ScanBar::setProgress(const ScanProgress& progress) {
  // While searching, the total is not known: the bar only shows it is busy.
  m_bar->setRange(0, progress.searching ? 0 : static_cast<int>(std::min<qint64>(progress.found, INT_MAX)));
  m_bar->setValue(static_cast<int>(std::min<qint64>(progress.analysed, INT_MAX)));
  m_counts->setText(progressText(progress));
}

}  // namespace kelvaron
