#include "TestFolders.h"

#include "data/Schema.h"

namespace orvix::test {

TempDataFolder::TempDataFolder(const QString& connection) : db(connection) {
    folder = dir.filePath(QStringLiteral("Data"));
    data::createDataFolder(db, folder);
}

} // namespace orvix::test
