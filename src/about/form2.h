#pragma once
// The about window: name and version, the one-line description, the terms of
// use and two links (download page, e-mail to the author).

#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace kelvaron {

/// The about window, a window of its own (no owner), deleted when it closes.
///
/// Use from the main window:
///   if (!m_form2) { m_form2 = new Form2(this); m_form2->Form_Load(); }
///   else { m_form2->raise(); m_form2->activateWindow(); }
/// with `QPointer<Form2> m_form2`, and `if (m_form2) m_form2->close();` on
/// closing the main window.
class Form2 : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDesignWidthTwips = 4875;   ///< client area width
  static constexpr int kDesignHeightTwips = 3240;  ///< client area height
  static constexpr int kSlideStepTwips = 200;
  static constexpr int kSlideIntervalMs = 1;

  /// The download page opened by Label10.
  static const QString kDownloadUrl;
  /// The author's e-mail address shown by Label11.
  static const QString kMailAddress;

  /// Builds the window's controls; `mainWindow` is the window it opens beside
  /// (not its parent). Nothing is shown yet.
  explicit Form2(QWidget* mainWindow);

  /// Places the window beside the main window, shows it at width 0 without a
  /// modal loop and slides it open in 200-twip steps (returns at once; a timer
  /// does the steps).
  void Form_Load();

  /// True while the window is still sliding open.
  bool isSliding() const;

  /// Hands `Path` (a URL, "mailto:..." included) to the desktop's program for
  /// it; true when the desktop took it.
  static bool ShellExec(const QString& Path);

 public Q_SLOTS:
  void cmd_exit_Click();
  void Label10_Click();
  void Label11_Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void slideStep();

  QPointer<QWidget> m_mainWindow;
  QLabel* m_image = nullptr;
  QLabel* m_title = nullptr;
  QLabel* m_description = nullptr;
  QPlainTextEdit* m_terms = nullptr;
  QLabel* m_mailLink = nullptr;
  QLabel* m_downloadLink = nullptr;
  QPushButton* m_exit = nullptr;
  QTimer* m_slideTimer = nullptr;
  int m_widthTwips = 0;
};

}  // namespace kelvaron
