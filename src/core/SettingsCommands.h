// The settings command of the command-line companion:
//   settings DIR                       the settings record as key=value lines
//   settings DIR --set KEY=VALUE ...   changes, with the settings window's checks
#pragma once

#include "core/CommandLine.h"

namespace orvix {

const cli::CommandTable& settingsCommands();

} // namespace orvix
