// The invoicing commands of the command-line companion:
//   new-document DIR --kind S|J|P --customer ID [--reverse-charge]
//                [--exchange-rate R] [--user NAME] --line CODE:QTY[:NETPRICE] …
//   counter-document DIR KEY --kind W|J [--user NAME]
//   import-lines DIR KEY FILE [--semicolon] [--qty] [--price]
//   demo-data DIR [--customers N] [--products N] [--documents N] [--seed S]
// They work through the same logic as the program and ask nothing.
#pragma once

#include "core/CommandLine.h"

namespace orvix {

// new-document and counter-document print the new document's key and printed
// number to stdout, messages to stderr. Exit code 0 on success, 1 when the
// document was refused (nothing written), 2 on a bad command line.
const cli::CommandTable& documentCommands();

} // namespace orvix
