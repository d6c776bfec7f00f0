#include "maintenance/Session.h"

#include "maintenance/Reporter.h"
#include "maintenance/Upgrade.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orvix::maintenance {

QString MaintenanceError::message() const {
    if (m_step.isEmpty())
        return m_text;
    return QStringLiteral("Hiba ennél a lépésnél: %1\n%2").arg(m_step, m_text);
}

namespace {
// How long the tool waits for another program to let go of the file.
constexpr int kLockWaitMs = 2000;
} // namespace

Session::Session(const QString& folder) : m_db(QStringLiteral("Orvix_Upd")) {
    if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir())
        throw MaintenanceError(QString(), kNoFolder);
    try {
        m_db.open(folder);
    } catch (const DbError& e) {
        throw MaintenanceError(QString(), e.text());
    }
    try {
        m_db.execSql(QStringLiteral("PRAGMA busy_timeout=%1").arg(kLockWaitMs));
        m_tr = std::make_unique<Database::Transaction>(m_db, Database::Transaction::Lock::Exclusive);
        m_db.execSql(QStringLiteral("PRAGMA busy_timeout=10000"));
        // The version change rewrites whole tables; a large cache keeps the
        // pages it changes in memory until the commit.
        m_db.execSql(QStringLiteral("PRAGMA cache_size=-524288"));
    } catch (const DbError& e) {
        m_db.close();
        if (e.kind() == DbError::Kind::Busy)
            throw MaintenanceError(
                QString(), QStringLiteral("Az adatbázist egy másik program használja, ezért a karbantartás nem "
                                          "indítható.\nZárja be a számlázó programot minden számítógépen, majd "
                                          "próbálja újra.\n%1")
                               .arg(e.text()));
        throw MaintenanceError(QString(), e.text());
    }
}

Session::~Session() {
    m_tr.reset();
    m_db.close();
}

QString Session::archiveCopy() {
    const QDir dir(m_db.folder());
    if (!dir.mkpath(kArchiveFolder))
        throw MaintenanceError(QStringLiteral("Mentés"),
                               QStringLiteral("Az archív mappa nem hozható létre: %1")
                                   .arg(QDir::toNativeSeparators(dir.filePath(kArchiveFolder))));
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QString target = dir.filePath(kArchiveFolder + QStringLiteral("/szamla_") + stamp + QStringLiteral(".sqlite3"));
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = dir.filePath(kArchiveFolder + QStringLiteral("/szamla_%1_%2.sqlite3").arg(stamp).arg(n));
    // The file is locked by this run and nothing has been written yet, so
    // its bytes are a whole, consistent database.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(Database::databaseFile(m_db.folder()), partial) || !QFile::rename(partial, target)) {
        QFile::remove(partial);
        throw MaintenanceError(QStringLiteral("Mentés"),
                               QStringLiteral("Az adatbázisról nem készíthető mentés ide: %1")
                                   .arg(QDir::toNativeSeparators(target)));
    }
    return target;
}

void Session::commit() {
    m_tr->commit();
    m_tr.reset();
}

} // namespace orvix::maintenance
