// The hand-overs to the accounting programs: the customers and documents not
// yet handed over are written into the dBase import tables the accounting
// program keeps in the export folder (ForintSoft: FELVEVO.dbf and
// FELKISZ.dbf; KSZLAKET.dbf), and then marked as handed over.
//
// The tables are supplied by the receiving program with their field
// definitions: each run writes a fresh copy of a table's layout under a
// temporary name beside it, fills it, and only when every table of the run
// is written renames the copies over the originals and marks exactly the rows
// written, in one transaction. A failure or a kill leaves the tables and the
// marks as they were. Texts are written in the code page the table declares
// in its header (DOS Central European, code page 852, when it declares none).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace orvix {

class Database;
class Dialogs;

// A hand-over that could not run; nothing was written nor marked.
class HandOverError {
public:
    explicit HandOverError(QString text) : m_text(std::move(text)) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

struct HandOverResult {
    bool cancelled = false; // the user said No to the question
    int customers = 0;      // rows written into FELVEVO.dbf
    int documents = 0;      // rows written into FELKISZ.dbf / KSZLAKET.dbf
    // Documents left out because their customer or payment method is
    // missing ("S42: nincs ilyen vevő"); they stay not handed over.
    QStringList skipped;
};

// Called once per row written: the step ("Vevők", "Bizonylatok"), the rows
// done and the rows of the step.
using HandOverProgress = std::function<void(const QString& step, int done, int total)>;

inline const QString kHandOverQuestion =
    QStringLiteral("A legyűjtéssel a korábban legyűjtött adatok törlődnek. Folytassam?");

// The file names in the export folder.
inline const QString kFelvevo = QStringLiteral("FELVEVO.dbf");
inline const QString kFelkisz = QStringLiteral("FELKISZ.dbf");
inline const QString kKSzlaKet = QStringLiteral("KSZLAKET.dbf");

// "Adatok legyűjtése" of the ForintSoft interface. Asks kHandOverQuestion
// first. Throws HandOverError (folder or table missing, a value that does
// not fit its field) and DbError.
HandOverResult exportForintSoft(Database& db, Dialogs& dialogs, const QString& folder,
                                const HandOverProgress& progress = {});

// "Adatok legyűjtése" of the KSzlaKet interface; the same contract.
HandOverResult exportKSzlaKet(Database& db, Dialogs& dialogs, const QString& folder,
                              const HandOverProgress& progress = {});

// The KSzlaKet window's first step: the VAT band sums of every document not
// yet handed over are recomputed from its lines (one transaction); a
// document without lines gets empty sums.
void recomputeOpenDocumentBands(Database& db);

// "Kimaradt: …" listing the skipped documents; empty when none.
QString skippedMessage(const HandOverResult& result);

// What a finished run tells the user.
QString handOverSummary(const HandOverResult& result, bool withCustomers);

// A whole number to the nearest, halves to the even neighbour.
double roundHalfEven(double x);

// The cash rounding correction of a gross total paid in cash: the amount
// added to the rounded gross to reach a multiple of 5 (0, -1, -2, +2, +1 for
// a remainder of 0 … 4; negated for a negative gross).
int cashRoundingCorrection(double gross);

} // namespace orvix
