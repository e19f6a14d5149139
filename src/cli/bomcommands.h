#pragma once
// The bill-of-materials subcommands of kelvaron-cli: bom, where-used, check
// and diff. Their parsing is their own; main() only hands them the arguments.

#include "bom/modelcache.h"

#include <QStringList>
#include <cstdio>

namespace kelvaron::cli {

/// Whether `first` (the first argument) selects a subcommand. "./bom" does
/// not: a file named like a subcommand is reached that way.
bool isBomCommand(const QString& first);

/// Runs the subcommand `args[0]` with the arguments after it, printing to
/// `out` and `err`; models are read through `loader`. Returns the exit status
/// (ExitStatus: Success, Found or Trouble).
/// runBomCommand({"check", "proj"}, ...) is 1 when proj lacks a file.
int runBomCommand(const QStringList& args, std::FILE* out, std::FILE* err, const bom::ModelLoader& loader);

}  // namespace kelvaron::cli
