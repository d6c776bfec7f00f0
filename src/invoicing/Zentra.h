// Feeding the outside Zentra bookkeeping program: a posted document becomes
// one income row in the program's Paradox table bevetel, in the folder the
// setting evautvonal names. The row is written with pxlib, text in the
// table's own code page; only the fields the feed knows are written, every
// other field of the row stays empty.
//
// The key of the new row is the highest key + 1. The table file is locked
// (flock, the lock pxlib leaves to its caller) from reading the highest key
// to the end of the write, so that two workstations of this program feeding
// at once cannot take one key twice. The outside program itself does not
// take that lock.
#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <stdexcept>
#include <vector>

namespace orvix {

class Database;
struct Settings;

// A failed feed, with the Hungarian reason for the message box.
class ZentraError : public std::runtime_error {
public:
    explicit ZentraError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

inline const QString kZentraFailedMessage = QStringLiteral("A Zentra program feltöltése nem sikerült:");
inline const QString kZentraIncomeText = QStringLiteral("Ellenérték");

// The values of one income row.
struct ZentraIncome {
    qint64 key = 0;          // bevetel
    QString idoszak;         // "yyyymm" of the performance date
    QString negyedev;        // year + quarter digit: "20242"
    QDate datum;             // issue date
    QString bizonylat;       // prefix + number in five digits + kind: "SA00123S"
    QString leiras;          // "Ellenérték"
    double osszeg = 0;
    double novelo = 0;
    double csokkento = 0;
    double adoalap = 0;
    double adoeloleg = 0;
    QString lezarva;         // "N"
};

// The row a document gives (without its key): evaszorzo is the percentage
// read from the Zentra program's settings. Throws ZentraError for an
// unknown document.
ZentraIncome ZentraIncomeFor(Database& db, const Settings& settings, qint64 document, double evaszorzo);

// Whether a document of this kind is fed: "J", "M", "S" and "W".
bool IsZentraKind(const QString& kind);

// The whole feed of one document into the folder: evaszorzo read from the
// folder's beallit table (empty: 0), the row appended to bevetel. Returns
// the key written. Throws ZentraError with the reason.
qint64 FeedZentra(Database& db, const Settings& settings, qint64 document, const QString& folder);

// ---- Paradox tables ----------------------------------------------------------

// The file of a table in a folder, found without regard to case
// ("bevetel.DB", "BEVETEL.db" …); empty when there is none.
QString ParadoxTableFile(const QString& folder, const QString& table);

// Every row of a Paradox table as lower-case field name -> value (text as
// UTF-8, dates as QDate, numbers as double or integer, empty fields as
// invalid QVariant). Throws ZentraError.
std::vector<QVariantMap> ReadParadoxTable(const QString& file);

} // namespace orvix
