#pragma once
// The main window: browsing, single-file analysis, panels, start-up and settings.
//
// Controls are created from the table in form1controls.cpp; each is a member
// named exactly like the control (and its objectName), so handlers read like
// the window design: lbl_File->text(), List_ASM->clear().

#include "app/form1state.h"

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
namespace kelvaron {
class cFindFile;
}

namespace kelvaron {

namespace widgets {
class DriveListBox;
class DirListBox;
class FileListBox;
}  // namespace widgets

class ClickableLabel;

class Form1 : public QWidget {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  /// The argument text of the command line (arguments joined by spaces); read
  /// by Form_Load. Set it before Form_Load runs.
  void setCommandLine(const QString& text) { m_commandLine = text; }
  const QString& commandLine() const { return m_commandLine; }

  /// True once Form_Unload has run (the window was closed).
  bool isUnloaded() const { return m_unloaded; }
  /// True while an analysis or a folder scan runs; a second one is not started.
  bool isBusy() const { return m_busy; }

  /// Every message box of the window goes through here ("no assemblies !",
  /// "no files found", "stop !").
  void showMessage(const QString& text);

  /// Serves the event queue at most about every 20 ms; false once the window
  /// is closing, which asks the running analysis or walk to stop.
  bool yieldToEvents();

  /// Tests answer message boxes, watch yields and set the clock here.
  Form1TestHooks testHooks;

  /// Marks a running analysis or scan; while one exists, isBusy() is true.
  class BusyScope {
   public:
    explicit BusyScope(Form1& form) : m_form(form) { m_form.m_busy = true; }
    ~BusyScope() { m_form.m_busy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    Form1& m_form;
  };

  // Start-up and shutdown.
  void Form_Load();
  void Form_Unload();

  // Operations over the core.
  /// Lists the parts of the current file into List_ASM and streams its report.
  void Kindersuche();
  /// Puts the report Kindersuche streamed in place and says whether it was saved.
  void Dateiausgeben();

  /// Only in the normal state: width 8000 twips, moved left to end at the
  /// screen's right edge when it would reach beyond it.
  void applyWindowFit();

 public Q_SLOTS:
  void Drive1_Change();
  void Dir1_Change();
  void File1_Click();
  void Drive2_Change();
  void Dir2_Change();
  void List_ASM_Click();
  void cmd_partname_Click();
  void lbl_status_Click();
  void cmd_file_Click();
  void cmd_opts_Click();
  void cmd_exitdatei_Click();
  void cmd_close_Click();
  void cmd_exec_Click();
  void cmd_exit_Click();
  void cmd_info_Click();

  // ---- Folder scan and timed start: implemented in form1_scan.cpp ---------
 public:
  void cmd_verzeichnis_Click();
  void img_stop_Click();
  void Timer1_Timer();
  void nSearch_MatchFound(const QString& sFilename, const QString& sFilePath);
  void nSearch_StopSearch(bool& Cancel);
  /// The hour typed into combo_zeit becomes the two digits the timer
  /// compares; a text that is no hour disarms, with a status message.
  void combo_zeit_Validate();

 public:
  /// The time of day as the timed start sees it.
  QDateTime now() const { return testHooks.clock ? testHooks.clock() : QDateTime::currentDateTime(); }

 private:
  /// Creates nSearch and connects cmd_verzeichnis, img_stop, Timer1 and the
  /// finder's events to the handlers above. Called first in Form_Load.
  void connectScanHandlers();
  void ScanFolder();

  cFindFile* nSearch = nullptr;
  // ---- end of the folder scan block ------------------------------------------

 public:
  // Controls, named as in the window design (created in form1controls.cpp).
  QTimer* Timer1 = nullptr;
  QGroupBox* Frame5 = nullptr;
  QLineEdit* txt_Pfad = nullptr;
  QPushButton* cmd_exitdatei = nullptr;
  widgets::DriveListBox* Drive2 = nullptr;
  widgets::DirListBox* Dir2 = nullptr;
  QLabel* Label6 = nullptr;
  QFrame* Frame4 = nullptr;
  QPushButton* cmd_exec = nullptr;
  QPushButton* cmd_opts = nullptr;
  QPushButton* cmd_file = nullptr;
  QPushButton* cmd_exit = nullptr;
  QPushButton* cmd_info = nullptr;
  QLabel* Label12 = nullptr;
  QFrame* Frame3 = nullptr;
  QGroupBox* Frame6 = nullptr;
  QComboBox* combo_zeit = nullptr;
  QLabel* Label11 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* Label7 = nullptr;
  QPushButton* cmd_verzeichnis = nullptr;
  QPushButton* cmd_close = nullptr;
  widgets::FileListBox* File1 = nullptr;
  widgets::DirListBox* Dir1 = nullptr;
  widgets::DriveListBox* Drive1 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* lbl_stop = nullptr;
  ClickableLabel* img_stop = nullptr;
  QLabel* lbl_Dir = nullptr;
  QLabel* lbl_clock = nullptr;  ///< shows lbl_time's clock inside the window
  QFrame* Frame2 = nullptr;
  QPushButton* cmd_partname = nullptr;
  QListWidget* List_ASM = nullptr;
  QGroupBox* Frame1 = nullptr;
  QListWidget* List1 = nullptr;
  QLineEdit* txt_P1 = nullptr;
  QLineEdit* P1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* lbl_time = nullptr;
  QLabel* Pfad = nullptr;
  QLabel* lbl_File = nullptr;
  ClickableLabel* lbl_status = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void bindControls();
  void connectHandlers();
  void runCommandLine(const QString& path);
  /// Makes `path` the current file and shows it in lbl_File.
  void setCurrentFile(const QString& path);
  /// The analysis of the file in lbl_File as every caller starts it: hide
  /// cmd_exec, clear List_ASM, show the result panel, run Kindersuche.
  void showResultAndAnalyse();
  /// The selected line of List_ASM; empty when none is selected.
  QString selectedResultLine() const;

  Form1State m_state;
  QString m_commandLine;
  QPointer<QWidget> m_form2;
  bool m_busy = false;
  bool m_closing = false;
  bool m_unloaded = false;
  qint64 m_lastYield = 0;
};

}  // namespace kelvaron
