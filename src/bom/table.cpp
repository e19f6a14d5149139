#include "bom/table.h"

#include "platform/nativepath.h"
#include "platform/shown.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace kelvaron::bom {

QString realText(double value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? QString::fromLatin1(buffer, end - buffer) : QString();
}

namespace {

QString textOf(const Cell& cell) {
  if (const auto* s = std::get_if<QString>(&cell)) return platform::escapeControls(*s);
  if (const auto* n = std::get_if<std::int64_t>(&cell)) return QString::number(*n);
  if (const auto* d = std::get_if<double>(&cell)) return realText(*d);
  return {};
}

QString csvField(const QString& text) {
  QString field = text;
  if (!field.isEmpty() && (field[0] == u'=' || field[0] == u'+' || field[0] == u'-' || field[0] == u'@'))
    field.prepend(u'\'');
  if (!field.contains(u',') && !field.contains(u'"')) return field;
  field.replace(u'"', QStringLiteral("\"\""));
  return u'"' + field + u'"';
}

// Gathers bytes into large writes.
class Chunked {
 public:
  explicit Chunked(ByteSink& out) : m_out(out) {}
  ~Chunked() { flush(); }
  void add(const std::string& bytes) {
    m_buffer += bytes;
    if (m_buffer.size() >= (1 << 16)) flush();
  }
  void flush() {
    if (!m_buffer.empty()) m_out.write(m_buffer);
    m_buffer.clear();
  }

 private:
  ByteSink& m_out;
  std::string m_buffer;
};

}  // namespace

void Table::setRows(std::vector<std::vector<Cell>> cells, std::vector<int> levelsOf) {
  rows = std::move(cells);
  levels = std::move(levelsOf);
  source = {};
}

void Table::forEachRow(const RowVisitor& visit) const {
  if (source) {
    source(visit);
    return;
  }
  for (std::size_t r = 0; r < rows.size(); ++r)
    if (!visit(r < levels.size() ? levels[r] : 0, rows[r])) return;
}

void printText(const Table& table, ByteSink& out) {
  const std::size_t columns = static_cast<std::size_t>(table.headers.size());
  std::vector<qsizetype> width(columns, 0);
  std::vector<bool> numeric(columns, false);
  for (std::size_t c = 0; c < columns; ++c) width[c] = table.headers[static_cast<qsizetype>(c)].size();
  auto cellText = [&](int level, std::size_t c, const Cell& cell) {
    QString text = std::holds_alternative<std::monostate>(cell) ? QStringLiteral("-") : textOf(cell);
    if (static_cast<int>(c) == table.indentColumn) text.prepend(QString(2 * level, u' '));
    return text;
  };
  // First the widths, then the lines: the rows are produced twice rather
  // than held.
  table.forEachRow([&](int level, const std::vector<Cell>& cells) {
      for (std::size_t c = 0; c < columns && c < cells.size(); ++c) {
        numeric[c] = numeric[c] || std::holds_alternative<std::int64_t>(cells[c]) ||
                     std::holds_alternative<double>(cells[c]);
        width[c] = std::max(width[c], std::min(cellText(level, c, cells[c]).size(), kMaxTextColumn));
      }
      return true;
  });
  Chunked chunks(out);
  auto emit = [&](const std::vector<QString>& line) {
    QString text;
    for (std::size_t c = 0; c < columns; ++c) {
      const bool last = c + 1 == columns;
      if (c > 0) text += QStringLiteral("  ");
      if (numeric[c])
        text += line[c].rightJustified(width[c]);
      else
        text += last ? line[c] : line[c].leftJustified(width[c]);
    }
    while (text.endsWith(u' ')) text.chop(1);
    text += u'\n';
    chunks.add(platform::toNativeBytes(text));
  };
  std::vector<QString> line(table.headers.begin(), table.headers.end());
  emit(line);
  table.forEachRow([&](int level, const std::vector<Cell>& cells) {
    for (std::size_t c = 0; c < columns; ++c) line[c] = c < cells.size() ? cellText(level, c, cells[c]) : QString();
    emit(line);
    return true;
  });
  for (const QString& note : table.notes) chunks.add(platform::shownBytes(QStringLiteral("note: ") + note) + '\n');
}

void printCsv(const Table& table, ByteSink& out) {
  Chunked chunks(out);
  QStringList header;
  if (table.isTree()) header << QStringLiteral("level");
  for (const QString& h : table.headers) header << csvField(h);
  chunks.add(platform::toNativeBytes(header.join(u',') + QStringLiteral("\r\n")));
  table.forEachRow([&](int level, const std::vector<Cell>& cells) {
    QStringList fields;
    if (table.isTree()) fields << QString::number(level);
    for (const Cell& cell : cells)
      fields << (std::holds_alternative<QString>(cell) ? csvField(textOf(cell)) : textOf(cell));
    chunks.add(platform::toNativeBytes(fields.join(u',') + QStringLiteral("\r\n")));
    return true;
  });
  // After the rows, each note a record of its own, as wide as the others.
  const qsizetype width = table.headers.size() + (table.isTree() ? 1 : 0);
  for (const QString& note : table.notes) {
    const QString fields = csvField(platform::escapeControls(QStringLiteral("note: ") + note));
    chunks.add(platform::toNativeBytes(fields + QString(std::max<qsizetype>(width - 1, 0), u',') +
                                       QStringLiteral("\r\n")));
  }
}

QByteArray formatText(const Table& table) {
  BufferSink sink;
  printText(table, sink);
  return sink.bytes();
}

QByteArray formatCsv(const Table& table) {
  BufferSink sink;
  printCsv(table, sink);
  return sink.bytes();
}

}  // namespace kelvaron::bom
