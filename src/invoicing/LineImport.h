// Importing document lines from a text ("Sorok hozzáadása import", the
// import-lines command): product codes, each optionally followed by a
// quantity and a net unit price, either every value on a line of its own
// ("Egymás alatt") or one record per line with the values separated by ";"
// ("Egymás mellett pontosvesszővel").
//
// The lines are appended after the document's last line through the import
// variant of the line entry, in one transaction with the header totals. An
// unknown product code, a value that is no number, or a price, quantity or
// sum that a document cannot hold stops the import with a message: the lines
// read before it stay. A program killed in the middle leaves the document as
// it was before the import.
#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace orvix {

class Database;
class Dialogs;
struct LineDocument;

struct ImportOptions {
    bool semicolon = false; // "Egymás mellett pontosvesszővel"
    bool quantity = true;   // "Mennyiség megadás": a quantity follows the code
    bool price = false;     // "Ár megadás": a net unit price follows
};

struct ImportResult {
    int added = 0;        // lines added
    bool stopped = false; // stopped at a bad record (the message was shown)
    QString message;      // the message of the stop

    // Stopped after some lines were added: those stay.
    bool stoppedPartWay() const { return stopped && added > 0; }
};

// Reads the records of text and appends one line for each. progress, when
// given, is called after every line added with the number added so far.
// Throws DocumentError for a posted document, DbError when the engine fails
// (then nothing of the import stays).
ImportResult ImportLines(Database& db, Dialogs& dialogs, const LineDocument& doc, const QString& text,
                         const ImportOptions& options, const QDate& today = QDate::currentDate(),
                         const std::function<void(int)>& progress = {});

// A number of an import file: the decimal comma (or point), an optional sign
// and spaces around; nothing when the text is not a number.
std::optional<double> importNumber(const QString& text);

// "File áthelyezése": moves an imported file into the folder, keeping its
// name. A file of that name already there is not overwritten. The message
// of a failure, or nothing.
std::optional<QString> MoveImportedFile(const QString& path, const QString& folder);

} // namespace orvix
