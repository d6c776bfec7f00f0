// The command-line companion: batch work over the same logic as the program.
#pragma once

#include <QStringList>

namespace orvix {

// args[0] is the program name. Prints to stdout/stderr; returns the exit code.
int runCommandLine(const QStringList& args);

// Qt's own diagnostics ("QFSFileEngine::open: …") stay off the terminal of a
// script: every message the user is meant to read is printed by the commands
// in Hungarian. ORVIX_QT_MESSAGES=1 lets them through for developers.
void silenceQtMessages();

// The exit code a run ends with, given the command's own: once the engine
// reported a damaged data folder, no command ends with success (a list may
// have missed rows it could not read), and the damage is told unless an
// error message has told it already.
int endCommandLine(int exitCode);

} // namespace orvix
