#include "common/RowReader.h"

#include "common/Database.h"

#include <QSqlDriver>
#include <QSqlRecord>
#include <sqlite3.h>

namespace orvix {

namespace {

sqlite3* sqliteHandle(Database& db) {
    const QVariant handle = db.sql().driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(handle.constData());
    return nullptr;
}

[[noreturn]] void failed(sqlite3* db, const QString& select) {
    throw DbError(QStringLiteral("%1\n%2").arg(QString::fromUtf8(sqlite3_errmsg(db)), select));
}

} // namespace

RowReader::RowReader(Database& db, const QString& select) : m_select(select) {
    if (sqlite3* h = sqliteHandle(db)) {
        const QByteArray text = select.toUtf8();
        if (sqlite3_prepare_v2(h, text.constData(), int(text.size()), &m_stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            failed(h, select);
        }
        m_columns = sqlite3_column_count(m_stmt);
    } else {
        m_query = db.select(select);
        m_columns = m_query.record().count();
        m_texts.resize(m_columns);
    }
}

RowReader::~RowReader() {
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

bool RowReader::next() {
    if (m_stmt) {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        failed(sqlite3_db_handle(m_stmt), m_select);
    }
    if (!m_query.next()) {
        if (m_query.lastError().isValid())
            throw DbError(QStringLiteral("%1\n%2").arg(m_query.lastError().text(), m_select));
        return false;
    }
    for (int c = 0; c < m_columns; ++c)
        m_texts[c] = m_query.value(c).toString().toUtf8();
    return true;
}

bool RowReader::isNull(int column) const {
    if (m_stmt)
        return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
    return m_query.value(column).isNull();
}

QByteArrayView RowReader::text(int column) const {
    if (m_stmt) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return p ? QByteArrayView(p, sqlite3_column_bytes(m_stmt, column)) : QByteArrayView();
    }
    return QByteArrayView(m_texts.at(column));
}

double RowReader::real(int column) const {
    if (m_stmt)
        return sqlite3_column_double(m_stmt, column);
    return m_query.value(column).toDouble();
}

qint64 RowReader::integer(int column) const {
    if (m_stmt)
        return sqlite3_column_int64(m_stmt, column);
    return m_query.value(column).toLongLong();
}

} // namespace orvix
