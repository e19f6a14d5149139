#include "cli/jsonoutput.h"

#include <array>

namespace kelvaron::cli {

namespace {

void appendEscape(OutputBuffer& out, char16_t c) {
  static constexpr char kHex[] = "0123456789abcdef";
  switch (c) {
    case u'"':
      out.append("\\\"");
      return;
    case u'\\':
      out.append("\\\\");
      return;
    case u'\n':
      out.append("\\n");
      return;
    case u'\r':
      out.append("\\r");
      return;
    case u'\t':
      out.append("\\t");
      return;
    case u'\b':
      out.append("\\b");
      return;
    case u'\f':
      out.append("\\f");
      return;
    default:
      break;
  }
  const std::array<char, 6> e = {'\\',         'u', kHex[(c >> 12) & 0xF], kHex[(c >> 8) & 0xF], kHex[(c >> 4) & 0xF],
                                 kHex[c & 0xF]};
  out.append(std::string_view(e.data(), e.size()));
}

bool needsEscape(char16_t c) { return c < 0x20 || c == u'"' || c == u'\\'; }

}  // namespace

void appendJsonString(OutputBuffer& out, const QString& text) {
  out.append('"');
  const qsizetype n = text.size();
  qsizetype runStart = 0;
  auto flushRun = [&](qsizetype end) {
    if (end > runStart) out.appendUtf8(QStringView(text).sliced(runStart, end - runStart));
  };
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = text.at(i).unicode();
    bool escape = needsEscape(c);
    if (QChar::isHighSurrogate(c)) {
      if (i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
        ++i;  // a valid pair goes out as UTF-8 with its run
        continue;
      }
      escape = true;
    } else if (QChar::isLowSurrogate(c)) {
      escape = true;
    }
    if (escape) {
      flushRun(i);
      appendEscape(out, c);
      runStart = i + 1;
    }
  }
  flushRun(n);
  out.append('"');
}

void appendJsonLatin1(OutputBuffer& out, QByteArrayView latin1) {
  out.append('"');
  qsizetype runStart = 0;
  for (qsizetype i = 0; i < latin1.size(); ++i) {
    const char16_t c = static_cast<unsigned char>(latin1[i]);
    if (needsEscape(c)) {
      out.appendLatin1AsUtf8(latin1.sliced(runStart, i - runStart));
      appendEscape(out, c);
      runStart = i + 1;
    }
  }
  out.appendLatin1AsUtf8(latin1.sliced(runStart));
  out.append('"');
}

}  // namespace kelvaron::cli
