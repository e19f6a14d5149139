#pragma once
// The recursive file finder: walks a folder tree and reports every entry whose
// name matches a wildcard pattern. It knows nothing of assemblies.

#include "search/findfileerror.h"

#include <QObject>
#include <QString>
#include <functional>

namespace kelvaron::platform {
class Folder;
}

namespace kelvaron {

/// Walks a folder tree, pre-order and depth first, and reports matches
/// through two signals, which holders connect with Qt::DirectConnection so
/// that their handlers run inside the emit:
/// - MatchFound(sFilename, sFilePath) for each entry of a folder whose name
///   matches sFileToFind (wildcardMatch rules), folders and links included;
///   sFilePath is the folder, ending in the platform separator;
/// - StopSearch(Cancel) before each descent into a subfolder; a handler that
///   sets Cancel ends the current folder's remaining subfolders.
/// Each folder is listed twice (all entries for the subfolders, then the
/// matches), in case-insensitive name order. Links to folders are reported
/// when they match but never entered, no folder is entered twice, and a
/// folder that cannot be listed is skipped silently.
/// Every public member throws FindFileError (9999, its source, its
/// description) on any failure inside it, a holder's handler included.
class cFindFile : public QObject {
  Q_OBJECT

 public:
  /// sFileFlag 439, sInclSubfolders true, empty path and pattern.
  explicit cFindFile(QObject* parent = nullptr);
  ~cFindFile() override;

  /// Searches the folder in sSearchpath ("" searches the root folder).
  /// Properties are read at the start of each folder's search; afterwards
  /// sSearchpath holds the last subfolder entered.
  void sStartSearch();

  /// The attribute mask; stored and returned, no search applies it.
  qint32 sFileFlag() const;
  void sFileFlag(qint32 vData);
  /// Whether subfolders are searched.
  bool sInclSubfolders() const;
  void sInclSubfolders(bool vData);
  /// The wildcard pattern of the entries to report, such as "*.asm.*".
  QString sFileToFind() const;
  void sFileToFind(const QString& vData);
  /// The folder to search.
  QString sSearchpath() const;
  void sSearchpath(const QString& vData);

  /// Called after each directory entry fetched, in both listings, so a
  /// window can serve its event queue. Empty by default. An exception thrown
  /// by the hook ends the search like one thrown by a handler.
  void setYieldHook(std::function<void()> hook);

 Q_SIGNALS:
  void MatchFound(const QString& sFilename, const QString& sFilePath);
  void StopSearch(bool& Cancel);

 private:
  struct Walk;
  void searchFolder(Walk& walk, const platform::Folder* parent, const QString& childPath,
                    const QString& childName);

  QString m_sSearchpath;
  QString m_sFileToFind;
  bool m_sInclSubfolders = false;
  qint32 m_sFileFlag = 0;
  std::function<void()> m_yield;
};

}  // namespace kelvaron
