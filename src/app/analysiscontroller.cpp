#include "app/analysiscontroller.h"

namespace kelvaron {

namespace {

// Keeps the heading and the names as the list streams in.
class Collector final : public FileListener {
 public:
  explicit Collector(AnalysisResult& result) : m_result(result) {}
  void heading(std::string_view line) override { m_result.heading = nameText(line, NameEncoding::Windows1252); }
  bool component(const ComponentView& c) override {
    m_result.names << c.text();
    return true;
  }

 private:
  AnalysisResult& m_result;
};

}  // namespace

AnalysisController::AnalysisController(QObject* parent) : QObject(parent) {}

AnalysisController::~AnalysisController() { stop(); }

void AnalysisController::stop() {
  ++m_run;
  m_stop = true;
  join();
}

void AnalysisController::join() {
  if (m_thread.joinable()) m_thread.join();
}

void AnalysisController::analyse(const QString& path, const QString& reportFolder) {
  stop();
  m_stop = false;
  const quint64 run = ++m_run;
  FileScanSettings settings;
  settings.reportFolder = reportFolder;
  settings.date = QDate::currentDate();
  Q_EMIT started(path);
  m_thread = std::thread([this, run, path, settings] {
    auto result = std::make_shared<AnalysisResult>();
    result->path = path;
    Collector collector(*result);
    result->outcome = analyseFile({path, false, {}, {}}, settings, &collector, [this] { return !m_stop.load(); },
                                  {}, &result->analysis);
    if (result->outcome.stopped) return;
    result->verdict = fileVerdict(result->outcome, result->analysis);
    QMetaObject::invokeMethod(
        this,
        [this, run, result] {
          if (run != m_run) return;  // stopped or replaced meanwhile
          join();
          Q_EMIT finished(*result);
        },
        Qt::QueuedConnection);
  });
}

}  // namespace kelvaron
