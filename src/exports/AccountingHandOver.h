// The hand-overs to the accounting programs: the customers and documents not
// yet handed over are written into the dBase import tables the accounting
// program keeps in the export folder (ForintSoft: FELVEVO.dbf and
// FELKISZ.dbf; KSZLAKET.dbf), and then marked as handed over.
//
// The tables are supplied by the receiving program with their field
// definitions: each run writes a fresh copy of a table's layout under a
// temporary name of its own beside it and fills it. Only when every table of
// the run is written are the copies put in place, the previous tables kept
// under backup names, and exactly the rows written marked, in one
// transaction; the backups go once the marks are committed. A failure puts
// the previous tables back with the marks unset; a run that was killed
// leaves a journal in the folder from which the next run (or
// completeInterruptedHandOver) does the same, or, when the marks were
// committed, keeps the new tables. One hand-over runs at a time per folder.
// Texts are written in the code page the table declares in its header (DOS
// Central European, code page 852, when it declares none); an empty amount is
// written as 0 and an empty date as blanks, as dBase programs read them.
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
    // What the user should know about rows written (a payment method whose
    // code is no number, written as 0).
    QStringList notes;
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

// Finishes a hand-over into the folder that was stopped part-way (killed,
// power lost): the previous tables come back unless the run's marks were
// committed. Every run does this first. True when there was one to finish.
// Throws HandOverError (another hand-over is running, a table cannot be put
// back) and DbError.
bool completeInterruptedHandOver(Database& db, const QString& folder);

// Called at each step of putting the tables in place ("written", "journal",
// "marked", "aside FELVEVO.dbf", "installed FELVEVO.dbf" …, "committed",
// "done"); tests stop or fail a hand-over there. Empty by default.
using HandOverStepHook = std::function<void(const QString& step)>;
void setHandOverStepHook(HandOverStepHook hook);

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
