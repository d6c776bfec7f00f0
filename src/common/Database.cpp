#include "common/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QUuid>
#include <sqlite3.h>

namespace orvix {

namespace {

QString textArg(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? QString::fromUtf8(p, sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void sqlUpper(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, textArg(argv[0]).toUpper());
}

void sqlLower(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, textArg(argv[0]).toLower());
}

// LIKE with % and _ on texts folded for search (case and accents ignored).
bool likeMatch(const QString& pattern, int pi, const QString& text, int ti, QChar escape) {
    while (pi < pattern.size()) {
        QChar p = pattern.at(pi);
        if (p == u'%' && p != escape) {
            while (pi < pattern.size() && pattern.at(pi) == u'%')
                ++pi;
            if (pi == pattern.size())
                return true;
            for (int k = ti; k <= text.size(); ++k)
                if (likeMatch(pattern, pi, text, k, escape))
                    return true;
            return false;
        }
        if (ti >= text.size())
            return false;
        if (p == u'_' && p != escape) {
            ++pi;
            ++ti;
            continue;
        }
        if (!escape.isNull() && p == escape && pi + 1 < pattern.size())
            p = pattern.at(++pi);
        if (p != text.at(ti))
            return false;
        ++pi;
        ++ti;
    }
    return ti == text.size();
}

void sqlLike(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    // like(pattern, text[, escape])
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    QChar escape;
    if (argc == 3) {
        const QString e = textArg(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.at(0);
    }
    const QString pattern = foldForSearch(textArg(argv[0]));
    const QString text = foldForSearch(textArg(argv[1]));
    sqlite3_result_int(ctx, likeMatch(pattern, 0, text, 0, escape) ? 1 : 0);
}

int collateHu(void*, int na, const void* a, int nb, const void* b) {
    return compareHungarianUtf8(a, na, b, nb);
}

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

} // namespace

void registerHungarianFunctions(void* handle) {
    auto* db = static_cast<sqlite3*>(handle);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "upper", 1, flags, nullptr, sqlUpper, nullptr, nullptr);
    sqlite3_create_function(db, "lower", 1, flags, nullptr, sqlLower, nullptr, nullptr);
    sqlite3_create_function(db, "like", 2, flags, nullptr, sqlLike, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, flags, nullptr, sqlLike, nullptr, nullptr);
    sqlite3_create_collation(db, "HU", SQLITE_UTF8, nullptr, collateHu);
}

Database::Database(const QString& connectionName) : m_name(connectionName) {}

Database::~Database() { close(); }

QString Database::databaseFile(const QString& folder) {
    return QDir(folder).filePath(QString::fromLatin1(FileName));
}

bool Database::isDataFolder(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(databaseFile(folder)).isFile();
}

void Database::open(const QString& folder) {
    close();
    if (!isDataFolder(folder))
        throw DbError(QStringLiteral("A mappában nincs adatbázis: %1").arg(QDir::toNativeSeparators(folder)));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(databaseFile(folder));
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        if (!db.open()) {
            const QString text = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            throw DbError(text);
        }
    }
    m_folder = QDir(folder).absolutePath();
    try {
        configureConnection();
        // A file that is not a database fails here rather than later.
        queryInt(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"), 0);
    } catch (...) {
        close();
        throw;
    }
}

void Database::createEmpty(const QString& folder) {
    if (isDataFolder(folder))
        throw DbError(QStringLiteral("A mappában már van adatbázis: %1").arg(QDir::toNativeSeparators(folder)));
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("A mappa nem hozható létre: %1").arg(QDir::toNativeSeparators(folder)));
    QFile file(databaseFile(folder));
    if (!file.open(QIODevice::WriteOnly))
        throw DbError(file.errorString());
    file.close();
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
        if (h)
            registerHungarianFunctions(h);
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

namespace {
[[noreturn]] void throwQueryError(const QSqlQuery& q, const QString& statement) {
    const QSqlError e = q.lastError();
    QString text = e.databaseText();
    if (text.isEmpty())
        text = e.text();
    throw DbError(text + QLatin1Char('\n') + statement);
}
} // namespace

QSqlQuery Database::run(const QString& statement, const QVariantList& params) {
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
        throwQueryError(q, statement);
    return q;
}

QSqlQuery& Database::cached(const QString& statement, const QVariantList& params) {
    // Statements that run again and again (the same text with other values)
    // are prepared once per connection.
    auto it = m_cache.find(statement);
    if (it == m_cache.end()) {
        if (m_cache.size() >= 256)
            m_cache.clear();
        auto q = std::make_unique<QSqlQuery>(sql());
        q->setForwardOnly(true);
        if (!q->prepare(statement)) {
            const QSqlQuery failed = *q;
            throwQueryError(failed, statement);
        }
        it = m_cache.emplace(statement, std::move(q)).first;
    }
    QSqlQuery& q = *it->second;
    for (int i = 0; i < params.size(); ++i)
        q.bindValue(i, params.at(i));
    if (!q.exec()) {
        const QSqlQuery failed = q;
        m_cache.erase(it);
        throwQueryError(failed, statement);
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
    return items;
}

void Database::queryToCsv(const QString& select, const QString& path) {
    QSqlQuery q = run(select, {});
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DbError(f.errorString() + QLatin1Char('\n') + path);
    QByteArray out;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        out += rec.fieldName(i).toUtf8() + ';';
    out += "\r\n";
    while (q.next()) {
        for (int i = 0; i < rec.count(); ++i) {
            QString v = q.value(i).toString();
            v.replace(QLatin1Char(';'), QLatin1Char(','));
            out += v.toUtf8() + ';';
        }
        out += "\r\n";
    }
    if (f.write(out) != out.size())
        throw DbError(f.errorString() + QLatin1Char('\n') + path);
}

QStringList Database::tableNames() const {
    QStringList names;
    QSqlQuery q(sql());
    q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite^_%' "
                          "ESCAPE '^' ORDER BY name"));
    while (q.next())
        names << q.value(0).toString();
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
    QSqlQuery q(sql());
    q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    while (q.next())
        names << q.value(1).toString();
    if (!names.isEmpty())
        m_fieldCache.emplace(key, names);
    return names;
}

bool Database::hasField(const QString& table, const QString& field) const {
    return fieldNames(table).contains(field, Qt::CaseInsensitive);
}

FieldInfo Database::fieldInfo(const QString& table, const QString& field) const {
    QSqlQuery q(sql());
    q.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND lower(name)=lower(?)"));
    q.addBindValue(table);
    q.exec();
    const QString createSql = q.next() ? q.value(0).toString() : QString();
    QSqlQuery info(sql());
    info.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
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

QString Database::integrityCheck() {
    // The check reads every page and seeks every row in each of its table's
    // indexes, most of them on pages the page cache no longer holds. Through
    // a memory map of the file those pages are read in place instead of being
    // copied once per seek (a third of the check's time). Only for the check,
    // which writes nothing; the map is dropped afterwards.
    const auto mapSize = [this](qint64 bytes) {
        QSqlQuery m = select(QStringLiteral("PRAGMA mmap_size=%1").arg(bytes));
        m.next();
    };
    mapSize(qint64(0x7fff0000));
    QStringList lines;
    try {
        QSqlQuery q = select(QStringLiteral("PRAGMA integrity_check"));
        while (q.next())
            lines << q.value(0).toString();
    } catch (...) {
        mapSize(0);
        throw;
    }
    mapSize(0);
    return lines.join(QLatin1Char('\n'));
}

Database::Transaction::Transaction(Database& db) : m_db(db), m_level(db.m_txDepth) {
    if (m_level == 0)
        m_db.execSql(QStringLiteral("BEGIN IMMEDIATE"));
    else
        m_db.execSql(QStringLiteral("SAVEPOINT orvix_sp%1").arg(m_level));
    ++m_db.m_txDepth;
}

Database::Transaction::~Transaction() {
    if (m_done)
        return;
    --m_db.m_txDepth;
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

QString sqlFloat(double value) {
    QString s = QString::number(value, 'g', 15);
    if (s.contains(QLatin1Char('e'))) // keep plain decimals for the engine
        s = QString::number(value, 'f', 6);
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    return s;
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
