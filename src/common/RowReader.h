// Reading many rows of a SELECT fast: on a SQLite connection the rows come
// straight from the engine's statement (texts as the stored UTF-8 bytes, no
// conversion per value); on any other engine through Qt's query. For
// exports that read hundreds of thousands of rows once, front to back.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSqlQuery>
#include <QString>
#include <QVector>

struct sqlite3_stmt;

namespace orvix {

class Database;

class RowReader {
public:
    // Prepares and starts the statement; throws DbError with the engine's
    // text when it is refused.
    RowReader(Database& db, const QString& select);
    ~RowReader();
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

    // Steps to the next row; false after the last. Throws DbError when the
    // engine fails in the middle.
    bool next();

    int columnCount() const { return m_columns; }
    bool isNull(int column) const;
    // The value as UTF-8 text; valid until the next call of next().
    QByteArrayView text(int column) const;
    double real(int column) const;
    qint64 integer(int column) const;

private:
    sqlite3_stmt* m_stmt = nullptr;
    QSqlQuery m_query; // engines other than SQLite
    QVector<QByteArray> m_texts;
    QString m_select;
    int m_columns = 0;
};

} // namespace orvix
