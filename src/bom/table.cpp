#include "bom/table.h"

#include <algorithm>
#include <charconv>

namespace kelvaron::bom {

QString realText(double value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? QString::fromLatin1(buffer, end - buffer) : QString();
}

namespace {

QString textOf(const Cell& cell) {
  if (const auto* s = std::get_if<QString>(&cell)) return *s;
  if (const auto* n = std::get_if<std::int64_t>(&cell)) return QString::number(*n);
  if (const auto* d = std::get_if<double>(&cell)) return realText(*d);
  return {};
}

QString csvField(const QString& text) {
  if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r')) return text;
  QString quoted = text;
  quoted.replace(u'"', QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}

}  // namespace

QByteArray formatText(const Table& table) {
  const std::size_t columns = static_cast<std::size_t>(table.headers.size());
  std::vector<std::vector<QString>> cells;
  cells.reserve(table.rows.size());
  std::vector<qsizetype> width(columns, 0);
  std::vector<bool> numeric(columns, false);
  for (std::size_t c = 0; c < columns; ++c) width[c] = table.headers[static_cast<qsizetype>(c)].size();
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    std::vector<QString> line(columns);
    for (std::size_t c = 0; c < columns && c < table.rows[r].size(); ++c) {
      const Cell& cell = table.rows[r][c];
      numeric[c] = numeric[c] || std::holds_alternative<std::int64_t>(cell) || std::holds_alternative<double>(cell);
      QString text = std::holds_alternative<std::monostate>(cell) ? QStringLiteral("-") : textOf(cell);
      if (static_cast<int>(c) == table.indentColumn && r < table.levels.size())
        text.prepend(QString(2 * table.levels[r], u' '));
      width[c] = std::max(width[c], text.size());
      line[c] = std::move(text);
    }
    cells.push_back(std::move(line));
  }
  QString out;
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
    out += text + u'\n';
  };
  emit(std::vector<QString>(table.headers.begin(), table.headers.end()));
  for (const auto& line : cells) emit(line);
  return out.toUtf8();
}

QByteArray formatCsv(const Table& table) {
  QString out;
  QStringList header;
  if (table.isTree()) header << QStringLiteral("level");
  for (const QString& h : table.headers) header << csvField(h);
  out += header.join(u',') + QStringLiteral("\r\n");
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    QStringList fields;
    if (table.isTree()) fields << QString::number(table.levels[r]);
    for (const Cell& cell : table.rows[r])
      fields << (std::holds_alternative<QString>(cell) ? csvField(textOf(cell)) : textOf(cell));
    out += fields.join(u',') + QStringLiteral("\r\n");
  }
  return out.toUtf8();
}

}  // namespace kelvaron::bom
