#include "masters/Customers.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Dialogs.h"
#include "core/FieldLimits.h"
#include "core/Settings.h"
#include "core/TextUtil.h"
#include "core/Users.h"
#include "masters/CodeTables.h"
#include "masters/Validation.h"

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <tuple>
#include <utility>

namespace orvix {

namespace {

const QString kCustomerTable = QStringLiteral("ugyfel");

// The text fields of a customer by their database names.
std::vector<std::pair<QString, QString*>> textFields(Customer& c) {
    std::vector<std::pair<QString, QString*>> f = {{QStringLiteral("ugyfel_nev"), &c.ugyfel_nev},
                                                   {QStringLiteral("kapcsolat"), &c.kapcsolat},
                                                   {QStringLiteral("telefon"), &c.telefon},
                                                   {QStringLiteral("fax"), &c.fax},
                                                   {QStringLiteral("mobil"), &c.mobil},
                                                   {QStringLiteral("emil"), &c.emil},
                                                   {QStringLiteral("adoszam"), &c.adoszam},
                                                   {QStringLiteral("kozadoszam"), &c.kozadoszam},
                                                   {QStringLiteral("bankszamla"), &c.bankszamla},
                                                   {QStringLiteral("engedelyszam"), &c.engedelyszam},
                                                   {QStringLiteral("vat"), &c.vat}};
    const auto addAddress = [&f](const QString& prefix, Address& a) {
        f.emplace_back(prefix + QStringLiteral("irsz"), &a.irsz);
        f.emplace_back(prefix + QStringLiteral("varos"), &a.varos);
        f.emplace_back(prefix + QStringLiteral("cim"), &a.cim);
        f.emplace_back(prefix + QStringLiteral("kozterulet"), &a.kozterulet);
        f.emplace_back(prefix + QStringLiteral("kerulet"), &a.kerulet);
        f.emplace_back(prefix + QStringLiteral("hazszam"), &a.hazszam);
        f.emplace_back(prefix + QStringLiteral("epulet"), &a.epulet);
        f.emplace_back(prefix + QStringLiteral("lepcsohaz"), &a.lepcsohaz);
        f.emplace_back(prefix + QStringLiteral("szint"), &a.szint);
        f.emplace_back(prefix + QStringLiteral("ajto"), &a.ajto);
    };
    addAddress(QStringLiteral("cim_"), c.cim);
    addAddress(QStringLiteral("szla_"), c.szla);
    return f;
}

// The caption of a customer field in the customer window.
QString fieldCaption(const QString& field) {
    static const QHash<QString, QString> captions = {
        {QStringLiteral("ugyfel_nev"), QStringLiteral("Ügyfél")},
        {QStringLiteral("kapcsolat"), QStringLiteral("kapcsolattartó")},
        {QStringLiteral("adoszam"), QStringLiteral("adószám")},
        {QStringLiteral("kozadoszam"), QStringLiteral("közösségi adószám")},
        {QStringLiteral("bankszamla"), QStringLiteral("bankszámlaszám")},
        {QStringLiteral("engedelyszam"), QStringLiteral("engedélyszám")},
        {QStringLiteral("vat"), QStringLiteral("devizanem")},
        {QStringLiteral("irsz"), QStringLiteral("Irsz.")},
        {QStringLiteral("varos"), QStringLiteral("Település")},
        {QStringLiteral("cim"), QStringLiteral("Közterület")},
        {QStringLiteral("kozterulet"), QStringLiteral("Közterület jellege")},
        {QStringLiteral("kerulet"), QStringLiteral("Kerület")},
        {QStringLiteral("hazszam"), QStringLiteral("Házszám")},
        {QStringLiteral("epulet"), QStringLiteral("Épület")},
        {QStringLiteral("lepcsohaz"), QStringLiteral("Lépcsőház")},
        {QStringLiteral("szint"), QStringLiteral("Szint")},
        {QStringLiteral("ajto"), QStringLiteral("Ajtó")}};
    for (const auto& [prefix, block] : {std::pair{QStringLiteral("szla_"), QStringLiteral("Számlázási cím")},
                                        std::pair{QStringLiteral("cim_"), QStringLiteral("Posta cím")}}) {
        if (field.startsWith(prefix))
            return block + QStringLiteral(", ") + captions.value(field.mid(prefix.size()), field);
    }
    return captions.value(field, field);
}

QString text(const QSqlQuery& q, const QSqlRecord& r, const char* field) {
    const int i = r.indexOf(QLatin1String(field));
    return i < 0 ? QString() : varText(q.value(i)).trimmed();
}

QVariant value(const QSqlQuery& q, const QSqlRecord& r, const char* field) {
    const int i = r.indexOf(QLatin1String(field));
    return i < 0 ? QVariant() : q.value(i);
}

// Refusal of a save: the fixed first line, the reason, the field to focus.
SaveResult refuse(Dialogs& dialogs, const QString& reason, const QString& field) {
    dialogs.error(kBadInputMessage + QLatin1Char('\n') + reason);
    return {false, field};
}

// Runs one identifier check. An Error refuses; a Warning asks whether to
// save anyway. True when the save may go on.
bool passesCheck(Dialogs& dialogs, const CheckResult& result) {
    switch (result.level) {
    case CheckLevel::Ok:
        return true;
    case CheckLevel::Warning:
        return dialogs.question(kCaptionQuestion, warningQuestion(result));
    case CheckLevel::Error:
        dialogs.error(kBadInputMessage + QLatin1Char('\n') + result.message);
        return false;
    }
    return false;
}

// A postcode abroad is no error: a value that is not a Hungarian postcode is
// only questioned.
CheckResult postcodeCheck(const QString& postcode) {
    CheckResult r = checkPostcode(postcode);
    if (r.level == CheckLevel::Error)
        r.level = CheckLevel::Warning;
    return r;
}

// An identifier without the spaces and hyphens typed between its groups, in
// upper case: the stored and the shown form of one value compare equal.
QString compactIdentifier(const QString& text) {
    return removeSpaces(text).remove(QLatin1Char('-')).toUpper();
}

} // namespace

// ---- Defaults and loading ---------------------------------------------------

Customer newCustomerDefaults(Database& db, const Settings& settings, const AppConfig& config) {
    Customer c;
    c.cim.varos = settings.alapvaros;
    c.cim.cim = config.newCustomerAddress;
    c.ugyfel_nev = config.newCustomerName;
    c.kedvezmeny = 0;
    c.ugyfelkod = db.queryInt(QStringLiteral("SELECT MAX(ugyfelkod) FROM ugyfel;"), 0) + 1;
    c.fiztip = settings.alapfiztip;
    c.afas = true;
    c.vat = QStringLiteral("HUF");
    c.nyelv = 0;
    c.edi = false;
    return c;
}

Customer newCustomerDefaults(Database& db) {
    return newCustomerDefaults(db, app().settings, app().config);
}

std::optional<Customer> loadCustomer(Database& db, qint64 ugyfel) {
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM ugyfel WHERE ugyfel=?;"), {ugyfel});
    if (!q.next())
        return std::nullopt;
    const QSqlRecord r = q.record();
    Customer c;
    c.ugyfel = ugyfel;
    for (auto& [field, member] : textFields(c)) {
        const QByteArray name = field.toLatin1();
        *member = text(q, r, name.constData());
    }
    c.fiztip = varInt(value(q, r, "fiztip"));
    c.kedvezmeny = varFloat(value(q, r, "kedvezmeny"));
    c.ugyfelkod = varInt(value(q, r, "ugyfelkod"));
    c.afas = text(q, r, "afas") != QLatin1String("N");
    c.nyelv = int(varInt(value(q, r, "nyelv")));
    c.edi = isYes(text(q, r, "edi"));
    return c;
}

// ---- Postcode and town -------------------------------------------------------

QString townOfPostcode(Database& db, const QString& postcode) {
    const QString code = postcode.trimmed();
    if (code.isEmpty())
        return {};
    return db.queryText(QStringLiteral("SELECT varos FROM irsz WHERE irsz=?;"), QString(), {code}).trimmed();
}

QString budapestDistrict(const QString& postcode) {
    const QString code = postcode.trimmed();
    if (code.size() < 3 || !code.startsWith(QLatin1Char('1')))
        return {};
    return code.mid(1, 2);
}

std::optional<TownFill> fillTownFromPostcode(Database& db, const QString& postcode,
                                             const QString& currentTown, const QString& defaultTown,
                                             bool withDistrict) {
    const QString town = currentTown.trimmed();
    if (!town.isEmpty() && town != defaultTown.trimmed())
        return std::nullopt; // typed in by the user
    const QString found = townOfPostcode(db, postcode);
    if (found.isEmpty())
        return std::nullopt;
    TownFill fill{found, {}};
    if (withDistrict)
        fill.district = budapestDistrict(postcode);
    return fill;
}

// ---- Saving ------------------------------------------------------------------

SaveResult saveCustomer(Database& db, Dialogs& dialogs, Customer& c, const std::optional<Customer>& stored) {
    for (auto& [field, member] : textFields(c))
        *member = member->trimmed();

    if (c.ugyfel_nev.isEmpty())
        return refuse(dialogs, QStringLiteral("Adja meg az ügyfél nevét!"), QStringLiteral("ugyfel_nev"));
    if (const QString problem = percentProblem(c.kedvezmeny, 0, 100, QStringLiteral("kedvezmény %"));
        !problem.isEmpty() && (!stored || stored->kedvezmeny != c.kedvezmeny))
        return refuse(dialogs, problem, QStringLiteral("kedvezmeny"));
    if (c.ugyfelkod < 0)
        return refuse(dialogs, QStringLiteral("Az ügyfélkód nem lehet negatív."),
                      QStringLiteral("ugyfelkod"));

    // The identifiers. A value that older data already holds and that was
    // left unchanged is only questioned when it is wrong, and passes when it
    // is merely doubtful (it was confirmed when it was stored).
    struct Identifier {
        QString field;
        QString* value;
        CheckResult (*check)(const QString&);
        const QString* old;
    };
    const Identifier identifiers[] = {
        {QStringLiteral("adoszam"), &c.adoszam, checkTaxNumber, stored ? &stored->adoszam : nullptr},
        {QStringLiteral("kozadoszam"), &c.kozadoszam, checkEuTaxNumber,
         stored ? &stored->kozadoszam : nullptr},
        {QStringLiteral("bankszamla"), &c.bankszamla, checkBankAccount,
         stored ? &stored->bankszamla : nullptr},
        {QStringLiteral("szla_irsz"), &c.szla.irsz, postcodeCheck, stored ? &stored->szla.irsz : nullptr},
        {QStringLiteral("cim_irsz"), &c.cim.irsz, postcodeCheck, stored ? &stored->cim.irsz : nullptr},
    };
    for (const Identifier& id : identifiers) {
        const bool unchanged = id.old && compactIdentifier(*id.old) == compactIdentifier(*id.value);
        CheckResult result = id.check(*id.value);
        if (unchanged && result.level == CheckLevel::Warning)
            result = {CheckLevel::Ok, QString()};
        if (!passesCheck(dialogs, relaxForStoredValue(result, unchanged)))
            return {false, id.field};
        if (unchanged)
            *id.value = *id.old; // kept in the form it is stored in
    }
    c.adoszam = normalizeTaxNumber(c.adoszam);
    c.kozadoszam = normalizeEuTaxNumber(c.kozadoszam);
    c.bankszamla = normalizeBankAccount(c.bankszamla);

    for (auto& [field, member] : textFields(c)) {
        if (const QString problem = textLengthProblem(kCustomerTable, field, *member, fieldCaption(field));
            !problem.isEmpty())
            return refuse(dialogs, problem, field);
    }

    QStringList fields;
    QVariantList values;
    for (auto& [field, member] : textFields(c)) {
        fields << field;
        values << *member;
    }
    fields << QStringLiteral("fiztip") << QStringLiteral("kedvezmeny") << QStringLiteral("ugyfelkod")
           << QStringLiteral("afas") << QStringLiteral("nyelv") << QStringLiteral("edi");
    values << c.fiztip << c.kedvezmeny << c.ugyfelkod << yesNo(c.afas) << c.nyelv << yesNo(c.edi);

    try {
        Database::Transaction tr(db);
        if (c.ugyfel == 0) {
            fields << QStringLiteral("torolve") << QStringLiteral("kuldve") << QStringLiteral("edi2");
            values << QStringLiteral("N") << QStringLiteral("N") << QStringLiteral("N");
            QStringList marks;
            for (int i = 0; i < fields.size(); ++i)
                marks << QStringLiteral("?");
            db.execSql(QStringLiteral("INSERT INTO ugyfel (%1) VALUES (%2);")
                           .arg(fields.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                       values);
            c.ugyfel = db.queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel;"), 0);
        } else {
            QStringList sets;
            for (const QString& f : fields)
                sets << f + QStringLiteral("=?");
            values << c.ugyfel;
            db.execSql(
                QStringLiteral("UPDATE ugyfel SET %1 WHERE ugyfel=?;").arg(sets.join(QLatin1Char(','))),
                values);
        }
        tr.commit();
    } catch (const DbError& e) {
        if (!stored)
            c.ugyfel = 0;
        return refuse(dialogs, e.text(), QString());
    }
    return {true, QString()};
}

bool softDeleteCustomer(Database& db, Dialogs& dialogs, qint64 ugyfel, const QString& question) {
    if (!dialogs.question(kCaptionConfirm, question))
        return false;
    try {
        db.execSql(QStringLiteral("UPDATE ugyfel SET torolve='I' WHERE ugyfel=?;"), {ugyfel});
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return false;
    }
    return true;
}

// ---- Chooser -----------------------------------------------------------------

QStringList customerChooserFields() {
    return {QStringLiteral("ugyfel_nev"), QStringLiteral("kedvezmeny"), QStringLiteral("ugyfelkod"),
            QStringLiteral("cim_irsz"),   QStringLiteral("cim_varos"),  QStringLiteral("cim_cim")};
}

namespace {

// The WHERE lines of the chooser: not deleted, and the text anywhere in the
// searched fields. LIKE ignores letter case and accents; % and _ typed by
// the user are taken literally.
CustomerListQuery chooserFilter(const QString& text) {
    CustomerListQuery q;
    q.sql = QStringLiteral("FROM ugyfel WHERE (torolve='N')");
    if (text.isEmpty())
        return q;
    QString escaped;
    for (const QChar ch : text) {
        if (ch == u'%' || ch == u'_' || ch == u'\\')
            escaped += QLatin1Char('\\');
        escaped += ch;
    }
    const QString pattern = QLatin1Char('%') + escaped.toUpper() + QLatin1Char('%');
    static const char* const searched[] = {"ugyfel_nev", "telefon",   "mobil",   "emil",
                                           "cim_irsz",   "cim_varos", "cim_cim", "kapcsolat"};
    QStringList conditions;
    for (const char* field : searched) {
        conditions << QStringLiteral("(UPPER(%1) LIKE ? ESCAPE '\\')").arg(QLatin1String(field));
        q.params << pattern;
    }
    q.sql += QStringLiteral(" AND (") + conditions.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    return q;
}

} // namespace

CustomerListQuery customerChooserQuery(const QString& text, const QString& sortField) {
    CustomerListQuery q = chooserFilter(text);
    const QString order =
        customerChooserFields().contains(sortField) ? sortField : QStringLiteral("ugyfel_nev");
    q.sql = QStringLiteral("SELECT ") + customerChooserFields().join(QStringLiteral(", ")) +
            QStringLiteral(", ugyfel ") + q.sql + QStringLiteral(" ORDER BY ") + order +
            QStringLiteral(", ugyfel;");
    return q;
}

CustomerListQuery customerChooserCountQuery(const QString& text) {
    CustomerListQuery q = chooserFilter(text);
    q.sql = QStringLiteral("SELECT COUNT(*) ") + q.sql + QLatin1Char(';');
    return q;
}

// ---- Further delivery addresses ------------------------------------------------

QStringList deliveryAddressFields() {
    return {QStringLiteral("nev"), QStringLiteral("irsz"), QStringLiteral("varos"), QStringLiteral("cim")};
}

namespace {

DeliveryAddress readDeliveryAddress(const QSqlQuery& q) {
    const QSqlRecord r = q.record();
    DeliveryAddress a;
    a.ugyfel_cim = varInt(value(q, r, "ugyfel_cim"));
    a.ugyfel = varInt(value(q, r, "ugyfel"));
    a.nev = text(q, r, "nev");
    a.irsz = text(q, r, "irsz");
    a.varos = text(q, r, "varos");
    a.cim = text(q, r, "cim");
    return a;
}

} // namespace

std::vector<DeliveryAddress> listDeliveryAddresses(Database& db, qint64 ugyfel, const QString& sortField) {
    const QString order = deliveryAddressFields().contains(sortField)
                              ? sortField + QStringLiteral(", ugyfel_cim")
                              : QStringLiteral("ugyfel_cim");
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM ugyfel_cim WHERE ugyfel=? ORDER BY %1;").arg(order),
                            {ugyfel});
    std::vector<DeliveryAddress> out;
    while (q.next())
        out.push_back(readDeliveryAddress(q));
    return out;
}

std::optional<DeliveryAddress> loadDeliveryAddress(Database& db, qint64 ugyfel_cim) {
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM ugyfel_cim WHERE ugyfel_cim=?;"), {ugyfel_cim});
    if (!q.next())
        return std::nullopt;
    return readDeliveryAddress(q);
}

QString deliveryAddressName(Database& db, qint64 ugyfel_cim) {
    return db
        .queryText(QStringLiteral("SELECT nev FROM ugyfel_cim WHERE ugyfel_cim=?;"), QString(), {ugyfel_cim})
        .trimmed();
}

std::optional<AddressProblem> checkDeliveryAddress(const DeliveryAddress& a) {
    if (a.nev.trimmed().isEmpty())
        return AddressProblem{QStringLiteral("Adja meg a címzéshez a nevet!"), QStringLiteral("nev")};
    if (a.irsz.trimmed().isEmpty())
        return AddressProblem{QStringLiteral("Adja meg a címzéshez az irányítószámot!"),
                              QStringLiteral("irsz")};
    if (a.varos.trimmed().isEmpty())
        return AddressProblem{QStringLiteral("Adja meg a címzéshez a települést!"), QStringLiteral("varos")};
    if (a.cim.trimmed().isEmpty())
        return AddressProblem{QStringLiteral("Adja meg a címzéshez a címet!"), QStringLiteral("cim")};
    return std::nullopt;
}

SaveResult saveDeliveryAddress(Database& db, Dialogs& dialogs, DeliveryAddress& a) {
    a.nev = a.nev.trimmed();
    a.irsz = a.irsz.trimmed();
    a.varos = a.varos.trimmed();
    a.cim = a.cim.trimmed();
    if (const auto problem = checkDeliveryAddress(a)) {
        dialogs.error(problem->message);
        return {false, problem->field};
    }
    for (const auto& [field, value, caption, width] :
         {std::tuple{QStringLiteral("nev"), a.nev, QStringLiteral("név"), kAddressNameWidth},
          std::tuple{QStringLiteral("irsz"), a.irsz, QStringLiteral("irsz."), kAddressPostcodeWidth},
          std::tuple{QStringLiteral("varos"), a.varos, QStringLiteral("város"), kAddressTownWidth},
          std::tuple{QStringLiteral("cim"), a.cim, QStringLiteral("cím"), kAddressStreetWidth}}) {
        if (value.size() > width)
            return refuse(dialogs,
                          QStringLiteral("A(z) \"%1\" mező legfeljebb %2 karakter lehet.").arg(caption).arg(width),
                          field);
    }
    if (!passesCheck(dialogs, postcodeCheck(a.irsz)))
        return {false, QStringLiteral("irsz")};
    try {
        Database::Transaction tr(db);
        if (a.ugyfel_cim == 0) {
            db.execSql(
                QStringLiteral("INSERT INTO ugyfel_cim (ugyfel, nev, irsz, varos, cim) VALUES (?,?,?,?,?);"),
                {a.ugyfel, a.nev, a.irsz, a.varos, a.cim});
            a.ugyfel_cim = db.queryInt(QStringLiteral("SELECT MAX(ugyfel_cim) FROM ugyfel_cim;"), 0);
        } else {
            db.execSql(
                QStringLiteral("UPDATE ugyfel_cim SET nev=?, irsz=?, varos=?, cim=? WHERE ugyfel_cim=?;"),
                {a.nev, a.irsz, a.varos, a.cim, a.ugyfel_cim});
        }
        tr.commit();
    } catch (const DbError& e) {
        return refuse(dialogs, e.text(), QString());
    }
    return {true, QString()};
}

DeliveryAddress newDeliveryAddress(Database& db, qint64 ugyfel) {
    DeliveryAddress a;
    a.ugyfel = ugyfel;
    a.nev = db.queryText(QStringLiteral("SELECT ugyfel_nev FROM ugyfel WHERE ugyfel=?;"), QString(), {ugyfel})
                .trimmed()
                .left(kAddressNameWidth);
    return a;
}

qint64 addHeadOfficeAddress(Database& db, qint64 ugyfel) {
    DeliveryAddress a = newDeliveryAddress(db, ugyfel);
    if (const std::optional<Customer> c = loadCustomer(db, ugyfel)) {
        a.irsz = c->cim.irsz.left(kAddressPostcodeWidth);
        a.varos = c->cim.varos.left(kAddressTownWidth);
        a.cim = c->cim.cim.left(kAddressStreetWidth);
    }
    Database::Transaction tr(db);
    db.execSql(QStringLiteral("INSERT INTO ugyfel_cim (ugyfel, nev, irsz, varos, cim) VALUES (?,?,?,?,?);"),
               {a.ugyfel, a.nev, a.irsz, a.varos, a.cim});
    const qint64 id = db.queryInt(QStringLiteral("SELECT MAX(ugyfel_cim) FROM ugyfel_cim;"), 0);
    tr.commit();
    return id;
}

bool deleteDeliveryAddress(Database& db, Dialogs& dialogs, qint64 ugyfel_cim) {
    if (!dialogs.question(kCaptionConfirm, kDeleteRowQuestion))
        return false;
    try {
        const qint64 used =
            db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE ugyfel_cim=?;"), 0, {ugyfel_cim});
        if (used > 0) {
            dialogs.error(QStringLiteral("A címet %1 bizonylat használja szállítási címként, ezért nem "
                                         "törölhető: a bizonylatok ezt a címet nyomtatják.")
                              .arg(used));
            return false;
        }
        db.execSql(QStringLiteral("DELETE FROM ugyfel_cim WHERE ugyfel_cim=?;"), {ugyfel_cim});
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return false;
    }
    return true;
}

} // namespace orvix
