// The demo-data command of the command-line companion:
//   demo-data DIR [--customers N] [--products N] [--documents N] [--seed S]
// fills a data folder with the masters' demo customers and products and the
// demo documents made on them.
#pragma once

#include "core/CommandLine.h"

namespace orvix {

cli::Command demoDataCommand();

} // namespace orvix
