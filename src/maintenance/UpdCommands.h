// The command line of the maintenance tool: upgrade DIR, reindex DIR,
// import-paradox OLD_DIR NEW_DIR. Each prints the steps it ran.
#pragma once

#include <QStringList>
#include <QTextStream>

namespace orvix::maintenance {

// args without the program name. Exit codes: 0 success, 1 failed (nothing
// written), 2 bad command line, 3 done with errors (tables left as they were,
// or the check found the file damaged; the rest was kept).
int runCommand(const QStringList& args, QTextStream& out, QTextStream& err);
QString usage();

} // namespace orvix::maintenance
