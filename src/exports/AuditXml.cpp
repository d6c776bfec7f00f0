#include "exports/AuditXml.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "invoicing/Documents.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlRecord>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace orvix {

// ---- Selection and the four queries ------------------------------------------

AuditSelection AuditSelection::period(const QDate& from, const QDate& to) {
    AuditSelection s;
    s.kind = Kind::Period;
    s.from = from;
    s.to = to;
    return s;
}

AuditSelection AuditSelection::numbers(qint64 first, qint64 last) {
    AuditSelection s;
    s.kind = Kind::Numbers;
    s.first = first;
    s.last = last;
    return s;
}

QString AuditSelection::condition() const {
    // Proformas never; a document without a kind letter is kept, so that the
    // export names it instead of passing over it in silence.
    const QString notProforma = QStringLiteral("(szla.prntip IS NULL OR szla.prntip <> 'P')");
    if (kind == Kind::Numbers)
        return QStringLiteral("%1 AND (szla.szlaszam BETWEEN %2 AND %3)").arg(notProforma).arg(first).arg(last);
    // The day after the last one as the open end, so that an issue date
    // stored with a time of day still belongs to its day.
    return QStringLiteral("%1 AND (szla.dat_kiadva >= %2) AND (szla.dat_kiadva < %3)")
        .arg(notProforma, sqlDate(from), sqlDate(to.addDays(1)));
}

QString AuditSelection::caption() const {
    if (kind == Kind::Numbers)
        return QStringLiteral("%1 - %2").arg(first).arg(last);
    return QStringLiteral("%1 - %2").arg(from.toString(QStringLiteral("yyyy.MM.dd")),
                                          to.toString(QStringLiteral("yyyy.MM.dd")));
}

std::optional<AuditSelection> askAuditPeriod(Dialogs& dialogs, const QDate& defaultFrom, const QDate& defaultTo) {
    const std::optional<Period> p = dialogs.inputPeriod(QStringLiteral("Időszak"), Period{defaultFrom, defaultTo});
    if (!p || !p->from.isValid() || !p->to.isValid())
        return std::nullopt;
    return AuditSelection::period(std::min(p->from, p->to), std::max(p->from, p->to));
}

std::optional<AuditSelection> askAuditNumbers(Database& db, Dialogs& dialogs) {
    const double lowest = double(db.queryInt(QStringLiteral("SELECT MIN(szlaszam) FROM szla;"), 0));
    const double highest = double(db.queryInt(QStringLiteral("SELECT MAX(szlaszam) FROM szla;"), 0));
    const std::optional<double> first = dialogs.inputNumber(
        QStringLiteral("Első számla"), QStringLiteral("Add meg az első számla számát betűjel nélkül!"), lowest);
    if (!first)
        return std::nullopt;
    const std::optional<double> last = dialogs.inputNumber(
        QStringLiteral("Utolsó számla"), QStringLiteral("Add meg az utolsó számla számát betűjel nélkül!"), highest);
    if (!last || !std::isfinite(*first) || !std::isfinite(*last))
        return std::nullopt;
    // Whole numbers inside the typed range.
    const double low = std::ceil(std::min(*first, *last));
    const double high = std::floor(std::max(*first, *last));
    constexpr double limit = 1e15;
    return AuditSelection::numbers(qint64(std::clamp(low, -limit, limit)), qint64(std::clamp(high, -limit, limit)));
}

namespace {

// Output column and its source, in the order the header grid shows them.
struct Column {
    const char* name;
    const char* source;
};

// The printed number in SQL (as DocNumberText forms it): the letter prefix,
// the number padded to 7 digits, the kind and the issue year.
const char* const kNumberText =
    "TRIM(COALESCE(szla.szlabetu,'')) || CASE WHEN szla.szlaszam >= 1000000 OR szla.szlaszam < 0 "
    "THEN CAST(szla.szlaszam AS TEXT) ELSE SUBSTR('000000' || CAST(szla.szlaszam AS TEXT), "
    "LENGTH(CAST(szla.szlaszam AS TEXT)), 7) END || '-' || COALESCE(szla.prntip,'') || '/' || "
    "COALESCE(SUBSTR(szla.dat_kiadva, 1, 4), '0000')";

const Column kHeaderColumns[] = {
    {"szla", "szla.szla"},
    {"szlaszam", "szla.szlaszam"},
    {"prntip", "szla.prntip"},
    {"szlabetu", "szla.szlabetu"},
    {"dat_kiadva", "szla.dat_kiadva"},
    {"gyujtoszla", "'N'"},
    {"szlatipus", "prntip.navkod"},
    {"szladatum", "szla.dat_kiadva"},
    {"teljdatum", "szla.dat_szallhat"},
    {"szlasorszam", kNumberText},
    {"ki_adoszam", "szla.tadoszam"},
    {"ki_kozadoszam", "szla.tkozadoszam"},
    {"tkata", "szla.tkata"},
    {"ki_kisadozo", "CASE WHEN szla.tkata = 'I' THEN 'true' ELSE '' END"},
    {"ki_nev", "szla.tulajdonos"},
    {"ki_iranyitoszam", "szla.tirsz"},
    {"ki_telepules", "szla.tvaros"},
    {"ki_kerulet", "szla.tkerulet"},
    {"ki_kozterulet_neve", "szla.tcim"},
    {"ki_kozterulet_jellege", "szla.tkozterulet"},
    {"ki_hazszam", "szla.thazszam"},
    {"ki_epulet", "szla.tepulet"},
    {"ki_lepcsohaz", "szla.tlepcsohaz"},
    {"ki_szint", "szla.tszint"},
    {"ki_ajto", "szla.tajto"},
    {"tegyeni", "szla.tegyeni"},
    {"ki_egyeni_vallalkozo", "CASE WHEN szla.tegyeni = 'I' THEN 'true' ELSE '' END"},
    {"ev_nyilv_tart_szam", "szla.tvallig"},
    {"ev_neve", "szla.tvallignev"},
    {"v_adoszam", "szla.adoszam"},
    {"v_kozadoszam", "szla.kozadoszam"},
    {"v_nev", "szla.ugyfel_nev"},
    {"v_iranyitoszam", "szla.szla_irsz"},
    {"v_telepules", "szla.szla_varos"},
    {"v_kerulet", "szla.szla_kerulet"},
    {"v_kozterulet_neve", "szla.szla_cim"},
    {"v_kozterulet_jellege", "szla.szla_kozterulet"},
    {"v_hazszam", "szla.szla_hazszam"},
    {"v_epulet", "szla.szla_epulet"},
    {"v_lepcsohaz", "szla.szla_lepcsohaz"},
    {"v_szint", "szla.szla_szint"},
    {"v_ajto", "szla.szla_ajto"},
    {"eredeti_sorszam", "szla.eredetistr"},
    {"fa", "szla.fa"},
    {"fiz_hatarido", "szla.dat_fizhat"},
    {"fiz_mod", "szla.fiztip_nev"},
    {"penznem", "szla.vat"},
    {"neta", "szla.neta"},
    {"penzforgelsz", "szla.penzforgelsz"},
    {"adoment_hiv", "szla.adoment_hiv"},
    {"szla_forma", "'papír alapon továbbított számla'"},
    {"kibocsato_bankszla", "szla.tbank"},
    {"befogado_bankszla", "szla.bankszamla"},
};

// Positions of the header columns the file reads.
enum H {
    hSzla,
    hSzlaszam,
    hPrntip,
    hSzlabetu,
    hDatKiadva,
    hGyujtoszla,
    hSzlatipus,
    hSzladatum,
    hTeljdatum,
    hSzlasorszam,
    hKiAdoszam,
    hKiKozadoszam,
    hTkata,
    hKiKisadozo,
    hKiNev,
    hKiIrsz,
    hKiTelepules,
    hKiKerulet,
    hKiKozteruletNeve,
    hKiKozteruletJellege,
    hKiHazszam,
    hKiEpulet,
    hKiLepcsohaz,
    hKiSzint,
    hKiAjto,
    hTegyeni,
    hKiEgyeni,
    hEvNyilvTartSzam,
    hEvNeve,
    hVAdoszam,
    hVKozadoszam,
    hVNev,
    hVIrsz,
    hVTelepules,
    hVKerulet,
    hVKozteruletNeve,
    hVKozteruletJellege,
    hVHazszam,
    hVEpulet,
    hVLepcsohaz,
    hVSzint,
    hVAjto,
    hEredetiSorszam,
    hFa,
    hFizHatarido,
    hFizMod,
    hPenznem,
    hNeta,
    hPenzforgelsz,
    hAdomentHiv,
    hSzlaForma,
    hKibocsatoBankszla,
    hBefogadoBankszla,
    hCount
};
static_assert(sizeof(kHeaderColumns) / sizeof(kHeaderColumns[0]) == hCount);

const char* const kLineFrom = " FROM szla_sor INNER JOIN szla ON szla.szla = szla_sor.szla WHERE ";

} // namespace

QString auditHeaderQuery(const AuditSelection& selection) {
    QStringList columns;
    for (const Column& c : kHeaderColumns)
        columns << QStringLiteral("%1 AS %2").arg(QString::fromUtf8(c.source), QLatin1String(c.name));
    return QStringLiteral("SELECT %1 FROM szla LEFT JOIN prntip ON prntip.prntip = szla.prntip WHERE %2 "
                          "ORDER BY szla.szla")
        .arg(columns.join(QStringLiteral(", ")), selection.condition());
}

QString auditLineQuery(const AuditSelection& selection) {
    return QStringLiteral(
               "SELECT szla_sor.szla AS szla, szla.szlaszam AS szlaszam, szla_sor.eloleg AS elolegstr, "
               "CASE WHEN szla_sor.eloleg = 'I' AND szla_sor.db > 0 THEN 1 WHEN szla_sor.eloleg = 'I' THEN 2 "
               "END AS eloleg, szla_sor.sor AS sor, szla_sor.cikkszam_nev AS termeknev, "
               "szla_sor.vtsz AS besorszam, szla_sor.db AS menny, szla_sor.mert AS mertekegys, "
               "szla_sor.netto * szla_sor.db AS nettoar, szla_sor.egysar AS nettoegysar, "
               "szla_sor.afakulcs AS adokulcs, "
               "szla_sor.netto * szla_sor.db * (szla_sor.afakulcs / 100.0) AS adoertek, "
               "szla_sor.netto * szla_sor.db * (1 + szla_sor.afakulcs / 100.0) AS bruttoar, 0 AS arengedm, "
               "szla_sor.kozv_szolgaltatas AS kozv_szolgaltatas, "
               "szla_sor.kulonb_szer_szab AS kulonb_szer_szab, szla_sor.netto AS netto"
               "%1%2 ORDER BY szla_sor.szla, szla_sor.sor")
        .arg(QLatin1String(kLineFrom), selection.condition());
}

QString auditRateQuery(const AuditSelection& selection) {
    return QStringLiteral("SELECT szla_sor.szla AS szla, szla.szlaszam AS szlaszam, szla.prntip AS prntip, "
                          "szla_sor.afakulcs AS adokulcs, SUM(szla_sor.netto * szla_sor.db) AS nettoar, "
                          "SUM(szla_sor.netto * szla_sor.db) * szla_sor.afakulcs / 100.0 AS adoertek, "
                          "SUM(szla_sor.netto * szla_sor.db) * (1 + szla_sor.afakulcs / 100.0) AS bruttoar"
                          "%1%2 GROUP BY szla_sor.szla, szla.szlaszam, szla.prntip, szla_sor.afakulcs "
                          "ORDER BY szla_sor.szla, szla_sor.afakulcs")
        .arg(QLatin1String(kLineFrom), selection.condition());
}

QString auditTotalsQuery(const AuditSelection& selection) {
    return QStringLiteral(
               "SELECT szla_sor.szla AS szla, SUM(szla_sor.netto * szla_sor.db) AS nettoarossz, "
               "SUM(szla_sor.netto * szla_sor.db * szla_sor.afakulcs / 100.0) AS afaertekossz, "
               "SUM(szla_sor.netto * szla_sor.db * (1 + szla_sor.afakulcs / 100.0)) AS bruttoarossz"
               "%1%2 GROUP BY szla_sor.szla ORDER BY szla_sor.szla")
        .arg(QLatin1String(kLineFrom), selection.condition());
}

int auditDocumentCount(Database& db, const AuditSelection& selection) {
    return int(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE %1").arg(selection.condition()), 0));
}

// ---- Value forms ---------------------------------------------------------------

QByteArray auditAmount(double value) {
    const double cents = std::nearbyint(value * 100);
    if (cents == 0)
        return QByteArrayLiteral("0.00");
    return QByteArray::number(cents / 100, 'f', 2);
}

namespace {

// The characters XML 1.0 can carry.
bool xmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

void appendEscaped(QByteArray& out, const QString& value, int maxLength) {
    QString kept;
    kept.reserve(value.size());
    int count = 0;
    for (qsizetype i = 0; i < value.size() && count < maxLength; ++i) {
        const QChar c = value.at(i);
        char32_t code = c.unicode();
        int units = 1;
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, value.at(i + 1));
            units = 2;
        }
        if (xmlChar(code)) {
            kept.append(value.constData() + i, units);
            ++count;
        }
        i += units - 1;
    }
    const QByteArray utf8 = kept.toUtf8();
    for (const char b : utf8) {
        switch (b) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += b;
        }
    }
}

} // namespace

QByteArray auditText(const QString& value, int maxLength) {
    QByteArray out;
    appendEscaped(out, value, maxLength);
    return out;
}

namespace {

// Lengths the schema sets.
constexpr int kText = 100;      // string_tipus
constexpr int kTaxNumber = 20;  // adoszam_tipus, at least 8
constexpr int kTaxNumberMin = 8;
constexpr int kPostcode = 10;   // at least 4
constexpr int kPostcodeMin = 4;
// decimal_tipus: 12 digits, 2 of them after the point.
constexpr double kMaxCents = 999999999999.0;

// Code points, as the schema counts a text's length.
int lengthOf(const QString& s) {
    int n = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate())
            ++i;
        ++n;
    }
    return n;
}

bool blank(const QString& s) { return s.trimmed().isEmpty(); }
bool flagSet(const QString& s) { return s.trimmed() == QLatin1String("I"); }

QDate storedDate(const QVariant& v) {
    const QString s = v.toString().trimmed();
    return QDate::fromString(s.left(10), Qt::ISODate);
}

// Why a document is left out of the file.
struct LeftOut {
    QString reason;
};

// One document's text, written into a buffer first so that a document the
// schema cannot express leaves nothing behind.
class Writer {
public:
    explicit Writer(QByteArray& out) : m_out(out) {}

    void open(int level, const char* name) {
        indent(level);
        m_out += '<';
        m_out += name;
        m_out += ">\r\n";
    }
    void close(int level, const char* name) {
        indent(level);
        m_out += "</";
        m_out += name;
        m_out += ">\r\n";
    }
    void raw(int level, const char* name, const QByteArray& value) {
        indent(level);
        m_out += '<';
        m_out += name;
        m_out += '>';
        m_out += value;
        m_out += "</";
        m_out += name;
        m_out += ">\r\n";
    }
    void text(int level, const char* name, const QString& value, int maxLength = kText) {
        indent(level);
        m_out += '<';
        m_out += name;
        m_out += '>';
        appendEscaped(m_out, value, maxLength);
        m_out += "</";
        m_out += name;
        m_out += ">\r\n";
    }
    // An optional text: only when it holds more than blanks.
    void optional(int level, const char* name, const QString& value) {
        if (!blank(value))
            text(level, name, value);
    }
    void amount(int level, const char* name, double value) {
        if (!std::isfinite(value) || std::fabs(std::nearbyint(value * 100)) > kMaxCents)
            throw LeftOut{QStringLiteral("a(z) %1 összege nem fér el a fájlban (legfeljebb 9 999 999 999,99)")
                              .arg(QLatin1String(name))};
        raw(level, name, auditAmount(value));
    }
    void date(int level, const char* name, const QDate& value) {
        raw(level, name, value.toString(Qt::ISODate).toLatin1());
    }
    void flag(int level, const char* name) { raw(level, name, QByteArrayLiteral("true")); }

private:
    void indent(int level) { m_out.append(level * 2, ' '); }
    QByteArray& m_out;
};

struct Line {
    QString eloleg;
    qint64 sor = 0;
    QString name;
    QString vtsz;
    double quantity = 0;
    QString unit;
    double unitPrice = 0;
    double rate = 0;
    QString intermediated;
    int margin = 0;
    double net = 0; // unit net
};

// A tax number element: cut to 20 characters; a number shorter than the
// schema's 8 cannot be written.
void taxNumber(Writer& w, int level, const char* name, const QString& value, const QString& whose) {
    if (lengthOf(value.trimmed()) < kTaxNumberMin)
        throw LeftOut{QStringLiteral("%1 rövidebb 8 karakternél (\"%2\")").arg(whose, value)};
    w.text(level, name, value, kTaxNumber);
}

void address(Writer& w, const QSqlQuery& h, int first, bool issuer) {
    const QString whose = issuer ? QStringLiteral("a kibocsátó") : QStringLiteral("a vevő");
    const QString postcode = h.value(first).toString();
    w.open(3, "cim");
    if (blank(postcode))
        w.raw(4, "iranyitoszam", "XXXX");
    else if (lengthOf(postcode) < kPostcodeMin)
        throw LeftOut{QStringLiteral("%1 irányítószáma rövidebb 4 karakternél (\"%2\")").arg(whose, postcode)};
    else
        w.text(4, "iranyitoszam", postcode, kPostcode);
    const QString town = h.value(first + 1).toString();
    if (blank(town))
        w.raw(4, "telepules", "XXX");
    else
        w.text(4, "telepules", town);
    w.optional(4, "kerulet", h.value(first + 2).toString());
    // The street name is required by the schema, for the issuer too.
    const QString street = h.value(first + 3).toString();
    if (blank(street))
        w.raw(4, "kozterulet_neve", "XXX");
    else
        w.text(4, "kozterulet_neve", street);
    w.optional(4, "kozterulet_jellege", h.value(first + 4).toString());
    w.optional(4, "hazszam", h.value(first + 5).toString());
    w.optional(4, "epulet", h.value(first + 6).toString());
    w.optional(4, "lepcsohaz", h.value(first + 7).toString());
    w.optional(4, "szint", h.value(first + 8).toString());
    w.optional(4, "ajto", h.value(first + 9).toString());
    w.close(3, "cim");
}

void writeDocument(Writer& w, const QSqlQuery& h, const QString& number, const QDate& issued,
                   const std::vector<Line>& lines) {
    const QVariant kindCode = h.value(hSzlatipus);
    const qint64 navkod = kindCode.toLongLong();
    if (kindCode.isNull() || navkod < 1 || navkod > 6)
        throw LeftOut{QStringLiteral("a bizonylatfajtának (\"%1\") nincs érvényes NAV kódja")
                          .arg(h.value(hPrntip).toString())};
    const QDate fulfilled = storedDate(h.value(hTeljdatum));
    if (!fulfilled.isValid())
        throw LeftOut{QStringLiteral("üres vagy hibás a teljesítés dátuma")};
    if (lines.empty())
        throw LeftOut{QStringLiteral("nincs tételsora")};

    w.open(1, "szamla");
    w.open(2, "fejlec");
    w.text(3, "szlasorszam", number);
    w.raw(3, "szlatipus", QByteArray::number(navkod));
    w.date(3, "szladatum", issued);
    w.date(3, "teljdatum", fulfilled);
    w.close(2, "fejlec");

    w.open(2, "szamlakibocsato");
    taxNumber(w, 3, "adoszam", h.value(hKiAdoszam).toString(), QStringLiteral("a kibocsátó adószáma"));
    if (!blank(h.value(hKiKozadoszam).toString()))
        taxNumber(w, 3, "kozadoszam", h.value(hKiKozadoszam).toString(),
                  QStringLiteral("a kibocsátó közösségi adószáma"));
    if (flagSet(h.value(hTkata).toString()))
        w.flag(3, "kisadozo");
    if (blank(h.value(hKiNev).toString()))
        throw LeftOut{QStringLiteral("üres a kibocsátó neve")};
    w.text(3, "nev", h.value(hKiNev).toString());
    address(w, h, hKiIrsz, true);
    if (flagSet(h.value(hTegyeni).toString())) {
        w.flag(3, "egyeni_vallalkozo");
        w.optional(3, "ev_nyilv_tart_szam", h.value(hEvNyilvTartSzam).toString());
        w.optional(3, "ev_neve", h.value(hEvNeve).toString());
    }
    w.close(2, "szamlakibocsato");

    w.open(2, "vevo");
    if (!blank(h.value(hVAdoszam).toString()))
        taxNumber(w, 3, "adoszam", h.value(hVAdoszam).toString(), QStringLiteral("a vevő adószáma"));
    if (!blank(h.value(hVKozadoszam).toString()))
        taxNumber(w, 3, "kozadoszam", h.value(hVKozadoszam).toString(),
                  QStringLiteral("a vevő közösségi adószáma"));
    if (blank(h.value(hVNev).toString()))
        throw LeftOut{QStringLiteral("üres a vevő neve")};
    w.text(3, "nev", h.value(hVNev).toString());
    address(w, h, hVIrsz, false);
    w.close(2, "vevo");

    // Per rate above 0, in rising order of the rate; and the document's sums.
    std::map<double, double> netByRate;
    double net = 0, vat = 0, gross = 0;
    int margin = 0;
    for (const Line& l : lines) {
        if (blank(l.name))
            throw LeftOut{QStringLiteral("üres a(z) %1. tételsor megnevezése").arg(l.sor)};
        const double lineNet = l.net * l.quantity;
        const double lineVat = l.net * l.quantity * (l.rate / 100);
        const double lineGross = l.net * l.quantity * (1 + l.rate / 100);
        w.open(2, "termek_szolgaltatas_tetelek");
        w.text(3, "termeknev", l.name);
        if (flagSet(l.eloleg))
            w.raw(3, "eloleg", l.quantity > 0 ? "1" : "2");
        w.optional(3, "besorszam", l.vtsz);
        w.amount(3, "menny", l.quantity);
        if (blank(l.unit))
            w.raw(3, "mertekegys", "Nem megadott");
        else
            w.text(3, "mertekegys", l.unit);
        if (flagSet(l.intermediated))
            w.flag(3, "kozv_szolgaltatas");
        w.amount(3, "nettoar", lineNet);
        w.amount(3, "nettoegysar", l.unitPrice);
        if (l.rate > 0) {
            w.amount(3, "adokulcs", l.rate);
            w.amount(3, "adoertek", lineVat);
        }
        w.amount(3, "bruttoar", lineGross);
        w.raw(3, "arengedm", "0.00");
        w.close(2, "termek_szolgaltatas_tetelek");
        netByRate[l.rate] += lineNet;
        net += lineNet;
        vat += lineVat;
        gross += lineGross;
        if (l.margin != 0) {
            if (l.margin < 1 || l.margin > 4)
                throw LeftOut{QStringLiteral("a(z) %1. tételsor különbözeti szabályozás kódja (%2) ismeretlen")
                                  .arg(l.sor)
                                  .arg(l.margin)};
            margin = std::max(margin, l.margin);
        }
    }

    const QString original = h.value(hEredetiSorszam).toString();
    if (!blank(original)) {
        w.open(2, "modosito_szla");
        w.text(3, "eredeti_sorszam", original);
        w.close(2, "modosito_szla");
    }

    w.open(2, "zaradekok");
    if (flagSet(h.value(hPenzforgelsz).toString()))
        w.flag(3, "penzforgelsz");
    if (flagSet(h.value(hFa).toString()))
        w.flag(3, "ford_ado");
    if (flagSet(h.value(hAdomentHiv).toString()))
        w.flag(3, "adoment_hiv");
    if (margin > 0)
        w.raw(3, "kulonb_szer_szab", QByteArray::number(margin));
    if (flagSet(h.value(hNeta).toString()))
        w.flag(3, "neta");
    w.close(2, "zaradekok");

    w.open(2, "nem_kotelezo");
    const QDate due = storedDate(h.value(hFizHatarido));
    if (due.isValid())
        w.date(3, "fiz_hatarido", due);
    w.optional(3, "fiz_mod", h.value(hFizMod).toString());
    w.optional(3, "penznem", h.value(hPenznem).toString());
    w.text(3, "szla_forma", h.value(hSzlaForma).toString());
    w.optional(3, "kibocsato_bankszla", h.value(hKibocsatoBankszla).toString());
    w.optional(3, "befogado_bankszla", h.value(hBefogadoBankszla).toString());
    w.close(2, "nem_kotelezo");

    w.open(2, "osszesites");
    for (const auto& [rate, rateNet] : netByRate) {
        if (rate <= 0)
            continue;
        w.open(3, "afarovat");
        w.amount(4, "nettoar", rateNet);
        w.amount(4, "adokulcs", rate);
        w.amount(4, "adoertek", rateNet * rate / 100);
        w.amount(4, "bruttoar", rateNet * (1 + rate / 100));
        w.close(3, "afarovat");
    }
    w.open(3, "vegosszeg");
    w.amount(4, "nettoarossz", net);
    w.amount(4, "afaertekossz", vat);
    w.amount(4, "bruttoarossz", gross);
    w.close(3, "vegosszeg");
    w.close(2, "osszesites");
    w.close(1, "szamla");
}

QString fileError(const QString& path, const QString& why) {
    return QStringLiteral("A fájl nem írható: %1\n%2").arg(QDir::toNativeSeparators(path), why);
}

} // namespace

AuditExportResult writeAuditXml(Database& db, const AuditSelection& selection, const QString& path,
                                const QDate& today, const AuditProgress& progress) {
    AuditExportResult result;
    result.selected = auditDocumentCount(db, selection);

    // The documents go into a scratch file next to the target first: the
    // head of the file counts and dates the documents actually written,
    // which is known only at the end. The target is replaced only when the
    // whole file is complete.
    const QString folder = QFileInfo(path).absolutePath();
    QTemporaryFile body(QDir(folder).filePath(QStringLiteral(".audit-XXXXXX.tmp")));
    if (!body.open())
        throw AuditError(fileError(path, body.errorString()));

    QSqlQuery h = db.select(auditHeaderQuery(selection));
    QSqlQuery lq = db.select(QStringLiteral(
                                 "SELECT szla_sor.szla, szla_sor.eloleg, szla_sor.sor, szla_sor.cikkszam_nev, "
                                 "szla_sor.vtsz, szla_sor.db, szla_sor.mert, szla_sor.egysar, szla_sor.afakulcs, "
                                 "szla_sor.kozv_szolgaltatas, szla_sor.kulonb_szer_szab, szla_sor.netto%1%2 "
                                 "ORDER BY szla_sor.szla, szla_sor.sor")
                                 .arg(QLatin1String(kLineFrom), selection.condition()));
    bool lineAhead = lq.next();

    QByteArray out;
    out.reserve(1 << 20);
    QByteArray doc;
    QString firstNumber, lastNumber;
    QDate firstDate, lastDate;
    std::vector<Line> lines;
    int done = 0;
    const auto flush = [&](bool always) {
        if (out.size() < (1 << 20) && !always)
            return;
        if (body.write(out) != out.size())
            throw AuditError(fileError(path, body.errorString()));
        out.clear();
    };

    while (h.next()) {
        const qint64 key = h.value(hSzla).toLongLong();
        lines.clear();
        while (lineAhead && lq.value(0).toLongLong() < key)
            lineAhead = lq.next();
        while (lineAhead && lq.value(0).toLongLong() == key) {
            Line l;
            l.eloleg = lq.value(1).toString();
            l.sor = lq.value(2).toLongLong();
            l.name = lq.value(3).toString();
            l.vtsz = lq.value(4).toString();
            l.quantity = lq.value(5).toDouble();
            l.unit = lq.value(6).toString();
            l.unitPrice = lq.value(7).toDouble();
            l.rate = lq.value(8).toDouble();
            l.intermediated = lq.value(9).toString();
            l.margin = lq.value(10).toInt();
            l.net = lq.value(11).toDouble();
            lines.push_back(std::move(l));
            lineAhead = lq.next();
        }

        const QString kind = h.value(hPrntip).toString().trimmed();
        const QDate issued = storedDate(h.value(hSzladatum));
        const QString number = DocNumberText(h.value(hSzlaszam).toLongLong(), kind.isEmpty() ? QChar() : kind.at(0),
                                             h.value(hSzlabetu).toString(), issued);
        doc.clear();
        try {
            if (!issued.isValid())
                throw LeftOut{QStringLiteral("üres vagy hibás a kiállítás dátuma")};
            Writer w(doc);
            writeDocument(w, h, number, issued, lines);
            out += doc;
            if (result.written == 0) {
                firstNumber = number;
                firstDate = lastDate = issued;
            }
            lastNumber = number;
            firstDate = std::min(firstDate, issued);
            lastDate = std::max(lastDate, issued);
            ++result.written;
            flush(false);
        } catch (const LeftOut& e) {
            result.leftOut << QStringLiteral("%1 (gépi kód %2): %3").arg(number).arg(key).arg(e.reason);
        }
        ++done;
        if (progress)
            progress(done, std::max(done, result.selected));
    }
    if (h.lastError().isValid())
        throw DbError(h.lastError().text());
    flush(true);
    if (result.written == 0) {
        QString text = QStringLiteral("Nincs exportálható bizonylat a kiválasztásban (%1); a fájl nem készült el.")
                           .arg(selection.caption());
        if (!result.leftOut.isEmpty())
            text += QLatin1Char('\n') + auditLeftOutMessage(result);
        throw AuditError(text);
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AuditError(fileError(path, file.errorString()));
    QByteArray head;
    head += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    head += "<szamlak xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
            "xmlns='http://schemas.nav.gov.hu/2013/szamla'>\r\n";
    Writer w(head);
    w.date(1, "export_datuma", today);
    w.raw(1, "export_szla_db", QByteArray::number(result.written));
    w.date(1, "kezdo_ido", firstDate);
    w.date(1, "zaro_ido", lastDate);
    w.text(1, "kezdo_szla_szam", firstNumber);
    w.text(1, "zaro_szla_szam", lastNumber);
    file.write(head);
    body.seek(0);
    QByteArray chunk;
    while (!body.atEnd()) {
        chunk = body.read(4 << 20);
        if (chunk.isEmpty() && !body.atEnd())
            throw AuditError(fileError(path, body.errorString()));
        if (file.write(chunk) != chunk.size())
            break; // the save file reports it at commit
    }
    file.write("</szamlak>\r\n");
    if (!file.commit())
        throw AuditError(fileError(path, file.errorString()));
    return result;
}

QString auditLeftOutMessage(const AuditExportResult& result) {
    if (result.leftOut.isEmpty())
        return {};
    return QStringLiteral("%1 bizonylat kimaradt:\n%2")
        .arg(result.leftOut.size())
        .arg(result.leftOut.join(QLatin1Char('\n')));
}

} // namespace orvix
