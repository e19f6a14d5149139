#include "cli/outputbuffer.h"

#include "platform/nativepath.h"
#include "platform/programio.h"

#include <algorithm>
#include <cerrno>

namespace kelvaron::cli {

OutputBuffer::OutputBuffer(std::FILE* stream, std::size_t flushSize, Spill spill)
    : m_stream(stream), m_flushSize(stream || spill ? flushSize : std::string::npos), m_spill(std::move(spill)) {
  if (stream) m_buffer.reserve(m_flushSize + 256);
}

OutputBuffer::~OutputBuffer() { flush(); }

void OutputBuffer::appendLatin1AsUtf8(QByteArrayView latin1) {
  const char* p = latin1.data();
  const char* const end = p + latin1.size();
  while (p < end) {
    // ASCII runs go in whole; names are nearly always ASCII.
    const char* q = p;
    while (q < end && static_cast<unsigned char>(*q) < 0x80) ++q;
    m_buffer.append(p, static_cast<std::size_t>(q - p));
    if (q < end) {
      const auto b = static_cast<unsigned char>(*q++);
      const char pair[2] = {static_cast<char>(0xC0 | (b >> 6)), static_cast<char>(0x80 | (b & 0x3F))};
      m_buffer.append(pair, 2);
    }
    p = q;
  }
  if (m_buffer.size() >= m_flushSize) flush();
}

void OutputBuffer::appendUtf8(QStringView text) {
  // Names are nearly always ASCII, which goes in without a conversion.
  if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
    const std::size_t at = m_buffer.size();
    m_buffer.resize(at + static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i)
      m_buffer[at + static_cast<std::size_t>(i)] = static_cast<char>(text[i].unicode());
  } else {
    const QByteArray utf8 = text.toUtf8();
    m_buffer.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  }
  if (m_buffer.size() >= m_flushSize) flush();
}

void OutputBuffer::appendText(const QString& text) { append(platform::toNativeBytes(text)); }

bool OutputBuffer::flush() {
  if (!m_stream) {
    if (m_spill && !m_buffer.empty()) m_spill(m_buffer);
    return true;
  }
  if (m_failed) {  // the rest of a failed output is dropped, not retried
    m_buffer.clear();
    return false;
  }
  if (!m_buffer.empty()) {
    errno = 0;
    if (!platform::writeText(m_stream, m_buffer)) m_failed = true;
    m_buffer.clear();
  }
  if (!m_failed && std::fflush(m_stream) != 0) m_failed = true;
  if (m_failed) m_error = errno ? errno : EIO;
  return !m_failed;
}

}  // namespace kelvaron::cli
