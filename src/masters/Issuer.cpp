#include "masters/Issuer.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/FieldLimits.h"
#include "core/TextUtil.h"

#include <QStringList>

namespace orvix {

namespace {

const QString kTaxMask = QStringLiteral("99999999-9-99;_");
// The third block of an account is optional (2×8 accounts).
const QString kAccountMask = QStringLiteral("99999999-99999999-00000000;_");

bool isMasked(const QString& field) {
    return field == QLatin1String("adoszam") || field == QLatin1String("bankszamlaszam");
}

// The digit count a masked field holds at most.
int maskDigits(const IssuerField& f) {
    return int(f.inputMask.section(QLatin1Char(';'), 0, 0).count(QLatin1Char('9')) +
               f.inputMask.section(QLatin1Char(';'), 0, 0).count(QLatin1Char('0')));
}

struct Check {
    const char* field;
    CheckResult (*check)(const QString&);
};

} // namespace

const std::vector<IssuerField>& issuerFields() {
    static const std::vector<IssuerField> fields = [] {
        std::vector<IssuerField> f;
        auto add = [&f](int line, const char* field, const char* caption, const QString& mask = {}) {
            f.push_back({QLatin1String(field), QString::fromUtf8(caption), mask, line});
        };
        add(0, "tulajdonos", "tulajdonos");
        add(1, "telefon", "telefon");
        add(1, "mobil", "mobil");
        add(1, "fax", "fax");
        add(2, "irsz", "Irányítószám");
        add(2, "varos", "Település");
        add(2, "kerulet", "Kerület");
        add(3, "cim", "Közterület");
        add(3, "kozterulet", "Közterület jellege");
        add(3, "hazszam", "Házszám");
        add(3, "epulet", "Épület");
        add(3, "lepcsohaz", "Lépcsőház");
        add(3, "szint", "Szint");
        add(3, "ajto", "Ajtó");
        add(4, "adoszam", "adószám", kTaxMask);
        add(4, "kozadoszam", "közösségi adószám");
        add(5, "vallig", "Egyéni váll. nyilvántartási szám");
        add(5, "vallignev", "Vállalkózó neve");
        add(6, "bankszamlaszam", "bankszámlaszám", kAccountMask);
        add(6, "engedelyszam", "jövedéki engedélyszám");
        add(7, "iban", "IBAN");
        add(7, "swift", "SWIFT");
        return f;
    }();
    return fields;
}

Issuer loadIssuer(Database& db) {
    QStringList names;
    for (const IssuerField& f : issuerFields())
        names << f.field;
    QSqlQuery q = db.select(
        QStringLiteral("SELECT tulajdonos AS row_key, %1 FROM tulajdonos;").arg(names.join(QLatin1Char(','))));
    Issuer issuer;
    issuer.exists = q.next();
    if (issuer.exists)
        issuer.key = q.value(0);
    for (int i = 0; i < names.size(); ++i)
        issuer.values.insert(names.at(i), issuer.exists ? varText(q.value(i + 1)).trimmed() : QString());
    return issuer;
}

bool fitsIssuerMask(const IssuerField& field, const QString& value) {
    if (field.inputMask.isEmpty())
        return true;
    for (const QChar c : value) {
        if (!(c.isDigit() || c == QLatin1Char('-') || c.isSpace()))
            return false;
    }
    return digitsOnly(value).size() <= maskDigits(field);
}

QString storedIssuerValue(const IssuerField& field, const QString& typed) {
    if (isMasked(field.field) && fitsIssuerMask(field, typed))
        return digitsOnly(typed);
    if (field.field == QLatin1String("kozadoszam"))
        return normalizeEuTaxNumber(typed);
    return typed.trimmed();
}

bool saveIssuer(Database& db, Dialogs& dialogs, const Issuer& stored, const QMap<QString, QString>& edited) {
    QMap<QString, QString> values;
    bool changed = !stored.exists;
    for (const IssuerField& f : issuerFields()) {
        const QString v = storedIssuerValue(f, edited.value(f.field));
        values.insert(f.field, v);
        if (v != stored.value(f.field))
            changed = true;
    }
    if (!changed)
        return true;

    auto refuse = [&dialogs](const QString& reason) {
        dialogs.error(kIssuerSaveFailedMessage + QLatin1Char('\n') + reason);
        return false;
    };
    if (values.value(QStringLiteral("tulajdonos")).isEmpty())
        return refuse(kIssuerNameMissingMessage);
    try {
        for (const IssuerField& f : issuerFields()) {
            const QString v = values.value(f.field);
            const QString problem = textLengthProblem(QStringLiteral("tulajdonos"), f.field, v, f.caption);
            if (!problem.isEmpty() && v != stored.value(f.field))
                return refuse(problem);
        }

        static const Check checks[] = {{"irsz", &checkPostcode},
                                       {"adoszam", &checkTaxNumber},
                                       {"kozadoszam", &checkEuTaxNumber},
                                       {"bankszamlaszam", &checkBankAccount},
                                       {"iban", &checkIban}};
        std::vector<CheckResult> warnings;
        for (const Check& c : checks) {
            const QString field = QLatin1String(c.field);
            const bool unchanged = stored.exists && values.value(field) == stored.value(field);
            const CheckResult r = relaxForStoredValue(c.check(values.value(field)), unchanged);
            if (r.isError())
                return refuse(r.message);
            // A doubtful value kept as it was stored was confirmed then.
            if (r.level == CheckLevel::Warning && !unchanged)
                warnings.push_back(r);
        }
        // A Hungarian EU tax number repeats the first eight digits of the tax number.
        const QString eu = values.value(QStringLiteral("kozadoszam"));
        const QString tax = values.value(QStringLiteral("adoszam"));
        if (eu.startsWith(QLatin1String("HU")) && tax.size() == 11 && eu.mid(2) != tax.left(8))
            warnings.push_back({CheckLevel::Warning, kIssuerEuMismatchMessage});
        for (const CheckResult& w : warnings)
            if (!dialogs.question(kCaptionQuestion, warningQuestion(w)))
                return false;

        QStringList fields;
        QVariantList params;
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            fields << it.key();
            params << it.value();
        }
        // The write runs in its own scope: no message is shown while the
        // write lock is held.
        const bool written = [&] {
            Database::Transaction tr(db);
            if (stored.exists) {
                QStringList sets;
                for (const QString& f : fields)
                    sets << f + QStringLiteral("=?");
                // The row is found by its key exactly as it was read.
                QString where = QStringLiteral("tulajdonos IS NULL");
                if (!stored.key.isNull()) {
                    where = QStringLiteral("tulajdonos=?");
                    params << stored.key;
                }
                const int changedRows = db.execSql(
                    QStringLiteral("UPDATE tulajdonos SET %1 WHERE %2;").arg(sets.join(QLatin1Char(',')), where),
                    params);
                if (changedRows != 1)
                    return false; // rolled back
            } else {
                QStringList marks;
                for (int i = 0; i < fields.size(); ++i)
                    marks << QStringLiteral("?");
                db.execSql(QStringLiteral("INSERT INTO tulajdonos (%1) VALUES (%2);")
                               .arg(fields.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                           params);
            }
            tr.commit();
            return true;
        }();
        if (!written)
            return refuse(kIssuerRowGoneMessage);
        return true;
    } catch (const DbError& e) {
        return refuse(e.text());
    }
}

} // namespace orvix
