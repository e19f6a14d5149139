#include "cli/jsonoutput.h"

#include "platform/shown.h"

namespace kelvaron::cli {

void appendJsonString(OutputBuffer& out, const QString& text) {
  thread_local std::string literal;
  literal.clear();
  platform::appendJsonString(literal, text);
  out.append(literal);
}

void appendJsonLatin1(OutputBuffer& out, QByteArrayView latin1) {
  appendJsonString(out, QString::fromLatin1(latin1));
}

}  // namespace kelvaron::cli
