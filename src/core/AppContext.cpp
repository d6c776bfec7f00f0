#include "core/AppContext.h"

#include <QDir>

namespace orvix {

QString Folders::iniPath() const { return QDir(work).filePath(QStringLiteral("Orvix_Szamla.ini")); }

AppContext& app() {
    static AppContext context;
    return context;
}

} // namespace orvix
