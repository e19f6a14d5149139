#include "app/reportfolderpanel.h"

#include "app/uitexts.h"
#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvaron {

namespace {
QString text(const char* t) { return QString::fromUtf8(t); }
}  // namespace

ReportFolderPanel::ReportFolderPanel(QWidget* parent)
    : QWidget(parent),
      m_edit(new QLineEdit(this)),
      m_drives(new widgets::DriveListBox(this)),
      m_folders(new widgets::DirListBox(this)),
      m_ok(new QPushButton(text(texts::kOk), this)) {
  setAccessibleName(text(texts::kReportFolderPanel));
  m_edit->setAccessibleName(text(texts::kReportFolder));
  m_edit->setToolTip(text(texts::kReportFolderTip));
  m_drives->setAccessibleName(text(texts::kReportDrive));
  m_drives->setToolTip(text(texts::kReportDrive));
  m_folders->setAccessibleName(text(texts::kReportFolders));
  m_folders->setToolTip(text(texts::kReportFolders));
  m_ok->setToolTip(text(texts::kOkTip));
  m_ok->setDefault(true);
  // A path dropped on the box goes to the window, not into the text.
  m_edit->setAcceptDrops(false);

  auto* box = new QGroupBox(text(texts::kReportFolderPanel), this);
  auto* label = new QLabel(text(texts::kOutputFile), box);
  label->setBuddy(m_edit);
  auto* inner = new QVBoxLayout(box);
  inner->addWidget(label);
  inner->addWidget(m_edit);
  inner->addWidget(m_drives);
  inner->addWidget(m_folders, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_ok);
  inner->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(box);

  connect(m_drives, &widgets::DriveListBox::changed, this, [this] { m_folders->setPath(m_drives->drive()); });
  // The box follows the folder list; a text typed by hand stays until the list changes.
  connect(m_folders, &widgets::DirListBox::changed, this, [this] { m_edit->setText(m_folders->path()); });
  connect(m_ok, &QPushButton::clicked, this, &ReportFolderPanel::done);
  connect(m_edit, &QLineEdit::returnPressed, this, &ReportFolderPanel::done);
}

QString ReportFolderPanel::folder() const { return m_edit->text(); }

void ReportFolderPanel::setFolder(const QString& folder) { m_edit->setText(folder); }

QString ReportFolderPanel::listFolder() const { return m_folders->path(); }

void ReportFolderPanel::setListFolder(const QString& folder) { m_folders->setPath(folder); }

QString ReportFolderPanel::drive() const { return m_drives->drive(); }

void ReportFolderPanel::setDrive(const QString& drive) { m_drives->setDrive(drive); }

}  // namespace kelvaron
