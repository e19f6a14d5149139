#include "widgets/dirlistbox.h"

#include <QDir>
#include <QHeaderView>
#include <QStyle>

#include "platform/filekind.h"
#include "platform/folderpaths.h"
#include "platform/nativepath.h"

namespace kelvaron::widgets {

using namespace kelvaron::platform;

namespace {

// The chain from the root down to `folder`, as full paths.
QStringList ancestorChain(const QString& folder) {
  QStringList chain;
  for (QString path = folder; !path.isEmpty(); path = parentFolder(path)) chain.prepend(path);
  return chain;
}

QString entryText(const QString& path) {
  const QString name = QDir(path).dirName();
  return displayPath(name.isEmpty() ? path : name);
}

}  // namespace

DirListBox::DirListBox(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setIndentation(12);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  // Double click and Enter arrive here (and a single click where the desktop
  // opens items that way).
  connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { openItem(item); });
  m_path = startFolder();
  rebuild();
}

QString DirListBox::path() const { return m_path; }

void DirListBox::setPath(const QString& path) {
  switch (moveFolder(m_path, path)) {
    case FolderMove::None:
      return;
    case FolderMove::Same:
      return refresh();
    case FolderMove::Moved:
      rebuild();
      return Q_EMIT changed();
  }
}

void DirListBox::refresh() { rebuild(); }

void DirListBox::openItem(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  setPath(item->data(0, PathRole).toString());
}

void DirListBox::rebuild() {
  clear();
  m_currentItem = nullptr;
  const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

  QTreeWidgetItem* parentItem = nullptr;
  for (const QString& folder : ancestorChain(m_path)) {
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
    item->setText(0, entryText(folder));
    item->setData(0, PathRole, folder);
    item->setIcon(0, openIcon);
    parentItem = item;
  }
  m_currentItem = parentItem;
  QFont bold = m_currentItem->font(0);
  bold.setBold(true);
  m_currentItem->setFont(0, bold);

  for (const QString& name : folderEntries(m_path, true)) {
    auto* item = new QTreeWidgetItem(m_currentItem);
    item->setText(0, displayPath(name));
    item->setData(0, PathRole, childPath(m_path, name));
    item->setIcon(0, closedIcon);
  }
  expandAll();
  setCurrentItem(m_currentItem);
  scrollToItem(m_currentItem);
}

}  // namespace kelvaron::widgets
