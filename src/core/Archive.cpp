#include "core/Archive.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Dialogs.h"
#include "core/ParallelDeflate.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <sqlite3.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace orvix {

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

QString zipErrorText(zip_t* z) { return QString::fromUtf8(zip_strerror(z)); }

QString zipOpenErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

// Copies the database file of folder into target through the backup API: one
// read transaction over the whole copy, so the copy is the database as it was
// at one moment, whatever the other connections write meanwhile.
std::optional<QString> snapshotDatabase(const QString& source, const QString& target) {
    sqlite3* src = nullptr;
    sqlite3* dst = nullptr;
    auto closeBoth = [&] {
        sqlite3_close(src);
        sqlite3_close(dst);
    };
    if (sqlite3_open_v2(QFile::encodeName(source).constData(), &src, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const QString text = QString::fromUtf8(sqlite3_errmsg(src));
        closeBoth();
        return QStringLiteral("Az adatbázis nem nyitható meg (%1): %2").arg(native(source), text);
    }
    sqlite3_busy_timeout(src, 30000);
    if (sqlite3_open_v2(QFile::encodeName(target).constData(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        const QString text = QString::fromUtf8(sqlite3_errmsg(dst));
        closeBoth();
        return QStringLiteral("Az ideiglenes fájl nem írható (%1): %2").arg(native(target), text);
    }
    sqlite3_backup* backup = sqlite3_backup_init(dst, "main", src, "main");
    if (!backup) {
        const QString text = QString::fromUtf8(sqlite3_errmsg(dst));
        closeBoth();
        return QStringLiteral("Az adatbázis mentése nem indítható: %1").arg(text);
    }
    int rc = SQLITE_OK;
    // All pages in one step: a step that copies everything holds its read
    // lock throughout, so no other writer can slip in between pages.
    for (int tries = 0; tries < 600; ++tries) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        QThread::msleep(50);
    }
    sqlite3_backup_finish(backup);
    const QString text = QString::fromUtf8(sqlite3_errmsg(dst));
    closeBoth();
    if (rc != SQLITE_DONE)
        return QStringLiteral("Az adatbázis mentése nem sikerült: %1").arg(text);
    return std::nullopt;
}

// Files from this size on are deflated on every core before libzip writes
// them as they are; smaller ones libzip deflates itself.
constexpr qint64 kParallelFrom = 1 << 20;

// A libzip source handing over data deflated beforehand: its statistics
// say deflate, so the archive takes the bytes without compressing again.
struct DeflatedSource {
    DeflatedData data;
    time_t mtime = 0;
    size_t piece = 0;
    qsizetype offset = 0;
};

zip_int64_t deflatedSourceCallback(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* s = static_cast<DeflatedSource*>(state);
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
        s->piece = 0;
        s->offset = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        zip_uint64_t done = 0;
        auto* out = static_cast<char*>(data);
        while (done < len && s->piece < s->data.pieces.size()) {
            const QByteArray& p = s->data.pieces[s->piece];
            const zip_uint64_t n = std::min<zip_uint64_t>(len - done, zip_uint64_t(p.size() - s->offset));
            std::memcpy(out + done, p.constData() + s->offset, size_t(n));
            done += n;
            s->offset += qsizetype(n);
            if (s->offset == p.size()) {
                ++s->piece;
                s->offset = 0;
            }
        }
        return zip_int64_t(done);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD | ZIP_STAT_MTIME;
        st->size = s->data.size;
        st->comp_size = s->data.compressedSize;
        st->crc = s->data.crc;
        st->comp_method = ZIP_CM_DEFLATE;
        st->mtime = s->mtime;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(nullptr, data, len);
    case ZIP_SOURCE_FREE:
        delete s;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        return -1;
    }
}

// The source of one file of the archive; a large file is deflated here on
// every core. Null with the reason in error.
zip_source_t* fileSource(zip_t* z, const QString& path, QString& error) {
    const QFileInfo info(path);
    if (info.size() < kParallelFrom) {
        zip_source_t* source = zip_source_file(z, QFile::encodeName(path).constData(), 0, -1);
        if (!source)
            error = zipErrorText(z);
        return source;
    }
    auto* state = new DeflatedSource;
    if (const auto failed = deflateFile(path, state->data)) {
        delete state;
        error = *failed;
        return nullptr;
    }
    state->mtime = time_t(info.lastModified().toSecsSinceEpoch());
    zip_source_t* source = zip_source_function(z, deflatedSourceCallback, state);
    if (!source) {
        delete state;
        error = zipErrorText(z);
    }
    return source;
}

// The files of folder, relative names, sorted; the database's own journal
// files are left out, since the snapshot already holds what they carry.
QStringList folderFiles(const QString& folder) {
    const QString db = QLatin1String(Database::FileName);
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        const QString rel = base.relativeFilePath(it.next());
        if (rel == db + QLatin1String("-journal") || rel == db + QLatin1String("-wal") ||
            rel == db + QLatin1String("-shm"))
            continue;
        files << rel;
    }
    files.sort();
    return files;
}

// An entry name that stays inside the folder it is unpacked into.
bool safeEntryName(const QString& name) {
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')) ||
        name.contains(QLatin1Char(':')) || name.contains(QLatin1Char('\\')))
        return false;
    const QStringList parts = name.split(QLatin1Char('/'));
    for (int i = 0; i < parts.size(); ++i) {
        const QString& p = parts[i];
        if (p == QLatin1String("..") || p == QLatin1String(".") || (p.isEmpty() && i != parts.size() - 1))
            return false;
    }
    return true;
}

} // namespace

QString offeredArchiveFile(const QString& archiveFolder, const QDate& day) {
    return QDir(archiveFolder).filePath(day.toString(QStringLiteral("yyyyMMdd")) + QLatin1String(".zip"));
}

std::optional<QString> archiveDataFolder(const QString& folder, const QString& zipFile) {
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir())
        return QStringLiteral("Nem létező adatmappa: %1").arg(native(folder));
    const QString base = folderInfo.absoluteFilePath();
    const QString target = QFileInfo(zipFile).absoluteFilePath();
    if (!QFileInfo(target).absolutePath().isEmpty() && !QFileInfo(QFileInfo(target).absolutePath()).isDir())
        return QStringLiteral("Nem létező mappa: %1").arg(native(QFileInfo(target).absolutePath()));
    if (target.startsWith(base + QLatin1Char('/')))
        return QStringLiteral("Az archívum nem kerülhet az archivált adatmappába: %1").arg(native(target));

    QTemporaryDir scratch(QDir(QFileInfo(target).absolutePath()).filePath(QStringLiteral(".archiv-XXXXXX")));
    if (!scratch.isValid())
        return QStringLiteral("Az ideiglenes mappa nem hozható létre: %1").arg(scratch.errorString());
    const QString dbName = QLatin1String(Database::FileName);
    const QString snapshot = scratch.filePath(dbName);
    const QString partial = scratch.filePath(QStringLiteral("archiv.zip"));

    const QStringList files = folderFiles(base);
    if (files.contains(dbName))
        if (const auto error = snapshotDatabase(QDir(base).filePath(dbName), snapshot))
            return error;

    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(partial).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!z)
        return QStringLiteral("Az archívum nem hozható létre (%1): %2").arg(native(target), zipOpenErrorText(code));
    for (const QString& rel : files) {
        const QString path = rel == dbName ? snapshot : QDir(base).filePath(rel);
        QString sourceError;
        zip_source_t* source = fileSource(z, path, sourceError);
        zip_int64_t index = source ? zip_file_add(z, rel.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            const QString text = source ? zipErrorText(z) : sourceError;
            if (source)
                zip_source_free(source);
            zip_discard(z);
            return QStringLiteral("%1: %2").arg(native(rel), text);
        }
        zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_DEFLATE, 9);
    }
    // The files are read and compressed here.
    if (zip_close(z) != 0) {
        const QString text = zipErrorText(z);
        zip_discard(z);
        return text;
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0)
        return QStringLiteral("Az archívum nem írható a helyére (%1): %2")
            .arg(native(target), QString::fromLocal8Bit(std::strerror(errno)));
    return std::nullopt;
}

std::optional<QString> restoreArchive(const QString& zipFile, const QString& newFolder) {
    const QFileInfo targetInfo(newFolder);
    const QString target = targetInfo.absoluteFilePath();
    if (targetInfo.exists()) {
        if (!targetInfo.isDir())
            return QStringLiteral("A cél nem mappa: %1").arg(native(target));
        if (Database::isDataFolder(target))
            return QStringLiteral("A célmappában már van adatbázis, a visszaállítás nem írhatja felül: %1")
                .arg(native(target));
        if (!QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            return QStringLiteral("A célmappa nem üres: %1").arg(native(target));
    }
    const QString parent = targetInfo.absolutePath();
    if (!QDir().mkpath(parent))
        return QStringLiteral("A mappa nem hozható létre: %1").arg(native(parent));

    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(zipFile).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!z)
        return QStringLiteral("Az archívum nem olvasható (%1): %2").arg(native(zipFile), zipOpenErrorText(code));
    std::unique_ptr<zip_t, void (*)(zip_t*)> closer(z, [](zip_t* p) { zip_discard(p); });

    // Everything is unpacked into a staging folder beside the target first.
    QTemporaryDir staging(QDir(parent).filePath(QStringLiteral(".visszaallit-XXXXXX")));
    if (!staging.isValid())
        return QStringLiteral("Az ideiglenes mappa nem hozható létre: %1").arg(staging.errorString());
    const QDir stage(staging.path());
    bool hasDatabase = false;
    const zip_int64_t count = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(zip_get_name(z, zip_uint64_t(i), ZIP_FL_ENC_GUESS));
        if (!safeEntryName(name))
            return QStringLiteral("Az archívum hibás nevet tartalmaz: %1").arg(name);
        if (name.endsWith(QLatin1Char('/'))) {
            stage.mkpath(name);
            continue;
        }
        hasDatabase = hasDatabase || name == QLatin1String(Database::FileName);
        const QString out = stage.filePath(name);
        stage.mkpath(QFileInfo(out).path());
        QFile file(out);
        if (!file.open(QIODevice::WriteOnly))
            return QStringLiteral("A fájl nem írható (%1): %2").arg(native(out), file.errorString());
        zip_file_t* entry = zip_fopen_index(z, zip_uint64_t(i), 0);
        if (!entry)
            return QStringLiteral("Hibás bejegyzés az archívumban (%1): %2").arg(name, zipErrorText(z));
        char buffer[1 << 16];
        zip_int64_t n = 0;
        // libzip checks the entry's CRC when its end is read: a mismatch is a read error.
        while ((n = zip_fread(entry, buffer, sizeof buffer)) > 0) {
            if (file.write(buffer, n) != n) {
                zip_fclose(entry);
                return QStringLiteral("A fájl nem írható (%1): %2").arg(native(out), file.errorString());
            }
        }
        const QString text = QString::fromUtf8(zip_error_strerror(zip_file_get_error(entry)));
        zip_fclose(entry);
        if (n < 0)
            return QStringLiteral("Sérült bejegyzés az archívumban (%1): %2").arg(name, text);
        if (!file.flush())
            return QStringLiteral("A fájl nem írható (%1): %2").arg(native(out), file.errorString());
    }
    if (!hasDatabase)
        return QStringLiteral("Az archívumban nincs adatbázis (%1).").arg(QLatin1String(Database::FileName));
    try {
        Database db(QStringLiteral("restore-check"));
        db.open(stage.path());
        const QString result = db.integrityCheck();
        db.close();
        if (result != QLatin1String("ok"))
            return QStringLiteral("Az archívum adatbázisa sérült:\n%1").arg(result);
    } catch (const DbError& e) {
        return QStringLiteral("Az archívum adatbázisa nem nyitható meg: %1").arg(e.text());
    }
    if (targetInfo.exists() && !QDir(parent).rmdir(targetInfo.fileName()))
        return QStringLiteral("A célmappa nem írható: %1").arg(native(target));
    // The staging folder was made private; the restored folder gets the usual rights.
    QFile::setPermissions(stage.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                            QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    if (!QDir().rename(stage.path(), target))
        return QStringLiteral("A visszaállított mappa nem nevezhető át: %1").arg(native(target));
    staging.setAutoRemove(false);
    return std::nullopt;
}

QString backupArchiveFolder(AppContext& ctx, Dialogs& dialogs) {
    QString folder = ctx.config.archive.trimmed();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        dialogs.error(QStringLiteral("Nem létező mentési útvonal, alapértelmezés visszaállítva."));
        folder = QDir(ctx.folders.work).filePath(QStringLiteral("Archiv"));
        ctx.config.archive = folder;
        ctx.folders.archive = folder;
    }
    QDir().mkpath(folder);
    return folder;
}

bool backupDataFolder(AppContext& ctx, const QString& folder, const QString& zipFile, Dialogs& dialogs) {
    if (const auto error = archiveDataFolder(folder, zipFile)) {
        dialogs.error(QStringLiteral("Hiba az archiválás közben\n%1").arg(*error));
        return false;
    }
    ctx.ini.setValue(QStringLiteral("Archive"), QStringLiteral("LastArchive"),
                     QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd")));
    ctx.ini.save();
    return true;
}

QString mainArchiveFolder(AppContext& ctx) {
    QString folder = ctx.config.archive.trimmed();
    if (folder.isEmpty()) {
        folder = QDir(ctx.folders.work).filePath(QStringLiteral("Archiv"));
        ctx.config.archive = folder;
        ctx.folders.archive = folder;
    }
    QDir().mkpath(folder);
    return folder;
}

bool archiveOpenDataFolder(AppContext& ctx, const QString& zipFile, Dialogs& dialogs) {
    if (const auto error = archiveDataFolder(ctx.folders.data, zipFile)) {
        dialogs.error(QStringLiteral("Hiba az archiválás közben\n%1").arg(*error));
        return false;
    }
    dialogs.info(QStringLiteral("Archív állomány kész."));
    return true;
}

} // namespace orvix
