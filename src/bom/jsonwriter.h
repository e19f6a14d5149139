#pragma once
// A JSON document written as it is produced, through the program's one JSON
// string encoder: objects and arrays nest on a stack, so nothing is held but
// the open levels and a buffer of bytes not yet handed on.

#include "bom/table.h"

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaron::bom {

class JsonWriter {
 public:
  explicit JsonWriter(ByteSink& out) : m_out(out) {}
  ~JsonWriter() { flush(); }
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  void beginObject() { open('{'); }
  void endObject() { close('}'); }
  void beginArray() { open('['); }
  void endArray() { close(']'); }
  /// The key of the next value in the open object.
  void key(std::string_view name);
  /// A key from outside the program (a parameter's name), encoded as a string.
  void textKey(const QString& name);

  void value(const QString& text);  ///< a path's bytes that are not UTF-8 as "\udcXX"
  void value(std::int64_t number);
  /// The shortest form that reads back exactly; a value that is not finite as null.
  void value(double number);
  void value(const char* text) { value(QString::fromLatin1(text)); }
  void null();
  void boolean(bool b);
  void value(const Cell& cell);  ///< an empty cell as null
  /// A path, or null when empty.
  void pathOrNull(const QString& path);
  void array(const QStringList& texts);

  /// Ends the document's line and hands the bytes on.
  void endDocument();
  void flush();

 private:
  void open(char bracket);
  void close(char bracket);
  void separate();
  void grown() {
    if (m_buffer.size() >= (1 << 16)) flush();
  }

  ByteSink& m_out;
  std::string m_buffer;
  std::vector<bool> m_first;  // per open level: nothing written in it yet
  bool m_afterKey = false;
};

}  // namespace kelvaron::bom
