#include "app/browsepanel.h"

#include "app/clock.h"
#include "app/uitexts.h"
#include "platform/folderpaths.h"
#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "widgets/filelistbox.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvaron {

namespace {

QString text(const char* t) { return QString::fromUtf8(t); }

// Gives a control its screen-reader name and its tooltip.
template <class W>
W* described(W* widget, const char* name, const char* tip) {
  widget->setAccessibleName(text(name));
  widget->setToolTip(text(tip));
  return widget;
}

}  // namespace

BrowsePanel::BrowsePanel(QWidget* parent)
    : QWidget(parent),
      m_drives(described(new widgets::DriveListBox(this), texts::kDrive, texts::kDrive)),
      m_folders(described(new widgets::DirListBox(this), texts::kFolders, "double-click or press Enter to open a folder")),
      m_files(described(new widgets::FileListBox(this), texts::kAssemblyFiles, texts::kAssemblyFilesTip)),
      m_folderLabel(new QLabel(this)),
      m_scan(described(new QPushButton(text(texts::kScanAll), this), texts::kScanAll, texts::kScanAllTip)),
      m_close(described(new QPushButton(text(texts::kClose), this), texts::kClose, texts::kCloseTip)),
      m_cycle(new QGroupBox(text(texts::kCycleControl), this)),
      m_hour(described(new QComboBox(m_cycle), texts::kStartHour, texts::kStartHourTip)),
      m_armed(new QLabel(this)) {
  setAccessibleName(text(texts::kBrowse));
  m_files->setPattern(text(texts::kFilePattern));
  m_folderLabel->setAccessibleDescription(text(texts::kCurrentFolder));
  m_folderLabel->setToolTip(text(texts::kCurrentFolder));
  m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_folderLabel->setWordWrap(true);
  m_folderLabel->setBuddy(m_folders);
  m_cycle->setAccessibleName(text(texts::kCycleControl));
  m_cycle->setToolTip(text(texts::kStartHourTip));
  m_armed->setAccessibleDescription(text(texts::kArmed));
  m_armed->setWordWrap(true);
  m_armed->setVisible(false);

  m_hour->setEditable(true);
  m_hour->setInsertPolicy(QComboBox::NoInsert);
  m_hour->setCompleter(nullptr);  // completing "1" to "10" would arm the wrong hour
  for (int hour = 1; hour <= 24; ++hour) m_hour->addItem(QStringLiteral("%1").arg(hour % 24, 2, 10, QLatin1Char('0')));
  m_hour->setCurrentIndex(-1);
  m_hour->setEditText(QString::fromLatin1(kUnarmed));
  m_hour->setMinimumContentsLength(5);

  auto* singleFile = new QLabel(text(texts::kSingleFile), this);
  singleFile->setBuddy(m_files);
  auto* startTime = new QLabel(text(texts::kStartTime), m_cycle);
  startTime->setBuddy(m_hour);
  auto* cycle = new QGridLayout(m_cycle);
  cycle->addWidget(startTime, 0, 0, 1, 3);
  cycle->addWidget(new QLabel(text(texts::kAt), m_cycle), 1, 0);
  cycle->addWidget(m_hour, 1, 1);
  cycle->addWidget(new QLabel(text(texts::kOClock), m_cycle), 1, 2);

  auto* grid = new QGridLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(m_drives, 1);
  grid->addLayout(top, 0, 0);
  auto* fileHead = new QHBoxLayout;
  fileHead->addWidget(singleFile);
  fileHead->addStretch(1);
  fileHead->addWidget(m_close);
  grid->addLayout(fileHead, 0, 1);
  grid->addWidget(m_folders, 1, 0);
  grid->addWidget(m_files, 1, 1);
  grid->addWidget(m_folderLabel, 2, 0, 1, 2);
  auto* bottom = new QHBoxLayout;
  auto* scanColumn = new QVBoxLayout;
  scanColumn->addWidget(m_scan);
  scanColumn->addWidget(m_armed);
  scanColumn->addStretch(1);
  bottom->addLayout(scanColumn, 1);
  bottom->addWidget(m_cycle);
  grid->addLayout(bottom, 3, 0, 1, 2);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(1, 1);

  setTabOrder(m_drives, m_folders);
  setTabOrder(m_folders, m_files);
  setTabOrder(m_files, m_scan);
  setTabOrder(m_scan, m_hour);
  setTabOrder(m_hour, m_close);

  connect(m_drives, &widgets::DriveListBox::changed, this, [this] { m_folders->setPath(m_drives->drive()); });
  connect(m_folders, &widgets::DirListBox::changed, this, [this] {
    m_files->setFileName(m_folders->path());
    m_folderLabel->setText(m_folders->path());
    Q_EMIT folderChanged(m_folders->path());
  });
  connect(m_files, &widgets::FileListBox::clicked, this, [this] {
    if (!m_files->fileName().isEmpty()) Q_EMIT fileChosen(platform::childPath(m_files->path(), m_files->fileName()));
  });
  connect(m_scan, &QPushButton::clicked, this, &BrowsePanel::scanRequested);
  connect(m_close, &QPushButton::clicked, this, &BrowsePanel::closeRequested);
  connect(m_hour->lineEdit(), &QLineEdit::editingFinished, this, [this] { Q_EMIT hourEdited(m_hour->currentText()); });
  connect(m_hour, &QComboBox::activated, this, [this] { Q_EMIT hourEdited(m_hour->currentText()); });
}

QString BrowsePanel::folder() const { return m_folders->path(); }

void BrowsePanel::setFolder(const QString& folder) {
  m_folders->setPath(folder);
  // Showing the folder the list already shows raises no change: the label
  // and the file list must still show it.
  if (m_folderLabel->text() != m_folders->path()) {
    m_files->setFileName(m_folders->path());
    m_folderLabel->setText(m_folders->path());
  }
}

QString BrowsePanel::drive() const { return m_drives->drive(); }

void BrowsePanel::setDrive(const QString& drive) { m_drives->setDrive(drive); }

void BrowsePanel::selectFile(const QString& path) {
  setFolder(QFileInfo(path).absolutePath());
  m_files->setFileName(path);
}

QString BrowsePanel::hourText() const { return m_hour->currentText(); }

void BrowsePanel::setHourText(const QString& text) {
  if (m_hour->currentText() != text) m_hour->setEditText(text);
}

void BrowsePanel::setArmedText(const QString& text) {
  m_armed->setText(text);
  m_armed->setVisible(!text.isEmpty());
}

void BrowsePanel::setScanning(bool scanning) { m_scan->setEnabled(!scanning); }

}  // namespace kelvaron
