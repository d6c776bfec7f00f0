// The tax authority's audit file: the documents of a period or of a number
// range as one XML file in the authority's 2013 invoice data-supply schema,
// and the four queries the preview window shows (headers, lines, per-rate
// sums, document totals).
//
// Everything is read from the stored documents; nothing is written to the
// database. Proformas never take part. Every file written is valid against
// the authority's schema: texts are cut to the schema's lengths, and a
// document the schema cannot express (no lines, an empty issue date, a tax
// number too short …) is left out of the file and named in the result, never
// written broken.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <stdexcept>

namespace orvix {

class Database;
class Dialogs;

// A refused export (nothing to export, the file cannot be written), with the
// Hungarian text for the message box. No file was written.
class AuditError : public std::runtime_error {
public:
    explicit AuditError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// Which documents go into the file: those issued in a period (dat_kiadva from
// the first to the last day, both included) or those whose number (szlaszam,
// without the series letter) lies in a range, both ends included.
struct AuditSelection {
    enum class Kind { Period, Numbers };
    Kind kind = Kind::Period;
    QDate from;
    QDate to;
    qint64 first = 0;
    qint64 last = 0;

    static AuditSelection period(const QDate& from, const QDate& to);
    static AuditSelection numbers(qint64 first, qint64 last);

    // The condition over szla shared by the four queries.
    QString condition() const;
    // The window's head panel: "2026.01.01 - 2026.01.31" or "10 - 20".
    QString caption() const;
};

// The period window with the given defaults; nothing when cancelled. A
// period typed backwards is taken from its earlier day to its later one.
std::optional<AuditSelection> askAuditPeriod(Dialogs& dialogs, const QDate& defaultFrom, const QDate& defaultTo);
// "Első számla" and "Utolsó számla", each defaulting to the smallest and the
// largest stored number; nothing when either is cancelled. A range typed
// backwards is taken from its smaller end to its larger one.
std::optional<AuditSelection> askAuditNumbers(Database& db, Dialogs& dialogs);

// The four queries of the preview grids, over the selection, in key order.
QString auditHeaderQuery(const AuditSelection& selection);
QString auditLineQuery(const AuditSelection& selection);
QString auditRateQuery(const AuditSelection& selection);
QString auditTotalsQuery(const AuditSelection& selection);

// The number of documents the selection holds.
int auditDocumentCount(Database& db, const AuditSelection& selection);

struct AuditExportResult {
    int selected = 0; // documents of the selection
    int written = 0;  // documents in the file
    // One entry per document left out: "SA0000012-S/2026 (gépi kód 12): reason".
    QStringList leftOut;
};

// Called after each document with the count done and the selection's count.
using AuditProgress = std::function<void(int done, int total)>;

// Writes the audit file of the selection to path, replacing it only when the
// whole file is written. today is the export date written into the file.
// Throws AuditError when the selection holds no document the file can carry
// or the file cannot be written, DbError when the engine fails; in both
// cases path is left as it was.
AuditExportResult writeAuditXml(Database& db, const AuditSelection& selection, const QString& path,
                                const QDate& today, const AuditProgress& progress = {});

// "2 bizonylat kimaradt: …" with one left-out document per line; empty when
// none was left out.
QString auditLeftOutMessage(const AuditExportResult& result);

// ---- Value forms of the file (exposed for the tests) ----------------------

// An amount or quantity rounded to two decimals with a point: "-1234.50";
// a value that rounds to zero is "0.00".
QByteArray auditAmount(double value);
// A text cut to at most maxLength characters (counted as the schema counts
// them, a character outside the basic plane as one), characters XML cannot
// carry dropped, then &, < and > written as entity references.
QByteArray auditText(const QString& value, int maxLength);

} // namespace orvix
