#include "common/Database.h"
#include "common/Hungarian.h"

#include <QDir>
#include <QMap>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QUuid>
#include <sqlite3.h>

#include <atomic>
#include <thread>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace orvix {

namespace {

// "CHAR(15)" -> ("CHAR", 15); "INTEGER" with AUTOINCREMENT is reported as AUTOINC.
FieldInfo parseDeclared(const QString& name, const QString& declared, bool autoinc) {
    FieldInfo f;
    f.name = name;
    static const QRegularExpression re(QStringLiteral("^\\s*([A-Za-z]+)\\s*(?:\\(\\s*(\\d+)\\s*\\))?"));
    const auto m = re.match(declared);
    QString type = m.hasMatch() ? m.captured(1).toUpper() : declared.toUpper();
    if (autoinc)
        type = QStringLiteral("AUTOINC");
    else if (type == QLatin1String("INTEGER"))
        type = QStringLiteral("INT");
    else if (type == QLatin1String("REAL") || type == QLatin1String("DOUBLE"))
        type = QStringLiteral("FLOAT");
    f.type = type;
    f.width = m.hasMatch() && !m.captured(2).isEmpty() ? m.captured(2).toInt() : 0;
    return f;
}

QString nativeFolder(const QString& folder) { return QDir::toNativeSeparators(folder); }

const QString kRepairAdvice = QStringLiteral(
    "Zárja be a programot, és javítsa az adatbázist a karbantartó programmal (Orvix_Szamla_Upd), vagy "
    "állítsa vissza egy mentésből.");

// The Hungarian explanation of the engine failures a user meets: what
// happened to which folder and what to do. Kind::Other for every other
// failure (a fault of a statement), which keeps the engine's text as it is.
DbError::Kind kindOf(int code) {
    switch (code & 0xff) {
    case SQLITE_READONLY: return DbError::Kind::ReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return DbError::Kind::Busy;
    case SQLITE_FULL: return DbError::Kind::DiskFull;
    case SQLITE_CANTOPEN: return DbError::Kind::CannotOpen;
    case SQLITE_IOERR: return DbError::Kind::IoError;
    case SQLITE_CORRUPT: return DbError::Kind::Damaged;
    case SQLITE_NOTADB: return DbError::Kind::NotDatabase;
    default: return DbError::Kind::Other;
    }
}

QString explanation(DbError::Kind kind, const QString& folder) {
    const QString f = nativeFolder(folder);
    switch (kind) {
    case DbError::Kind::ReadOnly:
        return QStringLiteral("Az adatmappa csak olvasható, a program nem írhat bele: %1\n"
                              "Kérjen írási jogot a mappára és a benne lévő %2 fájlra (hálózati meghajtón a "
                              "megosztásra is), majd ismételje meg a műveletet.")
            .arg(f, QLatin1String(Database::FileName));
    case DbError::Kind::Busy:
        return QStringLiteral("Az adatmappát most egy másik munkaállomás vagy program foglalja: %1\n"
                              "Várjon néhány másodpercet, és ismételje meg a műveletet; ha a foglaltság nem "
                              "múlik el, zárja be a többi programot, amely ezt az adatmappát használja.")
            .arg(f);
    case DbError::Kind::DiskFull:
        return QStringLiteral("Betelt a lemez, az adatmappába nem fér több adat: %1\n"
                              "Szabadítson fel helyet a lemezen (hálózati meghajtón a megosztáson), majd "
                              "ismételje meg a műveletet.")
            .arg(f);
    case DbError::Kind::CannotOpen:
        return QStringLiteral("Az adatmappa adatbázisfájlja nem nyitható meg: %1\n"
                              "Ellenőrizze, hogy a mappa elérhető-e (a hálózati meghajtó csatlakozik-e), és "
                              "hogy van-e írási joga a mappára: írás közben a program egy naplófájlt is "
                              "létrehoz a fájl mellett.")
            .arg(f);
    case DbError::Kind::IoError:
        return QStringLiteral("Lemez- vagy hálózati hiba történt az adatmappa olvasása vagy írása közben: %1\n"
                              "Ellenőrizze a lemezt és a hálózati kapcsolatot, majd ismételje meg a "
                              "műveletet.")
            .arg(f);
    case DbError::Kind::Damaged:
        return QStringLiteral("Az adatmappa adatbázisfájlja sérült: %1\n"
                              "A program ebben a futásban nem ír bele többet. ")
                   .arg(f) +
               kRepairAdvice;
    case DbError::Kind::NotDatabase:
        return QStringLiteral("Az adatmappa %1 fájlja nem adatbázis, vagy annyira sérült, hogy nem "
                              "olvasható: %2\n")
                   .arg(QLatin1String(Database::FileName), f) +
               kRepairAdvice;
    case DbError::Kind::WritesStopped:
        return QStringLiteral("Az adatmappa adatbázisfájlja sérült, ezért a program ebben a futásban nem "
                              "ír bele többet: %1\n")
                   .arg(f) +
               kRepairAdvice;
    case DbError::Kind::Other: break;
    }
    return {};
}

// The engine's result code of a failed call ("" when Qt gives none).
int engineCode(const QSqlError& e) {
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok);
    return ok ? code : 0;
}

QString engineText(const QSqlError& e) {
    QString text = e.databaseText();
    if (text.isEmpty())
        text = e.text();
    return text;
}

// Statements that leave the file as it is: these still run after the file
// was found damaged, so that lists can be read and transactions rolled back.
bool isReadOnlyStatement(const QString& statement) {
    static const QRegularExpression firstWord(QStringLiteral("^\\s*([A-Za-z]+)"));
    static const QRegularExpression writes(QStringLiteral("\\b(INSERT|UPDATE|DELETE|REPLACE)\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QString word = firstWord.match(statement).captured(1).toUpper();
    if (word == QLatin1String("WITH"))
        return !writes.match(statement).hasMatch();
    return word == QLatin1String("SELECT") || word == QLatin1String("PRAGMA") || word == QLatin1String("EXPLAIN") ||
           word == QLatin1String("VALUES") || word == QLatin1String("ROLLBACK") || word == QLatin1String("RELEASE");
}

// Damage the engine reported anywhere in the process, counted from SQLite's
// error log: it also hears of the rows that a caller's own loop over a result
// could not read, which reach no exception of this class.
std::atomic<unsigned> g_damageReports{0};

void engineLog(void*, int code, const char*) {
    const int primary = code & 0xff;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        g_damageReports.fetch_add(1, std::memory_order_relaxed);
}

// Errors raised that told the user of a damaged file, and the folder the
// process opened last (the one a damage report most likely concerns).
std::atomic<unsigned> g_damageExplained{0};
QString& lastOpenedFolder() {
    static QString folder;
    return folder;
}

// The log can only be set before the engine starts, so this runs before the
// process opens its first connection.
void listenToEngineLog() {
    static const int installed = sqlite3_config(SQLITE_CONFIG_LOG, engineLog, nullptr);
    (void)installed;
}

// Name of the temporary file a new database is made in; what a killed
// creation leaves behind starts so and is removed by the next creation.
const QString kNewFilePrefix = QString::fromLatin1(Database::FileName) + QStringLiteral(".uj-");

} // namespace

Database::Database(const QString& connectionName) : m_name(connectionName) { listenToEngineLog(); }

Database::~Database() { close(); }

QString Database::databaseFile(const QString& folder) {
    return QDir(folder).filePath(QString::fromLatin1(FileName));
}

bool Database::isDataFolder(const QString& folder) {
    // An empty file holds no database: it is what an engine leaves when it was
    // stopped right after making the file.
    if (folder.isEmpty())
        return false;
    const QFileInfo file(databaseFile(folder));
    return file.isFile() && file.size() > 0;
}

void Database::open(const QString& folder) {
    close();
    if (!isDataFolder(folder))
        throw DbError(QStringLiteral("A mappában nincs adatbázis: %1").arg(nativeFolder(folder)));
    openFile(databaseFile(folder), folder);
}

void Database::openFile(const QString& file, const QString& folder) {
    const QString absolute = QDir(folder).absolutePath();
    if (m_writesStopped && absolute != m_damagedFolder) {
        m_writesStopped = false;
        m_damagedFolder.clear();
    }
    m_folder = absolute;
    lastOpenedFolder() = absolute;
    // Damage reported before this file was opened is not this file's.
    m_damageReportsSeen = g_damageReports.load(std::memory_order_relaxed);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        if (!db.open()) {
            const QSqlError error = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            try {
                fail(error, QString());
            } catch (...) {
                m_folder.clear();
                throw;
            }
        }
    }
    try {
        configureConnection();
        // A file that is not a database fails here rather than later.
        queryInt(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"), 0);
    } catch (...) {
        close();
        throw;
    }
}

void Database::create(const QString& folder, const std::function<void(Database&)>& layout) {
    close();
    if (isDataFolder(folder))
        throw DbError(QStringLiteral("A mappában már van adatbázis: %1").arg(nativeFolder(folder)));
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("A mappa nem hozható létre: %1").arg(nativeFolder(folder)));
    const QDir dir(folder);
    // Leftovers of a creation that was killed before it was complete.
    for (const QString& name :
         dir.entryList({kNewFilePrefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(dir.filePath(name));

    const QString temporary = dir.filePath(kNewFilePrefix + QUuid::createUuid().toString(QUuid::Id128).left(12));
    const auto removeTemporary = [&] {
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-journal"));
    };
    try {
        openFile(temporary, folder);
        if (layout)
            layout(*this);
        close();
    } catch (...) {
        close();
        removeTemporary();
        throw;
    }
    // Only a complete database gets the name the program opens. rename()
    // replaces an empty file left by an older version atomically; otherwise
    // the target must not exist (another workstation may have been quicker).
    const QString target = databaseFile(folder);
    bool renamed;
    if (QFileInfo::exists(target))
        renamed = QFileInfo(target).size() == 0 &&
                  std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) == 0;
    else
        renamed = QFile::rename(temporary, target);
    if (!renamed) {
        removeTemporary();
        if (isDataFolder(folder))
            throw DbError(QStringLiteral("A mappában már van adatbázis: %1").arg(nativeFolder(folder)));
        throw DbError(QStringLiteral("Az új adatbázisfájl nem nevezhető át %1 névre: %2")
                          .arg(QLatin1String(FileName), nativeFolder(folder)));
    }
    open(folder);
}

void Database::close() {
    m_cache.clear();
    m_fieldCache.clear();
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_folder.clear();
}

bool Database::isOpen() const {
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase Database::sql() const {
    if (!isOpen())
        throw DbError(QStringLiteral("Nincs megnyitott adatbázis"));
    return QSqlDatabase::database(m_name, false);
}

void Database::configureConnection() {
    QSqlDatabase db = sql();
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        sqlite3* h = *static_cast<sqlite3* const*>(handle.constData());
        if (h && registerHungarianFunctions(h) != SQLITE_OK)
            throw DbError(QStringLiteral("A magyar rendezés és keresés nem kapcsolható be: %1")
                              .arg(QString::fromUtf8(sqlite3_errmsg(h))));
    }
    execSql(QStringLiteral("PRAGMA journal_mode=DELETE"));
    execSql(QStringLiteral("PRAGMA synchronous=FULL"));
    execSql(QStringLiteral("PRAGMA foreign_keys=OFF"));
    // The lists count and page through indexes of hundreds of thousands of
    // entries; the engine's default cache of 2 MB holds none of them whole.
    // 64 MB (taken only as pages are read) keeps the indexes of a large
    // register in memory between keystrokes.
    execSql(QStringLiteral("PRAGMA cache_size=-65536"));
}

void Database::fail(const QSqlError& error, const QString& statement) const {
    const DbError::Kind kind = kindOf(engineCode(error));
    const QString detail = engineText(error);
    if (kind == DbError::Kind::Damaged || kind == DbError::Kind::NotDatabase) {
        m_writesStopped = true;
        m_damagedFolder = m_folder;
        g_damageExplained.fetch_add(1, std::memory_order_relaxed);
    }
    if (kind == DbError::Kind::Other)
        throw DbError(statement.isEmpty() ? detail : detail + QLatin1Char('\n') + statement, kind);
    throw DbError(explanation(kind, m_folder) + QStringLiteral("\nRészletek: ") + detail, kind);
}

void Database::refuseWriteWhenStopped(const QString& statement) const {
    // Damage the engine met while this object works on its file (in a loop
    // over rows, say) stops the writes just as a failed statement does. A
    // process works on one data folder at a time; should two be open, both
    // stop rather than write on beside a damaged file.
    if (!m_writesStopped && g_damageReports.load(std::memory_order_relaxed) != m_damageReportsSeen) {
        m_writesStopped = true;
        m_damagedFolder = m_folder;
    }
    if (m_writesStopped && !isReadOnlyStatement(statement)) {
        g_damageExplained.fetch_add(1, std::memory_order_relaxed);
        throw DbError(explanation(DbError::Kind::WritesStopped, m_folder), DbError::Kind::WritesStopped);
    }
}

bool Database::damageReported() { return g_damageReports.load(std::memory_order_relaxed) > 0; }

bool Database::damageExplained() { return g_damageExplained.load(std::memory_order_relaxed) > 0; }

QString Database::damageNotice() { return explanation(DbError::Kind::Damaged, lastOpenedFolder()); }

QSqlQuery Database::run(const QString& statement, const QVariantList& params) {
    refuseWriteWhenStopped(statement);
    QSqlQuery q(sql());
    q.setForwardOnly(true);
    bool ok;
    if (params.isEmpty()) {
        ok = q.exec(statement);
    } else {
        ok = q.prepare(statement);
        if (ok) {
            for (const QVariant& p : params)
                q.addBindValue(p);
            ok = q.exec();
        }
    }
    if (!ok)
        fail(q.lastError(), statement);
    return q;
}

QSqlQuery& Database::cached(const QString& statement, const QVariantList& params) {
    // Statements that run again and again (the same text with other values)
    // are prepared once per connection.
    refuseWriteWhenStopped(statement);
    auto it = m_cache.find(statement);
    if (it == m_cache.end()) {
        if (m_cache.size() >= 256)
            m_cache.clear();
        auto q = std::make_unique<QSqlQuery>(sql());
        q->setForwardOnly(true);
        if (!q->prepare(statement))
            fail(q->lastError(), statement);
        it = m_cache.emplace(statement, std::move(q)).first;
    }
    QSqlQuery& q = *it->second;
    for (int i = 0; i < params.size(); ++i)
        q.bindValue(i, params.at(i));
    if (!q.exec()) {
        const QSqlError error = q.lastError();
        m_cache.erase(it);
        fail(error, statement);
    }
    return q;
}

int Database::execSql(const QString& statement, const QVariantList& params) {
    static const QRegularExpression layoutChange(QStringLiteral("^\\s*(ALTER|CREATE|DROP)\\b"),
                                                 QRegularExpression::CaseInsensitiveOption);
    if (layoutChange.match(statement).hasMatch()) {
        m_fieldCache.clear();
        // A layout change ends the prepared statements of the changed table.
        m_cache.clear();
        return run(statement, params).numRowsAffected();
    }
    QSqlQuery& q = cached(statement, params);
    const int changed = q.numRowsAffected();
    q.finish();
    return changed;
}

QSqlQuery Database::select(const QString& select, const QVariantList& params) { return run(select, params); }

QVariant Database::queryValue(const QString& select, const QVariantList& params) {
    QSqlQuery& q = cached(select, params);
    QVariant v;
    if (q.next())
        v = q.value(0);
    else if (q.lastError().isValid())
        fail(q.lastError(), select); // a row that could not be read is no empty result
    q.finish();
    return v;
}

qint64 Database::nextId(const QString& field, const QString& table) {
    const QString t = table.isEmpty() ? field : table;
    return queryInt(QStringLiteral("SELECT MAX(%1) AS maxid FROM %2;").arg(field, t), 0) + 1;
}

qint64 Database::queryInt(const QString& select, qint64 defaultValue, const QVariantList& params) {
    const QVariant v = queryValue(select, params);
    if (v.isNull() || v.toString().trimmed().isEmpty())
        return defaultValue;
    bool ok;
    const qint64 i = v.toLongLong(&ok);
    if (ok)
        return i;
    const double d = v.toDouble(&ok);
    return ok ? qint64(d) : defaultValue;
}

double Database::queryFloat(const QString& select, double defaultValue, const QVariantList& params) {
    const QVariant v = queryValue(select, params);
    if (v.isNull() || v.toString().trimmed().isEmpty())
        return defaultValue;
    bool ok;
    const double d = v.toDouble(&ok);
    return ok ? d : defaultValue;
}

QString Database::queryText(const QString& select, const QString& defaultValue, const QVariantList& params) {
    const QVariant v = queryValue(select, params);
    if (v.isNull() || v.toString().isEmpty())
        return defaultValue;
    return v.toString();
}

QStringList Database::fillItems(const QString& select, const QString& firstItem, bool withFirstItem) {
    QStringList items;
    if (withFirstItem)
        items << firstItem;
    QSqlQuery q = run(select, {});
    while (q.next())
        items << q.value(0).toString();
    if (q.lastError().isValid())
        fail(q.lastError(), select);
    return items;
}

QStringList Database::tableNames() const {
    QStringList names;
    const QString statement = QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite^_%' ESCAPE '^' ORDER BY name");
    QSqlQuery q(sql());
    if (!q.exec(statement))
        fail(q.lastError(), statement);
    while (q.next())
        names << q.value(0).toString();
    if (q.lastError().isValid())
        fail(q.lastError(), statement);
    return names;
}

bool Database::hasTable(const QString& table) const {
    return tableNames().contains(table, Qt::CaseInsensitive);
}

QStringList Database::fieldNames(const QString& table) const {
    // The field lists are read once per table; statements that change the
    // layout (ALTER, CREATE, DROP) forget them.
    const QString key = table.toLower();
    const auto found = m_fieldCache.find(key);
    if (found != m_fieldCache.end())
        return found->second;
    QStringList names;
    const QString statement = QStringLiteral("PRAGMA table_info(\"%1\")").arg(table);
    QSqlQuery q(sql());
    if (!q.exec(statement))
        fail(q.lastError(), statement);
    while (q.next())
        names << q.value(1).toString();
    if (q.lastError().isValid())
        fail(q.lastError(), statement);
    if (!names.isEmpty())
        m_fieldCache.emplace(key, names);
    return names;
}

bool Database::hasField(const QString& table, const QString& field) const {
    return fieldNames(table).contains(field, Qt::CaseInsensitive);
}

FieldInfo Database::fieldInfo(const QString& table, const QString& field) const {
    const QString master = QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND lower(name)=lower(?)");
    QSqlQuery q(sql());
    q.prepare(master);
    q.addBindValue(table);
    if (!q.exec())
        fail(q.lastError(), master);
    const QString createSql = q.next() ? q.value(0).toString() : QString();
    const QString columns = QStringLiteral("PRAGMA table_info(\"%1\")").arg(table);
    QSqlQuery info(sql());
    if (!info.exec(columns))
        fail(info.lastError(), columns);
    while (info.next()) {
        const QString name = info.value(1).toString();
        if (name.compare(field, Qt::CaseInsensitive) != 0)
            continue;
        const QString declared = info.value(2).toString();
        const bool autoinc =
            createSql.contains(QRegularExpression(QStringLiteral("\\b%1\\s+INTEGER\\s+PRIMARY\\s+KEY\\s+AUTOINCREMENT")
                                                      .arg(QRegularExpression::escape(name)),
                                                  QRegularExpression::CaseInsensitiveOption));
        return parseDeclared(name, declared, autoinc);
    }
    return {};
}

void Database::rebuildIndexes(const QString& table) {
    execSql(QStringLiteral("REINDEX \"%1\"").arg(table));
}

namespace {

// Runs one integrity pragma on a connection of its own, read-only, with the
// Hungarian collation the indexes are ordered by. Messages other than "ok"
// are appended to `lines`; an engine failure is a message too.
void checkOnOwnConnection(const QString& file, const QString& pragma, QStringList& lines) {
    sqlite3* h = nullptr;
    const QByteArray path = file.toUtf8();
    if (sqlite3_open_v2(path.constData(), &h, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        lines << QString::fromUtf8(h ? sqlite3_errmsg(h) : "cannot open");
        sqlite3_close(h);
        return;
    }
    sqlite3_busy_timeout(h, 10000);
    registerHungarianFunctions(h);
    sqlite3_exec(h, "PRAGMA mmap_size=2147418112", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = pragma.toUtf8();
    if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
        lines << QString::fromUtf8(sqlite3_errmsg(h));
    } else {
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            const QString line = QString::fromUtf8(text ? text : "");
            if (line != QLatin1String("ok"))
                lines << line;
        }
        if (rc != SQLITE_DONE)
            lines << QString::fromUtf8(sqlite3_errmsg(h));
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
}

} // namespace

QString Database::integrityCheck() {
    // The full check reads every page and seeks every row in each of its
    // table's indexes. It is split so that both processor cores work: the
    // table with the most indexes is checked on a second, read-only
    // connection in a thread, while this one checks the file's page structure
    // (quick_check: every page used once, records well-formed) and then the
    // index contents of every other table. Together they check what one
    // integrity_check does. Both connections read the file through a memory
    // map, so that pages are read in place instead of copied once per seek.
    const QString file = databaseFile(m_folder);
    QMap<QString, int> indexCount;
    {
        QSqlQuery t = select(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'"));
        while (t.next())
            indexCount.insert(t.value(0).toString(), 0);
        QSqlQuery i = select(QStringLiteral("SELECT tbl_name FROM sqlite_master WHERE type='index'"));
        while (i.next())
            indexCount[i.value(0).toString()] += 1;
    }
    QString heaviest;
    for (auto it = indexCount.cbegin(); it != indexCount.cend(); ++it)
        if (heaviest.isEmpty() || it.value() > indexCount.value(heaviest))
            heaviest = it.key();

    const auto quoted = [](const QString& name) {
        return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    };
    QStringList workerLines;
    std::thread worker;
    if (!heaviest.isEmpty())
        worker = std::thread([&] {
            checkOnOwnConnection(file, QStringLiteral("PRAGMA integrity_check(%1)").arg(quoted(heaviest)), workerLines);
        });
    const auto mapSize = [this](qint64 bytes) {
        QSqlQuery m = select(QStringLiteral("PRAGMA mmap_size=%1").arg(bytes));
        m.next();
    };
    QStringList lines;
    const auto run = [&](const QString& pragma) {
        QSqlQuery q = select(pragma);
        while (q.next()) {
            const QString line = q.value(0).toString();
            if (line != QLatin1String("ok"))
                lines << line;
        }
        if (q.lastError().isValid())
            fail(q.lastError(), QString());
    };
    try {
        mapSize(qint64(0x7fff0000));
        run(QStringLiteral("PRAGMA quick_check"));
        for (auto it = indexCount.cbegin(); it != indexCount.cend(); ++it)
            if (it.key() != heaviest)
                run(QStringLiteral("PRAGMA integrity_check(%1)").arg(quoted(it.key())));
    } catch (...) {
        if (worker.joinable())
            worker.join();
        try {
            mapSize(0);
        } catch (...) {
        }
        throw;
    }
    if (worker.joinable())
        worker.join();
    mapSize(0);
    lines += workerLines;
    lines.removeDuplicates();
    if (lines.isEmpty())
        return QStringLiteral("ok");
    return lines.join(QLatin1Char('\n'));
}

Database::Transaction::Transaction(Database& db, Lock lock) : m_db(db), m_level(db.m_txDepth) {
    if (m_level == 0)
        m_db.execSql(lock == Lock::Exclusive ? QStringLiteral("BEGIN EXCLUSIVE") : QStringLiteral("BEGIN IMMEDIATE"));
    else
        m_db.execSql(QStringLiteral("SAVEPOINT orvix_sp%1").arg(m_level));
    ++m_db.m_txDepth;
}

Database::Transaction::~Transaction() {
    if (m_done)
        return;
    --m_db.m_txDepth;
    // Fields added inside the transaction are gone again.
    m_db.m_fieldCache.clear();
    try {
        if (m_level == 0) {
            m_db.execSql(QStringLiteral("ROLLBACK"));
        } else {
            m_db.execSql(QStringLiteral("ROLLBACK TO orvix_sp%1").arg(m_level));
            m_db.execSql(QStringLiteral("RELEASE orvix_sp%1").arg(m_level));
        }
    } catch (...) {
    }
}

void Database::Transaction::commit() {
    if (m_level == 0)
        m_db.execSql(QStringLiteral("COMMIT"));
    else
        m_db.execSql(QStringLiteral("RELEASE orvix_sp%1").arg(m_level));
    m_done = true;
    --m_db.m_txDepth;
}

// ---------------------------------------------------------------------------
// SQL literal builders

QString sqlDateUs(const QDate& date) {
    return QLatin1Char('\'') + date.toString(QStringLiteral("MM/dd/yyyy")).replace(QLatin1Char('.'), QLatin1Char('/')) +
           QLatin1Char('\'');
}

QString sqlDate(const QDate& date) {
    return QLatin1Char('\'') + date.toString(QStringLiteral("yyyy-MM-dd")).replace(QLatin1Char('.'), QLatin1Char('-')) +
           QLatin1Char('\'');
}

namespace {

// Reads a number literal the way the engine does, on a private in-memory
// connection: the engine's own reading of some decimal texts is one unit in
// the last place off the nearest double.
class EngineNumberReader {
public:
    EngineNumberReader() {
        listenToEngineLog();
        if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr) == SQLITE_OK)
            sqlite3_prepare_v2(m_db, "SELECT CAST(?1 AS REAL)", -1, &m_stmt, nullptr);
    }
    ~EngineNumberReader() {
        sqlite3_finalize(m_stmt);
        sqlite3_close(m_db);
    }
    EngineNumberReader(const EngineNumberReader&) = delete;
    EngineNumberReader& operator=(const EngineNumberReader&) = delete;

    // False when the engine could not be asked.
    bool read(const char* text, int length, double& value) {
        if (!m_stmt)
            return false;
        sqlite3_reset(m_stmt);
        sqlite3_bind_text(m_stmt, 1, text, length, SQLITE_TRANSIENT);
        const bool ok = sqlite3_step(m_stmt) == SQLITE_ROW;
        if (ok)
            value = sqlite3_column_double(m_stmt, 0);
        sqlite3_reset(m_stmt);
        return ok;
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace

QString sqlFloat(double value) {
    if (!std::isfinite(value))
        throw DbError(QStringLiteral("A szám nem írható az adatbázisba (végtelen vagy érvénytelen érték)."));
    // The shortest text that reads back as the same double; where the engine
    // reads that text one unit off, more digits are given until it reads the
    // value itself.
    char buffer[64];
    const auto shortest = std::to_chars(buffer, buffer + sizeof buffer, value);
    const int shortestLength = int(shortest.ptr - buffer);
    thread_local EngineNumberReader engine;
    double readBack = 0;
    if (!engine.read(buffer, shortestLength, readBack) || readBack == value)
        return QString::fromLatin1(buffer, shortestLength);
    char longer[64];
    for (int precision = 17; precision <= 21; ++precision) {
        const auto r = std::to_chars(longer, longer + sizeof longer, value, std::chars_format::general, precision);
        const int length = int(r.ptr - longer);
        if (engine.read(longer, length, readBack) && readBack == value)
            return QString::fromLatin1(longer, length);
    }
    return QString::fromLatin1(buffer, shortestLength);
}

QString varQuoted(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("''");
    QString s = value.toString();
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

namespace {
QStringList replaceFirstLine(QStringList lines, const QString& keyword, const QString& replacement) {
    for (QString& line : lines) {
        if (line.toUpper().startsWith(keyword)) {
            line = replacement;
            break;
        }
    }
    return lines;
}
} // namespace

QStringList setOrderBy(const QStringList& lines, const QString& columns) {
    return replaceFirstLine(lines, QStringLiteral("ORDER"), QStringLiteral("ORDER BY ") + columns + QLatin1Char(';'));
}

QStringList setWhere(const QStringList& lines, const QString& condition) {
    return replaceFirstLine(lines, QStringLiteral("WHERE"), QStringLiteral("WHERE ") + condition);
}

} // namespace orvix
