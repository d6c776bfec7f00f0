// The cash-book commands of the command-line companion:
//   cash-book DIR --desk N --from DATE --to DATE
#pragma once

#include "core/CommandLine.h"

namespace orvix {

const cli::CommandTable& cashCommands();

} // namespace orvix
