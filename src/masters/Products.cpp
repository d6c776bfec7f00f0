#include "masters/Products.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/FieldLimits.h"
#include "core/Settings.h"
#include "core/TextUtil.h"
#include "masters/CodeTables.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QHash>
#include <utility>
#include <vector>

namespace orvix {

namespace {

const QString kProductTable = QStringLiteral("cikkszam");

std::vector<std::pair<QString, QString*>> textFields(Product& p) {
    return {{QStringLiteral("cikkszam"), &p.cikkszam},
            {QStringLiteral("cikkszam_nev"), &p.cikkszam_nev},
            {QStringLiteral("cikkszam_nev2"), &p.cikkszam_nev2},
            {QStringLiteral("szarmazas"), &p.szarmazas},
            {QStringLiteral("kategoria"), &p.kategoria},
            {QStringLiteral("mert"), &p.mert},
            {QStringLiteral("megjegyzes"), &p.megjegyzes},
            {QStringLiteral("vtsz"), &p.vtsz},
            {QStringLiteral("gariido"), &p.gariido},
            {QStringLiteral("ean"), &p.ean}};
}

// The caption of a product field in the product window.
QString fieldCaption(const QString& field) {
    static const QHash<QString, QString> captions = {
        {QStringLiteral("cikkszam"), QStringLiteral("cikkszám")},
        {QStringLiteral("cikkszam_nev"), QStringLiteral("megnevezés")},
        {QStringLiteral("cikkszam_nev2"), QStringLiteral("megnevezés második sora")},
        {QStringLiteral("szarmazas"), QStringLiteral("származás")},
        {QStringLiteral("kategoria"), QStringLiteral("kategória")},
        {QStringLiteral("mert"), QStringLiteral("mértékegység")},
        {QStringLiteral("megjegyzes"), QStringLiteral("megjegyzés")},
        {QStringLiteral("vtsz"), QStringLiteral("vtsz")},
        {QStringLiteral("gariido"), QStringLiteral("garanciaidő")},
        {QStringLiteral("ean"), QStringLiteral("EAN, vagy termékszám")}};
    return captions.value(field, field);
}

SaveResult refuse(Dialogs& dialogs, const QString& reason, const QString& field) {
    dialogs.error(kBadInputMessage + QLatin1Char('\n') + reason);
    return {false, field};
}

// The VAT multiplier of a rate given in percent.
double factor(double afakulcs) {
    return afakulcs / 100.0 + 1.0;
}

} // namespace

QStringList marginSchemeNames() {
    return {QStringLiteral("Nincs, normál ÁFÁ-s"), QStringLiteral("Utazási irodák"),
            QStringLiteral("Használt cikkek"), QStringLiteral("Műalkotások"), QStringLiteral("Régiségek")};
}

Product newProductDefaults(const Settings& settings) {
    Product p;
    p.afakulcs = settings.alapafakulcs;
    p.mert = settings.alapmert.trimmed();
    p.eloleg = false;
    p.ugyfel = 0;
    p.tm = false;
    p.kulonb_szer_szab = 0;
    p.kozv_szolgaltatas = false;
    p.neta = false;
    return p;
}

std::optional<Product> loadProduct(Database& db, const QString& cikkszam) {
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM cikkszam WHERE cikkszam=?;"), {cikkszam});
    if (!q.next())
        return std::nullopt;
    const QSqlRecord r = q.record();
    const auto value = [&](const char* field) {
        const int i = r.indexOf(QLatin1String(field));
        return i < 0 ? QVariant() : q.value(i);
    };
    Product p;
    for (auto& [field, member] : textFields(p)) {
        const QByteArray name = field.toLatin1();
        *member = varText(value(name.constData())).trimmed();
    }
    // The key exactly as stored, so that the row is found again.
    p.cikkszam = q.value(r.indexOf(QStringLiteral("cikkszam"))).toString();
    p.netto = varFloat(value("netto"));
    p.afa = varFloat(value("afa"));
    p.brutto = varFloat(value("brutto"));
    p.afakulcs = varFloat(value("afakulcs"));
    p.tm = isYes(varText(value("tm")).trimmed());
    p.kozv_szolgaltatas = isYes(varText(value("kozv_szolgaltatas")).trimmed());
    p.neta = isYes(varText(value("neta")).trimmed());
    p.kulonb_szer_szab = int(varInt(value("kulonb_szer_szab")));
    p.eloleg = isYes(varText(value("eloleg")).trimmed());
    p.ugyfel = varInt(value("ugyfel"));
    return p;
}

// ---- Prices ------------------------------------------------------------------

Prices pricesFromNet(double netto, double afakulcs) {
    return {netto, afakulcs / 100.0 * netto, factor(afakulcs) * netto};
}

Prices pricesFromGross(double brutto, double afakulcs) {
    const double netto = brutto / factor(afakulcs);
    return {netto, brutto - netto, brutto};
}

void settlePrices(Product& p, bool grossBased) {
    if (p.tm) {
        // The net price as leaving the gross price gives it, then the exempt
        // product's gross price is its net price.
        if (grossBased)
            p.netto = pricesFromGross(p.brutto, p.afakulcs).netto;
        p.afakulcs = 0;
        p.afa = 0;
        p.brutto = p.netto;
        return;
    }
    const Prices prices =
        grossBased ? pricesFromGross(p.brutto, p.afakulcs) : pricesFromNet(p.netto, p.afakulcs);
    p.netto = prices.netto;
    p.afa = prices.afa;
    p.brutto = prices.brutto;
}

// ---- Saving ------------------------------------------------------------------

bool codeTableHas(Database& db, const QString& table, const QString& value) {
    if (value.trimmed().isEmpty())
        return true;
    // Only the three code tables of the product window are asked.
    if (table != QLatin1String("szarmazas") && table != QLatin1String("kategoria") &&
        table != QLatin1String("mert"))
        return false;
    return db.queryInt(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %1=?;").arg(table), 0,
                       {value.trimmed()}) > 0;
}

SaveResult saveProduct(Database& db, Dialogs& dialogs, Product& p, const std::optional<Product>& stored,
                       bool grossBased) {
    const bool isNew = !stored.has_value();
    for (auto& [field, member] : textFields(p)) {
        if (field != QLatin1String("megjegyzes") && field != QLatin1String("cikkszam_nev2"))
            *member = member->trimmed();
    }
    if (isNew)
        p.cikkszam = p.cikkszam.toUpper();
    else
        p.cikkszam = stored->cikkszam; // the key of an existing product stays

    if (p.cikkszam.trimmed().isEmpty())
        return refuse(dialogs, QStringLiteral("Adja meg a cikkszámot!"), QStringLiteral("cikkszam"));
    if (p.cikkszam_nev.isEmpty())
        return refuse(dialogs, QStringLiteral("Adja meg a megnevezést!"), QStringLiteral("cikkszam_nev"));
    for (auto& [field, member] : textFields(p)) {
        if (!isNew && field == QLatin1String("cikkszam"))
            continue;
        if (const QString problem = textLengthProblem(kProductTable, field, *member, fieldCaption(field));
            !problem.isEmpty())
            return refuse(dialogs, problem, field);
    }
    if (const QString problem = percentProblem(p.afakulcs, 0, 100, QStringLiteral("áfakulcs"));
        !problem.isEmpty())
        return refuse(dialogs, problem, QStringLiteral("afakulcs"));

    // Code-table values typed into the window; unchanged old values pass. A
    // new advance item brings its own category and unit, which are added to
    // their tables together with the item (and only then).
    const std::pair<QString, QString Product::*> codes[] = {
        {QStringLiteral("szarmazas"), &Product::szarmazas},
        {QStringLiteral("kategoria"), &Product::kategoria},
        {QStringLiteral("mert"), &Product::mert}};
    QStringList codesToAdd;
    try {
        for (const auto& [table, member] : codes) {
            if (stored && (*stored).*member == p.*member)
                continue;
            if (codeTableHas(db, table, p.*member))
                continue;
            if (isNew && p.eloleg && table != QLatin1String("szarmazas")) {
                codesToAdd << table;
                continue;
            }
            dialogs.error(kInvalidDataMessage);
            return {false, table};
        }
    } catch (const DbError& e) {
        return refuse(dialogs, e.text(), QString());
    }

    // The prices: an exempt product as such; otherwise recomputed when the
    // row is new or its rate or entered price changed (an unchanged older
    // row keeps its prices as they were stored).
    const bool priceChanged = !stored || stored->afakulcs != p.afakulcs || stored->tm != p.tm ||
                              (grossBased ? stored->brutto != p.brutto : stored->netto != p.netto);
    if (p.tm || priceChanged) {
        settlePrices(p, grossBased);
        // The entered price, and the prices computed from it, must be amounts
        // a document can carry.
        const QString enteredField = grossBased ? QStringLiteral("brutto") : QStringLiteral("netto");
        const QString enteredCaption = grossBased ? QStringLiteral("bruttó") : QStringLiteral("nettó");
        for (const double price : {p.netto, p.afa, p.brutto}) {
            if (const QString problem = amountProblem(price, enteredCaption); !problem.isEmpty())
                return refuse(dialogs, problem, enteredField);
        }
    }

    try {
        if (isNew) {
            const QVariant existing = db.queryValue(
                QStringLiteral("SELECT cikkszam_nev FROM cikkszam WHERE cikkszam=?;"), {p.cikkszam});
            if (existing.isValid()) {
                dialogs.error(QStringLiteral("Ez a cikkszám már használatban van: '%1'")
                                  .arg(varText(existing).trimmed()));
                return {false, QStringLiteral("cikkszam")};
            }
            QSqlQuery same = db.select(
                QStringLiteral("SELECT cikkszam, cikkszam_nev FROM cikkszam WHERE UPPER(cikkszam_nev)=? "
                               "ORDER BY cikkszam;"),
                {p.cikkszam_nev.toUpper()});
            if (same.next()) {
                const QString found = same.value(0).toString().trimmed() + QStringLiteral(" : ") +
                                      same.value(1).toString().trimmed();
                if (!dialogs.question(kCaptionQuestion,
                                      QStringLiteral("Ilyen nevű cikk már van a rendszerben:\n") + found +
                                          QStringLiteral("\nFolytatod?")))
                    return {false, QStringLiteral("cikkszam_nev")};
            }
        }

        QStringList fields;
        QVariantList values;
        for (auto& [field, member] : textFields(p)) {
            if (field == QLatin1String("cikkszam"))
                continue;
            fields << field;
            values << *member;
        }
        fields << QStringLiteral("netto") << QStringLiteral("afa") << QStringLiteral("brutto")
               << QStringLiteral("afakulcs") << QStringLiteral("tm") << QStringLiteral("kozv_szolgaltatas")
               << QStringLiteral("neta") << QStringLiteral("kulonb_szer_szab");
        values << p.netto << p.afa << p.brutto << p.afakulcs << yesNo(p.tm) << yesNo(p.kozv_szolgaltatas)
               << yesNo(p.neta) << p.kulonb_szer_szab;

        Database::Transaction tr(db);
        if (codesToAdd.contains(QStringLiteral("kategoria")))
            db.execSql(QStringLiteral("INSERT INTO kategoria (kategoria, kategoria_nev) VALUES (?, ?);"),
                       {p.kategoria, kAdvanceCategoryName});
        if (codesToAdd.contains(QStringLiteral("mert")))
            db.execSql(QStringLiteral("INSERT INTO mert (mert) VALUES (?);"), {p.mert});
        if (isNew) {
            fields << QStringLiteral("cikkszam") << QStringLiteral("torolve") << QStringLiteral("eloleg")
                   << QStringLiteral("ugyfel");
            values << p.cikkszam << QStringLiteral("N") << yesNo(p.eloleg) << p.ugyfel;
            QStringList marks;
            for (int i = 0; i < fields.size(); ++i)
                marks << QStringLiteral("?");
            db.execSql(QStringLiteral("INSERT INTO cikkszam (%1) VALUES (%2);")
                           .arg(fields.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                       values);
        } else {
            QStringList sets;
            for (const QString& f : fields)
                sets << f + QStringLiteral("=?");
            values << p.cikkszam;
            db.execSql(
                QStringLiteral("UPDATE cikkszam SET %1 WHERE cikkszam=?;").arg(sets.join(QLatin1Char(','))),
                values);
        }
        tr.commit();
    } catch (const DbError& e) {
        return refuse(dialogs, e.text(), QString());
    }
    return {true, QString()};
}

bool softDeleteProduct(Database& db, Dialogs& dialogs, const QString& cikkszam, const QString& question) {
    if (!dialogs.question(kCaptionConfirm, question))
        return false;
    try {
        db.execSql(QStringLiteral("UPDATE cikkszam SET torolve='I' WHERE cikkszam=?;"), {cikkszam});
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return false;
    }
    return true;
}

} // namespace orvix
