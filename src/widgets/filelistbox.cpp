#include "widgets/filelistbox.h"

#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include "platform/filekind.h"
#include "platform/folderpaths.h"
#include "platform/nativepath.h"
#include "platform/wildcard.h"

namespace kelvaron::widgets {

using namespace kelvaron::platform;

namespace {

bool matchesAny(const QString& patterns, const QString& name) {
  for (const QStringView pattern : QStringView(patterns).split(u';', Qt::SkipEmptyParts)) {
    if (wildcardMatch(pattern.trimmed(), name)) return true;
  }
  return false;
}

int selectedRow(const QListWidget& list) {
  const QList<QListWidgetItem*> items = list.selectedItems();
  return items.isEmpty() ? -1 : list.row(items.first());
}

}  // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  m_path = startFolder();
  rebuild();
}

QString FileListBox::pattern() const { return m_pattern; }

void FileListBox::setPattern(const QString& pattern) {
  if (pattern == m_pattern) return;
  m_pattern = pattern;
  refresh();
}

QString FileListBox::path() const { return m_path; }

void FileListBox::setPath(const QString& path) {
  switch (moveFolder(m_path, path)) {
    case FolderMove::None:
      return;
    case FolderMove::Same:
      return refresh();
    case FolderMove::Moved:
      rebuild();
      return Q_EMIT pathChanged();
  }
}

QString FileListBox::fileName() const {
  const QList<QListWidgetItem*> items = selectedItems();
  return items.isEmpty() ? QString() : items.first()->data(NameRole).toString();
}

void FileListBox::setFileName(const QString& fileName) {
  if (fileName.isEmpty()) return;
  if (!fileName.contains(u'/')) {
    selectName(fileName);
    return;
  }
  const QString full = cleanFolderPath(fileName);
  if (isFolder(full)) {
    setPath(full);
    selectName(QString());
    return;
  }
  const QString folder = parentFolder(full);
  if (!isFolder(folder)) return;
  setPath(folder);
  selectName(full.mid(full.lastIndexOf(u'/') + 1));
}

void FileListBox::refresh() {
  const QString selected = fileName();
  rebuild();
  selectName(selected);
}

void FileListBox::rebuild() {
  const QScopedValueRollback<bool> guard(m_fromCode, true);
  clear();
  for (const QString& name : folderEntries(m_path, false)) {
    if (!matchesAny(m_pattern, name)) continue;
    auto* item = new QListWidgetItem(displayPath(name), this);
    item->setData(NameRole, name);
  }
}

void FileListBox::selectName(const QString& name) {
  const QScopedValueRollback<bool> guard(m_fromCode, true);
  for (int row = 0; row < count(); ++row) {
    if (!name.isEmpty() && item(row)->data(NameRole).toString() == name) {
      setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
      scrollToItem(item(row));
      return;
    }
  }
  clearSelection();
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
  // Moving through the list only selects; Enter takes the selected file.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && selectedRow(*this) >= 0) {
    event->accept();
    Q_EMIT clicked();
    return;
  }
  QListWidget::keyPressEvent(event);
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
  m_mouseDown = true;
  m_doubleClick = false;
  m_rowAtPress = selectedRow(*this);
  QListWidget::mousePressEvent(event);
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  // The first click of the pair has already been reported.
  m_mouseDown = true;
  m_doubleClick = true;
  QListWidget::mouseDoubleClickEvent(event);
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event) {
  QListWidget::mouseReleaseEvent(event);
  const bool wasDown = m_mouseDown;
  m_mouseDown = false;
  if (!wasDown || m_doubleClick) return;
  const int row = selectedRow(*this);
  if (row < 0) return;
  // A left click on the file already selected counts as a click too.
  const bool onSelected = event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) == item(row);
  if (row != m_rowAtPress || onSelected) {
    Q_EMIT clicked();
  }
}

}  // namespace kelvaron::widgets
