#include "invoicing/ProductChoice.h"

#include "common/Database.h"
#include "core/Settings.h"
#include "core/TextUtil.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>

namespace orvix {

namespace {

QVariant fieldOf(const QSqlQuery& q, const char* name) {
    const int i = q.record().indexOf(QLatin1String(name));
    return i < 0 ? QVariant() : q.value(i);
}

QString textOf(const QSqlQuery& q, const char* name) {
    return varText(fieldOf(q, name)).trimmed();
}

// A flag as stored, "N" when empty.
QString flagOf(const QSqlQuery& q, const char* name) {
    const QString v = textOf(q, name);
    return v.isEmpty() ? QStringLiteral("N") : v;
}

// A text for LIKE: the wildcard characters of the text itself match only
// themselves (escaped with '\').
QString likeLiteral(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    t.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    t.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return t;
}

QString likeTest(const QString& field, const QString& pattern) {
    return QStringLiteral("(UPPER(%1) LIKE %2 ESCAPE '\\')").arg(field, varQuoted(pattern));
}

const char* const kChooserFields[] = {"cikkszam", "cikkszam_nev", "kategoria", "mert", "netto", "brutto"};

} // namespace

ProductChoiceResult productChoiceFromQuery(const QSqlQuery& q) {
    ProductChoiceResult r;
    r.mert = textOf(q, "mert");
    r.vtsz = textOf(q, "vtsz");
    r.eloleg = flagOf(q, "eloleg");
    r.netto = varFloat(fieldOf(q, "netto"));
    r.afa = varFloat(fieldOf(q, "afa"));
    r.brutto = varFloat(fieldOf(q, "brutto"));
    r.afakulcs = varFloat(fieldOf(q, "afakulcs"));
    // The code exactly as stored: it is the key the line refers to.
    r.cikkszam = varText(fieldOf(q, "cikkszam"));
    r.cikkszam_nev = textOf(q, "cikkszam_nev");
    r.cikkszam_nev2 = textOf(q, "cikkszam_nev2");
    r.tm = textOf(q, "tm");
    r.exempt = isYes(r.tm);
    r.kozv_szolgaltatas = flagOf(q, "kozv_szolgaltatas");
    r.neta = flagOf(q, "neta");
    r.kulonb_szer_szab = int(varInt(fieldOf(q, "kulonb_szer_szab")));
    return r;
}

std::optional<ProductChoiceResult> LookupProduct(Database& db, const QString& code) {
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM cikkszam WHERE cikkszam=?;"), {code});
    if (!q.next())
        return std::nullopt;
    return productChoiceFromQuery(q);
}

// ---- The chooser's list ------------------------------------------------------

QString productChooserFilter(ProductChoiceMode mode, qint64 customer) {
    switch (mode) {
    case ProductChoiceMode::Plain:
    case ProductChoiceMode::PlainWithName:
        return QStringLiteral("(torolve='N') and (eloleg='N')");
    case ProductChoiceMode::Line:
        return QStringLiteral("(torolve='N') and ((eloleg='N') or ((eloleg='I') and (ugyfel=%1)))")
            .arg(customer);
    case ProductChoiceMode::Advance:
        return QStringLiteral("(torolve='N') and (eloleg='I') and (ugyfel=%1)").arg(customer);
    }
    return QStringLiteral("(torolve='N')");
}

QString productSearchCondition(const QString& text) {
    if (text.isEmpty())
        return QStringLiteral("(torolve='N')");
    const QString pattern = QLatin1Char('%') + likeLiteral(text.toUpper()) + QLatin1Char('%');
    return QStringLiteral("(torolve='N') AND (%1 OR %2 OR %3)")
        .arg(likeTest(QStringLiteral("cikkszam"), pattern), likeTest(QStringLiteral("cikkszam_nev"), pattern),
             likeTest(QStringLiteral("cikkszam_nev2"), pattern));
}

QString productChooserCondition(ProductChoiceMode mode, qint64 customer, const QString& searchText) {
    return productChooserFilter(mode, customer) + QStringLiteral(" AND ") +
           productSearchCondition(searchText);
}

QString productChooserOrderField(const QString& field) {
    for (const char* f : kChooserFields)
        if (field.compare(QLatin1String(f), Qt::CaseInsensitive) == 0)
            return QLatin1String(f);
    if (field.compare(QLatin1String("afa"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("afa");
    return QStringLiteral("cikkszam");
}

namespace {
QString& productListOrderField() {
    static QString field;
    return field;
}
} // namespace

void setProductListOrder(const QString& field) {
    productListOrderField() = field;
}

QString productListOrder() {
    return productListOrderField();
}

// ---- Advance items ------------------------------------------------------------

QString advanceItemCode(quint32 value) {
    return (QStringLiteral("0ELO") + QString::number(value, 16).toUpper()).left(10);
}

QString newAdvanceItemCode(Database& db) {
    QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
    for (;;) {
        const QString code = advanceItemCode(random.bounded(10000u, 75535u));
        // A code already taken would only be refused by the product window.
        if (db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam WHERE cikkszam=?;"), 0, {code}) == 0)
            return code;
    }
}

Product newAdvanceItem(Database& db, const Settings& settings, qint64 customer) {
    Product p;
    p.cikkszam = newAdvanceItemCode(db);
    p.cikkszam_nev = QStringLiteral("Előleg");
    p.kategoria = QStringLiteral("ELOLEG");
    // The unit table may hold the piece unit in another letter case.
    p.mert =
        db.queryText(QStringLiteral("SELECT mert FROM mert WHERE UPPER(mert)='DB';"), QStringLiteral("Db"))
            .trimmed();
    p.netto = p.afa = p.brutto = 0;
    p.afakulcs = settings.alapafakulcs;
    p.eloleg = true;
    p.ugyfel = customer;
    return p;
}

// ---- Detailed search ----------------------------------------------------------

QStringList detailedSearchFields(SearchTarget target) {
    if (target == SearchTarget::Products)
        return {QStringLiteral("cikkszam"), QStringLiteral("cikkszam_nev")};
    return {QStringLiteral("ugyfel_nev"), QStringLiteral("kapcsolat")};
}

QStringList detailedSearchTitles(SearchTarget target) {
    if (target == SearchTarget::Products)
        return {QStringLiteral("cikkszám"), QStringLiteral("megnevezés")};
    return {QStringLiteral("ügyfél"), QStringLiteral("kapcsolattartó")};
}

QStringList detailedSearchQuery(SearchTarget target, SearchMethod method, const QString& text,
                                const QString& orderField) {
    const bool products = target == SearchTarget::Products;
    const QStringList fields = detailedSearchFields(target);
    const QString key = products ? QStringLiteral("cikkszam") : QStringLiteral("ugyfel");
    QStringList lines;
    lines << QStringLiteral("SELECT %1, %2, %3 FROM %4")
                 .arg(key, fields.at(0), fields.at(1),
                      products ? QStringLiteral("cikkszam") : QStringLiteral("ugyfel"));

    const QString upper = likeLiteral(text.toUpper());
    switch (method) {
    case SearchMethod::Anywhere: {
        const QString pattern = QLatin1Char('%') + upper + QLatin1Char('%');
        if (products)
            lines << QStringLiteral("WHERE (%1 OR %2) AND (torolve = 'N')")
                         .arg(likeTest(QStringLiteral("cikkszam_nev"), pattern),
                              likeTest(QStringLiteral("cikkszam"), pattern));
        else
            lines << QStringLiteral("WHERE (%1 OR %2) AND (torolve = 'N')")
                         .arg(likeTest(QStringLiteral("ugyfel_nev"), pattern),
                              likeTest(QStringLiteral("kapcsolat"), pattern));
        break;
    }
    case SearchMethod::Beginning:
    case SearchMethod::Whole: {
        // The beginning of the name (or, for customers, of the name or the
        // contact), or the whole of it; letter case ignored.
        const QString pattern = method == SearchMethod::Beginning ? upper + QLatin1Char('%') : upper;
        if (products)
            lines << QStringLiteral("WHERE (torolve='N') AND %1")
                         .arg(likeTest(QStringLiteral("cikkszam_nev"), pattern));
        else
            lines << QStringLiteral("WHERE (torolve='N') AND (%1 OR %2)")
                         .arg(likeTest(QStringLiteral("ugyfel_nev"), pattern),
                              likeTest(QStringLiteral("kapcsolat"), pattern));
        break;
    }
    }
    // The key first; a click on a column title orders by that column.
    QString order = key;
    for (const QString& f : fields)
        if (f.compare(orderField, Qt::CaseInsensitive) == 0)
            order = f;
    lines << QStringLiteral("ORDER BY %1;").arg(order);
    return lines;
}

} // namespace orvix
