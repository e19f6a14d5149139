#pragma once
// A result as rows of text and number cells, and the printers that write
// them: text and CSV here, Excel in xlsxtable.h, JSON in bomjson.h. Each
// printer is a sink over the same rows; the rows are produced as they are
// printed, so an output is never held whole.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string_view>
#include <variant>
#include <vector>

namespace kelvaron::bom {

/// An empty cell, a text, a count or a measured number (a real parameter, a mass).
using Cell = std::variant<std::monostate, QString, std::int64_t, double>;

/// A real as text: its shortest form that reads back exactly ("0.1", "1227.439264097482").
QString realText(double value);

/// Where a printer's bytes go: standard output, a file written whole, a buffer.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(std::string_view bytes) = 0;
};

/// A sink that keeps the bytes, for tests and small results.
class BufferSink final : public ByteSink {
 public:
  void write(std::string_view bytes) override { m_bytes.append(bytes.data(), static_cast<qsizetype>(bytes.size())); }
  const QByteArray& bytes() const { return m_bytes; }

 private:
  QByteArray m_bytes;
};

/// Receives one row: its level (0 for a plain table) and its cells. False
/// stops the rows.
using RowVisitor = std::function<bool(int level, const std::vector<Cell>& cells)>;

struct Table {
  QStringList headers;
  /// Rows held in memory, with `levels` for a tree (empty: a plain table).
  std::vector<std::vector<Cell>> rows;
  std::vector<int> levels;
  /// Rows produced as they are printed instead of held: when set, it hands
  /// every row to the visitor, in order, as often as a printer asks.
  std::function<void(const RowVisitor&)> source;
  /// The streamed rows nest: each has a level, 0 the top.
  bool tree = false;
  /// The column the text form indents by level.
  int indentColumn = -1;
  /// The worksheet's name in Excel.
  QString title = QStringLiteral("bom");
  /// What the reader of the rows must know (a cut tree): said after them in text.
  QStringList notes;

  bool isTree() const { return tree || !levels.empty(); }
  /// Hands every row, held or produced, to `visit` until it returns false.
  void forEachRow(const RowVisitor& visit) const;
  /// Holds `cells`, with their levels for a tree.
  void setRows(std::vector<std::vector<Cell>> cells, std::vector<int> levelsOf = {});
};

/// Text cells wider than this are written whole, but do not widen their column.
inline constexpr qsizetype kMaxTextColumn = 60;

/// Aligned columns for a terminal: a header line, then one line per row,
/// numbers right-aligned, empty cells as "-", the indent column indented two
/// spaces per level; no trailing spaces; then "note: ..." lines for the
/// table's notes. Control characters are escaped ("\x1b"), a file name's
/// bytes that are not UTF-8 are written as they are. Columns are as wide as
/// their widest cell up to kMaxTextColumn.
void printText(const Table& table, ByteSink& out);

/// RFC 4180: a header row, CRLF line ends, fields with a comma or a quote
/// quoted with quotes doubled, numbers bare, UTF-8. A tree starts each row
/// with its level in a "level" column. Control characters are escaped as in
/// text; a text cell that starts with =, +, - or @ gets a leading ' so a
/// spreadsheet does not take it for a formula. The table's notes follow the
/// rows, each a record whose first field is "note: ...".
void printCsv(const Table& table, ByteSink& out);

/// printText and printCsv into memory.
QByteArray formatText(const Table& table);
QByteArray formatCsv(const Table& table);

}  // namespace kelvaron::bom
