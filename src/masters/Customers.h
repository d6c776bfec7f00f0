// The customer master: the customer row as the edit window sees it, the
// defaults of a new customer, the town (and Budapest district) filled from a
// postcode, saving with the input checks, the chooser's search, the soft
// delete, and the further delivery addresses of a customer.
//
// Customers are never removed: deleting one sets `torolve` to "I". The lists
// and the chooser show only `torolve` = 'N' rows; documents keep the name and
// address copied into their header, so they print unchanged.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>
#include <vector>

namespace orvix {

class Database;
class Dialogs;
struct Settings;
struct AppConfig;

inline const QString kDeleteCustomerQuestion = QStringLiteral("Valóban töröljem az ügyfelet?");

// One address block of a customer: the postal address (fields `cim_`…) or the
// billing address (`szla_`…).
struct Address {
    QString irsz;       // postcode
    QString varos;      // town
    QString cim;        // street name
    QString kozterulet; // street type
    QString kerulet;    // district
    QString hazszam;
    QString epulet;
    QString lepcsohaz;
    QString szint;
    QString ajto;

    bool operator==(const Address&) const = default;
};

// The fields of a customer row that the customer window edits.
struct Customer {
    qint64 ugyfel = 0; // 0 until the row is saved
    QString ugyfel_nev;
    QString kapcsolat;
    QString telefon;
    QString fax;
    QString mobil;
    QString emil;
    Address cim;  // "Posta cím"
    Address szla; // "Számlázási cím"
    QString adoszam;
    QString kozadoszam;
    QString bankszamla;
    qint64 fiztip = 0;
    double kedvezmeny = 0;
    QString engedelyszam;
    qint64 ugyfelkod = 0;
    QString vat = QStringLiteral("HUF");
    bool afas = true;
    int nyelv = 0; // 0 "Magyar", 1 "Angol", 2 "Más nyelv"
    bool edi = false;

    bool operator==(const Customer&) const = default;
};

// The defaults of a new customer: the town from the setting `alapvaros`, the
// street and the name from the configuration, the next customer code
// (largest code + 1, 1 for an empty table), the default payment method,
// VAT-liable, HUF, Hungarian, no EDI.
Customer newCustomerDefaults(Database& db, const Settings& settings, const AppConfig& config);
// The same with the program-wide settings and configuration.
Customer newCustomerDefaults(Database& db);

// The customer with this key (deleted ones too); nothing when there is none.
std::optional<Customer> loadCustomer(Database& db, qint64 ugyfel);

// ---- Postcode and town -----------------------------------------------------

// The town of a postcode from the postcode table; empty when unknown.
QString townOfPostcode(Database& db, const QString& postcode);

// The district a postcode starting with "1" (Budapest) gives: its 2nd and
// 3rd characters ("1138" -> "13"), the form other programs read from the
// district fields. Empty for any other postcode.
QString budapestDistrict(const QString& postcode);

// What leaving a postcode field fills in. A town that was typed in (neither
// empty nor the default town) is never overwritten.
struct TownFill {
    QString town;
    QString district; // empty: leave the district as it is
};
std::optional<TownFill> fillTownFromPostcode(Database& db, const QString& postcode,
                                             const QString& currentTown, const QString& defaultTown,
                                             bool withDistrict);

// ---- Saving ------------------------------------------------------------------

// The outcome of a save: on failure the field (by its database name) that
// gets the focus; empty when none in particular.
struct SaveResult {
    bool saved = false;
    QString focusField;
};

// "OK" of the customer window. Checks the name, the number fields, the
// lengths, the tax number, the EU tax number, the bank account and the two
// postcodes (a refusal shows "Hiányos, vagy hibás adatmegadás" and the reason;
// a doubtful value asks whether to save it anyway; a value that older data
// already holds and that was left unchanged is only questioned), then inserts
// or updates the row. `stored` is the row as it was loaded (nothing for a new
// customer). On success customer.ugyfel holds the key and the identifiers are
// in their stored form.
SaveResult saveCustomer(Database& db, Dialogs& dialogs, Customer& customer,
                        const std::optional<Customer>& stored);

// Soft delete after the question (`question` with the caption "Megerősítés");
// true when the customer was marked deleted.
bool softDeleteCustomer(Database& db, Dialogs& dialogs, qint64 ugyfel, const QString& question);

// ---- Chooser -------------------------------------------------------------

// The columns of the chooser's grid, in order.
QStringList customerChooserFields();

struct CustomerListQuery {
    QString sql;
    QVariantList params;
};

// The chooser's list: the chooser's fields and last the key `ugyfel` of the
// not deleted customers whose name, phone, mobile,
// e-mail, postal postcode, town, street or contact holds `text` anywhere
// (letter case and accents ignored), ordered by `sortField` (one of the
// chooser's fields; anything else orders by name).
CustomerListQuery customerChooserQuery(const QString& text, const QString& sortField);
// The number of rows of the same list.
CustomerListQuery customerChooserCountQuery(const QString& text);

// ---- Further delivery addresses ---------------------------------------------

struct DeliveryAddress {
    qint64 ugyfel_cim = 0; // 0 until saved
    qint64 ugyfel = 0;
    QString nev;
    QString irsz;
    QString varos;
    QString cim;
};

// What the address window enters and shows of the `ugyfel_cim` fields (the
// table's own fields are wider).
inline constexpr int kAddressNameWidth = 50;
inline constexpr int kAddressPostcodeWidth = 5;
inline constexpr int kAddressTownWidth = 25;
inline constexpr int kAddressStreetWidth = 50;

// The address grid's columns, in order: nev, irsz, varos, cim.
QStringList deliveryAddressFields();

// The addresses of a customer ordered by `sortField` (one of
// deliveryAddressFields(); anything else orders by `ugyfel_cim`).
std::vector<DeliveryAddress> listDeliveryAddresses(Database& db, qint64 ugyfel,
                                                   const QString& sortField = {});
std::optional<DeliveryAddress> loadDeliveryAddress(Database& db, qint64 ugyfel_cim);
// The `nev` of an address; empty when there is none.
QString deliveryAddressName(Database& db, qint64 ugyfel_cim);

// The first missing part of an address in field order (name, postcode, town,
// street): its message and field; nothing when all four are given.
struct AddressProblem {
    QString message;
    QString field;
};
std::optional<AddressProblem> checkDeliveryAddress(const DeliveryAddress& address);

// "OK" of "Szállítási cím": the four checks in order, a text longer than its
// field is refused, then a question on a postcode that is not a Hungarian
// one, then insert or update.
SaveResult saveDeliveryAddress(Database& db, Dialogs& dialogs, DeliveryAddress& address);

// A new address of the customer with `nev` = the customer's name (the start
// of "Új").
DeliveryAddress newDeliveryAddress(Database& db, qint64 ugyfel);
// "Központ hozzá": adds and saves an address with the customer's name and
// postal postcode, town and street. Returns its key. Throws DbError.
qint64 addHeadOfficeAddress(Database& db, qint64 ugyfel);
// "Töröl": after "Valóban töröljem a sort?" removes the address. An address
// that a document refers to is kept (the document prints it) and the user is
// told so. True when removed.
bool deleteDeliveryAddress(Database& db, Dialogs& dialogs, qint64 ugyfel_cim);

} // namespace orvix
