// The printed invoice: one stored document (any kind) with its lines in one of
// three layouts (Design 1, Design 2, the receipt-printer layout), to the
// preview, to a printer or as the electronic PDF copy. Everything printed
// comes from the stored document; the print writes back only the print
// counter nyomtatva.
#pragma once

#include "core/Settings.h"
#include "printing/Report.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace orvix {

class Database;
class Dialogs;

enum class InvoiceLayout { Design1, Design2, Receipt };

// The name under which the printer lists offer the program's own PDF writer.
// An electronic copy through it is written straight into the folder
// printerutv as kind letter + number in five digits + ".pdf" (S00123.pdf).
inline const QString kBuiltInPdfPrinter = QStringLiteral("Beépített PDF-író");
inline const QString kNoPdfPrinter = QStringLiteral("Nincs beállítva PDF nyomtató");
inline const QString kNotPosted = QStringLiteral("A bizonylat még nincs könyvelve");

// What a print depends on besides the document: the settings record, the ini
// values, the folders and the clock.
struct PrintSetup {
    Settings settings;
    QString invoicePrinter; // ini Printers / Szla
    bool atvet = true;      // ini Szamla / Atvet
    QString pic1;           // picture of Design 1 (an existing file or empty)
    QString pic2;           // picture of Design 2
    QString workFolder;     // holds the Lang folder
    QDateTime printedAt;    // invalid: now
    // Overrides the layout setting for one run (command line).
    std::optional<InvoiceLayout> layout;
    // The installed printers; empty means ask the system.
    std::optional<QStringList> installedPrinters;
};

// The setup of the running program (settings record, ini values, folders).
PrintSetup printSetupFromApp();

// One print of one document.
struct PrintRequest {
    qint64 szla = 0;
    QString storno;         // "I": a cancelling document
    bool nyomtat = false;   // true: print; false: preview
    bool fa = false;        // reverse-charge form
    bool egypeldany = false; // one copy instead of the configured count
    bool pdf = false;       // the electronic copy through the PDF printer
};

// Where the copies go; the windows show the preview, the command line and
// the tests keep the laid-out copies.
class PrintTarget {
public:
    virtual ~PrintTarget() = default;
    virtual void preview(const report::Document& copy) = 0;
    // Prints on paper on the named printer (empty: the system default).
    virtual bool print(const report::Document& copy, const QString& printer, QString* error);
};

// ---- Rules of the printed amounts ---------------------------------------------

struct RateRow {
    double rate = 0;
    double net = 0;
    double vat = 0;
    double gross = 0;
};

struct RateTable {
    std::vector<RateRow> rows; // at most kMaxRateRows, rounded
    RateRow sums;              // rounded from the unrounded sums of every rate
};
inline constexpr int kMaxRateRows = 10;

// The rate table from the per-rate sums (each already carrying the +0.00001
// of the query): whole numbers in HUF, two decimals otherwise, halves to the
// even neighbour; VAT recomputed as gross − net. Outside the VAT's scope
// (afas "N") the gross sum equals the net sum and the VAT sum is 0.
RateTable makeRateTable(const std::vector<RateRow>& perRate, bool huf, bool outsideScope);

// The cash-rounding correction of a gross amount to the nearest 5 Ft.
double cashRounding(double gross);

// The caption of a rate row: "Mentes az adó alól" for a first row at zero
// rate, else the rate in its shortest form + "%".
QString rateCaption(int row, double rate);

// The per-rate sums of a document as the print reads them.
std::vector<RateRow> perRateSums(Database& db, qint64 document);

// ---- The print -----------------------------------------------------------------

// The layout the settings choose (or the setup's override).
InvoiceLayout chosenLayout(const PrintSetup& setup);

// The laid-out copy of a document as the request would print it (no counter,
// no printer). Throws DocumentError for an unknown document, DbError on a
// database error.
report::Document layOutInvoice(Database& db, const PrintSetup& setup, const PrintRequest& request,
                               InvoiceLayout layout);

// Why the PDF printer cannot take an electronic copy; empty when it can.
QString pdfPrinterProblem(const PrintSetup& setup);

// The printer names offered for the PDF printer: the built-in writer first,
// then the installed printers.
QStringList pdfPrinterChoices(const PrintSetup& setup);

// The electronic copy's file name: S00123.pdf.
QString electronicCopyName(const QString& kind, qint64 number);

// The copies of a document for a file: as the preview shows it (one copy),
// or as "Nyomtat" would print it on paper (the copy count of a first print,
// one copy when it was printed before or goes to an electronic-invoice
// customer). Writes nothing.
std::vector<report::Document> invoiceCopies(Database& db, const PrintSetup& setup, qint64 document,
                                            bool asPrinted);

// The print routine: chooses PDF, layout and copy count, then produces each
// copy (counting paper copies in nyomtatva first, and calling counted after
// each count so that the register can reopen on the document). Messages go
// to dialogs. Returns the number of copies produced.
int SzlaNyomtat(Database& db, Dialogs& dialogs, const PrintSetup& setup, PrintTarget& target,
                const PrintRequest& request, const std::function<void(qint64)>& counted = {});

// The request of the register's and the editor's "Nyomtat" and "Nyomtatási
// kép" for a stored document: storno and fa from the document, one copy when
// it was printed before (printing only).
PrintRequest documentPrintRequest(Database& db, qint64 document, bool print);

// "Nyomtat" of the register and the editor: refuses a document that is not
// posted ("A bizonylat még nincs könyvelve"), otherwise prints it.
int printDocument(Database& db, Dialogs& dialogs, const PrintSetup& setup, PrintTarget& target,
                  qint64 document, const std::function<void(qint64)>& counted = {});

} // namespace orvix
