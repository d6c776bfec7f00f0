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

QString initialDataFolder(const IniFile& ini, const QString& iniPath) {
    const QString beside = QDir(QFileInfo(iniPath).absolutePath()).filePath(QStringLiteral("Data"));
    return ini.value(QStringLiteral("Database"), QStringLiteral("Path"), beside);
}

} // namespace orvix::maintenance
