// The issuer: the business that issues the documents, kept in the single row
// of `tulajdonos`. Reading it, the fields of its window in their order, and
// the checked save.
#pragma once

#include "masters/Validation.h"

#include <QMap>
#include <QVariant>
#include <QString>
#include <vector>

namespace orvix {

class Database;
class Dialogs;

// A field of the issuer window.
struct IssuerField {
    QString field;
    QString caption;
    QString inputMask; // shown with hyphens; only the digits are stored
    int line = 0;      // the window line the field stands on (fields left to right within it)
};

// Every field in focus order: line by line from the top, left to right.
const std::vector<IssuerField>& issuerFields();

inline const QString kIssuerSaveFailedMessage = QStringLiteral("Hiba az adatok mentése során");
inline const QString kIssuerNameMissingMessage = QStringLiteral("A tulajdonos neve nem lehet üres.");
inline const QString kIssuerEuMismatchMessage =
    QStringLiteral("A közösségi adószám nem egyezik az adószám első nyolc számjegyével.");

inline const QString kIssuerRowGoneMessage =
    QStringLiteral("A tulajdonos adatai közben megváltoztak vagy törlődtek (más munkaállomáson). Zárja be az "
                   "ablakot, és nyissa meg újra!");

struct Issuer {
    bool exists = false;           // the table holds the row
    QVariant key;                  // the row's key `tulajdonos` exactly as stored
    QMap<QString, QString> values; // every field of issuerFields(), texts trimmed
    QString value(const QString& field) const { return values.value(field); }
};

// The row (the first when an older folder holds several); empty values when
// the table is empty. Throws DbError.
Issuer loadIssuer(Database& db);

// Whether a stored value fits the field's input mask (only digits and the
// mask's hyphens, no more digits than the mask holds). A value that does not
// fit is edited without the mask so that nothing of it is lost.
bool fitsIssuerMask(const IssuerField& field, const QString& value);

// The value as stored: the digits alone for the masked fields (when the value
// fits the mask), the EU tax number without spaces in capitals, other texts
// trimmed.
QString storedIssuerValue(const IssuerField& field, const QString& typed);

// Saves the edited values when they differ from `stored`, updating the row
// found by its key as it was loaded. Errors show "Hiba az adatok mentése
// során" with the reason on the next line and store nothing; an update that
// finds no row (changed or removed at another workstation meanwhile) is such
// an error. Doubtful values that were changed ask "Mégis menti?". True when
// the window may close.
bool saveIssuer(Database& db, Dialogs& dialogs, const Issuer& stored, const QMap<QString, QString>& edited);

} // namespace orvix
