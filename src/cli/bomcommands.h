#pragma once
// The bill-of-materials commands of kelvaron-cli, as entries of the command
// table (commands.h).

#include "cli/commands.h"

namespace kelvaron::cli {

/// The product structure below an assembly, as a tree or flat totals.
Command bomCommand();
/// The assemblies in folders that place a component.
Command whereUsedCommand();
/// Missing, unreadable and unused files, cycles and top assemblies.
Command checkCommand();
/// The components that changed between two versions of an assembly.
Command diffCommand();

}  // namespace kelvaron::cli
