// The three lists of the main window (products, customers and the invoice
// register) as data and rules: their sources, columns, formats and widths,
// which column may order them, how a search box text finds a row, the
// colours of the register's rows, the document search, the exports of the
// shown list and the other small operations of the list actions.
#pragma once

#include "core/Rights.h"
#include "core/Users.h" // kDeleteRowQuestion
#include "invoicing/PagedTableModel.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

namespace orvix {

class Database;
struct Settings;

enum RegisterList { ProductsList = 0, CustomersList = 1, DocumentsList = 2 };
inline constexpr int kRegisterListCount = 3;

struct RegisterListDef {
    QString title;   // "Termékek", "Vevők", "Kiadott bizonylatok"
    QString tabText; // the tab strip's text
    PagedSource source;
    QVector<ListColumn> columns;
    // Width of each column as a fraction of the grid (0: a narrow mark column).
    QVector<double> widths;
    QString orderField; // initial order and search field (empty: the key)
    bool orderDescending = false;
    QString csvName; // file name suggested by "Excelbe"
};

const RegisterListDef& registerList(int list);

// ---- Order ---------------------------------------------------------------

inline const QString kCannotSortMessage = QStringLiteral("Erre a mezőre nem lehet sorbarendezni.");

struct SortChoice {
    bool ok = false;
    QString field; // order field; empty: the key
    bool descending = false;
    QString searchField; // the field the search box looks in from now on
};

// The order a click on a column title asks for: a field of the list's table
// with an index behind it (the key orders the register newest first). A
// lookup or calculated column, or a field without an index, is refused.
SortChoice sortForColumn(int list, const QString& columnField);

// ---- Search --------------------------------------------------------------

enum class SearchKind { Text, Number, Date };
SearchKind searchKindOf(int list, const QString& field);

// Moves to the row a search box text finds in a list ordered by `field`:
// a text field by prefix (case and accents ignored), a number field by the
// value equal to the text taken as a whole number, a date field by a
// yyyy.mm.dd prefix. Returns the row, -1 when no row fits, or
// std::nullopt when the text does not fit the field (letters in a number
// field, a text longer than the field): then the cursor stays. Throws DbError.
std::optional<int> searchList(PagedQuery& query, int list, const QString& field, const QString& text);

// ---- Row colours of the register ----------------------------------------

struct DocumentFlags {
    QString fizetve;   // paid
    QDate dueDate;     // dat_fizhat
    QString storno;    // cancelled
    QString konyvelve; // posted
    QString kind;      // prntip
};

RowColors documentRowColors(const DocumentFlags& flags, const QDate& today);

// The model of one list, ready to show: columns, money format, row colours
// (the register), initial order.
std::unique_ptr<PagedTableModel> makeListModel(Database& db, int list, const Settings& settings);

// "120: 7": the number of rows and the current row's number (from 1).
QString recPosText(int count, int currentRow);

// ---- Document search ("Bizonylat keresés") --------------------------------

struct DocumentRef {
    QString kind; // prntip
    qint64 number = 0;
};

// The radio items "S:Számla" …, one per document type in table order.
QStringList documentKindItems(Database& db);
// The search the window returns: the kind (the item up to its first ":") and
// the number; nothing for a number of 0 or one that does not convert.
std::optional<DocumentRef> documentSearchResult(const QString& kindItem, const QString& numberText);
// The key of the document of that kind and number; 0 when there is none.
qint64 findDocumentKey(Database& db, const DocumentRef& ref);

// ---- Exports and links ---------------------------------------------------

// The shown list in its order, whole, for "Excelbe".
QString listCsvQuery(int list, const QString& orderField, bool descending);
// The register's query as the program writes it, line by line.
QStringList documentQueryLines();
// "Ügyféltörzs adatexport My.Envelope programhoz".
QStringList myEnvelopeQueryLines();

// A web map search for an address: postcode + "+" + town + "+" + street.
QUrl mapSearchUrl(const QString& postcode, const QString& town, const QString& street);
inline const QString kCustomerMailSubject = QStringLiteral("Orvix Számla üzenet");
inline const QString kNoEmailMessage = QStringLiteral("Nincs E-mail cím megadva");
// mailto: link with the subject; invalid for an empty address.
QUrl mailUrl(const QString& address, const QString& subject);

// The maker's and the help pages.
struct ProgramLinks {
    QString help;
    QString homePage;
    QString portal;
    QString makerEmail;
};
const ProgramLinks& programLinks();
inline const QString kMakerMailSubject = QStringLiteral("Orvix Számla program");

// ---- Actions ---------------------------------------------------------------

struct ActionDef {
    const char* name;
    const char* caption;
    const char* shortcut; // empty: none
};
// Every action of the main window, in menu order.
const std::vector<ActionDef>& mainWindowActions();
// The right an action needs before it opens anything.
std::optional<Right> requiredRight(const QString& actionName);

} // namespace orvix
