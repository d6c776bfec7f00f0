#include "invoicing/LineEntry.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/Settings.h"
#include "core/TextUtil.h"
#include "invoicing/RowWriter.h"

#include <QSqlQuery>

#include <cmath>
#include <functional>

namespace orvix {

namespace {

bool isCounterKind(QChar kind) {
    return kind == kKindCreditNote || kind == kKindCancelling;
}

const QChar kKindOther = QLatin1Char('M');

void putAmounts(QVariantMap& row, const LineAmounts& a) {
    row[QStringLiteral("egysar")] = a.unit.net;
    row[QStringLiteral("netto")] = a.unit.net;
    row[QStringLiteral("afa")] = a.unit.vat;
    row[QStringLiteral("brutto")] = a.unit.gross;
    row[QStringLiteral("netto0")] = a.bands.netto0;
    row[QStringLiteral("afa0")] = a.bands.afa0;
    row[QStringLiteral("brutto0")] = a.bands.brutto0;
    row[QStringLiteral("netto12")] = a.bands.netto12;
    row[QStringLiteral("afa12")] = a.bands.afa12;
    row[QStringLiteral("brutto12")] = a.bands.brutto12;
    row[QStringLiteral("netto25")] = a.bands.netto25;
    row[QStringLiteral("afa25")] = a.bands.afa25;
    row[QStringLiteral("brutto25")] = a.bands.brutto25;
    row[QStringLiteral("tm")] = a.bands.tm;
}

void refuseIfPosted(const LineDocument& doc) {
    if (doc.posted)
        throw DocumentError(kPostedDocumentMessage);
}

// The header's NETA flag, set by a product subject to the public-health tax.
void markNeta(Database& db, qint64 document) {
    db.execSql(QStringLiteral("UPDATE szla SET neta='I' WHERE szla=?;"), {document});
}

// A refused save: the message, the row is not written, the totals are
// computed again from what is stored.
void refusedSave(Database& db, Dialogs& dialogs, qint64 document, const QString& reason) {
    dialogs.error(kLineSaveRefused + QLatin1Char('\n') + reason);
    try {
        Database::Transaction tr(db);
        RecomputeTotals(db, document);
        tr.commit();
    } catch (const DbError&) {
        // The message above already tells the user that the engine refuses.
    } catch (const DocumentError&) {
        // Totals out of bounds were stored before; the lines stay as they are.
    }
}

// Writes a line with write() (which returns the line's number), marks the
// document NETA for such a product and sums its totals anew, in one
// transaction; a refused save is reported and leaves the document as it was.
void saveLine(Database& db, Dialogs& dialogs, const LineDocument& doc, const QString& neta, LineEntryResult& result,
              const std::function<int()>& write) {
    try {
        Database::Transaction tr(db);
        const int number = write();
        if (neta == QLatin1String("I")) {
            markNeta(db, doc.key);
            result.setsNeta = true;
        }
        RecomputeTotals(db, doc.key);
        tr.commit();
        result.saved = true;
        result.lineNumber = number;
    } catch (const DbError& e) {
        result.setsNeta = false;
        refusedSave(db, dialogs, doc.key, e.text());
    } catch (const DocumentError& e) {
        result.setsNeta = false;
        refusedSave(db, dialogs, doc.key, e.text());
    }
}

// What a line about to be written cannot hold: its price, quantity and rate,
// its name and its comment.
std::optional<QString> lineProblem(double price, double quantity, double rate, const QString& name,
                                   const QString& comment) {
    if (const auto problem = LineValueProblem(price, quantity, rate))
        return problem;
    if (const auto problem = TextWidthProblem(QStringLiteral("szla_sor"), QStringLiteral("cikkszam_nev"), name,
                                              QStringLiteral("Termék / szolgáltatás neve")))
        return problem;
    return TextWidthProblem(QStringLiteral("szla_sor"), QStringLiteral("megjegyzes"), comment,
                            QStringLiteral("Megjegyzés"));
}

} // namespace

LineDocument LineDocument::load(Database& db, qint64 key) {
    QSqlQuery q = db.select(
        QStringLiteral("SELECT prntip, fa, afas, ugyfel, kedvezmeny, konyvelve FROM szla WHERE szla=?;"),
        {key});
    if (!q.next())
        throw DocumentError(QStringLiteral("Nem létező bizonylat: %1").arg(key));
    LineDocument d;
    d.key = key;
    const QString kind = varText(q.value(0)).trimmed();
    d.kind = kind.isEmpty() ? kKindInvoice : kind.at(0);
    d.reverseCharge = isYes(varText(q.value(1)).trimmed());
    d.vatLiable = varText(q.value(2)).trimmed() != QLatin1String("N");
    d.customer = varInt(q.value(3), -1);
    d.discount = varFloat(q.value(4), 0);
    d.posted = isYes(varText(q.value(5)).trimmed());
    return d;
}

// ---- The rules of the three variants ----------------------------------------

double lineDiscount(LineVariant variant, QChar kind, double documentDiscount) {
    if (variant == LineVariant::Imported || isCounterKind(kind) || kind == kKindAdvance)
        return 0;
    return documentDiscount;
}

double lineRate(LineVariant variant, const LineDocument& doc, const ProductChoiceResult& product) {
    // A reverse-charge document carries no VAT whichever way its lines come.
    if (doc.reverseCharge)
        return 0;
    if (variant == LineVariant::Imported)
        return product.afakulcs;
    if (product.exempt || doc.kind == kKindOther)
        return 0;
    if (variant == LineVariant::New && !doc.vatLiable)
        return 0;
    return product.afakulcs;
}

double lineQuantity(LineVariant variant, QChar kind, const ProductChoiceResult& product, double entered) {
    // The advance is deducted on the final invoice.
    if (variant == LineVariant::New && kind == kKindInvoice && product.isAdvance())
        return -std::fabs(entered);
    return entered;
}

QString lineType(LineVariant variant, const ProductChoiceResult& product) {
    if (variant != LineVariant::Imported && product.isAdvance())
        return QStringLiteral("E");
    return QStringLiteral("N");
}

double listLinePrice(double listNet, QChar kind, double documentDiscount) {
    const double discount = lineDiscount(LineVariant::New, kind, documentDiscount);
    return listNet - listNet * discount / 100.0;
}

LineAmounts lineAmounts(LineVariant variant, double price, double rate, const QString& tmFlag) {
    const bool exempt = tmFlag == QLatin1String("I");
    LineAmounts a;
    a.unit = UnitAmountsFromNet(price, rate);
    a.bands = SplitIntoBands(a.unit, rate, exempt);
    // An exempt product carries its net in tm even outside band 0.
    if (exempt)
        a.bands.tm = price;
    // An imported line fills band 0 only for a product marked "N".
    if (variant == LineVariant::Imported && !exempt && tmFlag != QLatin1String("N"))
        a.bands.netto0 = a.bands.afa0 = a.bands.brutto0 = 0;
    if (variant == LineVariant::Edited) {
        BandAmounts& b = a.bands;
        for (double* v : {&b.netto0, &b.afa0, &b.brutto0, &b.netto12, &b.afa12, &b.brutto12, &b.netto25,
                          &b.afa25, &b.brutto25, &b.tm})
            *v = round2(*v);
    }
    return a;
}

// ---- Totals -------------------------------------------------------------------

DocumentTotals RecomputeTotals(Database& db, qint64 document) {
    DocumentTotals t;
    {
        QSqlQuery q =
            db.select(QStringLiteral("SELECT SUM(netto*db), SUM(afa*db), SUM(brutto*db) FROM szla_sor "
                                     "WHERE szla=?;"),
                      {document});
        if (q.next()) {
            t.netto = varFloat(q.value(0), 0);
            t.afa = varFloat(q.value(1), 0);
            t.brutto = varFloat(q.value(2), 0);
        }
    }
    // A sum a document cannot hold is refused before it is stored.
    if (const auto problem = TotalsProblem(t.netto, t.afa, t.brutto))
        throw DocumentError(*problem);
    db.execSql(QStringLiteral("UPDATE szla SET netto=?, afa=?, brutto=? WHERE szla=?;"),
               {t.netto, t.afa, t.brutto, document});
    return t;
}

// ---- The three variants ---------------------------------------------------------

LineEntryResult EnterNewLine(Database& db, Dialogs& dialogs, LineEntryUi& ui, const Settings& settings,
                             const LineDocument& doc, const QString& currentCode) {
    refuseIfPosted(doc);
    LineEntryResult result;

    // 1. The product: an advance item of the customer on an advance
    // invoice, any product (and the customer's advance items) otherwise.
    LineEntryUi::ChoiceRequest request;
    request.customer = doc.customer;
    request.kind = doc.kind;
    if (doc.kind == kKindAdvance) {
        request.mode = ProductChoiceMode::Advance;
    } else {
        request.mode = ProductChoiceMode::Line;
        request.startCode = currentCode;
    }
    const std::optional<ProductChoiceResult> product = ui.chooseProduct(request);
    if (!product)
        return result;

    // 2. Rate and discount.
    const double rate = lineRate(LineVariant::New, doc, *product);
    const double discount = lineDiscount(LineVariant::New, doc.kind, doc.discount);

    // 4. Quantity, name and comment.
    double quantity = 1;
    QString name = product->cikkszam_nev;
    QString comment;
    if (isCounterKind(doc.kind)) {
        const std::optional<double> typed = dialogs.inputNumber(
            QStringLiteral("Mennyiség"), QStringLiteral("Add meg a mennyiséget (NEGATÍV)"), -1);
        if (!typed)
            return result;
        quantity = *typed;
    } else if (doc.kind != kKindAdvance) {
        const std::optional<NumberAndText> typed = dialogs.inputNumberText(
            QStringLiteral("Mennyiség"), QStringLiteral("Add meg a mennyiséget"),
            QStringLiteral("Termék / szolgáltatás neve"), {1, product->cikkszam_nev, product->cikkszam_nev2},
            QStringLiteral("Megjegyzés"));
        if (!typed)
            return result;
        quantity = typed->number;
        name = typed->text1;
        comment = typed->text2;
    }

    // 5. The price.
    double price = 0;
    if (doc.kind == kKindAdvance) {
        // The advance item's own price, net or gross as the settings say;
        // a gross price is taken as the line's gross, not taxed again.
        price = settings.alapnetto ? product->netto : safeDivide(product->brutto, rate / 100.0 + 1.0);
    } else {
        price = product->netto - product->netto * discount / 100.0;
        if (settings.alaparmodosit) {
            const std::optional<double> edited = ui.editPrice(QStringLiteral("Ár megadás"), price, rate);
            if (!edited)
                return result;
            price = *edited;
        }
    }

    // 7.-9. The line after the last one, with the totals.
    result.made = true;
    const double stored = lineQuantity(LineVariant::New, doc.kind, *product, quantity);
    if (const auto problem = lineProblem(price, stored, rate, name, comment)) {
        refusedSave(db, dialogs, doc.key, *problem);
        return result;
    }
    const LineAmounts amounts = lineAmounts(LineVariant::New, price, rate, product->tm);
    QVariantMap row;
    row[QStringLiteral("szla")] = doc.key;
    row[QStringLiteral("tipus")] = lineType(LineVariant::New, *product);
    row[QStringLiteral("cikkszam")] = product->cikkszam;
    row[QStringLiteral("cikkszam_nev")] = name;
    row[QStringLiteral("afakulcs")] = rate;
    row[QStringLiteral("db")] = stored;
    row[QStringLiteral("mert")] = product->mert;
    row[QStringLiteral("vtsz")] = product->vtsz;
    row[QStringLiteral("eloleg")] = product->eloleg;
    row[QStringLiteral("kozv_szolgaltatas")] = product->kozv_szolgaltatas;
    row[QStringLiteral("kulonb_szer_szab")] = product->kulonb_szer_szab;
    if (!comment.isEmpty())
        row[QStringLiteral("megjegyzes")] = comment;
    putAmounts(row, amounts);
    saveLine(db, dialogs, doc, product->neta, result, [&] {
        const int number =
            int(db.queryInt(QStringLiteral("SELECT MAX(sor) FROM szla_sor WHERE szla=?;"), 0, {doc.key})) + 1;
        row[QStringLiteral("sor")] = number;
        InsertRow(db, QStringLiteral("szla_sor"), row);
        return number;
    });
    return result;
}

LineEntryResult EditLine(Database& db, Dialogs& dialogs, LineEntryUi& ui, const Settings& settings,
                         const LineDocument& doc, int lineNumber) {
    refuseIfPosted(doc);
    LineEntryResult result;
    QVariantMap line;
    {
        QSqlQuery q = db.select(QStringLiteral("SELECT * FROM szla_sor WHERE szla=? AND sor=?;"),
                                {doc.key, lineNumber});
        if (!q.next())
            throw DocumentError(kLineGoneMessage);
        line = RowMap(q);
    }

    LineEntryUi::ChoiceRequest request;
    request.customer = doc.customer;
    request.kind = doc.kind;
    request.startCode = varText(line.value(QStringLiteral("cikkszam")));
    request.mode = doc.kind == kKindAdvance ? ProductChoiceMode::Advance : ProductChoiceMode::Line;
    const std::optional<ProductChoiceResult> product = ui.chooseProduct(request);
    if (!product)
        return result;

    const double rate = lineRate(LineVariant::Edited, doc, *product);
    const double discount = lineDiscount(LineVariant::Edited, doc.kind, doc.discount);

    const std::optional<NumberAndText> typed = dialogs.inputNumberText(
        QStringLiteral("Mennyiség"), QStringLiteral("Add meg a mennyiséget"),
        QStringLiteral("Termék / szolgáltatás neve"),
        {varFloat(line.value(QStringLiteral("db")), 0), product->cikkszam_nev, QString()});
    if (!typed)
        return result;

    double price = product->netto - product->netto * discount / 100.0;
    if (settings.alaparmodosit) {
        const std::optional<double> edited = ui.editPrice(QStringLiteral("Ár"), price, rate);
        if (!edited)
            return result;
        price = *edited;
    }

    result.made = true;
    const double stored = lineQuantity(LineVariant::Edited, doc.kind, *product, typed->number);
    if (const auto problem =
            lineProblem(price, stored, rate, typed->text1, varText(line.value(QStringLiteral("megjegyzes"))))) {
        refusedSave(db, dialogs, doc.key, *problem);
        return result;
    }
    const LineAmounts amounts = lineAmounts(LineVariant::Edited, price, rate, product->tm);
    QVariantMap row;
    row[QStringLiteral("cikkszam")] = product->cikkszam;
    row[QStringLiteral("cikkszam_nev")] = typed->text1;
    row[QStringLiteral("afakulcs")] = rate;
    row[QStringLiteral("db")] = stored;
    row[QStringLiteral("mert")] = product->mert;
    row[QStringLiteral("vtsz")] = product->vtsz;
    row[QStringLiteral("tipus")] = lineType(LineVariant::Edited, *product);
    putAmounts(row, amounts);
    saveLine(db, dialogs, doc, product->neta, result, [&] {
        // The line may have gone while the dialogs were open.
        if (db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor WHERE szla=? AND sor=?;"), 0,
                        {doc.key, lineNumber}) == 0)
            throw DocumentError(kLineGoneMessage);
        UpdateRow(db, QStringLiteral("szla_sor"), row, QStringLiteral("szla=? AND sor=?"),
                  {doc.key, lineNumber});
        return lineNumber;
    });
    return result;
}

bool ImportLine(Database& db, Dialogs& dialogs, const LineDocument& doc, int lineNumber, const QString& code,
                double price, double quantity, const QDate& today, UnitAmounts* written) {
    refuseIfPosted(doc);
    const std::optional<ProductChoiceResult> product = LookupProduct(db, code);
    if (!product) {
        dialogs.error(unknownProductMessage(code));
        return false;
    }
    const double rate = lineRate(LineVariant::Imported, doc, *product);
    if (const auto problem = LineValueProblem(price, quantity, rate))
        throw DocumentError(QStringLiteral("%1 (cikkszám: %2)").arg(*problem, code));
    QVariantMap row;
    row[QStringLiteral("szla")] = doc.key;
    row[QStringLiteral("sor")] = lineNumber;
    row[QStringLiteral("tipus")] = lineType(LineVariant::Imported, *product);
    row[QStringLiteral("cikkszam")] = product->cikkszam;
    row[QStringLiteral("cikkszam_nev")] = product->cikkszam_nev;
    row[QStringLiteral("vtsz")] = product->vtsz;
    row[QStringLiteral("mert")] = product->mert;
    row[QStringLiteral("db")] = lineQuantity(LineVariant::Imported, doc.kind, *product, quantity);
    row[QStringLiteral("afakulcs")] = rate;
    row[QStringLiteral("eloleg")] = product->eloleg;
    row[QStringLiteral("kozv_szolgaltatas")] = product->kozv_szolgaltatas;
    row[QStringLiteral("kulonb_szer_szab")] = product->kulonb_szer_szab;
    row[QStringLiteral("datum")] = today;
    row[QStringLiteral("megjegyzes")] = QString();
    const LineAmounts amounts = lineAmounts(LineVariant::Imported, price, rate, product->tm);
    putAmounts(row, amounts);
    InsertRow(db, QStringLiteral("szla_sor"), row);
    if (written)
        *written = amounts.unit;
    return true;
}

} // namespace orvix
