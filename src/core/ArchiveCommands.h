// The archive commands of the command-line companion:
//   archive DIR [--out FILE]   the data folder into one ZIP file
//   restore FILE NEW_DIR       an archive into a new, empty folder
#pragma once

#include "core/CommandLine.h"

namespace orvix {

const cli::CommandTable& archiveCommands();

} // namespace orvix
