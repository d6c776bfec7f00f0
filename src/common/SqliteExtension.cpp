// Entry point of liborvix_sqlite, the loadable SQLite extension that gives
// standard SQLite tools (the sqlite3 shell, Python's sqlite3 module, DB
// Browser for SQLite) the collation HU and the Unicode UPPER, LOWER and LIKE
// of the program, so that they can sort, check and change a data folder:
//   sqlite3 szamla.sqlite3 -cmd ".load /path/to/liborvix_sqlite"
// Built only into that extension, never into the program.
#include "common/Hungarian.h"

#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

// SQLite derives the name from the file name liborvix_sqlite.so.
extern "C" __attribute__((visibility("default"))) int sqlite3_orvixsqlite_init(sqlite3* db, char** errorMessage,
                                                                                 const sqlite3_api_routines* api) {
    SQLITE_EXTENSION_INIT2(api);
    const int rc = orvix::registerHungarianFunctions(db);
    if (rc != SQLITE_OK && errorMessage)
        *errorMessage = sqlite3_mprintf("orvix_sqlite: %s", sqlite3_errstr(rc));
    return rc;
}
