// The export command of the command-line companion:
//   export DIR --query "SELECT …" --out FILE [--delimiter ;|tab|,|pipe]
//          [--qualifier none|double|single]
// writes a statement's rows as delimited text, or as a workbook when FILE
// ends in .xls or .xlsx.
#pragma once

#include "core/CommandLine.h"

namespace orvix {

const cli::CommandTable& exportCommands();

} // namespace orvix
