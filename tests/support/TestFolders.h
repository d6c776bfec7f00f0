// Temporary data folders for logic tests, made by the program's own code.
#pragma once

#include "common/Database.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace orvix::test {

// A temporary directory holding a fresh data folder "Data", open in db.
struct TempDataFolder {
    QTemporaryDir dir;
    Database db;
    QString folder;
    explicit TempDataFolder(const QString& connection = QStringLiteral("Mirtal7"));
};

} // namespace orvix::test
