// The document commands of the command-line companion:
//   new-document DIR --kind S|J|P --customer ID [--reverse-charge]
//                [--exchange-rate R] [--user NAME] --line CODE:QTY[:NETPRICE] …
//   counter-document DIR KEY --kind W|J [--user NAME]
// They work through the same document logic as the program and ask nothing.
#pragma once

#include <QStringList>

namespace orvix {

// args: everything after the command word. Prints the new document's key and
// printed number to stdout, messages to stderr. Exit code 0 on success, 1 when
// the document was refused (nothing written), 2 on a bad command line.
int runNewDocumentCommand(const QStringList& args);
int runCounterDocumentCommand(const QStringList& args);

} // namespace orvix
