#include "cli/jsonoutput.h"

#include "platform/perthread.h"
#include "platform/shown.h"

namespace kelvaron::cli {

void appendJsonString(OutputBuffer& out, const QString& text) {
  std::string& literal = platform::perThread<std::string>();
  literal.clear();
  platform::appendJsonString(literal, text);
  out.append(literal);
}

void appendJsonLatin1(OutputBuffer& out, QByteArrayView latin1) {
  appendJsonString(out, QString::fromLatin1(latin1));
}

}  // namespace kelvaron::cli
