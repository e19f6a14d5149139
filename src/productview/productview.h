#pragma once
// The product of an assembly as the window shows it: the structure tree (or
// the flat totals), its tools, where the selected component is used, the
// check of the project's folders, and the status of the work behind them.

#include "productview/flatmodel.h"
#include "productview/picturecache.h"
#include "productview/productcontroller.h"
#include "productview/productfilter.h"
#include "productview/productmodel.h"
#include "productview/resultmodel.h"
#include "reader/assemblyreader.h"

#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QToolButton;
class QTreeView;

namespace kelvaron::productview {

/// How the view reads files; the window's own unless a test says otherwise.
struct FileReaders {
  bom::ModelLoader model = reader::readAssemblyFile;
  PictureReader picture = readPictureBytes;
  FactsReader facts = readPartFacts;
};

class ProductView : public QWidget {
  Q_OBJECT
 public:
  explicit ProductView(FileReaders readers = {}, QWidget* parent = nullptr);

  /// Reads and shows the product below `assembly`, the first level open.
  void open(const QString& assembly);
  /// Saves the shown view (tree or totals) as Excel or CSV by the name's extension.
  void exportTo(const QString& path);
  /// The folders searched after each assembly's own; remembered between runs.
  void setSearchFolders(const QStringList& folders);

  ProductController& controller() { return m_controller; }
  PictureCache& pictures() { return m_pictures; }
  QTreeView* tree() const { return m_tree; }
  /// The text of the status line: what is missing and where it was looked for, or the work going on.
  QString statusText() const;

 Q_SIGNALS:
  /// A product is shown (after open, or a double-click on a user).
  void productShown(const QString& assembly);
  /// A file that is not an assembly was asked to open (a row of the check).
  void fileOpenRequested(const QString& path);
  /// A question could not be answered: the text names the file and the reason.
  void problem(const QString& message);
  /// The row made current (tree or totals) names this component.
  void componentSelected(const QString& name);

 private:
  void buildTools();
  void buildPanes();
  void connectController();
  void showProduct(std::shared_ptr<const ShownProduct> product);
  void selectionChanged();
  QModelIndex currentRow() const;
  void showPicture();
  void openTarget(const QString& path);
  void chooseExport();
  void addSearchFolder();
  void setStatus(const QString& text);

  ProductController m_controller;
  PictureCache m_pictures;
  ProductModel m_treeModel;
  FlatModel m_flatModel;
  ProductFilter m_treeFilter;
  ProductFilter m_flatFilter;
  ResultModel m_usersModel;
  ResultModel m_checkModel;

  QAction* m_expandAll = nullptr;
  QAction* m_collapseAll = nullptr;
  QAction* m_flat = nullptr;
  QAction* m_check = nullptr;
  QAction* m_export = nullptr;
  QLineEdit* m_filterText = nullptr;
  QComboBox* m_filterType = nullptr;
  QStackedWidget* m_shown = nullptr;
  QTreeView* m_tree = nullptr;
  QTreeView* m_totals = nullptr;
  QTabWidget* m_side = nullptr;
  QLabel* m_preview = nullptr;
  QString m_previewPath;
  QTableView* m_users = nullptr;
  QTableView* m_checkView = nullptr;
  QLabel* m_status = nullptr;
  QLabel* m_work = nullptr;  ///< the files read by the work going on
  QProgressBar* m_progress = nullptr;
  QToolButton* m_cancel = nullptr;
};

}  // namespace kelvaron::productview
