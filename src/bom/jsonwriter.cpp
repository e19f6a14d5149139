#include "bom/jsonwriter.h"

#include "platform/shown.h"

#include <cmath>

namespace kelvaron::bom {

void JsonWriter::separate() {
  if (m_afterKey) {
    m_afterKey = false;
    return;
  }
  if (!m_first.empty()) {
    if (!m_first.back()) m_buffer.push_back(',');
    m_first.back() = false;
  }
}

void JsonWriter::open(char bracket) {
  separate();
  m_buffer.push_back(bracket);
  m_first.push_back(true);
}

void JsonWriter::close(char bracket) {
  m_buffer.push_back(bracket);
  if (!m_first.empty()) m_first.pop_back();
  grown();
}

void JsonWriter::key(std::string_view name) {
  separate();
  m_buffer.push_back('"');
  m_buffer.append(name);
  m_buffer.append("\":");
  m_afterKey = true;
}

void JsonWriter::textKey(const QString& name) {
  separate();
  platform::appendJsonString(m_buffer, name);
  m_buffer.push_back(':');
  m_afterKey = true;
}

void JsonWriter::value(const QString& text) {
  separate();
  platform::appendJsonString(m_buffer, text);
  grown();
}

void JsonWriter::value(std::int64_t number) {
  separate();
  m_buffer.append(std::to_string(number));
}

void JsonWriter::value(double number) {
  if (!std::isfinite(number)) {
    null();
    return;
  }
  separate();
  m_buffer.append(realText(number).toStdString());
}

void JsonWriter::null() {
  separate();
  m_buffer.append("null");
}

void JsonWriter::boolean(bool b) {
  separate();
  m_buffer.append(b ? "true" : "false");
}

void JsonWriter::value(const Cell& cell) {
  if (const auto* s = std::get_if<QString>(&cell))
    value(*s);
  else if (const auto* n = std::get_if<std::int64_t>(&cell))
    value(*n);
  else if (const auto* d = std::get_if<double>(&cell))
    value(*d);
  else
    null();
}

void JsonWriter::pathOrNull(const QString& path) {
  if (path.isEmpty())
    null();
  else
    value(path);
}

void JsonWriter::array(const QStringList& texts) {
  beginArray();
  for (const QString& t : texts) value(t);
  endArray();
}

void JsonWriter::endDocument() {
  m_buffer.push_back('\n');
  flush();
}

void JsonWriter::flush() {
  if (!m_buffer.empty()) m_out.write(m_buffer);
  m_buffer.clear();
}

}  // namespace kelvaron::bom
