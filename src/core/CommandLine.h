// The command-line companion: batch work over the same logic as the program.
#pragma once

#include <QStringList>

namespace orvix {

// args[0] is the program name. Prints to stdout/stderr; returns the exit code.
int runCommandLine(const QStringList& args);

} // namespace orvix
