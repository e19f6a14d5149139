#pragma once
// Written workbooks are read back by Debian's python3 with openpyxl.

#include <QProcess>
#include <QString>

namespace kelvaron::testing {

/// Why a workbook cannot be read back on this machine; empty when it can.
inline QString workbookReaderMissing() {
#ifdef _WIN32
  return QStringLiteral("not on Windows: workbooks are read back by Debian's python3 with openpyxl, a Linux program");
#else
  QProcess probe;
  probe.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
  if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
    return QStringLiteral("/usr/bin/python3 with openpyxl (Debian python3-openpyxl) is not installed");
  return {};
#endif
}

}  // namespace kelvaron::testing
