// The accounting hand-over commands of the command-line companion:
//   export-forintsoft DIR --folder F
//   export-kszlaket DIR --folder F
// write the customers and documents not yet handed over into the accounting
// program's dBase tables in folder F and mark them as handed over.
#pragma once

#include "core/CommandLine.h"

namespace orvix {

// Exit code 0 when every document not yet handed over was written; 1 when
// nothing was written (no tables in F, a value that does not fit), or when
// documents had to be left out (listed on the error output; the others were
// handed over); 2 on a bad command line.
const cli::CommandTable& accountingCommands();

} // namespace orvix
