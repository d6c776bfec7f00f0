// One maintenance run on a data folder: the tool's own connection, with the
// whole file locked for the run so that no other program reads a half-changed
// layout, and everything written in one transaction.
#pragma once

#include "common/Database.h"

#include <QString>
#include <memory>

namespace orvix::maintenance {

class Session {
public:
    // Opens the folder and takes the exclusive lock. Throws MaintenanceError
    // when the folder does not exist, holds no database or is held by
    // another program.
    explicit Session(const QString& folder);
    ~Session();
    Database& db() { return m_db; }
    // Copies the database file, locked and unchanged, to Archiv/ under the
    // folder ("szamla_2026-12-10_17-53-12.sqlite3"); returns its path.
    QString archiveCopy();
    void commit();

private:
    Database m_db;
    std::unique_ptr<Database::Transaction> m_tr;
};

} // namespace orvix::maintenance
