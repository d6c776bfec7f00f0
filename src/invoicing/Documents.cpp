#include "invoicing/Documents.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/TextUtil.h"
#include "data/Schema.h"
#include "invoicing/RowWriter.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>

namespace orvix {

namespace {

const QString kNumberIndex = QStringLiteral("idx_szla_szlaszam");
// How often a header insert is tried when another writer took the number.
constexpr int kNumberAttempts = 5;

// Which sequence a document belongs to, written as the key expression of the
// unique index so that the engine can answer MAX() from the index.
QString sequenceCondition(QChar kind) {
    return QStringLiteral("(CASE WHEN prntip='P' THEN 1 ELSE 0 END) = %1").arg(kind == kKindProforma ? 1 : 0);
}

QString text(const QVariant& v) {
    return v.isNull() ? QString() : v.toString().trimmed();
}

QDate dateOf(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return QDate::fromString(text(v).left(10), Qt::ISODate);
}

// The value of a field of the query's current row; invalid when the table
// has no such field (an older data folder).
QVariant field(const QSqlQuery& q, const QString& name) {
    const int i = q.record().indexOf(name);
    return i < 0 ? QVariant() : q.value(i);
}

// The current row as field name -> value.
QVariantMap rowMap(const QSqlQuery& q) {
    QVariantMap row;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        row.insert(rec.fieldName(i).toLower(), q.value(i));
    return row;
}

QVariant negated(const QVariant& v) {
    if (v.isNull() || !v.isValid())
        return v;
    return -v.toDouble();
}

// Inserts a header and returns its key. Runs under the write lock, so the
// highest key is the one just given.
qint64 insertHeader(Database& db, const QVariantMap& header) {
    InsertRow(db, QStringLiteral("szla"), header);
    return db.queryInt(QStringLiteral("SELECT MAX(szla) FROM szla;"), 0);
}

// Another writer took the number (only possible where the engine does not
// serialise writers as SQLite does), or the folder stayed locked beyond the
// busy timeout: worth another try with a fresh number.
bool isRetryable(const DbError& e) {
    return e.text().contains(kNumberIndex, Qt::CaseInsensitive) ||
           e.text().contains(QStringLiteral("database is locked"), Qt::CaseInsensitive);
}

// Runs body in a transaction of its own (a savepoint inside a larger one)
// and commits it; a number conflict rolls everything back and runs body again.
template <typename Body> qint64 withNumber(Database& db, Body body) {
    for (int attempt = 1;; ++attempt) {
        try {
            Database::Transaction tr(db);
            const qint64 key = body();
            tr.commit();
            return key;
        } catch (const DbError& e) {
            if (attempt >= kNumberAttempts || !isRetryable(e))
                throw;
        }
    }
}

void checkKind(QChar kind) {
    if (!kind.isLetter() || kind.unicode() > 127)
        throw DocumentError(QStringLiteral("Érvénytelen bizonylatfajta: \"%1\"").arg(kind));
}

// The header of a new document as CreateDocument fills it, without its
// number. Everything that may ask the user happens here, before any lock.
QVariantMap prepareHeader(Database& db, Dialogs& dialogs, const Settings& s, const CurrentUser& user,
                          const NewDocument& doc, const QDate& today) {
    checkKind(doc.kind);
    if (const auto problem = TotalsProblem(doc.net, doc.vat, doc.gross))
        throw DocumentError(*problem);
    if (doc.exchangeRate)
        if (const auto problem = ExchangeRateProblem(*doc.exchangeRate))
            throw DocumentError(*problem);
    if (db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE ugyfel=?;"), 0, {doc.customer}) == 0)
        throw DocumentError(QStringLiteral("Nem létező ügyfél: %1").arg(doc.customer));

    qint64 method =
        db.queryInt(QStringLiteral("SELECT fiztip FROM ugyfel WHERE ugyfel=?;"), 0, {doc.customer});
    if (method <= 0)
        method = s.alapfiztip;
    const PaymentTermsResult terms = PaymentTerms(db, method);

    QVariantMap h;
    h[QStringLiteral("fa")] = yesNo(doc.reverseCharge);
    h[QStringLiteral("prntip")] = QString(doc.kind);
    h[QStringLiteral("dat_kiadva")] = today;
    h[QStringLiteral("dat_szallhat")] = today;
    h[QStringLiteral("fiztip")] = s.alapfiztip;
    h[QStringLiteral("dat_fizhat")] = today.addDays(terms.fizhat);
    h[QStringLiteral("fizetve")] = terms.fizetve;
    h[QStringLiteral("penzforgelsz")] = yesNo(s.penzforgelsz);
    h[QStringLiteral("neta")] = QStringLiteral("N");
    h[QStringLiteral("adoment_hiv")] = QStringLiteral("N");
    h[QStringLiteral("nyomtatva")] = 0;
    h[QStringLiteral("szla_varos")] = s.alapvaros;
    h[QStringLiteral("netto")] = doc.net;
    h[QStringLiteral("afa")] = doc.vat;
    h[QStringLiteral("brutto")] = doc.gross;
    h[QStringLiteral("storno")] = QStringLiteral("N");
    h[QStringLiteral("megjegyzes")] = s.alapmegjegyzes;
    h[QStringLiteral("alkalmazott")] = user.name;
    h[QStringLiteral("konyvelve")] = QStringLiteral("N");
    h[QStringLiteral("ugyfel")] = doc.customer;
    // Not yet sent, no delivery note, no extra delivery address: stated
    // explicitly, as the lists and exports test these fields by value.
    h[QStringLiteral("kuldve")] = false;
    h[QStringLiteral("atadva")] = false;
    h[QStringLiteral("szallev")] = 0;
    h[QStringLiteral("ugyfel_cim")] = -1;

    CopyIssuerSnapshot(db, h);
    h[QStringLiteral("tkata")] = yesNo(s.kata);
    h[QStringLiteral("tegyeni")] = yesNo(s.egyeni);
    h[QStringLiteral("szlabetu")] = s.szlabetu;
    h[QStringLiteral("eredeti")] = -1;
    h[QStringLiteral("eredetistr")] = QString();

    h[QStringLiteral("vantermdij")] = yesNo(s.vantermdij);
    h[QStringLiteral("termdijszoveg")] = s.vantermdij ? s.termdijszoveg : QString();

    FillCustomerData(db, dialogs, s, h, today, doc.exchangeRate);

    // Paid at issue: the amount is settled at posting; otherwise nothing is
    // paid yet.
    h[QStringLiteral("penzfizetve")] =
        isYes(h.value(QStringLiteral("fizetve")).toString()) ? QVariant() : 0.0;

    const QString currency = h.value(QStringLiteral("vat")).toString();
    QString account =
        db.queryText(QStringLiteral("SELECT bankszamla FROM vat WHERE vat=?;"), QString(), {currency})
            .trimmed();
    if (account.isEmpty())
        account = db.queryText(QStringLiteral("SELECT bankszamlaszam FROM tulajdonos;"), QString()).trimmed();
    h[QStringLiteral("tbankszamla")] = account;
    return h;
}

} // namespace

// ---- Numbering -------------------------------------------------------------

qint64 NextDocNumber(Database& db, const Settings& settings, QChar kind) {
    const qint64 last = db.queryInt(
        QStringLiteral("SELECT MAX(szlaszam) FROM szla WHERE %1;").arg(sequenceCondition(kind)), 0);
    const qint64 n = last + 1;
    if (n == 1 && kind == kKindInvoice)
        return std::max(1, settings.indulszla);
    return n;
}

QString DocNumberText(qint64 number, QChar kind, const QString& prefix, const QDate& issued) {
    // A document without a kind letter (damaged data) prints none.
    const QString letter = kind.isNull() ? QString() : QString(kind);
    return prefix.trimmed() + zeroPad(number, 7) + QLatin1Char('-') + letter + QLatin1Char('/') +
           zeroPad(issued.isValid() ? issued.year() : 0, 4);
}

// ---- What a document can hold ------------------------------------------------

namespace {

// 1000000000000 -> "1 000 000 000 000", as the messages show a bound.
QString grouped(double bound) {
    QString digits = QString::number(qint64(bound));
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(' '));
    return digits;
}

// A value as typed back to the user: at most 15 significant digits.
QString shown(double value) {
    return QString::number(value, 'g', 15);
}

std::optional<QString> boundProblem(double value, double bound, const QString& what) {
    if (!std::isfinite(value))
        return QStringLiteral("%1 nem véges szám.").arg(what);
    if (std::fabs(value) > bound)
        return QStringLiteral("%1 (%2) túl nagy: legfeljebb %3 lehet (abszolút értékben).")
            .arg(what, shown(value), grouped(bound));
    return std::nullopt;
}

std::optional<QString> lineValue(double unitGross, double quantity) {
    if (const auto problem = boundProblem(unitGross, kMaxDocumentAmount, QStringLiteral("A bruttó egységár")))
        return problem;
    const double value = unitGross * quantity;
    if (!std::isfinite(value) || std::fabs(value) > kMaxDocumentAmount)
        return QStringLiteral("A tétel értéke (%1 × %2) több, mint amennyit egy bizonylat elbír: "
                              "legfeljebb %3 lehet (abszolút értékben).")
            .arg(shown(unitGross), shown(quantity), grouped(kMaxDocumentAmount));
    return std::nullopt;
}

} // namespace

std::optional<QString> LineValueProblem(double unitNet, double quantity, double rate) {
    if (const auto problem = boundProblem(unitNet, kMaxDocumentAmount, QStringLiteral("Az egységár")))
        return problem;
    if (const auto problem = boundProblem(quantity, kMaxLineQuantity, QStringLiteral("A mennyiség")))
        return problem;
    if (const auto problem = boundProblem(rate, kMaxVatRate, QStringLiteral("Az áfakulcs")))
        return problem;
    return lineValue(UnitAmountsFromNet(unitNet, rate).gross, quantity);
}

std::optional<QString> LineAmountsProblem(double unitNet, double unitVat, double unitGross, double quantity,
                                          double rate) {
    if (const auto problem = LineValueProblem(unitNet, quantity, rate))
        return problem;
    if (const auto problem = boundProblem(unitVat, kMaxDocumentAmount, QStringLiteral("Az egységnyi áfa")))
        return problem;
    return lineValue(unitGross, quantity);
}

std::optional<QString> TotalsProblem(double net, double vat, double gross) {
    for (const auto& [value, what] : {std::pair{net, QStringLiteral("A bizonylat nettó összege")},
                                      std::pair{vat, QStringLiteral("A bizonylat áfája")},
                                      std::pair{gross, QStringLiteral("A bizonylat bruttó összege")}})
        if (const auto problem = boundProblem(value, kMaxDocumentAmount, what))
            return problem;
    return std::nullopt;
}

std::optional<QString> ExchangeRateProblem(double rate) {
    if (!std::isfinite(rate) || rate < 1)
        return QStringLiteral("Érvénytelen árfolyam: legalább 1 lehet.");
    if (rate > kMaxExchangeRate)
        return QStringLiteral("Érvénytelen árfolyam: legfeljebb %1 lehet.").arg(grouped(kMaxExchangeRate));
    return std::nullopt;
}

std::optional<QString> TextWidthProblem(const QString& table, const QString& field, const QString& text,
                                        const QString& caption) {
    const int width = data::fieldWidth(table, field);
    if (width <= 0 || text.size() <= width)
        return std::nullopt;
    return QStringLiteral("A(z) \"%1\" legfeljebb %2 karakter lehet (most %3).")
        .arg(caption)
        .arg(width)
        .arg(text.size());
}

// ---- Amounts and VAT bands -------------------------------------------------

UnitAmounts UnitAmountsFromNet(double net, double rate) {
    return {net, net * rate / 100.0, net * (1.0 + rate / 100.0)};
}

UnitAmounts UnitAmountsFromGross(double gross, double rate) {
    const double factor = 1.0 + rate / 100.0;
    const double net = safeDivide(gross, factor);
    return {net, factor == 0 ? 0.0 : gross * (1.0 - 1.0 / factor), gross};
}

VatBand VatBandOf(double rate) {
    if (!std::isfinite(rate))
        return VatBand::None;
    const double r = std::nearbyint(rate); // the default rounding mode: halves to even
    if (r >= 0 && r <= 9)
        return VatBand::Band0;
    if (r >= 10 && r <= 19)
        return VatBand::Band12;
    if (r >= 20 && r <= 50)
        return VatBand::Band25;
    return VatBand::None;
}

BandAmounts SplitIntoBands(const UnitAmounts& unit, double rate, bool subjectExempt) {
    BandAmounts b;
    switch (VatBandOf(rate)) {
    case VatBand::Band0:
        if (subjectExempt) {
            b.tm = unit.net;
        } else {
            b.netto0 = unit.net;
            b.afa0 = unit.vat;
            b.brutto0 = unit.gross;
        }
        break;
    case VatBand::Band12:
        b.netto12 = unit.net;
        b.afa12 = unit.vat;
        b.brutto12 = unit.gross;
        break;
    case VatBand::Band25:
        b.netto25 = unit.net;
        b.afa25 = unit.vat;
        b.brutto25 = unit.gross;
        break;
    case VatBand::None:
        break;
    }
    return b;
}

// ---- Payment terms, exchange rate, customer data ---------------------------

PaymentTermsResult PaymentTerms(Database& db, qint64 fiztip) {
    PaymentTermsResult terms;
    QSqlQuery q = db.select(QStringLiteral("SELECT fizetve, fizhat FROM fiztip WHERE fiztip=?;"), {fiztip});
    if (!q.next())
        return terms;
    terms.found = true;
    terms.fizetve = yesNo(isYes(text(q.value(0))));
    terms.fizhat = int(varInt(q.value(1), 0));
    return terms;
}

double AskExchangeRate(Database& db, Dialogs& dialogs, const QString& currency, const QDate& today) {
    const QString code = currency.trimmed();
    if (code.isEmpty() || code == kHomeCurrency)
        return 1;
    // The rate of today's latest document in this currency; a stored 1 is no
    // rate (it is what a cancelled prompt leaves).
    const double stored =
        db.queryFloat(QStringLiteral("SELECT arfolyam FROM szla WHERE dat_kiadva=? AND vat=? "
                                     "AND arfolyam > 1 ORDER BY szla DESC;"),
                      1, {today.toString(Qt::ISODate), code});
    if (stored != 1)
        return stored;
    for (;;) {
        const std::optional<double> typed =
            dialogs.inputNumber(QStringLiteral("Árfolyam"),
                                QStringLiteral("Add meg az árfolyamot (") + code + QLatin1Char(')'), 1);
        if (!typed)
            return 1;
        const std::optional<QString> problem = ExchangeRateProblem(*typed);
        if (!problem)
            return *typed;
        // Posting refuses such a rate; better say so now.
        dialogs.error(*problem);
    }
}

void CopyIssuerSnapshot(Database& db, QVariantMap& header) {
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM tulajdonos;"));
    if (!q.next())
        return;
    static const char* const snapshot[][2] = {
        {"tulajdonos", "tulajdonos"},  {"tirsz", "irsz"},
        {"tvaros", "varos"},           {"tcim", "cim"},
        {"tadoszam", "adoszam"},       {"tbank", "bankszamlaszam"},
        {"tkozadoszam", "kozadoszam"}, {"tkerulet", "kerulet"},
        {"tkozterulet", "kozterulet"}, {"thazszam", "hazszam"},
        {"tepulet", "epulet"},         {"tlepcsohaz", "lepcsohaz"},
        {"tszint", "szint"},           {"tajto", "ajto"},
        {"tvallig", "vallig"},         {"tvallignev", "vallignev"}};
    for (const auto& pair : snapshot)
        header[QLatin1String(pair[0])] = text(field(q, QLatin1String(pair[1])));
}

void FillCustomerData(Database& db, Dialogs& dialogs, const Settings& settings, QVariantMap& header,
                      const QDate& today, std::optional<double> exchangeRate) {
    const qint64 customer = varInt(header.value(QStringLiteral("ugyfel")), 0);
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM ugyfel WHERE ugyfel=?;"), {customer});
    if (!q.next())
        throw DocumentError(QStringLiteral("Nem létező ügyfél: %1").arg(customer));

    static const char* const copied[] = {"ugyfel_nev",      "szla_irsz",    "szla_cim",    "szla_varos",
                                         "adoszam",         "bankszamla",   "kozadoszam",  "szla_kerulet",
                                         "szla_kozterulet", "szla_hazszam", "szla_epulet", "szla_lepcsohaz",
                                         "szla_szint",      "szla_ajto"};
    for (const char* name : copied)
        header[QLatin1String(name)] = text(field(q, QLatin1String(name)));
    header[QStringLiteral("kedvezmeny")] = varFloat(field(q, QStringLiteral("kedvezmeny")), 0);
    QString currency = text(field(q, QStringLiteral("vat")));
    if (currency.isEmpty())
        currency = kHomeCurrency;
    header[QStringLiteral("vat")] = currency;
    QString vatLiable = text(field(q, QStringLiteral("afas")));
    if (vatLiable.isEmpty())
        vatLiable = QStringLiteral("I");
    header[QStringLiteral("afas")] = vatLiable;
    qint64 method = varInt(field(q, QStringLiteral("fiztip")), 0);
    q.finish();

    header[QStringLiteral("arfolyam")] =
        currency == kHomeCurrency
            ? 1.0
            : (exchangeRate ? *exchangeRate : AskExchangeRate(db, dialogs, currency, today));

    if (method <= 0)
        method = settings.alapfiztip;
    header[QStringLiteral("fiztip")] = method;
    // The name of the method actually set (also when it is the default one).
    header[QStringLiteral("fiztip_nev")] =
        db.queryText(QStringLiteral("SELECT fiztip_nev FROM fiztip WHERE fiztip=?;"), QString(), {method})
            .trimmed();
    const PaymentTermsResult terms = PaymentTerms(db, method);
    header[QStringLiteral("fizetve")] = terms.fizetve;
    header[QStringLiteral("dat_szallhat")] = settings.teljkiad ? today : today.addDays(terms.fizhat);
    header[QStringLiteral("dat_fizhat")] = today.addDays(terms.fizhat);
}

// ---- Creating documents ----------------------------------------------------

qint64 CreateDocument(Database& db, Dialogs& dialogs, const Settings& settings, const CurrentUser& user,
                      const NewDocument& doc, const QDate& today) {
    QVariantMap header = prepareHeader(db, dialogs, settings, user, doc, today);
    return withNumber(db, [&] {
        header[QStringLiteral("szlaszam")] = NextDocNumber(db, settings, doc.kind);
        return insertHeader(db, header);
    });
}

qint64 CreateDocumentWithLines(Database& db, Dialogs& dialogs, const Settings& settings,
                               const CurrentUser& user, const NewDocument& doc,
                               const std::vector<DocumentLine>& lines, const QDate& today) {
    NewDocument withTotals = doc;
    withTotals.net = withTotals.vat = withTotals.gross = 0;
    for (const DocumentLine& line : lines)
        if (const auto problem =
                LineAmountsProblem(line.unitNet, line.unitVat, line.unitGross, line.quantity, line.vatRate))
            throw DocumentError(*problem);
    for (const DocumentLine& line : lines) {
        withTotals.net += line.unitNet * line.quantity;
        withTotals.vat += line.unitVat * line.quantity;
        withTotals.gross += line.unitGross * line.quantity;
    }
    QVariantMap header = prepareHeader(db, dialogs, settings, user, withTotals, today);
    return withNumber(db, [&] {
        header[QStringLiteral("szlaszam")] = NextDocNumber(db, settings, doc.kind);
        const qint64 key = insertHeader(db, header);
        for (const DocumentLine& line : lines)
            AddDocumentLine(db, key, line, today);
        return key;
    });
}

void AddDocumentLine(Database& db, qint64 document, const DocumentLine& line, const QDate& today) {
    if (const auto problem =
            LineAmountsProblem(line.unitNet, line.unitVat, line.unitGross, line.quantity, line.vatRate))
        throw DocumentError(*problem);
    {
        QSqlQuery q = db.select(QStringLiteral("SELECT konyvelve FROM szla WHERE szla=?;"), {document});
        if (!q.next())
            throw DocumentError(QStringLiteral("Nem létező bizonylat: %1").arg(document));
        if (isYes(text(q.value(0))))
            throw DocumentError(QStringLiteral("Könyvelt bizonylat nem módosítható."));
    }

    QVariantMap row;
    row[QStringLiteral("szla")] = document;
    row[QStringLiteral("sor")] = line.lineNumber;
    row[QStringLiteral("tipus")] = QStringLiteral("N");
    row[QStringLiteral("cikkszam")] = line.productCode;
    // The product's own data; a code that is no product leaves them empty.
    if (!line.productCode.isEmpty()) {
        QSqlQuery q =
            db.select(QStringLiteral("SELECT * FROM cikkszam WHERE cikkszam=?;"), {line.productCode});
        if (q.next()) {
            for (const char* name : {"cikkszam_nev", "vtsz", "mert", "eloleg", "kozv_szolgaltatas"})
                row[QLatin1String(name)] = text(field(q, QLatin1String(name)));
            row[QStringLiteral("kulonb_szer_szab")] = varInt(field(q, QStringLiteral("kulonb_szer_szab")), 0);
        }
    }
    row[QStringLiteral("megjegyzes")] = line.note;
    row[QStringLiteral("db")] = line.quantity;
    row[QStringLiteral("afakulcs")] = line.vatRate;
    row[QStringLiteral("egysar")] = line.unitNet;
    row[QStringLiteral("netto")] = line.unitNet;
    row[QStringLiteral("afa")] = line.unitVat;
    row[QStringLiteral("brutto")] = line.unitGross;
    const BandAmounts b =
        SplitIntoBands({line.unitNet, line.unitVat, line.unitGross}, line.vatRate, line.subjectExempt);
    row[QStringLiteral("netto0")] = b.netto0;
    row[QStringLiteral("afa0")] = b.afa0;
    row[QStringLiteral("brutto0")] = b.brutto0;
    row[QStringLiteral("netto12")] = b.netto12;
    row[QStringLiteral("afa12")] = b.afa12;
    row[QStringLiteral("brutto12")] = b.brutto12;
    row[QStringLiteral("netto25")] = b.netto25;
    row[QStringLiteral("afa25")] = b.afa25;
    row[QStringLiteral("brutto25")] = b.brutto25;
    row[QStringLiteral("tm")] = b.tm;
    row[QStringLiteral("datum")] = today;
    InsertRow(db, QStringLiteral("szla_sor"), row);
}

qint64 CopyAsCounterDocument(Database& db, const Settings& settings, const CurrentUser& user, qint64 source,
                             QChar kind, const QDate& today) {
    if (kind != kKindCreditNote && kind != kKindCancelling)
        throw DocumentError(
            QStringLiteral("Ellenbizonylat csak helyesbítő (J) vagy érvénytelenítő (W) bizonylat "
                           "lehet, nem \"%1\".")
                .arg(kind));
    return withNumber(db, [&] {
        QVariantMap h;
        {
            QSqlQuery q = db.select(QStringLiteral("SELECT * FROM szla WHERE szla=?;"), {source});
            if (!q.next())
                throw DocumentError(QStringLiteral("Nem létező bizonylat: %1").arg(source));
            h = rowMap(q);
        }
        h.remove(QStringLiteral("szla"));
        const QString sourceKind = text(h.value(QStringLiteral("prntip")));
        // A document is cancelled once. Checked under the write lock, so
        // that two workstations cannot both cancel it.
        if (kind == kKindCancelling) {
            if (sourceKind == QString(kKindCancelling))
                throw DocumentError(kCancelCancellingMessage);
            if (isYes(text(h.value(QStringLiteral("storno")))) ||
                db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE eredeti=? AND prntip=?;"), 0,
                            {source, QString(kKindCancelling)}) > 0)
                throw DocumentError(kAlreadyCancelledMessage);
        }
        const QString sourceNumber = DocNumberText(
            varInt(h.value(QStringLiteral("szlaszam")), 0), sourceKind.isEmpty() ? QChar() : sourceKind.at(0),
            text(h.value(QStringLiteral("szlabetu"))), dateOf(h.value(QStringLiteral("dat_kiadva"))));

        h[QStringLiteral("storno")] = QStringLiteral("N");
        h[QStringLiteral("prntip")] = QString(kind);
        h[QStringLiteral("szlaszam")] = NextDocNumber(db, settings, kind);
        h[QStringLiteral("dat_kiadva")] = today;
        h[QStringLiteral("eredeti")] = source;
        h[QStringLiteral("eredetistr")] = sourceNumber;
        h[QStringLiteral("dat_fizhat")] = today;
        h[QStringLiteral("nyomtatva")] = 0;
        h[QStringLiteral("konyvelve")] = QStringLiteral("N");
        // The copy's own history: made by the current user, not posted, not
        // sent nor handed to the accounting program yet.
        h[QStringLiteral("alkalmazott")] = user.name;
        h[QStringLiteral("felhasznalo")] = QVariant();
        h[QStringLiteral("kuldve")] = false;
        h[QStringLiteral("atadva")] = false;
        // Every amount of the header follows the negated lines, the band sums
        // and the exempt and rounding amounts too.
        for (const char* name : {"netto", "afa", "brutto", "netto0", "afa0", "netto1", "afa1", "netto2",
                                 "afa2", "tm", "kerek"}) {
            const QString key = QLatin1String(name);
            if (h.contains(key))
                h[key] = negated(h.value(key));
        }
        const qint64 key = insertHeader(db, h);

        std::vector<QVariantMap> lines;
        {
            QSqlQuery q =
                db.select(QStringLiteral("SELECT * FROM szla_sor WHERE szla=? ORDER BY sor;"), {source});
            while (q.next())
                lines.push_back(rowMap(q));
        }
        for (QVariantMap& line : lines) {
            line[QStringLiteral("szla")] = key;
            line[QStringLiteral("db")] = negated(line.value(QStringLiteral("db")));
            InsertRow(db, QStringLiteral("szla_sor"), line);
        }
        if (kind == kKindCancelling)
            db.execSql(QStringLiteral("UPDATE szla SET storno='I' WHERE szla=?;"), {source});
        return key;
    });
}

// ---- Small look-ups ---------------------------------------------------------

QString AddressLine(const QString& postalCode, const QString& city, const QString& district,
                    const QString& street, const QString& publicSpaceType, const QString& houseNumber,
                    const QString& building, const QString& staircase, const QString& floor,
                    const QString& door) {
    // Fixed-width fields of older folders come with trailing blanks.
    const QString code = postalCode.trimmed();
    const QString town = city.trimmed();
    const QString part = district.trimmed();
    QString line = code;
    if (!code.isEmpty())
        line += QLatin1Char(' ');
    line += town;
    if (!town.isEmpty())
        line += QLatin1Char(' ');
    line += part;
    if (!town.isEmpty() || !part.isEmpty())
        line += QStringLiteral(", ");
    for (const QString& p : {street, publicSpaceType, houseNumber, building, staircase, floor}) {
        const QString t = p.trimmed();
        if (!t.isEmpty())
            line += t + QLatin1Char(' ');
    }
    line += door.trimmed();
    return line;
}

qint64 NextDeliveryNoteNumber(Database& db) {
    return db.queryInt(QStringLiteral("SELECT MAX(szallev) FROM szla;"), 0) + 1;
}

QString CustomerEmail(Database& db, qint64 customer) {
    return db.queryText(QStringLiteral("SELECT emil FROM ugyfel WHERE ugyfel=?;"), QString(), {customer})
        .trimmed();
}

bool IsEdiCustomer(Database& db, qint64 document) {
    return isYes(db.queryText(QStringLiteral("SELECT ugyfel.edi FROM szla INNER JOIN ugyfel ON "
                                             "ugyfel.ugyfel = szla.ugyfel WHERE szla.szla=?;"),
                              QString(), {document})
                     .trimmed());
}

// ---- Reverse charge ----------------------------------------------------------

std::optional<bool> ChooseReverseCharge(const Settings& settings, ReverseChargeChooser& chooser) {
    if (!settings.vanfa)
        return false;
    return chooser.chooseReverseCharge();
}

} // namespace orvix
