#pragma once
// The main window: the toolbar, one content area showing the browse panel,
// the result, the report folder or the scan summary, the scan strip and the
// lines for the current file, the last report and the status. It puts the
// panels and the controllers together; the work runs in the controllers.

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <functional>

class QAction;
class QLabel;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace kelvaron {

namespace productview {
class ProductView;
}

class AnalysisController;
class BrowsePanel;
class ProblemModel;
class ReportFolderPanel;
class ResultModel;
class ResultPanel;
class ScanBar;
class ScanController;
class SummaryPanel;
struct AnalysisResult;
struct ScanSummary;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  /// What the content area shows.
  enum class Page { Logo, Browse, Result, ReportFolder, Summary };

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  /// Restores the saved settings and, when `commandLine` (the program's
  /// argument text) names a file, analyses it. Call once, before show().
  void load(const QString& commandLine);

  /// Hooks for tests; each is optional.
  struct Hooks {
    /// Answers each message box instead of showing it.
    std::function<void(const QString& text)> message;
    /// Answers each yes/no question instead of asking it.
    std::function<bool(const QString& text)> question;
    /// The time of day as the clock and the armed hour see it.
    std::function<QDateTime()> clock;
  };
  Hooks hooks;

  Page page() const;
  void showPage(Page page);
  /// An analysis or a folder scan is under way.
  bool isBusy() const;

  BrowsePanel* browsePanel() const { return m_browse; }
  ResultPanel* resultPanel() const { return m_result; }
  /// The product of the assembly analysed, in the result's place once read.
  productview::ProductView* productView() const { return m_product; }
  ResultModel* resultModel() const { return m_resultModel; }
  ReportFolderPanel* reportFolderPanel() const { return m_reportFolder; }
  SummaryPanel* summaryPanel() const { return m_summary; }
  ScanBar* scanBar() const { return m_scanBar; }
  ScanController* scanController() const { return m_scan; }
  AnalysisController* analysisController() const { return m_analysis; }
  QTimer* clockTimer() const { return m_timer; }

  /// Analyses the file `path` and shows its result.
  void analyse(const QString& path);
  /// Scans `folder` with its subfolders; refused with a status message while
  /// busy, or when the folder or the report folder does not exist. Taken as a
  /// copy: the armed folder it may come from is cleared while the scan starts
  /// (the hour box, losing the focus, disarms).
  void startScan(QString folder);
  /// The stop control: ends a running scan.
  void stopScan();
  /// One tick of the clock.
  void tick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildToolBar();
  void buildContent();
  void connectParts();
  void setStatus(const QString& text);
  void setCurrentFile(const QString& path);
  void showMessage(const QString& text);
  bool ask(const QString& text);
  QDateTime now() const;
  /// Whether the report folder exists, made with the user's consent.
  bool ensureReportFolder();
  void closeReportFolder();
  void onAnalysed(const AnalysisResult& result);
  void onScanFinished(const ScanSummary& summary);
  void onHourEdited(const QString& typed);
  void showArmed();
  void openReport();
  void showAbout();
  void runCommandLine(const QString& path);

  ResultModel* m_resultModel;
  ProblemModel* m_problemModel;
  ScanController* m_scan;
  AnalysisController* m_analysis;
  QTimer* m_timer;

  QToolButton* m_fileButton = nullptr;
  QToolButton* m_placeButton = nullptr;
  QToolButton* m_reportButton = nullptr;
  QToolButton* m_productButton = nullptr;
  QAction* m_reportAction = nullptr;  // shows and hides the report button in the toolbar
  QToolButton* m_infoButton = nullptr;
  QToolButton* m_exitButton = nullptr;
  QLabel* m_clock = nullptr;
  QLabel* m_armed = nullptr;
  QStackedWidget* m_pages = nullptr;
  QLabel* m_logo = nullptr;
  BrowsePanel* m_browse = nullptr;
  ResultPanel* m_result = nullptr;
  productview::ProductView* m_product = nullptr;
  ReportFolderPanel* m_reportFolder = nullptr;
  SummaryPanel* m_summary = nullptr;
  ScanBar* m_scanBar = nullptr;
  QLabel* m_currentFile = nullptr;
  QLabel* m_lastReport = nullptr;
  QLabel* m_status = nullptr;

  Page m_beforeReportFolder = Page::Logo;
  Page m_content = Page::Logo;  // the page that browsing returns to
  QString m_reportPath;
  QString m_analysed;  ///< the file analysed last, absolute
  int m_stopClicks = 0;
  bool m_closed = false;
  QPointer<QWidget> m_about;
};

}  // namespace kelvaron
