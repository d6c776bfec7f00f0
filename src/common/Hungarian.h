// Hungarian alphabetical order, accent-insensitive matching and the SQL
// functions built on them. This part of the engine needs nothing but Qt Core
// and SQLite, so that the same source also builds the loadable extension with
// which standard SQLite tools open a data folder.
#pragma once

#include <QString>

namespace orvix {

// Registers UPPER, LOWER, LIKE and the collation HU on a raw SQLite handle.
// Returns SQLite's result code (SQLITE_OK when every one was registered).
// Database does it for its own connections; exposed for tests and tools.
int registerHungarianFunctions(void* sqliteHandle);

// Hungarian alphabetical comparison used by the HU collation: accents and case
// only break ties (Á sorts with A), the double letters cs, dz, dzs, gy, ly, ny,
// sz, ty, zs are letters of their own (Cs after C). Only identical texts compare
// equal, so equality tests stay exact.
int compareHungarian(const QString& a, const QString& b);
// The same comparison on two UTF-8 texts of the given byte lengths.
int compareHungarianUtf8(const void* a, int na, const void* b, int nb);
// The same comparison done the long way (both texts decoded and split into
// letters whole before comparing); the yardstick of the one above.
int compareHungarianUtf8Reference(const void* a, int na, const void* b, int nb);
// Case- and accent-insensitive form of a text (lower case, accents removed),
// the basis of LIKE and of the search boxes.
QString foldForSearch(const QString& text);

} // namespace orvix
