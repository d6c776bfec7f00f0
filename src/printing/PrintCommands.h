// The print commands of the command-line companion:
//   print-pdf DIR KEY --out FILE [--copy] [--layout 1|2|receipt]
// writes a document as PDF through the invoice print, the way the preview
// shows it (an unposted document with its mark too), or with --copy the
// copies "Nyomtat" would print. The print counter is left unchanged.
#pragma once

#include "core/CommandLine.h"

namespace orvix {

// Exit code 0 on success, 1 when nothing could be written, 2 on a bad
// command line.
const cli::CommandTable& printCommands();

// print-pdf with everything after the command word.
int runPrintPdfCommand(const QStringList& args);

} // namespace orvix
