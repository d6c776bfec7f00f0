// The small master tables (payment methods, origins, categories, units,
// tariff and service numbers, currencies, document type names, label
// layouts, cash desks and cash movement types) are kept in one family of
// list windows. Each member is described here once as data: its table or
// tables, the first order, the grid columns, the search rule, the edit
// fields, the right needed for changes, how the key of a new row is made and
// what a chooser returns. The list window and the edit window read these
// descriptions; the rules that decide what may be stored or deleted live here
// too, so that they hold whatever window calls them.
#pragma once

#include "core/Rights.h"
#include "masters/Validation.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <optional>
#include <vector>

namespace orvix {

class Database;
class Dialogs;
struct CurrentUser;

enum class CodeTableId {
    PaymentMethods,   // fiztip
    Origins,          // szarmazas
    Categories,       // kategoria
    Units,            // mert
    TariffNumbers,    // vtsz and szj, one page each
    Currencies,       // vat
    DocumentTypes,    // prntip
    LabelLayouts,     // cimke
    CashDesks,        // cassak
    CashMovementTypes // cassatip
};

// How a field is shown in the grid and edited in the edit window.
enum class FieldKind {
    Text,
    Integer,
    Float,
    Flag,      // "I"/"N", a check box; a ticked mark in the grid
    CashDesk,  // number of a cash desk: its name shown, chosen with a button
    Direction, // 1 "Bevétel" / -1 "Kiadás"
    Currency   // a code of the currencies table, chosen from a list
};

// How the key of a new row is made.
enum class NewKeyRule {
    Typed,         // the user types it; it must not be empty nor used
    AutoIncrement, // the engine gives it
    NextNumber     // the largest existing key + 1, taken under the write lock
};

// Which field the search box searches.
enum class SearchRule {
    None,      // no search box
    SortField, // the current sort field
    FixedField // always searchField
};

// How the caller's initial value finds the row made current on opening.
enum class PresetMatch {
    KeyPrefix, // the key equal to it, else the first key starting with it (case ignored)
    WholeKey   // only the key equal to it (case ignored)
};

struct ColumnDesc {
    QString field;
    QString caption;
    FieldKind kind = FieldKind::Text;
    // Width after a resize: share × (grid width − widthReserve) when share > 0,
    // else fixedWidth pixels.
    double share = 0;
    int fixedWidth = 0;
};

struct EditFieldDesc {
    QString label;
    QString field;
    FieldKind kind = FieldKind::Text;
    bool required = false;
    bool upperCase = false;
    // Smallest value a number may take (none: any).
    std::optional<double> minimum;
    // Shown but not changeable when an existing row is edited.
    bool readOnlyWhenEditing = false;
    // Extra check of the typed text (Validation.h); null for none.
    CheckResult (*check)(const QString&) = nullptr;
};

using CodeTableRow = QVariantMap;

// One table of a member window (the tariff window has two).
struct CodeTableDesc {
    QString table;
    QString keyField;
    QString pageTitle; // the page's tab caption where a window has several
    QString firstSortField;
    SearchRule search = SearchRule::SortField;
    QString searchField;                 // for SearchRule::FixedField
    bool titleClickFocusesSearch = true; // a click on a column title moves the focus to the search box
    int widthReserve = 40;
    std::vector<ColumnDesc> columns;

    QString editCaption;
    QString editWindowName;
    std::vector<EditFieldDesc> fields;

    NewKeyRule newKey = NewKeyRule::Typed;
    Right changeRight = Right::Write; // for new, edit and delete
    bool canAdd = true;
    bool canDelete = true;
    QVariantMap defaults; // field values of a new row
    PresetMatch presetMatch = PresetMatch::KeyPrefix;
    QStringList resultFields; // returned besides the key by the chooser

    // Adjusts a row just before it is stored (payment methods: no term for an
    // immediate payment).
    std::function<void(CodeTableRow&)> beforeSave;
    // Why an existing row may not be changed this way (empty: it may).
    std::function<QString(const CodeTableRow& stored, const CodeTableRow& edited)> editRefusal;
    // Why a row may not be deleted (empty: it may).
    std::function<QString(Database&, const CodeTableRow&)> deleteRefusal;

    // Every field the window reads: the key, the grid columns and the edit fields.
    QStringList loadedFields() const;
    const EditFieldDesc* editField(const QString& field) const;
    const ColumnDesc* column(const QString& field) const;
};

struct CodeTableWindowDesc {
    CodeTableId id;
    QString title;      // window caption
    QString panelTitle; // caption of the panel above the grid
    QString windowName; // remembers the geometry under it
    QString deleteCaption = QStringLiteral("Sor törlése");
    // Right the main menu action demands before it opens the window.
    std::optional<Right> openRight;
    // New, edit and delete are shown only to a user with one of the two rights.
    bool actionsNeedAnyRight = false;
    std::vector<CodeTableDesc> pages;
};

const CodeTableWindowDesc& codeTableWindow(CodeTableId id);
// Every member window, in menu order.
const std::vector<CodeTableId>& allCodeTables();

// ---- Messages ---------------------------------------------------------------

inline const QString kBadInputMessage = QStringLiteral("Hiányos, vagy hibás adatmegadás");
inline const QString kProtectedCashTypeMessage =
    QStringLiteral("A „B” és a „V” kassza típust az automatikus pénztári tételek használják: "
                   "nem törölhető, jele és iránya nem változtatható.");
inline const QString kBasicCashDeskMessage =
    QStringLiteral("Az alap kasszát (0) a fizetési módok használják, nem törölhető.");
inline const QString kCashDeskInUseMessage =
    QStringLiteral("A kasszához pénztári tételek tartoznak, ezért nem törölhető.");

// ---- Rows -------------------------------------------------------------------

// The rows of a table in the given order (ties by key); empty fields as they
// are stored. Throws DbError.
std::vector<CodeTableRow> loadCodeTable(Database& db, const CodeTableDesc& desc, const QString& sortField);

// Whether a sort field is offered (one of the grid's columns or the key).
bool isSortField(const CodeTableDesc& desc, const QString& field);
// The field the search box searches when the table is sorted by sortField;
// empty when the member has no search box.
QString searchFieldFor(const CodeTableDesc& desc, const QString& sortField);

// First row whose field starts with text, letter case ignored; -1 when none.
int findSearchRow(const std::vector<CodeTableRow>& rows, const QString& field, const QString& text);
// The row made current for the caller's initial value; -1 when none matches.
int findPresetRow(const std::vector<CodeTableRow>& rows, const CodeTableDesc& desc, const QVariant& preset);

// The page and key the tariff window opens on for an initial value: the first
// eight characters as a whole tariff number, else the whole value as a
// service number (then the "SZJ" page); page 0 and an empty key when neither
// exists. Letter case is ignored.
struct TariffPreset {
    int page = 0;
    QString key;
};
TariffPreset locateTariffPreset(Database& db, const QString& initial);

// A new row with the member's defaults (the key is made when it is stored).
CodeTableRow newCodeTableRow(const CodeTableDesc& desc);

// The text a grid cell shows for a value.
QString columnText(FieldKind kind, const QVariant& value);

// Name of a cash desk, empty when there is none with that number.
QString cashDeskName(Database& db, qint64 desk);
// The currency codes for a choice list, in alphabetical order.
QStringList currencyCodes(Database& db);

// ---- Changes ------------------------------------------------------------------

enum class CodeTableAction { New, Edit, Delete };

// Whether the member offers the action at all (document types add nothing).
bool offersAction(const CodeTableDesc& desc, CodeTableAction action);
// "Nincs jogosultság a művelethez." unless the user holds the member's right.
bool checkCodeTableRight(const CodeTableDesc& desc, const CurrentUser& user, Dialogs& dialogs);

// Why the row cannot be stored (without the "Hiányos, vagy hibás
// adatmegadás" heading), or empty. Values are read as the edit window gives
// them (texts) or as stored. Also reports warnings through `warnings`.
QString codeTableRowProblem(Database& db, const CodeTableDesc& desc, const CodeTableRow& row,
                            const CodeTableRow* stored, std::vector<CheckResult>* warnings = nullptr);

// Checks and stores a new row (stored == nullptr) or the changes of a stored
// one. A refusal shows "Hiányos, vagy hibás adatmegadás" with the reason on
// the next line; a warning asks whether to store anyway. Returns the key of
// the stored row, or nothing when nothing was stored.
std::optional<QVariant> saveCodeTableRow(Database& db, Dialogs& dialogs, const CodeTableDesc& desc,
                                         const CodeTableRow& row, const CodeTableRow* stored);

// "Sor törlése": the right check, the member's refusal rules, the question
// "Valóban töröljem a sort?" and the delete. True when the row was deleted.
bool deleteCodeTableRow(Database& db, Dialogs& dialogs, const CodeTableDesc& desc, const CodeTableRow& row,
                        const CurrentUser& user);

// ---- Chooser results ------------------------------------------------------------

struct PaymentMethodChoice {
    qint64 fiztip = -1;
    QString fizetve = QStringLiteral("N"); // "N" when empty
    qint64 fizhat = 0;
};
PaymentMethodChoice paymentMethodChoice(const CodeTableRow& row);

struct LabelLayout {
    QString name;
    double topMargin = 0;
    double sideMargin = 0;
    double labelHeight = 0;
    int columns = 1;
};
LabelLayout labelLayoutOf(const CodeTableRow& row);

struct CashDeskChoice {
    qint64 cassak = -1;
    QString name;
};

struct CashMovementTypeChoice {
    QString code;
    int szorzo = 1;
};

} // namespace orvix
