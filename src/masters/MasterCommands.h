// The master-data commands of the command-line companion:
//   customers DIR   the customer list of the main window
//   products DIR    the product list of the main window
// Both print semicolon-separated text to stdout: a header line of the list's
// column captions, then one line per row that is not deleted (products: no
// advance items either), in the list's order. Numbers are written with a
// decimal point and unrounded (as stored); a value holding ";", a double
// quote or a line break is written between double quotes, its double quotes
// doubled.
#pragma once

#include "core/CommandLine.h"

class QTextStream;

namespace orvix {

class Database;

// customers and products. Exit code 0 on success, 1 when the folder holds no
// data folder or cannot be read, 2 on a bad command line.
const cli::CommandTable& masterCommands();

// The listings themselves, written to out.
void writeCustomerList(Database& db, QTextStream& out);
void writeProductList(Database& db, QTextStream& out);

} // namespace orvix
