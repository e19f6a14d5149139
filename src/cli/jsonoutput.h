#pragma once
// JSON string literals for the --json output.

#include "cli/outputbuffer.h"

#include <QByteArrayView>
#include <QString>

namespace kelvaron::cli {

/// Appends `text` as a JSON string literal, quotes included, in UTF-8.
/// Quotes, backslashes and control characters are escaped; a lone surrogate
/// (a file-name byte that is not valid UTF-8) is written as "\udcXX", which
/// keeps the JSON valid and the byte recoverable.
void appendJsonString(OutputBuffer& out, const QString& text);

/// Appends Latin-1 bytes (a component name) as a JSON string literal in UTF-8.
void appendJsonLatin1(OutputBuffer& out, QByteArrayView latin1);

}  // namespace kelvaron::cli
