// The import-lines command of the command-line companion:
//   import-lines DIR KEY FILE [--semicolon] [--qty] [--price]
// appends the lines of a line file to a document exactly as the editor's
// "Import" does. It prints the number of lines added to stdout, messages to
// stderr. Exit code 0 when the whole file was imported, 1 when the import
// stopped or was refused (the lines before the stop stay), 2 on a bad
// command line.
#pragma once

#include "core/CommandLine.h"

namespace orvix {

cli::Command importLinesCommand();

} // namespace orvix
