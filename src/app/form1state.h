#pragma once
// What the main window knows beyond what its controls show. Handlers update
// it, then draw the controls the window design names.

#include "report/partsreport.h"
#include "search/batchscan.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace kelvaron {

struct Form1State {
  QString currentFile;                 ///< the assembly analysed last; lbl_File shows it
  QString reportFolder;                ///< where reports go; txt_Pfad shows and edits it
  std::vector<FoundEntry> scanQueue;   ///< the matches of the folder scan, analysed in order
  bool blnStop = false;                ///< the stop picture was clicked: refuse further descents
  qint32 lngMatchCount = 0;            ///< matches found by every scan so far
  std::optional<ReportWriter> report;  ///< the report of the analysis under way
  QString fallback;                    ///< why the last list came from the whole-file marker scan, or empty
};

/// The window's hooks for tests: each is optional.
struct Form1TestHooks {
  /// Answers every message box instead of showing it.
  std::function<void(const QString& text)> messageBox;
  /// Called at every yield, before the event queue is served.
  std::function<void()> yield;
  /// The time of day as the timed start sees it.
  std::function<QDateTime()> clock;
};

}  // namespace kelvaron
