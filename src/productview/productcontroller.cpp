#include "productview/productcontroller.h"

#include "bom/savefile.h"
#include "bom/xlsxtable.h"
#include "platform/filekind.h"
#include "platform/nativepath.h"
#include "reader/modeldata.h"

#include <QSet>
#include <algorithm>

namespace kelvaron::productview {

QString missingSummary(const ShownProduct& shown) {
  QSet<QString> missing;
  for (const bom::ProductNode& node : shown.product.nodes)
    for (const bom::Placement& p : node.children)
      if (p.status == bom::Status::Missing) missing.insert(bom::foldName(p.component.file));
  if (missing.isEmpty()) return QObject::tr("all components found");
  QStringList folders;
  for (const QString& f : shown.searchFolders) folders << platform::displayPath(f);
  const QString where =
      folders.isEmpty()
          ? QObject::tr("looked in each assembly's folder")
          : QObject::tr("looked in each assembly's folder and %1").arg(folders.join(QStringLiteral(", ")));
  return QObject::tr("%n component(s) not found, %1", nullptr, static_cast<int>(missing.size())).arg(where);
}

struct ProductController::Job {
  std::atomic<bool> cancelled{false};
  std::atomic<int> files{0};
};

PartFacts readPartFacts(const QString& path) {
  const reader::FileModelData file = reader::readModelDataFile(path, reader::ReadParameters | reader::ReadMaterial);
  PartFacts facts;
  facts.material = file.data.material.value_or(QString());
  for (const reader::Parameter& p : file.data.parameters) {
    if (p.owner || p.name.compare(QLatin1String("DESCRIPTION"), Qt::CaseInsensitive) != 0) continue;
    if (const auto* text = std::get_if<QString>(&p.value)) facts.description = *text;
  }
  return facts;
}

ProductController::ProductController(bom::ModelLoader loader, FactsReader facts, QObject* parent)
    : QObject(parent), m_loader(std::move(loader)), m_facts(std::move(facts)) {
  m_pool.setMaxThreadCount(2);
  m_progressTimer.setInterval(100);
  connect(&m_progressTimer, &QTimer::timeout, this, [this] {
    int files = 0;
    for (const auto& job : m_active) files += job->files;
    Q_EMIT progress(files);
  });
}

ProductController::~ProductController() {
  for (const auto& job : m_active) job->cancelled = true;
  m_pool.waitForDone();
}

void ProductController::start(std::shared_ptr<Job>& slot, Work work) {
  if (slot) slot->cancelled = true;  // a newer request of the same kind replaces it
  auto job = std::make_shared<Job>();
  slot = job;
  m_active.push_back(job);
  if (!m_progressTimer.isActive()) {  // idle until now
    m_progressTimer.start();
    Q_EMIT busyChanged(true);
  }
  // A cancelled job's remaining files read as unreadable at once, so the
  // core's walk runs out quickly; its result is then dropped.
  bom::ModelLoader loader = [inner = m_loader, job](const QString& path) {
    if (job->cancelled) return reader::FileModel{{}, QStringLiteral("cannot read %1: cancelled").arg(path)};
    ++job->files;
    return inner(path);
  };
  m_pool.start([this, job, loader = std::move(loader), work = std::move(work)] {
    std::function<void()> deliver = work(loader, *job);
    QMetaObject::invokeMethod(
        this,
        [this, job, deliver = std::move(deliver)] {
          m_active.erase(std::find(m_active.begin(), m_active.end(), job));
          if (!job->cancelled) deliver();  // work it starts belongs to the same burst
          if (m_active.empty()) {
            m_progressTimer.stop();
            Q_EMIT busyChanged(false);
          }
        },
        Qt::QueuedConnection);
  });
}

void ProductController::cancel() {
  for (const auto& job : m_active) job->cancelled = true;
  m_pendingUsers.clear();
  m_pendingCheck = false;
}

void ProductController::setSearchFolders(const QStringList& folders) { m_searchFolders = folders; }

QStringList ProductController::usableSearchFolders() {
  QStringList usable;
  for (const QString& f : m_searchFolders) {
    if (platform::isFolder(f))
      usable << f;
    else
      Q_EMIT failed(tr("cannot search %1: no such folder").arg(platform::displayPath(f)));
  }
  return usable;
}

QStringList ProductController::projectFolders() const {
  if (!m_product) return {};
  return QStringList{bom::folderOf(m_product->product.top)} + m_product->searchFolders;
}

void ProductController::open(const QString& assembly) {
  const QStringList folders = usableSearchFolders();
  start(m_openJob, [this, assembly, folders](const bom::ModelLoader& loader, Job&) {
    auto shown = std::make_shared<ShownProduct>(ShownProduct{bom::loadProduct(assembly, folders, loader), folders});
    return [this, shown] {
      if (!shown->product.topReadable()) {
        Q_EMIT failed(shown->product.nodes.front().error);
        return;
      }
      m_product = shown;
      Q_EMIT productReady(shown);
      if (!shown->product.notes.isEmpty()) Q_EMIT notes(shown->product.notes);
      readFacts(*shown);
    };
  });
}

void ProductController::readFacts(const ShownProduct& shown) {
  QStringList paths{shown.product.top};
  QSet<QString> seen{shown.product.top};
  for (const bom::ProductNode& node : shown.product.nodes)
    for (const bom::Placement& p : node.children)
      if (!p.path.isEmpty() && !seen.contains(p.path)) {
        seen.insert(p.path);
        paths << p.path;
      }
  start(m_factsJob, [this, paths, reader = m_facts](const bom::ModelLoader&, Job& job) {
    auto facts = std::make_shared<FactsByPath>();
    for (const QString& path : paths) {
      if (job.cancelled) break;
      ++job.files;
      facts->insert(path, reader(path));
    }
    return [this, facts = std::shared_ptr<const FactsByPath>(std::move(facts))] { Q_EMIT factsReady(facts); };
  });
}

void ProductController::findUsers(const QString& name) {
  if (!m_product) return;
  m_pendingUsers = name;
  scanThenAnswer();
}

void ProductController::check() {
  if (!m_product) return;
  m_pendingCheck = true;
  scanThenAnswer();
}

void ProductController::scanThenAnswer() {
  const QStringList folders = projectFolders();
  if (m_scan && m_scanFolders == folders) {
    answerPending();
    return;
  }
  if (m_scanJob && !m_scanJob->cancelled && m_scanFolders == folders) return;  // the pass is on its way
  m_scan.reset();
  m_scanFolders = folders;
  start(m_scanJob, [this, folders](const bom::ModelLoader& loader, Job&) {
    const int jobs = std::max(1, QThread::idealThreadCount());
    auto scan = std::make_shared<const bom::ProjectScan>(bom::scanProject(folders, false, loader, jobs));
    return [this, scan] {
      m_scan = scan;
      if (!scan->notes.isEmpty()) Q_EMIT notes(scan->notes);
      answerPending();
    };
  });
}

void ProductController::answerPending() {
  const std::shared_ptr<const bom::ProjectScan> scan = m_scan;
  if (!m_pendingUsers.isEmpty()) {
    const QString name = std::exchange(m_pendingUsers, QString());
    start(m_usersJob, [this, scan, name](const bom::ModelLoader&, Job&) {
      ResultTable users = usersResult(name, bom::whereUsed(*scan, name, false));
      return [this, name, users = std::move(users)] { Q_EMIT usersReady(name, users); };
    });
  }
  if (std::exchange(m_pendingCheck, false)) {
    start(m_checkJob, [this, scan](const bom::ModelLoader&, Job&) {
      const bom::CheckResult result = bom::checkProject(*scan);
      return [this, table = checkResult(result), clean = result.clean()] { Q_EMIT checkReady(table, clean); };
    });
  }
}

void ProductController::exportTable(bom::Table table, const QString& path) {
  start(m_exportJob, [this, table = std::move(table), path](const bom::ModelLoader&, Job&) {
    QString error;
    const bool ok = path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)
                        ? bom::writeXlsx(table, path, &error)
                        : bom::saveFile(path, bom::formatCsv(table), &error);
    return [this, ok, path, error] {
      if (ok)
        Q_EMIT exported(path);
      else
        Q_EMIT failed(error);
    };
  });
}

}  // namespace kelvaron::productview
