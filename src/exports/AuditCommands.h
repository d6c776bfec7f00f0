// The export commands of the command-line companion:
//   audit-xml DIR --from DATE --to DATE --out FILE
//   audit-xml DIR --numbers N1-N2 --out FILE
// writes the tax authority's audit file of the documents issued in a period
// or numbered in a range.
#pragma once

#include "core/CommandLine.h"

namespace orvix {

// Exit code 0 when every selected document is in the file; 1 when nothing
// could be written, or when documents had to be left out (they are listed on
// the error output, the file holds the others); 2 on a bad command line.
const cli::CommandTable& auditCommands();

} // namespace orvix
