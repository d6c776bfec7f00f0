// The list commands of the command-line companion:
//   html-export DIR --list products|customers|documents --out FILE
// writes a list of the main window as the HTML page its "Html export" writes,
// in the list's first order, with the column widths of the list.
#pragma once

#include "core/CommandLine.h"
#include "core/HtmlExport.h"

namespace orvix {

class Database;
class PagedTableModel;
struct Settings;

const cli::CommandTable& registerCommands();

// The page of a list of the main window over its model (reopened first when
// reload); column widths are the list's fractions of the grid. A flag drawn
// as a mark is written as its letter.
HtmlList registerHtmlList(int list, PagedTableModel& model, const Settings& settings, bool reload = true);

} // namespace orvix
