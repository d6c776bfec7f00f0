// The invoice editor's logic ("Számla készítés"): a new document's header, an
// existing document opened for editing, the header edited and saved with its
// checks, the header buttons (customer, payment method, delivery address,
// delivery-note number), the lines added, edited, deleted, moved, commented
// and imported, the totals, the checks before posting, closing, and the quick
// sale that makes a one-line invoice of a product at once.
//
// Every change of the lines is saved at once together with the header totals
// (one transaction each); header fields typed by the user are saved by the
// next line action, the preview, posting or closing.
#pragma once

#include "core/AppContext.h"
#include "core/Settings.h"
#include "invoicing/LineEntry.h"
#include "invoicing/LineImport.h"

#include <QDate>
#include <QSet>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

namespace orvix {

class Database;
class Dialogs;

inline const QString kCustomerRequiredMessage = QStringLiteral("Ügyfél megadása kötelező");
inline const QString kHeaderSaveRefused = QStringLiteral("Érvénytelen, vagy hiányos adat megadás");
inline const QString kDeleteLineQuestion = QStringLiteral("Valóban töröljem a sort?");
inline const QString kNoLinesMessage = QStringLiteral("A bizonylatnak nincsenek tételei.");
inline const QString kInvalidRateMessage = QStringLiteral("Érvénytelen árfolyam");
inline const QString kInvalidRateOrCurrencyMessage =
    QStringLiteral("Érvénytelen árfolyam, vagy hibás devizanem");
inline const QString kOriginalRequiredMessage = QStringLiteral("Eredeti bizonylat megadás kötelező.");

// The line number kept free for swapping two lines.
inline constexpr int kSwapLineNumber = 9999;

// ---- New documents --------------------------------------------------------------

// The header of a new document as the editor starts it: the next number of
// the kind, today's dates, the default payment method with its due date and
// paid flag, the settings' town, note and product-fee text, the issuer's
// data and, when a customer is given (customer > 0), the customer's data and
// the bank account of its currency. Written at once; returns the key. Throws
// DocumentError (unknown customer) or DbError.
qint64 CreateEditorDocument(Database& db, Dialogs& dialogs, const Settings& settings, const CurrentUser& user,
                            QChar kind, qint64 customer, bool reverseCharge,
                            const QDate& today = QDate::currentDate());

// ---- Checks before posting ---------------------------------------------------------

// The header checks that posting makes first (also the register's "Könyvel"):
// an exchange rate below 1, a rate of 1 with a foreign currency, and a kind
// other than "S" without a reference to the corrected document. The message,
// or nothing when the header passes.
std::optional<QString> PostingHeaderProblem(double exchangeRate, const QString& currency, QChar kind,
                                            const QString& originalReference);

// ---- The editor -------------------------------------------------------------------------

// One line as the grid shows it.
struct EditorLine {
    int sor = 0;
    QString cikkszam;
    QString name; // cikkszam_nev
    QString megjegyzes;
    QString mert;
    QString tipus;
    double afakulcs = 0;
    double db = 0;
    double egysar = 0;
    double netto = 0; // per unit
    double afa = 0;
    double brutto = 0;

    double totalNet() const { return db * egysar; }
    double totalVat() const { return db * egysar * (afakulcs / 100.0); }
    double totalGross() const { return db * egysar * (1.0 + afakulcs / 100.0); }
};

class InvoiceEditor {
public:
    InvoiceEditor(Database& db, Dialogs& dialogs, const Settings& settings, const CurrentUser& user);

    // Opens a stored document with its lines. Throws DocumentError when there
    // is no such document, DbError on an engine error.
    void open(qint64 key);
    // Reads the header and the lines again from the folder (pending header
    // changes are dropped).
    void reload();

    qint64 key() const { return m_key; }
    QChar kind() const { return m_kind; }
    bool reverseCharge() const { return m_reverseCharge; }
    bool posted() const;
    // The printed name of the kind ("Számla" …).
    QString kindName() const { return m_kindName; }

    // ---- The header ----
    const QVariantMap& header() const { return m_header; }
    QVariant value(const QString& field) const { return m_header.value(field); }
    QString text(const QString& field) const;
    double number(const QString& field) const;
    QDate date(const QString& field) const;
    // A change typed by the user; saved by the next header save. Ignored on a
    // posted document.
    void setValue(const QString& field, const QVariant& value);
    bool hasPendingChange() const { return !m_dirty.isEmpty(); }
    QSet<QString> pendingFields() const { return m_dirty; }

    // Saves the pending header changes: refused with "Ügyfél megadása
    // kötelező" for an empty customer name (when requireCustomer), with
    // "Érvénytelen, vagy hiányos adat megadás" and the reason for a value the
    // field cannot take or the engine refuses. True when nothing was pending
    // or the save went through; then the register is told.
    bool saveHeader(bool requireCustomer = true);

    // ---- Header buttons ----
    // The customer chosen: its data into the header (the own bank account
    // stays). False after a message.
    bool setCustomer(qint64 customer);
    // The payment method chosen: its name, paid flag and dates.
    void setPaymentMethod(qint64 fiztip, const QDate& today = QDate::currentDate());
    // The delivery address chosen; its name for the box.
    void setDeliveryAddress(qint64 address);
    QString deliveryAddressName() const;
    // "Szállítólevél szám generálás": the next delivery-note number, written
    // at once. False after a message.
    bool generateDeliveryNoteNumber();

    // ---- Lines ----
    const std::vector<EditorLine>& lines() const { return m_lines; }
    int lineCount() const { return int(m_lines.size()); }
    int indexOfLine(int sor) const;

    // "Új sor": after the header save, new lines until a cancel. Returns the
    // index of the last line made, or nothing when none.
    std::optional<int> addLines(LineEntryUi& ui, int currentIndex);
    // "Szerkeszt": the line at index rewritten. True when it changed.
    bool editLine(LineEntryUi& ui, int index);
    // "Töröl": after "Valóban töröljem a sort?" the line goes and the lines
    // after it move up one number. True when deleted.
    bool deleteLine(int index);
    // "Fel" (up) and "Le": swaps the line with its neighbour. The line's new
    // index, or nothing when it could not move.
    std::optional<int> moveLine(int index, bool up);
    // "Megjegyzés": the line's comment asked and saved. True when changed.
    bool editLineComment(int index);
    // "Import": after the header save, the lines of the text appended.
    std::optional<ImportResult> importLines(const QString& text, const ImportOptions& options,
                                            const QDate& today = QDate::currentDate());

    // The header totals as stored.
    double totalNet() const { return number(QStringLiteral("netto")); }
    double totalVat() const { return number(QStringLiteral("afa")); }
    double totalGross() const { return number(QStringLiteral("brutto")); }

    // "Könyvel" before the posting itself: the header checks, the header
    // save and a document with lines. False after the message.
    bool checkBeforePosting();

    // Closing the window: the header saved. False (after the message) when
    // the save was refused, so that nothing typed is lost.
    bool close();

    // Called with the document's key whenever the header was saved (the
    // register is positioned on the document).
    std::function<void(qint64)> onSaved;

private:
    void loadHeader();
    void loadLines();
    void storeTotals();
    std::optional<QString> invalidValue(const QString& field, QVariant& value) const;
    // The stored line at the number of the shown line index still is that
    // line (another workstation may have deleted or renumbered the lines).
    bool lineUnchanged(int index);
    // Throws DocumentError (kLineGoneMessage) when one of the shown lines
    // changed meanwhile.
    void checkLinesUnchanged(std::initializer_list<int> indexes);
    LineDocument lineDocument() const;
    void afterLineChange(bool setsNeta);

    Database& m_db;
    Dialogs& m_dialogs;
    const Settings& m_settings;
    CurrentUser m_user;
    qint64 m_key = -1;
    QChar m_kind = QLatin1Char('S');
    bool m_reverseCharge = false;
    QString m_kindName;
    QVariantMap m_header; // as shown, with the pending changes
    QVariantMap m_stored; // as stored
    QSet<QString> m_dirty;
    std::vector<EditorLine> m_lines;
};

// ---- Quick sale ("Eladok...") -------------------------------------------------------

class QuickSaleUi : public ReverseChargeChooser {
public:
    struct CustomerPick {
        qint64 customer = -1;
        double discount = 0;
    };
    virtual std::optional<CustomerPick> chooseCustomer() = 0;
    // The price window "Ár"; the accepted net price or nothing.
    virtual std::optional<double> editPrice(const QString& caption, double net, double rate) = 0;
};

struct QuickSaleResult {
    qint64 document = -1;
    qint64 customer = -1;
    bool reverseCharge = false;
};

// The customer, the quantity, the reverse-charge choice and (with the setting
// alaparmodosit) the price asked; then an invoice of the product with one
// line, written at once. Nothing when anything was cancelled or refused
// (after the message).
std::optional<QuickSaleResult> QuickSale(Database& db, Dialogs& dialogs, QuickSaleUi& ui,
                                         const Settings& settings, const CurrentUser& user,
                                         const QString& productCode,
                                         const QDate& today = QDate::currentDate());

} // namespace orvix
