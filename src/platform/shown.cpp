#include "platform/shown.h"

#include "platform/nativepath.h"

#include <array>

namespace kelvaron::platform {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendJsonEscape(std::string& out, char16_t c) {
  switch (c) {
    case u'"':
      out += "\\\"";
      return;
    case u'\\':
      out += "\\\\";
      return;
    case u'\n':
      out += "\\n";
      return;
    case u'\r':
      out += "\\r";
      return;
    case u'\t':
      out += "\\t";
      return;
    case u'\b':
      out += "\\b";
      return;
    case u'\f':
      out += "\\f";
      return;
    default:
      break;
  }
  const std::array<char, 6> e = {'\\', 'u', kHex[(c >> 12) & 0xF], kHex[(c >> 8) & 0xF], kHex[(c >> 4) & 0xF],
                                 kHex[c & 0xF]};
  out.append(e.data(), e.size());
}

void appendUtf8(std::string& out, QStringView text) {
  for (const QChar c : text) {
    if (c.unicode() >= 0x80) {
      out += text.toUtf8().toStdString();
      return;
    }
  }
  for (const QChar c : text) out.push_back(static_cast<char>(c.unicode()));
}

}  // namespace

QString escapeControls(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (isControl(u)) {
      out += u"\\x";
      out += QChar(kHex[(u >> 4) & 0xF]);
      out += QChar(kHex[u & 0xF]);
    } else {
      out += c;
    }
  }
  return out;
}

std::string shownBytes(QStringView text) {
  for (const QChar c : text)
    if (isControl(c.unicode())) return toNativeBytes(escapeControls(text));
  return toNativeBytes(text.toString());
}

void appendJsonString(std::string& out, QStringView text) {
  out.push_back('"');
  const qsizetype n = text.size();
  qsizetype runStart = 0;
  auto flushRun = [&](qsizetype end) {
    if (end > runStart) appendUtf8(out, text.sliced(runStart, end - runStart));
  };
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = text[i].unicode();
    bool escape = c < 0x20 || c == u'"' || c == u'\\';
    if (QChar::isHighSurrogate(c)) {
      if (i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
        ++i;  // a valid pair goes out as UTF-8 with its run
        continue;
      }
      escape = true;
    } else if (QChar::isLowSurrogate(c)) {
      escape = true;
    }
    if (escape) {
      flushRun(i);
      appendJsonEscape(out, c);
      runStart = i + 1;
    }
  }
  flushRun(n);
  out.push_back('"');
}

}  // namespace kelvaron::platform
