#include "maintenance/UpdConfig.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvix::maintenance {

QString iniFilePath(const QString& programFolder) {
    const QString name = QStringLiteral("Orvix_Szamla.ini");
    const QString beside = QDir(programFolder).filePath(name);
    if (QFileInfo(beside).isFile())
        return beside;
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return beside;
    return QDir(base).filePath(QStringLiteral("Orvix_Szamla/") + name);
}

QString initialDataFolder(const IniFile& ini, const QString& programFolder) {
    return ini.value(QStringLiteral("Database"), QStringLiteral("Path"), QDir(programFolder).filePath(QStringLiteral("Data")));
}

} // namespace orvix::maintenance
