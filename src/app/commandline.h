#pragma once
// The command line of the window: one path of an assembly file.

#include <QString>
#include <QStringList>

namespace kelvaron {

/// The argument text: the program's arguments (without the program's own
/// name) joined by single spaces; empty when there are none.
QString commandLineText(const QStringList& arguments);

/// The path the argument text names: without its enclosing double quotes when
/// it begins and ends with one (and is longer than one character), otherwise
/// the text as it is. commandLinePath("\"/w/top.asm.3\"") == "/w/top.asm.3"
QString commandLinePath(const QString& text);

}  // namespace kelvaron
