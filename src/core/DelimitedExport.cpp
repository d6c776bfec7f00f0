#include "core/DelimitedExport.h"

#include "common/Database.h"
#include "core/Locale.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <xlsxwriter.h>

namespace orvix {

namespace {

const QString kIsoDate = QStringLiteral("yyyy-MM-dd");
// The most characters a spreadsheet cell holds.
constexpr int kCellTextLimit = 32767;
const QString kIsoDateTime = QStringLiteral("yyyy-MM-dd hh:mm:ss");

// A date stored as ISO text; invalid for any other text.
QDate isoDate(const QString& text) {
    return text.size() == 10 ? QDate::fromString(text, kIsoDate) : QDate();
}
QDateTime isoDateTime(const QString& text) {
    return text.size() == 19 ? QDateTime::fromString(text, kIsoDateTime) : QDateTime();
}

// The field type from the column's declared type (the schema declares DATE,
// BOOLEAN, MEMO …) or, for an expression, from the engine's value type.
ExportFieldType typeOfDeclared(const QString& declared, QMetaType::Type valueType) {
    const QString d = declared.trimmed().toUpper();
    if (d.startsWith(QLatin1String("MEMO")))
        return ExportFieldType::Memo;
    if (d == QLatin1String("BLOB") || d.startsWith(QLatin1String("GRAPHIC")))
        return ExportFieldType::Blob;
    if (d == QLatin1String("DATE"))
        return ExportFieldType::Date;
    if (d == QLatin1String("DATETIME") || d == QLatin1String("TIMESTAMP"))
        return ExportFieldType::DateTime;
    if (d == QLatin1String("BOOLEAN"))
        return ExportFieldType::Boolean;
    if (d.contains(QLatin1String("INT")) || d == QLatin1String("AUTOINC"))
        return ExportFieldType::Integer;
    if (d.contains(QLatin1String("FLOAT")) || d.contains(QLatin1String("REAL")) || d.contains(QLatin1String("DOUBLE")) ||
        d.contains(QLatin1String("NUMERIC")))
        return ExportFieldType::Float;
    if (!d.isEmpty())
        return ExportFieldType::Text;
    switch (valueType) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return ExportFieldType::Integer;
    case QMetaType::Double:
        return ExportFieldType::Float;
    case QMetaType::QByteArray:
        return ExportFieldType::Blob;
    default:
        return ExportFieldType::Text;
    }
}

sqlite3_stmt* sqliteStatement(const QSqlQuery& q) {
    if (!q.result())
        return nullptr;
    const QVariant handle = q.result()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3_stmt*") != 0)
        return nullptr;
    return *static_cast<sqlite3_stmt* const*>(handle.constData());
}

class QueryRows : public ExportRows {
public:
    QueryRows(Database& db, const QString& select, const QHash<QString, QString>& labels)
        : m_db(db), m_select(select), m_query(db.sql()) {
        m_query.setForwardOnly(true);
        if (!m_query.prepare(select))
            throw DbError(m_query.lastError().text() + QLatin1Char('\n') + select);
        sqlite3_stmt* stmt = sqliteStatement(m_query);
        // An export only reads: a statement that would change the data
        // folder is refused before it runs.
        if (stmt && !sqlite3_stmt_readonly(stmt))
            throw ExportError(QStringLiteral("Csak lekérdezés (SELECT) exportálható."));
        if (!m_query.exec())
            throw DbError(m_query.lastError().text() + QLatin1Char('\n') + select);
        const QSqlRecord rec = m_query.record();
        for (int i = 0; i < rec.count(); ++i) {
            ExportField f;
            f.name = rec.fieldName(i);
            f.label = labels.value(f.name, f.name);
            const char* declared = stmt ? sqlite3_column_decltype(stmt, i) : nullptr;
            f.type = typeOfDeclared(declared ? QString::fromUtf8(declared) : QString(),
                                    QMetaType::Type(rec.field(i).metaType().id()));
            m_fields.push_back(f);
        }
    }
    const QVector<ExportField>& fields() const override { return m_fields; }
    int rowCount() override {
        if (m_count >= 0)
            return m_count;
        QString inner = m_select.trimmed();
        while (inner.endsWith(QLatin1Char(';')))
            inner = inner.chopped(1).trimmed();
        try {
            // The statement on lines of its own, so that a closing "-- comment"
            // does not swallow the parenthesis.
            m_count = int(m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM (\n%1\n) AS export_rows").arg(inner), 0));
        } catch (const DbError& e) {
            if (e.kind() != DbError::Kind::Other)
                throw;
            // A statement that cannot stand as a subquery (a PRAGMA, an
            // EXPLAIN …): its rows are counted by reading it once more.
            QSqlQuery q(m_db.sql());
            q.setForwardOnly(true);
            if (!q.exec(m_select))
                throw DbError(q.lastError().text() + QLatin1Char('\n') + m_select);
            int n = 0;
            while (q.next())
                ++n;
            m_count = n;
        }
        return m_count;
    }
    bool next() override {
        if (m_query.next())
            return true;
        if (m_query.lastError().isValid())
            throw DbError(m_query.lastError().text() + QLatin1Char('\n') + m_select);
        return false;
    }
    QVariant value(int field) const override { return m_query.value(field); }

private:
    Database& m_db;
    QString m_select;
    QSqlQuery m_query;
    QVector<ExportField> m_fields;
    int m_count = -1;
};

class ModelRows : public ExportRows {
public:
    explicit ModelRows(const QAbstractItemModel& model) : m_model(model) {
        for (int c = 0; c < model.columnCount(); ++c) {
            ExportField f;
            f.label = model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            const QVariant name = model.headerData(c, Qt::Horizontal, FieldNameRole);
            f.name = name.isValid() ? name.toString() : f.label;
            // The type from the first row's value; texts stay texts.
            const QVariant v = model.rowCount() > 0 ? model.data(model.index(0, c), Qt::EditRole) : QVariant();
            f.type = typeOfDeclared(QString(), QMetaType::Type(v.metaType().id()));
            if (v.metaType().id() == QMetaType::QDate)
                f.type = ExportFieldType::Date;
            else if (v.metaType().id() == QMetaType::QDateTime)
                f.type = ExportFieldType::DateTime;
            m_fields.push_back(f);
        }
    }
    const QVector<ExportField>& fields() const override { return m_fields; }
    int rowCount() override { return m_model.rowCount(); }
    bool next() override { return ++m_row < m_model.rowCount(); }
    QVariant value(int field) const override { return m_model.data(m_model.index(m_row, field), Qt::EditRole); }
    QString text(int field) const override {
        return m_model.data(m_model.index(m_row, field), Qt::DisplayRole).toString();
    }

private:
    const QAbstractItemModel& m_model;
    QVector<ExportField> m_fields;
    int m_row = -1;
};

// The ticked fields in field order.
QVector<int> tickedFields(const ExportRows& rows, const ExportOptions& options) {
    QVector<int> out;
    const QVector<ExportField>& fields = rows.fields();
    for (int i = 0; i < fields.size(); ++i)
        if (!options.unticked.contains(fields.at(i).name, Qt::CaseInsensitive))
            out << i;
    return out;
}

} // namespace

QString ExportRows::text(int field) const {
    const QVariant v = value(field);
    if (v.isNull())
        return QString();
    switch (fields().at(field).type) {
    case ExportFieldType::Float:
        return formatFloat(QString(), v.toDouble());
    case ExportFieldType::Date: {
        const QDate d = v.metaType().id() == QMetaType::QDate ? v.toDate() : isoDate(v.toString());
        return d.isValid() ? formatDate(d) : v.toString();
    }
    case ExportFieldType::DateTime: {
        const QDateTime d = v.metaType().id() == QMetaType::QDateTime ? v.toDateTime() : isoDateTime(v.toString());
        return d.isValid() ? d.toString(dateFormatPattern() + QStringLiteral(" hh:mm:ss")) : v.toString();
    }
    default:
        return v.toString();
    }
}

std::unique_ptr<ExportRows> queryRows(Database& db, const QString& select, const QHash<QString, QString>& labels) {
    return std::make_unique<QueryRows>(db, select, labels);
}

std::unique_ptr<ExportRows> modelRows(const QAbstractItemModel& model) {
    return std::make_unique<ModelRows>(model);
}

QChar delimiterChar(Delimiter d) {
    switch (d) {
    case Delimiter::Tab: return QLatin1Char('\t');
    case Delimiter::Comma: return QLatin1Char(',');
    case Delimiter::Pipe: return QLatin1Char('|');
    case Delimiter::Semicolon: break;
    }
    return QLatin1Char(';');
}

QChar qualifierChar(Qualifier q) {
    switch (q) {
    case Qualifier::DoubleQuote: return QLatin1Char('"');
    case Qualifier::Apostrophe: return QLatin1Char('\'');
    case Qualifier::None: break;
    }
    return QChar();
}

QString delimitedValue(const QString& text, QChar delimiter, QChar qualifier) {
    if (!qualifier.isNull()) {
        QString inner = text;
        inner.replace(qualifier, QString(2, qualifier));
        return qualifier + inner + qualifier;
    }
    const bool needsQuotes = text.contains(delimiter) || text.contains(QLatin1Char('"')) ||
                             text.contains(QLatin1Char('\'')) || text.contains(QLatin1Char('\n')) ||
                             text.contains(QLatin1Char('\r'));
    if (!needsQuotes)
        return text;
    QString inner = text;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

bool isWorkbookName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx");
}

QString workbookPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (!isWorkbookName(path))
        return path;
    return path.left(path.size() - suffix.size()) + QStringLiteral("xlsx");
}

ExportResult writeDelimited(ExportRows& rows, const QString& path, const ExportOptions& options,
                            const ExportProgress& progress) {
    const QChar d = delimiterChar(options.delimiter);
    const QChar q = qualifierChar(options.qualifier);
    const QVector<ExportField>& fields = rows.fields();
    const QVector<int> ticked = tickedFields(rows, options);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ExportError(QStringLiteral("A fájl nem írható: %1\n%2").arg(QDir::toNativeSeparators(path),
                                                                           file.errorString()));
    QString line;
    const auto flush = [&] {
        line += QLatin1String("\r\n");
        const QByteArray bytes = line.toUtf8();
        if (file.write(bytes) != bytes.size())
            throw ExportError(QStringLiteral("A fájl nem írható: %1\n%2").arg(QDir::toNativeSeparators(path),
                                                                               file.errorString()));
        line.clear();
    };
    if (!options.noHeader)
        for (int i : ticked)
            line += delimitedValue(options.fieldNames ? fields.at(i).name : fields.at(i).label, d, q) + d;
    flush();

    ExportResult result;
    result.path = path;
    while (true) {
        if (progress && !progress(result.rows)) {
            result.stopped = true;
            break;
        }
        if (!rows.next())
            break;
        for (int i : ticked) {
            const ExportFieldType type = fields.at(i).type;
            if (type == ExportFieldType::Memo && options.memoText) {
                line += delimitedValue(rows.text(i), d, q) + d;
            } else if (type == ExportFieldType::Memo && options.multiLine) {
                QString memo = rows.text(i);
                memo.replace(QLatin1String("\r\n"), QLatin1String("\n"));
                memo.replace(QLatin1Char('\r'), QLatin1Char('\n'));
                // The memo's lines: a closing line break ends the last line
                // and adds no empty one.
                if (memo.endsWith(QLatin1Char('\n')))
                    memo.chop(1);
                memo = memo.split(QLatin1Char('\n')).join(QLatin1Char('|'));
                memo.replace(d, QLatin1Char(','));
                line += delimitedValue(memo, d, q) + d;
            } else if (type == ExportFieldType::Memo || type == ExportFieldType::Blob) {
                line += delimitedValue(QStringLiteral("BLOB"), d, q) + d;
            } else {
                line += delimitedValue(rows.text(i), d, q) + d;
            }
        }
        flush();
        ++result.rows;
    }
    if (!file.commit())
        throw ExportError(QStringLiteral("A fájl nem írható: %1\n%2").arg(QDir::toNativeSeparators(path),
                                                                           file.errorString()));
    return result;
}

ExportResult writeWorkbook(ExportRows& rows, const QString& requestedPath, const ExportOptions& options,
                           const ExportProgress& progress) {
    const QString path = workbookPath(requestedPath);
    const QVector<ExportField>& fields = rows.fields();
    const QVector<int> ticked = tickedFields(rows, options);

    // The workbook is made next to its place and renamed over it when
    // complete, so that a failed export leaves no half-written file.
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        throw ExportError(QStringLiteral("A munkafüzet nem írható, a mappa nem létezik: %1")
                              .arg(QDir::toNativeSeparators(path)));
    const QString temporary = target.absoluteDir().filePath(QStringLiteral(".%1.orvix-tmp").arg(target.fileName()));
    QFile::remove(temporary);
    lxw_workbook_options wbOptions{};
    wbOptions.constant_memory = LXW_TRUE; // rows are written in order: large lists stay small in memory
    wbOptions.tmpdir = nullptr;
    const QByteArray temporaryName = QFile::encodeName(temporary);
    lxw_workbook* workbook = workbook_new_opt(temporaryName.constData(), &wbOptions);
    if (!workbook)
        throw ExportError(QStringLiteral("A munkafüzet nem hozható létre: %1").arg(QDir::toNativeSeparators(path)));
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    format_set_font_name(bold, "Arial");
    lxw_format* plain = workbook_add_format(workbook);
    format_set_font_name(plain, "Arial");
    lxw_format* date = workbook_add_format(workbook);
    format_set_font_name(date, "Arial");
    format_set_num_format(date, "yyyy.mm.dd");
    lxw_format* dateTime = workbook_add_format(workbook);
    format_set_font_name(dateTime, "Arial");
    format_set_num_format(dateTime, "yyyy.mm.dd hh:mm:ss");

    ExportResult result;
    result.path = path;
    lxw_row_t row = 0;
    // A cell that cannot be written fails the export: nothing is dropped
    // while the export reports success.
    const auto check = [&](lxw_error e) {
        if (e != LXW_NO_ERROR)
            throw ExportError(QStringLiteral("A munkafüzet nem írható: %1\n%2. sor: %3")
                                  .arg(QDir::toNativeSeparators(path))
                                  .arg(row + 1)
                                  .arg(QString::fromUtf8(lxw_strerror(e))));
    };
    // A text longer than a cell holds is cut to the cell's limit.
    const auto writeText = [&](lxw_col_t col, QString text, lxw_format* format) {
        if (text.size() > kCellTextLimit) {
            const bool splitsPair = text.at(kCellTextLimit - 1).isHighSurrogate();
            text.truncate(splitsPair ? kCellTextLimit - 1 : kCellTextLimit);
            ++result.cutTexts;
        }
        const QByteArray bytes = text.toUtf8();
        check(worksheet_write_string(sheet, row, col, bytes.constData(), format));
    };
    const auto writeDate = [&](lxw_col_t col, const QDateTime& dt, lxw_format* format) {
        lxw_datetime v{dt.date().year(), dt.date().month(), dt.date().day(), dt.time().hour(), dt.time().minute(),
                       double(dt.time().second())};
        check(worksheet_write_datetime(sheet, row, col, &v, format));
    };
    try {
        if (!options.noHeader) {
            lxw_col_t col = 0;
            for (int i : ticked)
                writeText(col++, options.fieldNames ? fields.at(i).name : fields.at(i).label, bold);
        }
        ++row;
        while (true) {
            if (progress && !progress(result.rows)) {
                result.stopped = true;
                break;
            }
            if (!rows.next())
                break;
            if (row >= LXW_ROW_MAX)
                throw ExportError(QStringLiteral("A lista nem fér el egy Excel munkalapon: legfeljebb %1 sor írható "
                                                 "bele (a fejléccel együtt). Válasszon szöveges (.csv) exportot.")
                                      .arg(formatFloat(QStringLiteral("### ### ##0"), LXW_ROW_MAX)));
            lxw_col_t col = 0;
            for (int i : ticked) {
                const QVariant v = rows.value(i);
                const ExportFieldType type = fields.at(i).type;
                if (v.isNull()) {
                    ++col;
                    continue;
                }
                bool numeric = false;
                const double number = v.toDouble(&numeric);
                if ((type == ExportFieldType::Integer || type == ExportFieldType::Float) && numeric) {
                    check(worksheet_write_number(sheet, row, col, number, plain));
                } else if (type == ExportFieldType::Date &&
                           (v.metaType().id() == QMetaType::QDate || isoDate(v.toString()).isValid())) {
                    const QDate d = v.metaType().id() == QMetaType::QDate ? v.toDate() : isoDate(v.toString());
                    writeDate(col, QDateTime(d, QTime(0, 0)), date);
                } else if (type == ExportFieldType::DateTime &&
                           (v.metaType().id() == QMetaType::QDateTime || isoDateTime(v.toString()).isValid())) {
                    writeDate(col,
                              v.metaType().id() == QMetaType::QDateTime ? v.toDateTime() : isoDateTime(v.toString()),
                              dateTime);
                } else if (type == ExportFieldType::Blob || (type == ExportFieldType::Memo && !options.multiLine && !options.memoText)) {
                    writeText(col, QStringLiteral("BLOB"), plain);
                } else {
                    writeText(col, rows.text(i), plain);
                }
                ++col;
            }
            ++row;
            ++result.rows;
        }
    } catch (...) {
        workbook_close(workbook);
        QFile::remove(temporary);
        throw;
    }
    const lxw_error closed = workbook_close(workbook);
    if (closed != LXW_NO_ERROR) {
        QFile::remove(temporary);
        throw ExportError(QStringLiteral("A munkafüzet nem írható: %1\n%2")
                              .arg(QDir::toNativeSeparators(path), QString::fromUtf8(lxw_strerror(closed))));
    }
    QFile::remove(path);
    if (!QFile::rename(temporary, path)) {
        QFile::remove(temporary);
        throw ExportError(QStringLiteral("A munkafüzet nem írható: %1").arg(QDir::toNativeSeparators(path)));
    }
    return result;
}

ExportResult exportRows(ExportRows& rows, const QString& path, const ExportOptions& options,
                        const ExportProgress& progress) {
    return isWorkbookName(path) ? writeWorkbook(rows, path, options, progress)
                                : writeDelimited(rows, path, options, progress);
}

void queryToCsv(Database& db, const QString& select, const QString& path) {
    const std::unique_ptr<ExportRows> rows = queryRows(db, select);
    ExportOptions options;
    options.fieldNames = true;
    options.memoText = true;
    writeDelimited(*rows, path, options);
}

} // namespace orvix
