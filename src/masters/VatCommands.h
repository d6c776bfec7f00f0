// The VAT rate change of the command-line companion:
//   change-vat DIR --from 27 --to 25 --keep net|gross
// moves every product of the first rate to the second, keeping the net or
// the gross price.
#pragma once

#include "core/CommandLine.h"

namespace orvix {

// Exit code 0 when the products were moved; 1 when nothing was changed (no
// product of the rate); 2 on a bad command line.
const cli::CommandTable& vatCommands();

} // namespace orvix
