// The delimited text and spreadsheet export of any list the program shows:
// the rows of a query or of a table model, with their field names and display
// labels, written as delimited text (CR LF lines, every value followed by the
// delimiter) or as an .xlsx workbook.
//
// Values are escaped so that the file reads back into the same columns: with
// a text qualifier the qualifier is doubled inside a value; without one, a
// value holding the delimiter, a quote character or a line break is written
// between double quotes with its double quotes doubled.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <stdexcept>

class QAbstractItemModel;

namespace orvix {

class Database;

enum class ExportFieldType { Text, Integer, Float, Date, DateTime, Boolean, Memo, Blob };

struct ExportField {
    QString name;  // the field name
    QString label; // the display label (the name when the source has none)
    ExportFieldType type = ExportFieldType::Text;
};

// A data set read once from its first row to its end.
class ExportRows {
public:
    virtual ~ExportRows() = default;
    virtual const QVector<ExportField>& fields() const = 0;
    // The number of rows, for the progress bar.
    virtual int rowCount() = 0;
    // Moves to the first row on the first call, then to the next; false at
    // the end.
    virtual bool next() = 0;
    virtual QVariant value(int field) const = 0;
    // The value as the list shows it; by default the program's own forms
    // (decimal comma, yyyy.MM.dd dates).
    virtual QString text(int field) const;
};

// The rows of a statement. labels maps field names to display labels; the
// field types come from the declared types of the columns (DATE, MEMO …).
// Throws DbError.
std::unique_ptr<ExportRows> queryRows(Database& db, const QString& select, const QHash<QString, QString>& labels = {});

// The rows of a table model: the column titles are the labels, the
// FieldNameRole of the horizontal header (or the title) the field names, the
// display texts the texts and the edit values the values.
inline constexpr int FieldNameRole = Qt::UserRole + 100;
std::unique_ptr<ExportRows> modelRows(const QAbstractItemModel& model);

enum class Delimiter { Semicolon, Tab, Comma, Pipe };
enum class Qualifier { DoubleQuote, Apostrophe, None };

QChar delimiterChar(Delimiter d);
// The qualifier's character; a null QChar for None.
QChar qualifierChar(Qualifier q);

struct ExportOptions {
    Delimiter delimiter = Delimiter::Semicolon;
    Qualifier qualifier = Qualifier::None;
    QStringList unticked;       // fields left out
    bool multiLine = false;     // memo fields joined with "|" instead of BLOB
    bool fieldNames = false;    // field names instead of the display labels
    bool noHeader = false;      // an empty first line instead of the header
    bool memoText = false;      // memo fields written whole, line breaks kept inside the value
};

// An export that could not be written: the Hungarian text for the user.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

struct ExportResult {
    QString path;     // the file written
    int rows = 0;     // data rows written
    bool stopped = false;
    int cutTexts = 0; // workbook cells whose text was cut to the 32 767 characters a cell holds
};

// Called before each row with the rows written so far; false stops the
// export after them.
using ExportProgress = std::function<bool(int rowsWritten)>;

// One value between the delimiters.
QString delimitedValue(const QString& text, QChar delimiter, QChar qualifier);

// Whether a file name asks for a workbook (.xls or .xlsx, any case), and the
// name the workbook is written under (.xls becomes .xlsx).
bool isWorkbookName(const QString& path);
QString workbookPath(const QString& path);

// Writes the rows as delimited text (UTF-8, CR LF). The file appears whole or
// not at all; a stopped export keeps the rows written before the stop.
// Throws ExportError, DbError.
ExportResult writeDelimited(ExportRows& rows, const QString& path, const ExportOptions& options,
                            const ExportProgress& progress = {});
// Writes the rows as an .xlsx workbook: header bold, numbers as numbers, dates
// as dates. A text longer than a cell holds is cut (counted in cutTexts); a
// list longer than a worksheet, or a cell that cannot be written, fails the
// export and leaves no file. Throws ExportError, DbError.
ExportResult writeWorkbook(ExportRows& rows, const QString& path, const ExportOptions& options,
                           const ExportProgress& progress = {});
// The workbook for a workbook name, delimited text otherwise.
ExportResult exportRows(ExportRows& rows, const QString& path, const ExportOptions& options,
                        const ExportProgress& progress = {});

// A statement's whole result as ";"-delimited text with a header line of the
// field names (the register's and the customer export's plain CSV).
// Throws ExportError, DbError.
void queryToCsv(Database& db, const QString& select, const QString& path);

} // namespace orvix
