#include "productview/productview.h"

#include "bom/projectscan.h"
#include "platform/nativepath.h"
#include "productview/productexport.h"
#include "productview/productsettings.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace kelvaron::productview {

namespace {

// A tree or table for many rows: uniform row heights let the view lay out a
// hundred thousand rows without measuring each.
void setUpRows(QTreeView* view, const QString& name) {
  view->setAccessibleName(name);
  view->setUniformRowHeights(true);
  view->setAlternatingRowColors(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->header()->setStretchLastSection(false);
  view->header()->setDefaultSectionSize(view->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
}

QTableView* resultTable(QAbstractItemModel* model, const QString& name, QWidget* parent) {
  auto* view = new QTableView(parent);
  view->setAccessibleName(name);
  view->setModel(model);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->verticalHeader()->hide();
  view->horizontalHeader()->setStretchLastSection(true);
  view->setWordWrap(false);
  if (auto* corner = view->findChild<QAbstractButton*>()) {  // the table's select-all corner
    corner->setAccessibleName(QObject::tr("select all"));
    corner->setToolTip(QObject::tr("select all rows"));
  }
  view->setTextElideMode(Qt::ElideLeft);  // paths keep their file names in sight
  return view;
}

}  // namespace

// The side of the preview picture: the pictures' own size.
constexpr int kPreviewSide = 256;

ProductView::ProductView(FileReaders readers, QWidget* parent)
    : QWidget(parent),
      m_controller(std::move(readers.model), std::move(readers.facts)),
      m_pictures(std::move(readers.picture)),
      m_treeFilter(ProductModel::Name, ProductModel::File, ProductModel::Type),
      m_flatFilter(FlatModel::Name, FlatModel::File, FlatModel::Type) {
  m_treeFilter.setSourceModel(&m_treeModel);
  m_flatFilter.setSourceModel(&m_flatModel);
  m_treeModel.setPictures(&m_pictures);
  m_controller.setSearchFolders(savedSearchFolders());
  buildTools();
  buildPanes();
  connectController();
}

void ProductView::buildTools() {
  auto* tools = new QToolBar(this);
  tools->setAccessibleName(tr("product tools"));
  auto named = [tools](QAction* action, const QString& name) {
    tools->widgetForAction(action)->setAccessibleName(name);
    return action;
  };
  m_expandAll = named(tools->addAction(tr("Expand all")), QStringLiteral("expand all"));
  m_expandAll->setToolTip(tr("open every assembly of the tree"));
  m_collapseAll = named(tools->addAction(tr("Collapse all")), QStringLiteral("collapse all"));
  m_collapseAll->setToolTip(tr("close every assembly of the tree"));
  tools->addSeparator();
  m_filterText = new QLineEdit(tools);
  m_filterText->setAccessibleName(tr("filter"));
  m_filterText->setPlaceholderText(tr("name or file contains"));
  m_filterText->setToolTip(tr("show the rows whose name or file contains this text"));
  tools->addWidget(m_filterText);
  m_filterType = new QComboBox(tools);
  m_filterType->setAccessibleName(tr("type"));
  m_filterType->setToolTip(tr("show parts, assemblies or both"));
  m_filterType->addItem(tr("all types"));
  m_filterType->addItem(tr("parts"), static_cast<int>(reader::ComponentType::Part));
  m_filterType->addItem(tr("assemblies"), static_cast<int>(reader::ComponentType::Assembly));
  tools->addWidget(m_filterType);
  tools->addSeparator();
  m_flat = named(tools->addAction(tr("Flat totals")), tr("flat totals"));
  m_flat->setCheckable(true);
  m_flat->setToolTip(tr("each component once, with its quantity over the whole product"));
  m_check = named(tools->addAction(tr("Check")), tr("check"));
  m_check->setToolTip(tr("missing, unreadable and unused files in the assembly's folder and the search folders"));
  m_export = named(tools->addAction(tr("Export…")), tr("export"));
  m_export->setToolTip(tr("save the shown rows as Excel or CSV"));
  auto* folders = new QMenu(this);
  QAction* searchAction = named(tools->addAction(tr("Search folders")), tr("search folders"));
  searchAction->setToolTip(tr("folders searched for component files after each assembly's own"));
  searchAction->setMenu(folders);
  qobject_cast<QToolButton*>(tools->widgetForAction(searchAction))->setPopupMode(QToolButton::InstantPopup);
  connect(folders, &QMenu::aboutToShow, this, [this, folders] {
    folders->clear();
    for (const QString& f : m_controller.searchFolders())
      folders->addAction(platform::displayPath(f))->setEnabled(false);
    connect(folders->addAction(tr("Add a search folder…")), &QAction::triggered, this, &ProductView::addSearchFolder);
    QAction* forget = folders->addAction(tr("Forget the search folders"));
    forget->setEnabled(!m_controller.searchFolders().isEmpty());
    connect(forget, &QAction::triggered, this, [this] { setSearchFolders({}); });
  });

  connect(m_expandAll, &QAction::triggered, this, [this] { m_tree->expandAll(); });
  connect(m_collapseAll, &QAction::triggered, this, [this] { m_tree->collapseAll(); });
  connect(m_filterText, &QLineEdit::textChanged, this, [this](const QString& text) {
    m_treeFilter.setText(text);
    m_flatFilter.setText(text);
    if (m_treeFilter.narrowed()) m_tree->expandAll();
  });
  connect(m_filterType, &QComboBox::currentIndexChanged, this, [this] {
    const QVariant type = m_filterType->currentData();
    const auto chosen = type.isValid() ? std::optional(static_cast<reader::ComponentType>(type.toInt())) : std::nullopt;
    m_treeFilter.setType(chosen);
    m_flatFilter.setType(chosen);
    if (m_treeFilter.narrowed()) m_tree->expandAll();
  });
  connect(m_flat, &QAction::toggled, this, [this](bool flat) {
    m_shown->setCurrentIndex(flat ? 1 : 0);
    m_expandAll->setEnabled(!flat);
    m_collapseAll->setEnabled(!flat);
  });
  connect(m_check, &QAction::triggered, this, [this] {
    if (!m_controller.product()) return;
    m_controller.check();
    m_side->setCurrentWidget(m_checkView);
  });
  connect(m_export, &QAction::triggered, this, &ProductView::chooseExport);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tools);
}

void ProductView::buildPanes() {
  m_tree = new QTreeView(this);
  setUpRows(m_tree, tr("product structure"));
  m_tree->setToolTip(tr("each component under the assembly that places it, in the file's order"));
  m_tree->setModel(&m_treeFilter);
  m_tree->setIconSize(QSize(m_pictures.smallSide() / 2, m_pictures.smallSide() / 2));
  m_tree->header()->resizeSection(ProductModel::Name, m_tree->header()->defaultSectionSize() * 3);
  m_tree->header()->resizeSection(ProductModel::File, m_tree->header()->defaultSectionSize() * 2);
  m_totals = new QTreeView(this);
  setUpRows(m_totals, tr("totals"));
  m_totals->setToolTip(tr("each component once, with its quantity over the whole product"));
  m_totals->setRootIsDecorated(false);
  m_totals->setModel(&m_flatFilter);
  m_totals->setSortingEnabled(true);
  m_totals->sortByColumn(FlatModel::Name, Qt::AscendingOrder);
  m_totals->header()->resizeSection(FlatModel::Name, m_totals->header()->defaultSectionSize() * 3);
  m_shown = new QStackedWidget(this);
  m_shown->addWidget(m_tree);
  m_shown->addWidget(m_totals);

  m_users = resultTable(&m_usersModel, tr("used in"), this);
  m_users->setToolTip(tr("the assemblies that place the selected component; a double-click opens one"));
  m_checkView = resultTable(&m_checkModel, tr("check result"), this);
  m_checkView->setToolTip(
      tr("what the assembly's folder and the search folders lack or leave unused; a double-click opens the file"));
  m_side = new QTabWidget(this);
  m_side->addTab(m_users, tr("Used in"));
  m_side->addTab(m_checkView, tr("Check"));
  for (QToolButton* scroll : m_side->findChildren<QToolButton*>())  // the tab bar's arrows
    if (scroll->toolTip().isEmpty()) scroll->setToolTip(scroll->accessibleName());

  m_preview = new QLabel(this);
  m_preview->setAlignment(Qt::AlignCenter);
  m_preview->setMinimumSize(kPreviewSide / 2, kPreviewSide / 2);
  m_preview->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  auto* side = new QSplitter(Qt::Vertical, this);
  side->addWidget(m_preview);
  side->addWidget(m_side);
  connect(&m_pictures, &PictureCache::ready, this, [this](const QString& path) {
    if (path == m_previewPath) showPicture();
  });

  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(m_shown);
  split->addWidget(side);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);

  m_status = new QLabel(this);
  m_status->setAccessibleName(tr("product status"));
  m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_work = new QLabel(this);
  m_work->hide();
  m_progress = new QProgressBar(this);
  m_progress->setRange(0, 0);
  m_progress->setAccessibleName(tr("progress"));
  m_progress->hide();
  m_cancel = new QToolButton(this);
  m_cancel->setText(tr("Cancel"));
  m_cancel->setAccessibleName(tr("cancel"));
  m_cancel->setToolTip(tr("stop reading"));
  m_cancel->hide();
  auto* statusLine = new QHBoxLayout;
  statusLine->addWidget(m_status, 1);
  statusLine->addWidget(m_work);
  statusLine->addWidget(m_progress);
  statusLine->addWidget(m_cancel);

  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  layout->addWidget(split, 1);
  layout->addLayout(statusLine);

  for (QTreeView* view : {m_tree, m_totals})
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &ProductView::selectionChanged);
  for (QTableView* view : {m_users, m_checkView}) {
    connect(view, &QAbstractItemView::activated, this,
            [this, view](const QModelIndex& index) { openTarget(index.data(PathRole).toString()); });
  }
  connect(m_cancel, &QToolButton::clicked, &m_controller, &ProductController::cancel);
}

void ProductView::connectController() {
  connect(&m_controller, &ProductController::productReady, this, &ProductView::showProduct);
  connect(&m_controller, &ProductController::factsReady, this, [this](std::shared_ptr<const FactsByPath> facts) {
    m_treeModel.setFacts(facts);
    m_flatModel.setFacts(facts);
  });
  connect(&m_controller, &ProductController::usersReady, this, [this](const QString&, const ResultTable& users) {
    m_usersModel.setResult(users);
    m_users->hideColumn(0);  // the name: the row selected
    m_users->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_users->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  });
  connect(&m_controller, &ProductController::checkReady, this, [this](const ResultTable& result, bool clean) {
    m_checkModel.setResult(result);
    m_checkView->resizeColumnsToContents();
    m_side->setCurrentWidget(m_checkView);
    setStatus(clean ? tr("check: nothing missing or unreadable")
                    : tr("check: %1 rows, see the list").arg(result.table.rows.size()));
  });
  connect(&m_controller, &ProductController::exported, this, [this](const QString& path) {
    saveExportFolder(bom::folderOf(path));
    setStatus(tr("saved %1").arg(platform::displayPath(path)));
  });
  connect(&m_controller, &ProductController::failed, this, [this](const QString& message) {
    setStatus(message);
    Q_EMIT problem(message);
  });
  connect(&m_controller, &ProductController::notes, this,
          [this](const QStringList& notes) { m_status->setToolTip(notes.join(u'\n')); });
  connect(&m_controller, &ProductController::progress, this,
          [this](int files) { m_work->setText(tr("reading files: %1").arg(files)); });
  connect(&m_controller, &ProductController::busyChanged, this, [this](bool busy) {
    m_progress->setVisible(busy);
    m_work->setVisible(busy);
    m_work->clear();
    m_cancel->setVisible(busy);
  });
}

void ProductView::open(const QString& assembly) {
  setStatus(tr("reading %1").arg(platform::displayPath(assembly)));
  m_controller.open(assembly);
}

void ProductView::showProduct(std::shared_ptr<const ShownProduct> product) {
  m_pictures.clear();  // files may have changed since they were read
  m_treeModel.setProduct(product);
  m_flatModel.setProduct(product);
  m_usersModel.setResult({});
  m_checkModel.setResult({});
  m_tree->expand(m_treeFilter.index(0, 0));
  m_tree->setCurrentIndex(m_treeFilter.index(0, 0));
  setStatus(missingSummary(*product));
  Q_EMIT productShown(product->product.top);
}

QModelIndex ProductView::currentRow() const {
  return (m_flat->isChecked() ? m_totals : m_tree)->currentIndex().siblingAtColumn(0);
}

void ProductView::selectionChanged() {
  const QModelIndex current = currentRow();
  if (!current.isValid()) return;
  m_controller.findUsers(current.data().toString());
  showPicture();
  Q_EMIT componentSelected(current.data().toString());
}

void ProductView::showPicture() {
  const QModelIndex current = currentRow();
  m_previewPath = current.data(PathRole).toString();
  m_preview->setAccessibleName(QStringLiteral("picture of %1").arg(current.data().toString()));
  QImage image = m_previewPath.isEmpty() ? QImage() : m_pictures.full(m_previewPath);
  if (image.isNull())
    image = typePlaceholder(static_cast<reader::ComponentType>(current.data(TypeRole).toInt()), kPreviewSide);
  const qreal scale = devicePixelRatioF();
  QPixmap pixmap = QPixmap::fromImage(
      image.scaled(QSize(kPreviewSide, kPreviewSide) * scale, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  pixmap.setDevicePixelRatio(scale);
  m_preview->setPixmap(pixmap);
}

void ProductView::openTarget(const QString& path) {
  if (path.isEmpty()) return;
  if (bom::isAssemblyFile(path.mid(path.lastIndexOf(u'/') + 1)))
    open(path);
  else
    Q_EMIT fileOpenRequested(path);
}

void ProductView::exportTo(const QString& path) {
  const bom::Table table = m_flat->isChecked() ? flatViewTable(m_flatFilter) : treeViewTable(m_treeFilter);
  m_controller.exportTable(table, path);
}

void ProductView::chooseExport() {
  const auto product = m_controller.product();
  if (!product) return;
  const QString suggested = savedExportFolder() + u'/' + product->product.name.toLower() +
                            (m_flat->isChecked() ? QStringLiteral("-totals") : QString()) + QStringLiteral(".xlsx");
  const QString path = QFileDialog::getSaveFileName(this, tr("Export"), suggested,
                                                    tr("Excel workbook (*.xlsx);;CSV, comma-separated (*.csv)"));
  if (!path.isEmpty()) exportTo(path);
}

void ProductView::addSearchFolder() {
  const QString folder = QFileDialog::getExistingDirectory(this, tr("Add a search folder"), savedExportFolder());
  if (!folder.isEmpty()) setSearchFolders(m_controller.searchFolders() + QStringList{folder});
}

void ProductView::setSearchFolders(const QStringList& folders) {
  m_controller.setSearchFolders(folders);
  saveSearchFolders(folders);
  if (const auto product = m_controller.product()) open(product->product.top);
}

void ProductView::setStatus(const QString& text) { m_status->setText(text); }

QString ProductView::statusText() const { return m_status->text(); }

}  // namespace kelvaron::productview
