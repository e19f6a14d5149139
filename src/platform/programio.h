#pragma once
// A command-line program's arguments and standard output as the system
// hands them over.

#include <QStringList>
#include <cstdio>
#include <string_view>

namespace kelvaron::platform {

/// The arguments after the program's name. On Windows they come from the wide
/// command line, so every name arrives whole whatever the code page (argv
/// holds them in the ANSI code page, which cannot hold most names), with "/"
/// turned into "\", as Windows takes both for the same separator; elsewhere
/// from `argv`, where bytes that are not UTF-8 are kept (see fromNativeBytes).
QStringList programArguments(int argc, char** argv);

/// Sets up standard output and error for UTF-8 bytes: on Windows they are
/// written without turning "\n" into "\r\n" (a pipe gets what Linux gets) and a
/// console shows them as UTF-8. Nothing to do elsewhere.
void prepareStandardStreams();

/// Writes UTF-8 `bytes` to `stream`: to a Windows console as UTF-16 through
/// WriteConsoleW (a sequence split across two writes is held back until it is
/// whole), everywhere else as they are. False when the write failed.
bool writeText(std::FILE* stream, std::string_view bytes);

}  // namespace kelvaron::platform
