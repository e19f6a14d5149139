#pragma once
// A result as a table of text and number cells, and its text and CSV forms.
// The Excel form is in xlsxtable.h.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <variant>
#include <vector>

namespace kelvaron::bom {

/// An empty cell, a text, a count or a measured number (a real parameter, a mass).
using Cell = std::variant<std::monostate, QString, std::int64_t, double>;

/// A real as text: its shortest form that reads back exactly ("0.1", "1227.439264097482").
QString realText(double value);

struct Table {
  QStringList headers;
  std::vector<std::vector<Cell>> rows;
  /// For a tree: each row's level (0 the top). Empty for a plain table.
  std::vector<int> levels;
  /// The column the text form indents by level.
  int indentColumn = -1;
  /// The worksheet's name in Excel.
  QString title = QStringLiteral("bom");

  bool isTree() const { return !levels.empty(); }
};

/// Aligned columns for a terminal: a header line, then one line per row,
/// numbers right-aligned, empty cells as "-", the indent column indented two
/// spaces per level; no trailing spaces. UTF-8.
QByteArray formatText(const Table& table);

/// RFC 4180: a header row, CRLF line ends, fields with a comma, a quote or a
/// line break quoted with quotes doubled, numbers bare, UTF-8. A tree starts
/// each row with its level in a "level" column.
QByteArray formatCsv(const Table& table);

}  // namespace kelvaron::bom
