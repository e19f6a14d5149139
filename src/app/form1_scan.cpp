// Folder scan and timed start of the main window: the walk over nSearch, the
// stop picture, the analysis of every match, and the clock with its armed hour.

#include "app/clickablelabel.h"
#include "analysis/pathhelpers.h"
#include "app/form1.h"
#include "search/batchscan.h"
#include "search/cFindFile.h"
#include "app/clock.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

namespace kelvaron {

namespace {

// What the user sees while the folder walk runs: the stop picture and the
// busy pointer. Undone on every way out of the walk, an error included.
class WalkIndicators {
 public:
  explicit WalkIndicators(QWidget* stopPicture) : m_stopPicture(stopPicture) {
    m_stopPicture->setEnabled(true);
    m_stopPicture->setVisible(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~WalkIndicators() {
    QApplication::restoreOverrideCursor();
    m_stopPicture->setEnabled(false);
    m_stopPicture->setVisible(false);
  }
  WalkIndicators(const WalkIndicators&) = delete;
  WalkIndicators& operator=(const WalkIndicators&) = delete;

 private:
  QWidget* m_stopPicture;
};

}  // namespace

void Form1::connectScanHandlers() {
  nSearch = new cFindFile(this);
  // The handlers run inside the finder's raising of each event.
  connect(nSearch, &cFindFile::MatchFound, this, &Form1::nSearch_MatchFound, Qt::DirectConnection);
  connect(nSearch, &cFindFile::StopSearch, this, &Form1::nSearch_StopSearch, Qt::DirectConnection);
  connect(cmd_verzeichnis, &QPushButton::clicked, this, &Form1::cmd_verzeichnis_Click);
  connect(img_stop, &ClickableLabel::clicked, this, &Form1::img_stop_Click);
  connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
  connect(combo_zeit->lineEdit(), &QLineEdit::editingFinished, this, &Form1::combo_zeit_Validate);
}

void Form1::cmd_verzeichnis_Click() { ScanFolder(); }

void Form1::ScanFolder() {
  // Called from a yield of a running scan or analysis, a second one would
  // reuse List1, lbl_File and the finder under the first one's feet.
  if (isBusy() || m_closing) return;
  // An empty folder text would make the finder walk the whole file system.
  const QString folder = lbl_Dir->text();
  if (folder.isEmpty()) {
    lbl_status->setText(QStringLiteral("cannot scan: no folder chosen"));
    return;
  }
  if (!DirExists(folder)) {
    lbl_status->setText(QStringLiteral("cannot scan %1: no such folder").arg(folder));
    return;
  }
  BusyScope busy(*this);

  List1->clear();
  List1->setVisible(true);
  Frame3->setVisible(false);
  m_state.blnStop = false;
  FolderMatches found;
  try {
    WalkIndicators walking(img_stop);
    // A window closing during the walk ends it at once, even inside a long listing.
    found = collectAssemblies(*nSearch, folder, {.yield = [this] { return yieldToEvents(); }});
  } catch (const FindFileError& error) {
    if (!m_closing) lbl_status->setText(error.description());
    return;
  }
  if (m_closing) return;

  m_state.scanQueue = std::move(found.entries);
  // Folders the walk could not search are told once the scan is over, in the
  // status line, so they are not mistaken for folders without assemblies.
  const auto reportUnsearched = qScopeGuard([&] {
    if (found.errors.isEmpty() || m_closing) return;
    lbl_status->setText(
        found.errors.size() == 1
            ? found.errors.front()
            : QStringLiteral("%1 (and %2 more folders)").arg(found.errors.front()).arg(found.errors.size() - 1));
  });
  if (m_state.scanQueue.empty()) {
    showMessage(QStringLiteral("no files found"));
    return;
  }
  for (const FoundEntry& entry : m_state.scanQueue) {
    setCurrentFile(entry.path);
    List_ASM->clear();
    cmd_exec->setVisible(false);
    // A folder named like an assembly is walked, not analysed.
    if (const QString note = folderSkipNote(entry); !note.isEmpty()) {
      lbl_status->setText(note);
    } else {
      Kindersuche();
    }
    // Small files do not yield while they are analysed; between files the
    // window repaints and a close ends the batch here.
    if (!yieldToEvents()) return;
  }
}

void Form1::nSearch_MatchFound(const QString& sFilename, const QString& sFilePath) {
  List1->addItem(sFilePath + sFilename);
  ++m_state.lngMatchCount;
  lbl_status->setText(QString::number(m_state.lngMatchCount));
  yieldToEvents();
}

void Form1::nSearch_StopSearch(bool& Cancel) {
  if (m_state.blnStop) Cancel = true;
  // A window closing during the walk ends it like a stop.
  if (!yieldToEvents()) Cancel = true;
}

void Form1::img_stop_Click() {
  m_state.blnStop = true;
  cmd_verzeichnis->setEnabled(true);
  if (lbl_stop->text().toInt() == 0) {
    showMessage(QStringLiteral("stop !"));
    lbl_stop->setText(QStringLiteral("1"));
  } else {
    lbl_stop->setText(QStringLiteral("0"));
  }
}

void Form1::Timer1_Timer() {
  const QTime time = now().time();
  lbl_time->setText(clockText(time));
  lbl_clock->setText(lbl_time->text());
  // An armed hour waits while a scan or an analysis runs; it fires on the
  // first tick after it, if that hour is still under way.
  if (isBusy() || m_closing) return;
  if (!isArmedHour(combo_zeit->currentText(), time)) return;
  combo_zeit->setEditText(QString::fromLatin1(kUnarmed));
  // The scan starts right after this tick rather than inside it: a timer is
  // not served again while its own handler runs, so a scan inside the tick
  // would stop the clock for as long as it takes.
  QMetaObject::invokeMethod(
      this, [this] { ScanFolder(); }, Qt::QueuedConnection);
}

void Form1::combo_zeit_Validate() {
  const QString typed = combo_zeit->currentText();
  const QString hour = armedHourText(typed);
  if (hour == typed) return;
  combo_zeit->setEditText(hour.isEmpty() ? QString::fromLatin1(kUnarmed) : hour);
  if (hour.isEmpty())
    lbl_status->setText(QStringLiteral("start time \"%1\" is no hour from 0 to 23: nothing armed").arg(typed));
}

}  // namespace kelvaron
