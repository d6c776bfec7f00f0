// The data-folder commands of the command-line companion:
//   init DIR    a new, empty data folder
//   check DIR   the integrity check of a data folder
#pragma once

#include "core/CommandLine.h"

namespace orvix {

const cli::CommandTable& coreCommands();

} // namespace orvix
