#pragma once
// Runs the product questions off the UI thread: reading a product, the pass
// over its folders that where-used and check answer from, and writing an
// export. Each job counts the files it reads and can be cancelled; results
// come back as signals on the UI thread, and a result that a newer request
// or a cancel made stale is dropped.

#include "bom/modelcache.h"
#include "bom/projectscan.h"
#include "productview/productmodel.h"
#include "productview/resultmodel.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <memory>

namespace kelvaron::productview {

/// What a file says of itself; empty facts when it says nothing.
using FactsReader = std::function<PartFacts(const QString& path)>;

/// The window's FactsReader: the DESCRIPTION parameter and the material,
/// through the part-data reader.
PartFacts readPartFacts(const QString& path);

/// "N components not found, looked in each assembly's folder and FOLDERS",
/// or "all components found", for the status line.
QString missingSummary(const ShownProduct& shown);

class ProductController : public QObject {
  Q_OBJECT
 public:
  ProductController(bom::ModelLoader loader, FactsReader facts, QObject* parent = nullptr);
  ~ProductController() override;

  /// The folders searched after each assembly's own, in order (with subfolders).
  void setSearchFolders(const QStringList& folders);
  const QStringList& searchFolders() const { return m_searchFolders; }

  /// The product last opened; null before.
  std::shared_ptr<const ShownProduct> product() const { return m_product; }

  /// Reads the product below `assembly`; productReady or failed follows,
  /// then factsReady with what each of its files says of itself.
  void open(const QString& assembly);
  /// The assemblies under the product's folder and the search folders that
  /// place `name`; usersReady follows.
  void findUsers(const QString& name);
  /// Checks the product's folder and the search folders; checkReady follows.
  void check();
  /// Writes `table` as Excel (".xlsx") or CSV (any other name), complete or
  /// not at all; exported or failed follows.
  void exportTable(bom::Table table, const QString& path);

  /// Stops every job running; their results are dropped.
  void cancel();
  bool busy() const { return !m_active.empty(); }

 Q_SIGNALS:
  void productReady(std::shared_ptr<const ShownProduct> product);
  void factsReady(std::shared_ptr<const FactsByPath> facts);
  void usersReady(const QString& name, const ResultTable& users);
  void checkReady(const ResultTable& result, bool clean);
  void exported(const QString& path);
  /// A job failed, or a request could not be met in full.
  void failed(const QString& message);
  /// Notes of a pass: the same name in several folders, cycles, cut depth.
  void notes(const QStringList& notes);
  /// Files read so far by the jobs running, about every 100 ms while busy.
  void progress(int filesRead);
  void busyChanged(bool busy);

 private:
  struct Job;
  using Work = std::function<std::function<void()>(const bom::ModelLoader& loader, Job& job)>;
  // Runs `work` on the pool with a loader that counts and stops; the function
  // it returns runs on the UI thread unless the job was cancelled meanwhile.
  void start(std::shared_ptr<Job>& slot, Work work);
  // The search folders that exist; failed names each one that does not.
  QStringList usableSearchFolders();
  QStringList projectFolders() const;
  // Makes the pass over the project's folders unless the one kept is of
  // the same folders, then answers what is pending.
  void scanThenAnswer();
  void answerPending();
  void readFacts(const ShownProduct& shown);

  bom::ModelLoader m_loader;
  FactsReader m_facts;
  QStringList m_searchFolders;
  std::shared_ptr<const ShownProduct> m_product;
  std::shared_ptr<const bom::ProjectScan> m_scan;
  QStringList m_scanFolders;
  std::shared_ptr<Job> m_openJob, m_scanJob, m_usersJob, m_checkJob, m_exportJob, m_factsJob;
  std::vector<std::shared_ptr<Job>> m_active;
  QString m_pendingUsers;  ///< a where-used question waiting for the pass
  bool m_pendingCheck = false;
  QTimer m_progressTimer;
  QThreadPool m_pool;
};

}  // namespace kelvaron::productview
