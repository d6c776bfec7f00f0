// The posting commands of the command-line companion:
//   post DIR KEY [--user NAME]          posts a document ("Könyvel")
//   cancel DIR KEY [--user NAME]        cancels a posted document
//   credit-note DIR KEY [--user NAME]   a credit note from an invoice
//   pay DIR KEY [--date D] [--voucher T] pays a document in full ("Kifizet")
//   pay-customer DIR CUSTOMER AMOUNT --desk N
//                                       a customer's combined payment
// They run the program's own checks; nothing is asked.
#pragma once

#include "core/CommandLine.h"

namespace orvix {

const cli::CommandTable& postingCommands();

} // namespace orvix
