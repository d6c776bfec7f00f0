#include "invoicing/Editor.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/TextUtil.h"
#include "invoicing/RowWriter.h"
#include "masters/Customers.h"

#include <QHash>
#include <QSqlQuery>

#include <cmath>

namespace orvix {

namespace {

constexpr int kNumberAttempts = 5;

// Another writer took the number, or the folder stayed locked beyond the
// busy timeout: worth another try with a fresh number.
bool isRetryable(const DbError& e) {
    return e.text().contains(QStringLiteral("idx_szla_szlaszam"), Qt::CaseInsensitive) ||
           e.text().contains(QStringLiteral("database is locked"), Qt::CaseInsensitive);
}

// The captions of the header fields in the editor, for the messages.
QString captionOf(const QString& field) {
    static const QHash<QString, QString> captions = {
        {QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél")},
        {QStringLiteral("fiztip_nev"), QStringLiteral("fizetés módja")},
        {QStringLiteral("megjegyzes"), QStringLiteral("megjegyzés")},
        {QStringLiteral("bizonylat"), QStringLiteral("bizonylat")},
        {QStringLiteral("adoszam"), QStringLiteral("adószám")},
        {QStringLiteral("bankszamla"), QStringLiteral("bankszámla")},
        {QStringLiteral("mozgaz"), QStringLiteral("hivatkozás")},
        {QStringLiteral("kedvezmeny"), QStringLiteral("kedv.%")},
        {QStringLiteral("honap"), QStringLiteral("hónap (fizetési időszak)")},
        {QStringLiteral("vat"), QStringLiteral("devizanem")},
        {QStringLiteral("arfolyam"), QStringLiteral("árfolyam")},
        {QStringLiteral("tbankszamla"), QStringLiteral("saját bankszámla")},
        {QStringLiteral("szla_irsz"), QStringLiteral("irsz")},
        {QStringLiteral("szla_varos"), QStringLiteral("város")},
        {QStringLiteral("szla_cim"), QStringLiteral("közterület")},
        {QStringLiteral("szla_kozterulet"), QStringLiteral("közter.jellege")},
        {QStringLiteral("szla_kerulet"), QStringLiteral("kerület")},
        {QStringLiteral("szla_hazszam"), QStringLiteral("házszám")},
        {QStringLiteral("szla_epulet"), QStringLiteral("Épület")},
        {QStringLiteral("szla_lepcsohaz"), QStringLiteral("Lépcsőház")},
        {QStringLiteral("szla_szint"), QStringLiteral("Szint")},
        {QStringLiteral("szla_ajto"), QStringLiteral("Ajtó")},
        {QStringLiteral("eredetistr"), QStringLiteral("Eredeti bizonylat hivatkozás")},
        {QStringLiteral("dat_szallhat"), QStringLiteral("teljesülés")},
        {QStringLiteral("dat_fizhat"), QStringLiteral("fizetési határidő")}};
    return captions.value(field, field);
}

QString valueText(const QVariant& v) {
    return v.isNull() || !v.isValid() ? QString() : v.toString();
}

} // namespace

// ---- New documents --------------------------------------------------------------

qint64 CreateEditorDocument(Database& db, Dialogs& dialogs, const Settings& s, const CurrentUser& user,
                            QChar kind, qint64 customer, bool reverseCharge, const QDate& today) {
    if (!kind.isLetter() || kind.unicode() > 127)
        throw DocumentError(QStringLiteral("Érvénytelen bizonylatfajta: \"%1\"").arg(kind));
    QVariantMap h;
    h[QStringLiteral("vantermdij")] = yesNo(s.vantermdij);
    h[QStringLiteral("termdijszoveg")] = s.vantermdij ? s.termdijszoveg : QString();
    h[QStringLiteral("fa")] = yesNo(reverseCharge);
    h[QStringLiteral("prntip")] = QString(kind);
    h[QStringLiteral("dat_kiadva")] = today;
    h[QStringLiteral("dat_szallhat")] = today;

    // The default payment method; before a customer is known an unknown
    // method counts as not paid.
    h[QStringLiteral("fiztip")] = s.alapfiztip;
    int days = 0;
    QString paid = QStringLiteral("N");
    {
        QSqlQuery q = db.select(
            QStringLiteral("SELECT fizhat, fizetve, fiztip_nev FROM fiztip WHERE fiztip=?;"), {s.alapfiztip});
        if (q.next()) {
            days = int(varInt(q.value(0), 0));
            paid = yesNo(isYes(varText(q.value(1)).trimmed()));
            h[QStringLiteral("fiztip_nev")] = varText(q.value(2)).trimmed();
        }
    }
    h[QStringLiteral("dat_fizhat")] = today.addDays(days);
    h[QStringLiteral("fizetve")] = paid;

    h[QStringLiteral("nyomtatva")] = 0;
    h[QStringLiteral("szla_varos")] = s.alapvaros;
    h[QStringLiteral("netto")] = 0.0;
    h[QStringLiteral("afa")] = 0.0;
    h[QStringLiteral("brutto")] = 0.0;
    h[QStringLiteral("storno")] = QStringLiteral("N");
    h[QStringLiteral("megjegyzes")] = s.alapmegjegyzes;
    h[QStringLiteral("alkalmazott")] = user.name;
    h[QStringLiteral("konyvelve")] = QStringLiteral("N");
    CopyIssuerSnapshot(db, h);
    h[QStringLiteral("tkata")] = yesNo(s.kata);
    h[QStringLiteral("tegyeni")] = yesNo(s.egyeni);
    h[QStringLiteral("szlabetu")] = s.szlabetu;
    h[QStringLiteral("eredeti")] = -1;
    h[QStringLiteral("eredetistr")] = QString();
    h[QStringLiteral("neta")] = QStringLiteral("N");
    h[QStringLiteral("penzforgelsz")] = yesNo(s.penzforgelsz);
    h[QStringLiteral("adoment_hiv")] = QStringLiteral("N");
    // Not sent, no delivery note, no further delivery address; a forint
    // document of a VAT-liable customer until a customer says otherwise.
    h[QStringLiteral("kuldve")] = false;
    h[QStringLiteral("atadva")] = false;
    h[QStringLiteral("szallev")] = 0;
    h[QStringLiteral("ugyfel_cim")] = -1;
    h[QStringLiteral("ugyfel")] = 0;
    h[QStringLiteral("vat")] = kHomeCurrency;
    h[QStringLiteral("arfolyam")] = 1.0;
    h[QStringLiteral("afas")] = QStringLiteral("I");
    h[QStringLiteral("kedvezmeny")] = 0.0;

    if (customer > 0) {
        h[QStringLiteral("ugyfel")] = customer;
        FillCustomerData(db, dialogs, s, h, today);
    }
    // Paid at issue: settled at posting; otherwise nothing is paid yet.
    h[QStringLiteral("penzfizetve")] =
        isYes(h.value(QStringLiteral("fizetve")).toString()) ? QVariant() : 0.0;
    const QString currency = h.value(QStringLiteral("vat")).toString().trimmed();
    QString account = db.queryText(QStringLiteral("SELECT bankszamla FROM vat WHERE vat=?;"), QString(),
                                   {currency.isEmpty() ? kHomeCurrency : currency})
                          .trimmed();
    if (account.isEmpty())
        account = db.queryText(QStringLiteral("SELECT bankszamlaszam FROM tulajdonos;"), QString()).trimmed();
    h[QStringLiteral("tbankszamla")] = account;

    for (int attempt = 1;; ++attempt) {
        try {
            Database::Transaction tr(db);
            h[QStringLiteral("szlaszam")] = NextDocNumber(db, s, kind);
            InsertRow(db, QStringLiteral("szla"), h);
            // Under the write lock the highest key is the one just given.
            const qint64 key = db.queryInt(QStringLiteral("SELECT MAX(szla) FROM szla;"), 0);
            tr.commit();
            return key;
        } catch (const DbError& e) {
            if (attempt >= kNumberAttempts || !isRetryable(e))
                throw;
        }
    }
}

// ---- Checks before posting ---------------------------------------------------------

std::optional<QString> PostingHeaderProblem(double exchangeRate, const QString& currency, QChar kind,
                                            const QString& originalReference) {
    if (!(exchangeRate >= 1))
        return kInvalidRateMessage;
    const QString code = currency.trimmed().isEmpty() ? kHomeCurrency : currency.trimmed();
    if (exchangeRate == 1 && code != kHomeCurrency)
        return kInvalidRateOrCurrencyMessage;
    if (kind != kKindInvoice && originalReference.trimmed().isEmpty())
        return kOriginalRequiredMessage;
    return std::nullopt;
}

// ---- The editor -------------------------------------------------------------------------

InvoiceEditor::InvoiceEditor(Database& db, Dialogs& dialogs, const Settings& settings,
                             const CurrentUser& user)
    : m_db(db), m_dialogs(dialogs), m_settings(settings), m_user(user) {}

void InvoiceEditor::open(qint64 key) {
    m_key = key;
    reload();
}

void InvoiceEditor::reload() {
    loadHeader();
    loadLines();
}

void InvoiceEditor::loadHeader() {
    QSqlQuery q = m_db.select(QStringLiteral("SELECT * FROM szla WHERE szla=?;"), {m_key});
    if (!q.next())
        throw DocumentError(QStringLiteral("Nem létező bizonylat: %1").arg(m_key));
    m_stored = RowMap(q);
    q.finish();
    m_header = m_stored;
    m_dirty.clear();
    const QString kind = text(QStringLiteral("prntip"));
    m_kind = kind.isEmpty() ? kKindInvoice : kind.at(0);
    m_reverseCharge = text(QStringLiteral("fa")) == QLatin1String("I");
    m_kindName = m_db.queryText(QStringLiteral("SELECT prntip_nev FROM prntip WHERE prntip=?;"), QString(),
                                {QString(m_kind)})
                     .trimmed();
}

void InvoiceEditor::loadLines() {
    m_lines.clear();
    QSqlQuery q =
        m_db.select(QStringLiteral("SELECT sor, cikkszam, cikkszam_nev, megjegyzes, mert, tipus, afakulcs, "
                                   "db, egysar, netto, afa, brutto FROM szla_sor WHERE szla=? "
                                   "ORDER BY szla, sor;"),
                    {m_key});
    while (q.next()) {
        EditorLine l;
        l.sor = int(varInt(q.value(0)));
        l.cikkszam = varText(q.value(1));
        l.name = varText(q.value(2)).trimmed();
        l.megjegyzes = varText(q.value(3));
        l.mert = varText(q.value(4)).trimmed();
        l.tipus = varText(q.value(5)).trimmed();
        l.afakulcs = varFloat(q.value(6));
        l.db = varFloat(q.value(7));
        l.egysar = varFloat(q.value(8));
        l.netto = varFloat(q.value(9));
        l.afa = varFloat(q.value(10));
        l.brutto = varFloat(q.value(11));
        m_lines.push_back(l);
    }
}

bool InvoiceEditor::posted() const {
    return valueText(m_stored.value(QStringLiteral("konyvelve"))).trimmed() == QLatin1String("I");
}

QString InvoiceEditor::text(const QString& field) const {
    return valueText(m_header.value(field)).trimmed();
}

double InvoiceEditor::number(const QString& field) const {
    return varFloat(m_header.value(field), 0);
}

QDate InvoiceEditor::date(const QString& field) const {
    const QVariant v = m_header.value(field);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return QDate::fromString(valueText(v).left(10), Qt::ISODate);
}

void InvoiceEditor::setValue(const QString& field, const QVariant& value) {
    if (posted() || m_key < 0)
        return;
    const QVariant stored = StoredValue(value);
    const QVariant old = m_header.value(field);
    if (old.isValid() && valueText(old) == valueText(stored) && old.isNull() == stored.isNull())
        return;
    m_header[field] = stored;
    m_dirty.insert(field);
}

std::optional<QString> InvoiceEditor::invalidValue(const QString& field, QVariant& value) const {
    const FieldInfo info = m_db.fieldInfo(QStringLiteral("szla"), field);
    if (!info.valid())
        return std::nullopt;
    const QString type = info.type.toUpper();
    if (type == QLatin1String("CHAR") || type == QLatin1String("VARCHAR")) {
        const QString t = valueText(value);
        if (field == QLatin1String("mozgaz") && t.count(QLatin1Char('\n')) > 2)
            return QStringLiteral("A hivatkozás legfeljebb három sor lehet.");
        if (info.width > 0 && t.size() > info.width)
            return QStringLiteral("A(z) \"%1\" mező legfeljebb %2 karakter lehet.")
                .arg(captionOf(field))
                .arg(info.width);
        return std::nullopt;
    }
    if (type == QLatin1String("FLOAT") || type == QLatin1String("INT") || type == QLatin1String("SMALLINT")) {
        if (value.isNull() || value.typeId() != QMetaType::QString)
            return std::nullopt;
        const QString t = value.toString().trimmed();
        if (t.isEmpty()) {
            value = 0;
            return std::nullopt;
        }
        const std::optional<double> n = tryParseNumber(t);
        if (!n || !std::isfinite(*n))
            return QStringLiteral("A(z) \"%1\" mező értéke nem szám: %2").arg(captionOf(field), t);
        // Only what a document can hold: a discount is a percentage, a rate
        // at most kMaxExchangeRate (below 1 posting refuses it), any other
        // number an amount.
        if (field == QLatin1String("kedvezmeny") && (*n < 0 || *n > 100))
            return QStringLiteral("A(z) \"%1\" mező értéke 0 és 100 között lehet.").arg(captionOf(field));
        if (field == QLatin1String("arfolyam") && std::fabs(*n) > kMaxExchangeRate)
            return *ExchangeRateProblem(*n);
        if (std::fabs(*n) > kMaxDocumentAmount)
            return QStringLiteral("A(z) \"%1\" mező értéke túl nagy: %2").arg(captionOf(field), t);
        value = *n;
        return std::nullopt;
    }
    if (type == QLatin1String("DATE")) {
        const QString t = valueText(value);
        if (!t.isEmpty() && !QDate::fromString(t.left(10), Qt::ISODate).isValid())
            return QStringLiteral("A(z) \"%1\" mező értéke nem dátum: %2").arg(captionOf(field), t);
    }
    return std::nullopt;
}

bool InvoiceEditor::saveHeader(bool requireCustomer) {
    if (m_key < 0 || posted())
        return true;
    if (requireCustomer && text(QStringLiteral("ugyfel_nev")).isEmpty()) {
        m_dialogs.error(kCustomerRequiredMessage);
        return false;
    }
    if (m_dirty.isEmpty())
        return true;
    QVariantMap values;
    for (const QString& field : m_dirty) {
        QVariant v = m_header.value(field);
        if (const std::optional<QString> problem = invalidValue(field, v)) {
            m_dialogs.error(kHeaderSaveRefused + QLatin1Char('\n') + *problem);
            return false;
        }
        values.insert(field, v);
    }
    try {
        Database::Transaction tr(m_db);
        UpdateRow(m_db, QStringLiteral("szla"), values, QStringLiteral("szla=?"), {m_key});
        tr.commit();
    } catch (const DbError& e) {
        m_dialogs.error(kHeaderSaveRefused + QLatin1Char('\n') + e.text());
        return false;
    }
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        m_header[it.key()] = it.value();
        m_stored[it.key()] = it.value();
    }
    m_dirty.clear();
    if (onSaved)
        onSaved(m_key);
    return true;
}

// ---- Header buttons ----

bool InvoiceEditor::setCustomer(qint64 customer) {
    if (posted())
        return false;
    const qint64 previous = varInt(m_header.value(QStringLiteral("ugyfel")), 0);
    QVariantMap filled = m_header;
    filled[QStringLiteral("ugyfel")] = customer;
    try {
        FillCustomerData(m_db, m_dialogs, m_settings, filled, QDate::currentDate());
    } catch (const DocumentError& e) {
        m_dialogs.error(e.text());
        return false;
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
        return false;
    }
    for (auto it = filled.cbegin(); it != filled.cend(); ++it)
        setValue(it.key(), it.value());
    // A delivery address of the previous customer is not this one's.
    if (customer != previous)
        setValue(QStringLiteral("ugyfel_cim"), -1);
    return true;
}

void InvoiceEditor::setPaymentMethod(qint64 fiztip, const QDate& today) {
    if (posted())
        return;
    const PaymentTermsResult terms = PaymentTerms(m_db, fiztip);
    setValue(QStringLiteral("fiztip"), fiztip);
    setValue(
        QStringLiteral("fiztip_nev"),
        m_db.queryText(QStringLiteral("SELECT fiztip_nev FROM fiztip WHERE fiztip=?;"), QString(), {fiztip})
            .trimmed());
    const QString paid = terms.found ? terms.fizetve : QStringLiteral("N");
    setValue(QStringLiteral("fizetve"), paid);
    setValue(QStringLiteral("dat_fizetve"), isYes(paid) ? QVariant(today) : QVariant());
    setValue(QStringLiteral("dat_fizhat"), today.addDays(terms.fizhat));
    setValue(QStringLiteral("dat_szallhat"), m_settings.teljkiad ? today : today.addDays(terms.fizhat));
}

void InvoiceEditor::setDeliveryAddress(qint64 address) {
    setValue(QStringLiteral("ugyfel_cim"), address);
}

QString InvoiceEditor::deliveryAddressName() const {
    const qint64 address = varInt(m_header.value(QStringLiteral("ugyfel_cim")), -1);
    if (address <= 0)
        return QString();
    try {
        return orvix::deliveryAddressName(m_db, address);
    } catch (const DbError&) {
        return QString();
    }
}

bool InvoiceEditor::generateDeliveryNoteNumber() {
    if (posted() || m_key < 0)
        return false;
    try {
        Database::Transaction tr(m_db);
        const qint64 number = NextDeliveryNoteNumber(m_db);
        m_db.execSql(QStringLiteral("UPDATE szla SET szallev=? WHERE szla=?;"), {number, m_key});
        tr.commit();
        m_header[QStringLiteral("szallev")] = number;
        m_stored[QStringLiteral("szallev")] = number;
        m_dirty.remove(QStringLiteral("szallev"));
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
        return false;
    }
    if (onSaved)
        onSaved(m_key);
    return true;
}

// ---- Lines ----

int InvoiceEditor::indexOfLine(int sor) const {
    for (int i = 0; i < lineCount(); ++i)
        if (m_lines[size_t(i)].sor == sor)
            return i;
    return -1;
}

LineDocument InvoiceEditor::lineDocument() const {
    LineDocument d;
    d.key = m_key;
    d.kind = m_kind;
    d.reverseCharge = valueText(m_stored.value(QStringLiteral("fa"))).trimmed() == QLatin1String("I");
    d.vatLiable = valueText(m_stored.value(QStringLiteral("afas"))).trimmed() != QLatin1String("N");
    d.customer = varInt(m_stored.value(QStringLiteral("ugyfel")), -1);
    d.discount = varFloat(m_stored.value(QStringLiteral("kedvezmeny")), 0);
    d.posted = posted();
    return d;
}

void InvoiceEditor::storeTotals() {
    QSqlQuery q =
        m_db.select(QStringLiteral("SELECT netto, afa, brutto, neta FROM szla WHERE szla=?;"), {m_key});
    if (!q.next())
        return;
    for (int i = 0; i < 4; ++i) {
        const QString field = QStringList{QStringLiteral("netto"), QStringLiteral("afa"),
                                          QStringLiteral("brutto"), QStringLiteral("neta")}
                                  .at(i);
        // The line actions wrote these; a value typed meanwhile stays pending.
        m_stored[field] = q.value(i);
        if (!m_dirty.contains(field))
            m_header[field] = q.value(i);
    }
}

void InvoiceEditor::afterLineChange(bool setsNeta) {
    if (setsNeta)
        m_dirty.remove(QStringLiteral("neta"));
    storeTotals();
    loadLines();
}

std::optional<int> InvoiceEditor::addLines(LineEntryUi& ui, int currentIndex) {
    if (posted() || !saveHeader())
        return std::nullopt;
    std::optional<int> last;
    QString currentCode =
        currentIndex >= 0 && currentIndex < lineCount() ? m_lines[size_t(currentIndex)].cikkszam : QString();
    try {
        for (;;) {
            const LineEntryResult r =
                EnterNewLine(m_db, m_dialogs, ui, m_settings, lineDocument(), currentCode);
            if (!r.made)
                break;
            afterLineChange(r.setsNeta);
            // The line just made may already be gone (another workstation
            // deleted it): the chooser then starts where it was.
            const int made = r.saved ? indexOfLine(r.lineNumber) : -1;
            if (made >= 0) {
                last = made;
                currentCode = m_lines[size_t(made)].cikkszam;
            }
        }
    } catch (const DocumentError& e) {
        m_dialogs.error(e.text());
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
    }
    return last;
}

bool InvoiceEditor::lineUnchanged(int index) {
    const EditorLine& shown = m_lines[size_t(index)];
    QSqlQuery q = m_db.select(
        QStringLiteral("SELECT cikkszam, cikkszam_nev FROM szla_sor WHERE szla=? AND sor=?;"), {m_key, shown.sor});
    return q.next() && varText(q.value(0)) == shown.cikkszam && varText(q.value(1)).trimmed() == shown.name;
}

void InvoiceEditor::checkLinesUnchanged(std::initializer_list<int> indexes) {
    for (int index : indexes)
        if (!lineUnchanged(index))
            throw DocumentError(kLineGoneMessage);
}

bool InvoiceEditor::editLine(LineEntryUi& ui, int index) {
    if (posted() || index < 0 || index >= lineCount() || !saveHeader())
        return false;
    try {
        checkLinesUnchanged({index});
        const LineEntryResult r =
            EditLine(m_db, m_dialogs, ui, m_settings, lineDocument(), m_lines[size_t(index)].sor);
        if (r.made)
            afterLineChange(r.setsNeta);
        return r.saved;
    } catch (const DocumentError& e) {
        // The line may have gone meanwhile: show what is stored.
        loadLines();
        m_dialogs.error(e.text());
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
    }
    return false;
}

bool InvoiceEditor::deleteLine(int index) {
    if (posted() || index < 0 || index >= lineCount())
        return false;
    if (!m_dialogs.question(kCaptionConfirm, kDeleteLineQuestion))
        return false;
    try {
        Database::Transaction tr(m_db);
        // Under the write lock: the line deleted is the one shown.
        checkLinesUnchanged({index});
        m_db.execSql(QStringLiteral("DELETE FROM szla_sor WHERE (szla=?) AND (sor=?);"),
                     {m_key, m_lines[size_t(index)].sor});
        // The lines after it close the gap: the k-th line gets number k.
        QList<int> numbers;
        {
            QSqlQuery q =
                m_db.select(QStringLiteral("SELECT sor FROM szla_sor WHERE szla=? ORDER BY sor;"), {m_key});
            while (q.next())
                numbers << int(q.value(0).toLongLong());
        }
        for (int k = 1; k <= numbers.size(); ++k)
            if (numbers.at(k - 1) != k)
                m_db.execSql(QStringLiteral("UPDATE szla_sor SET sor=? WHERE szla=? AND sor=?;"),
                             {k, m_key, numbers.at(k - 1)});
        RecomputeTotals(m_db, m_key);
        tr.commit();
    } catch (const DocumentError& e) {
        loadLines();
        m_dialogs.error(e.text());
        return false;
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
        return false;
    }
    afterLineChange(false);
    return true;
}

std::optional<int> InvoiceEditor::moveLine(int index, bool up) {
    const int other = up ? index - 1 : index + 1;
    if (posted() || index < 0 || index >= lineCount() || other < 0 || other >= lineCount())
        return std::nullopt;
    const int n = m_lines[size_t(index)].sor;
    const int m = m_lines[size_t(other)].sor;
    try {
        Database::Transaction tr(m_db);
        // Under the write lock: the two lines swapped are the ones shown.
        checkLinesUnchanged({index, other});
        if (m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor WHERE szla=? AND sor=?;"), 0,
                          {m_key, kSwapLineNumber}) > 0)
            throw DbError(QStringLiteral("A %1. sor foglalt, a sorok nem cserélhetők.").arg(kSwapLineNumber));
        m_db.execSql(QStringLiteral("UPDATE szla_sor SET sor=? WHERE szla=? AND sor=?;"),
                     {kSwapLineNumber, m_key, m});
        m_db.execSql(QStringLiteral("UPDATE szla_sor SET sor=? WHERE szla=? AND sor=?;"), {m, m_key, n});
        m_db.execSql(QStringLiteral("UPDATE szla_sor SET sor=? WHERE szla=? AND sor=?;"),
                     {n, m_key, kSwapLineNumber});
        tr.commit();
    } catch (const DocumentError& e) {
        loadLines();
        m_dialogs.error(e.text());
        return std::nullopt;
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
        return std::nullopt;
    }
    loadLines();
    const int moved = indexOfLine(m);
    if (moved < 0)
        return std::nullopt;
    return moved;
}

bool InvoiceEditor::editLineComment(int index) {
    if (posted() || index < 0 || index >= lineCount())
        return false;
    const EditorLine line = m_lines[size_t(index)];
    const std::optional<QString> typed = m_dialogs.inputText(
        QStringLiteral("Megjegyzés"), QStringLiteral("Add meg a megjegyzést"), line.megjegyzes);
    if (!typed)
        return false;
    if (const auto problem = TextWidthProblem(QStringLiteral("szla_sor"), QStringLiteral("megjegyzes"), *typed,
                                              QStringLiteral("Megjegyzés"))) {
        m_dialogs.error(kLineSaveRefused + QLatin1Char('\n') + *problem);
        return false;
    }
    try {
        Database::Transaction tr(m_db);
        // Under the write lock: the comment goes to the line it was asked for.
        checkLinesUnchanged({index});
        m_db.execSql(QStringLiteral("UPDATE szla_sor SET megjegyzes=? WHERE szla=? AND sor=?;"),
                     {*typed, m_key, line.sor});
        tr.commit();
    } catch (const DocumentError& e) {
        loadLines();
        m_dialogs.error(e.text());
        return false;
    } catch (const DbError& e) {
        m_dialogs.error(kLineSaveRefused + QLatin1Char('\n') + e.text());
        return false;
    }
    loadLines();
    return true;
}

std::optional<ImportResult> InvoiceEditor::importLines(const QString& text, const ImportOptions& options,
                                                       const QDate& today) {
    if (posted() || !saveHeader())
        return std::nullopt;
    std::optional<ImportResult> result;
    try {
        result = ImportLines(m_db, m_dialogs, lineDocument(), text, options, today);
    } catch (const DocumentError& e) {
        m_dialogs.error(e.text());
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
    }
    afterLineChange(false);
    return result;
}

bool InvoiceEditor::checkBeforePosting() {
    if (const std::optional<QString> problem =
            PostingHeaderProblem(number(QStringLiteral("arfolyam")), text(QStringLiteral("vat")), m_kind,
                                 text(QStringLiteral("eredetistr")))) {
        m_dialogs.error(*problem);
        return false;
    }
    if (!saveHeader())
        return false;
    if (m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor WHERE szla=?;"), 0, {m_key}) == 0) {
        m_dialogs.error(kNoLinesMessage);
        return false;
    }
    return true;
}

bool InvoiceEditor::close() {
    // A document without a customer name may be left as it is; only what
    // the fields cannot hold keeps the window open.
    return saveHeader(false);
}

// ---- Quick sale -------------------------------------------------------------------------

std::optional<QuickSaleResult> QuickSale(Database& db, Dialogs& dialogs, QuickSaleUi& ui,
                                         const Settings& settings, const CurrentUser& user,
                                         const QString& productCode, const QDate& today) {
    try {
        const std::optional<ProductChoiceResult> product = LookupProduct(db, productCode);
        if (!product) {
            dialogs.error(unknownProductMessage(productCode));
            return std::nullopt;
        }
        const std::optional<QuickSaleUi::CustomerPick> customer = ui.chooseCustomer();
        if (!customer)
            return std::nullopt;
        const std::optional<double> quantity = dialogs.inputQuantity(
            QStringLiteral("Mennyiség"), QStringLiteral("Add meg a mennyiséget"), 1, false, -9999);
        if (!quantity)
            return std::nullopt;
        double net = product->netto - product->netto * customer->discount / 100.0;
        const std::optional<bool> reverse = ChooseReverseCharge(settings, ui);
        if (!reverse)
            return std::nullopt;
        const double rate = *reverse ? 0.0 : product->afakulcs;
        if (settings.alaparmodosit) {
            const std::optional<double> edited = ui.editPrice(QStringLiteral("Ár"), net, rate);
            if (!edited)
                return std::nullopt;
            net = *edited;
        }
        const UnitAmounts unit = UnitAmountsFromNet(net, rate);

        NewDocument doc;
        doc.kind = kKindInvoice;
        doc.customer = customer->customer;
        doc.reverseCharge = *reverse;
        DocumentLine line;
        line.productCode = product->cikkszam;
        line.subjectExempt = product->exempt;
        line.lineNumber = 1;
        line.unitGross = unit.gross;
        line.unitVat = unit.vat;
        line.unitNet = unit.net;
        line.quantity = *quantity;
        line.vatRate = rate;
        QuickSaleResult result;
        result.document = CreateDocumentWithLines(db, dialogs, settings, user, doc, {line}, today);
        result.customer = customer->customer;
        result.reverseCharge = *reverse;
        return result;
    } catch (const DocumentError& e) {
        dialogs.error(e.text());
    } catch (const DbError& e) {
        dialogs.error(e.text());
    }
    return std::nullopt;
}

} // namespace orvix
