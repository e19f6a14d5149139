#pragma once
// The recursive file finder of the window design: a thin object over the one
// folder walk (walker.h) with the design's properties and events. It knows
// nothing of assemblies.

#include "search/findfileerror.h"
#include "search/walker.h"

#include <QObject>
#include <QString>
#include <functional>

namespace kelvaron {

/// Walks a folder tree as walkFolder() does and reports through two signals,
/// which holders connect with Qt::DirectConnection so that their handlers run
/// inside the emit:
/// - MatchFound(sFilename, sFilePath) for each entry whose name matches
///   sFileToFind, folders and links included; sFilePath is the folder, ending
///   in the platform separator; currentEntry() tells what the listing knew;
/// - StopSearch(Cancel) before each descent into a subfolder; a handler that
///   sets Cancel ends the current folder's remaining subfolders.
/// sStartSearch throws FindFileError (9999, its source, its description) when
/// anything inside it fails, a holder's handler included; a stop is no failure.
class cFindFile : public QObject {
  Q_OBJECT

 public:
  /// sInclSubfolders true, empty path and pattern.
  explicit cFindFile(QObject* parent = nullptr);
  ~cFindFile() override;

  /// Searches the folder in sSearchpath ("" searches the root folder) with
  /// the properties as they are now; afterwards sSearchpath holds the last
  /// subfolder entered. False when the yield hook asked to stop.
  bool sStartSearch();

  /// Whether subfolders are searched.
  bool sInclSubfolders() const { return m_sInclSubfolders; }
  void sInclSubfolders(bool vData) { m_sInclSubfolders = vData; }
  /// The wildcard pattern of the entries to report, such as "*.asm.*".
  QString sFileToFind() const { return m_sFileToFind; }
  void sFileToFind(const QString& vData) { m_sFileToFind = vData; }
  /// The folder to search.
  QString sSearchpath() const { return m_sSearchpath; }
  void sSearchpath(const QString& vData) { m_sSearchpath = vData; }

  /// Called after each directory entry fetched, so a window can serve its
  /// event queue; a false answer ends the search. Empty by default.
  void setYieldHook(std::function<bool()> hook) { m_yield = std::move(hook); }

  /// Told of each folder that cannot be opened or listed, and why; the
  /// search goes on. Empty by default.
  void setUnreadableHook(std::function<void(const QString& folder, const QString& reason)> hook) {
    m_unreadable = std::move(hook);
  }

  /// The entry of the MatchFound being raised; valid only during the emit.
  const WalkEntry& currentEntry() const { return *m_current; }

 Q_SIGNALS:
  void MatchFound(const QString& sFilename, const QString& sFilePath);
  void StopSearch(bool& Cancel);

 private:
  class Visitor;
  QString m_sSearchpath;
  QString m_sFileToFind;
  bool m_sInclSubfolders = true;
  std::function<bool()> m_yield;
  std::function<void(const QString&, const QString&)> m_unreadable;
  const WalkEntry* m_current = nullptr;
};

}  // namespace kelvaron
