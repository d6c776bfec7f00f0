#include "exports/AuditXml.h"

#include "common/Database.h"
#include "common/RowReader.h"
#include "core/Dialogs.h"
#include "invoicing/Documents.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

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

namespace {

// Lengths the schema sets.
constexpr int kText = 100;      // string_tipus
constexpr int kTaxNumber = 20;  // adoszam_tipus, at least 8
constexpr int kTaxNumberMin = 8;
constexpr int kPostcode = 10;   // at least 4
constexpr int kPostcodeMin = 4;
// decimal_tipus: 12 digits, 2 of them after the point.
constexpr double kMaxCents = 999999999999.0;

// Appends a value already rounded to cents: "-1234.50"; zero as "0.00".
void appendCents(QByteArray& out, double cents) {
    if (cents == 0) {
        out += "0.00";
        return;
    }
    char digits[32];
    char* end = digits + sizeof digits;
    char* p = end;
    unsigned long long n = static_cast<unsigned long long>(std::fabs(cents));
    *--p = char('0' + n % 10);
    n /= 10;
    *--p = char('0' + n % 10);
    n /= 10;
    *--p = '.';
    do {
        *--p = char('0' + n % 10);
        n /= 10;
    } while (n != 0);
    if (cents < 0)
        *--p = '-';
    out.append(p, end - p);
}

// The characters XML 1.0 can carry.
bool xmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// Calls keep(bytes, length) for every character of UTF-8 text that XML can
// carry, in order, skipping the rest (and bytes that are no UTF-8); stops
// when keep returns false.
template <class Keep>
void forEachXmlChar(QByteArrayView value, Keep&& keep) {
    const auto* s = reinterpret_cast<const unsigned char*>(value.data());
    const qsizetype n = value.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            ++i;
            if (b < 0x20 && b != 0x9 && b != 0xA && b != 0xD)
                continue;
            if (!keep(s + i - 1, 1))
                return;
            continue;
        }
        int len;
        char32_t c;
        char32_t least;
        if ((b & 0xE0) == 0xC0) {
            len = 2, c = b & 0x1F, least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3, c = b & 0x0F, least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4, c = b & 0x07, least = 0x10000;
        } else {
            ++i; // a stray continuation byte or no UTF-8 at all
            continue;
        }
        bool sound = i + len <= n;
        for (int k = 1; sound && k < len; ++k) {
            sound = (s[i + k] & 0xC0) == 0x80;
            c = (c << 6) | (s[i + k] & 0x3F);
        }
        if (!sound || c < least || !xmlChar(c)) {
            ++i;
            continue;
        }
        if (!keep(s + i, len))
            return;
        i += len;
    }
}

// Appends UTF-8 text, at most maxLength characters of it (as the schema
// counts them: one per code point), dropping what XML cannot carry (and
// bytes that are no UTF-8), writing &, < and > as entity references. The
// text is cut before it is escaped, so an entity is always whole.
void appendEscaped(QByteArray& out, QByteArrayView value, int maxLength) {
    const qsizetype start = out.size();
    out.resize(start + value.size() * 5); // "&amp;" is the longest form of a byte
    char* p = out.data() + start;
    int count = 0;
    forEachXmlChar(value, [&](const unsigned char* c, int len) {
        if (count >= maxLength)
            return false;
        ++count;
        if (len > 1) {
            std::memcpy(p, c, size_t(len));
            p += len;
            return true;
        }
        switch (*c) {
        case '&':
            std::memcpy(p, "&amp;", 5);
            p += 5;
            break;
        case '<':
            std::memcpy(p, "&lt;", 4);
            p += 4;
            break;
        case '>':
            std::memcpy(p, "&gt;", 4);
            p += 4;
            break;
        default:
            *p++ = char(*c);
        }
        return true;
    });
    out.resize(p - out.constData());
}


// What of a stored text reaches the file (before escaping): the characters
// XML can carry. Plain printable text is its own, and is not copied.
QByteArray xmlKept(QByteArrayView v) {
    bool plain = true;
    for (const char c : v)
        plain = plain && static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x80;
    if (plain)
        return QByteArray::fromRawData(v.data(), v.size());
    QByteArray kept;
    forEachXmlChar(v, [&](const unsigned char* c, int len) {
        kept.append(reinterpret_cast<const char*>(c), len);
        return true;
    });
    return kept;
}

// Characters of UTF-8 text as the file will hold them.
int lengthOf(QByteArrayView v) {
    int n = 0;
    for (const char c : xmlKept(v))
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

QByteArrayView trimmed(QByteArrayView v) {
    qsizetype b = 0, e = v.size();
    while (b < e && isSpace(v[b]))
        ++b;
    while (e > b && isSpace(v[e - 1]))
        --e;
    return v.sliced(b, e - b);
}

// A text is blank when nothing but spaces of it would reach the file: a
// name made of control characters or broken bytes writes no element the
// schema accepts.
bool blank(QByteArrayView v) { return trimmed(xmlKept(v)).isEmpty(); }
bool flagSet(QByteArrayView v) { return trimmed(v) == QByteArrayView("I"); }

QString str(QByteArrayView v) { return QString::fromUtf8(v); }

// A stored date (ISO, possibly followed by a time of day).
QDate storedDate(QByteArrayView v) {
    v = trimmed(v);
    if (v.size() < 10 || v[4] != '-' || v[7] != '-')
        return {};
    const auto number = [&](int from, int count) {
        int n = 0;
        for (int k = from; k < from + count; ++k) {
            if (v[k] < '0' || v[k] > '9')
                return -1;
            n = n * 10 + (v[k] - '0');
        }
        return n;
    };
    const int y = number(0, 4), m = number(5, 2), d = number(8, 2);
    if (y <= 0 || m < 0 || d < 0)
        return {};
    return QDate(y, m, d);
}

// Why a document is left out of the file.
struct LeftOut {
    QString reason;
};

// The file's lines: an element per line, indented by two spaces per level,
// ended by CR LF.
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
    void raw(int level, const char* name, QByteArrayView value) {
        start(level, name);
        m_out += value;
        end(name);
    }
    void text(int level, const char* name, QByteArrayView value, int maxLength = kText) {
        start(level, name);
        appendEscaped(m_out, value, maxLength);
        end(name);
    }
    // An optional text: only when it holds more than blanks.
    void optional(int level, const char* name, QByteArrayView value) {
        if (!blank(value))
            text(level, name, value);
    }
    void amount(int level, const char* name, double value) {
        const double cents = std::nearbyint(value * 100);
        if (!std::isfinite(cents) || std::fabs(cents) > kMaxCents)
            throw LeftOut{QStringLiteral("a(z) %1 összege nem fér el a fájlban (legfeljebb 9 999 999 999,99)")
                              .arg(QLatin1String(name))};
        start(level, name);
        appendCents(m_out, cents);
        end(name);
    }
    void date(int level, const char* name, const QDate& value) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", value.year(), value.month(), value.day());
        raw(level, name, QByteArrayView(buffer, 10));
    }
    void flag(int level, const char* name) { raw(level, name, "true"); }

private:
    void indent(int level) { m_out.append(level * 2, ' '); }
    void start(int level, const char* name) {
        indent(level);
        m_out += '<';
        m_out += name;
        m_out += '>';
    }
    void end(const char* name) {
        m_out += "</";
        m_out += name;
        m_out += ">\r\n";
    }
    QByteArray& m_out;
};

// Columns of the export's line reading.
enum L { lSzla, lEloleg, lSor, lName, lVtsz, lDb, lMert, lEgysar, lAfakulcs, lKozv, lKulonb, lNetto };

QString lineQuery(const AuditSelection& selection) {
    return QStringLiteral("SELECT szla_sor.szla, szla_sor.eloleg, szla_sor.sor, szla_sor.cikkszam_nev, "
                          "szla_sor.vtsz, szla_sor.db, szla_sor.mert, szla_sor.egysar, szla_sor.afakulcs, "
                          "szla_sor.kozv_szolgaltatas, szla_sor.kulonb_szer_szab, szla_sor.netto%1%2 "
                          "ORDER BY szla_sor.szla, szla_sor.sor")
        .arg(QLatin1String(kLineFrom), selection.condition());
}

// A tax number element: cut to 20 characters; a number shorter than the
// schema's 8 cannot be written.
void taxNumber(Writer& w, int level, const char* name, QByteArrayView value, const QString& whose) {
    if (lengthOf(trimmed(value)) < kTaxNumberMin)
        throw LeftOut{QStringLiteral("%1 rövidebb 8 karakternél (\"%2\")").arg(whose, str(value))};
    w.text(level, name, value, kTaxNumber);
}

void address(Writer& w, const RowReader& h, int first, bool issuer) {
    const QByteArrayView postcode = h.text(first);
    w.open(3, "cim");
    if (blank(postcode))
        w.raw(4, "iranyitoszam", "XXXX");
    else if (lengthOf(postcode) < kPostcodeMin)
        throw LeftOut{QStringLiteral("%1 irányítószáma rövidebb 4 karakternél (\"%2\")")
                          .arg(issuer ? QStringLiteral("a kibocsátó") : QStringLiteral("a vevő"), str(postcode))};
    else
        w.text(4, "iranyitoszam", postcode, kPostcode);
    const QByteArrayView town = h.text(first + 1);
    if (blank(town))
        w.raw(4, "telepules", "XXX");
    else
        w.text(4, "telepules", town);
    w.optional(4, "kerulet", h.text(first + 2));
    // The street name is required by the schema, for the issuer too.
    const QByteArrayView street = h.text(first + 3);
    if (blank(street))
        w.raw(4, "kozterulet_neve", "XXX");
    else
        w.text(4, "kozterulet_neve", street);
    w.optional(4, "kozterulet_jellege", h.text(first + 4));
    w.optional(4, "hazszam", h.text(first + 5));
    w.optional(4, "epulet", h.text(first + 6));
    w.optional(4, "lepcsohaz", h.text(first + 7));
    w.optional(4, "szint", h.text(first + 8));
    w.optional(4, "ajto", h.text(first + 9));
    w.close(3, "cim");
}

// One document, its lines read from the line reader (positioned on the
// document's first line, if any) as they are written.
void writeDocument(Writer& w, const RowReader& h, qint64 key, const QString& number, const QDate& issued,
                   RowReader& lines, bool& lineAhead) {
    const qint64 navkod = h.isNull(hSzlatipus) ? 0 : h.integer(hSzlatipus);
    if (navkod < 1 || navkod > 6)
        throw LeftOut{QStringLiteral("a bizonylatfajtának (\"%1\") nincs érvényes NAV kódja").arg(str(h.text(hPrntip)))};
    const QDate fulfilled = storedDate(h.text(hTeljdatum));
    if (!fulfilled.isValid())
        throw LeftOut{QStringLiteral("üres vagy hibás a teljesítés dátuma")};
    if (!lineAhead || lines.integer(lSzla) != key)
        throw LeftOut{QStringLiteral("nincs tételsora")};

    w.open(1, "szamla");
    w.open(2, "fejlec");
    w.text(3, "szlasorszam", number.toUtf8());
    w.raw(3, "szlatipus", QByteArray::number(navkod));
    w.date(3, "szladatum", issued);
    w.date(3, "teljdatum", fulfilled);
    w.close(2, "fejlec");

    w.open(2, "szamlakibocsato");
    taxNumber(w, 3, "adoszam", h.text(hKiAdoszam), QStringLiteral("a kibocsátó adószáma"));
    if (!blank(h.text(hKiKozadoszam)))
        taxNumber(w, 3, "kozadoszam", h.text(hKiKozadoszam), QStringLiteral("a kibocsátó közösségi adószáma"));
    if (flagSet(h.text(hTkata)))
        w.flag(3, "kisadozo");
    if (blank(h.text(hKiNev)))
        throw LeftOut{QStringLiteral("üres a kibocsátó neve")};
    w.text(3, "nev", h.text(hKiNev));
    address(w, h, hKiIrsz, true);
    if (flagSet(h.text(hTegyeni))) {
        w.flag(3, "egyeni_vallalkozo");
        w.optional(3, "ev_nyilv_tart_szam", h.text(hEvNyilvTartSzam));
        w.optional(3, "ev_neve", h.text(hEvNeve));
    }
    w.close(2, "szamlakibocsato");

    w.open(2, "vevo");
    if (!blank(h.text(hVAdoszam)))
        taxNumber(w, 3, "adoszam", h.text(hVAdoszam), QStringLiteral("a vevő adószáma"));
    if (!blank(h.text(hVKozadoszam)))
        taxNumber(w, 3, "kozadoszam", h.text(hVKozadoszam), QStringLiteral("a vevő közösségi adószáma"));
    if (blank(h.text(hVNev)))
        throw LeftOut{QStringLiteral("üres a vevő neve")};
    w.text(3, "nev", h.text(hVNev));
    address(w, h, hVIrsz, false);
    w.close(2, "vevo");

    // Per rate above 0, in rising order of the rate; and the document's sums.
    std::map<double, double> netByRate;
    double net = 0, vat = 0, gross = 0;
    qint64 margin = 0;
    for (; lineAhead && lines.integer(lSzla) == key; lineAhead = lines.next()) {
        const QByteArrayView name = lines.text(lName);
        if (blank(name))
            throw LeftOut{QStringLiteral("üres a(z) %1. tételsor megnevezése").arg(lines.integer(lSor))};
        const double quantity = lines.real(lDb);
        const double unitNet = lines.real(lNetto);
        const double rate = lines.real(lAfakulcs);
        const double lineNet = unitNet * quantity;
        const double lineVat = unitNet * quantity * (rate / 100);
        const double lineGross = unitNet * quantity * (1 + rate / 100);
        w.open(2, "termek_szolgaltatas_tetelek");
        w.text(3, "termeknev", name);
        if (flagSet(lines.text(lEloleg)))
            w.raw(3, "eloleg", quantity > 0 ? "1" : "2");
        w.optional(3, "besorszam", lines.text(lVtsz));
        w.amount(3, "menny", quantity);
        const QByteArrayView unit = lines.text(lMert);
        if (blank(unit))
            w.raw(3, "mertekegys", "Nem megadott");
        else
            w.text(3, "mertekegys", unit);
        if (flagSet(lines.text(lKozv)))
            w.flag(3, "kozv_szolgaltatas");
        w.amount(3, "nettoar", lineNet);
        w.amount(3, "nettoegysar", lines.real(lEgysar));
        if (rate > 0) {
            w.amount(3, "adokulcs", rate);
            w.amount(3, "adoertek", lineVat);
        }
        w.amount(3, "bruttoar", lineGross);
        w.raw(3, "arengedm", "0.00");
        w.close(2, "termek_szolgaltatas_tetelek");
        netByRate[rate] += lineNet;
        net += lineNet;
        vat += lineVat;
        gross += lineGross;
        const qint64 code = lines.integer(lKulonb);
        if (code != 0) {
            if (code < 1 || code > 4)
                throw LeftOut{QStringLiteral("a(z) %1. tételsor különbözeti szabályozás kódja (%2) ismeretlen")
                                  .arg(lines.integer(lSor))
                                  .arg(code)};
            margin = std::max(margin, code);
        }
    }

    const QByteArrayView original = h.text(hEredetiSorszam);
    if (!blank(original)) {
        w.open(2, "modosito_szla");
        w.text(3, "eredeti_sorszam", original);
        w.close(2, "modosito_szla");
    }

    w.open(2, "zaradekok");
    if (flagSet(h.text(hPenzforgelsz)))
        w.flag(3, "penzforgelsz");
    if (flagSet(h.text(hFa)))
        w.flag(3, "ford_ado");
    if (flagSet(h.text(hAdomentHiv)))
        w.flag(3, "adoment_hiv");
    if (margin > 0)
        w.raw(3, "kulonb_szer_szab", QByteArray::number(margin));
    if (flagSet(h.text(hNeta)))
        w.flag(3, "neta");
    w.close(2, "zaradekok");

    w.open(2, "nem_kotelezo");
    const QDate due = storedDate(h.text(hFizHatarido));
    if (due.isValid())
        w.date(3, "fiz_hatarido", due);
    w.optional(3, "fiz_mod", h.text(hFizMod));
    w.optional(3, "penznem", h.text(hPenznem));
    w.text(3, "szla_forma", h.text(hSzlaForma));
    w.optional(3, "kibocsato_bankszla", h.text(hKibocsatoBankszla));
    w.optional(3, "befogado_bankszla", h.text(hBefogadoBankszla));
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

QByteArray auditAmount(double value) {
    QByteArray out;
    appendCents(out, std::nearbyint(value * 100));
    return out;
}

QByteArray auditText(const QString& value, int maxLength) {
    QByteArray out;
    appendEscaped(out, value.toUtf8(), maxLength);
    return out;
}

namespace {

// What the head of the file says about the documents in it.
struct Summary {
    int count = 0;
    QString firstNumber; // of the lowest key
    QString lastNumber;  // of the highest key
    QDate firstDate;     // the earliest issue date
    QDate lastDate;      // the latest issue date
    bool operator==(const Summary&) const = default;
};

QString numberOf(const RowReader& r, int number, int kind, int prefix, const QDate& issued) {
    const QByteArrayView k = trimmed(r.text(kind));
    return DocNumberText(r.integer(number), k.isEmpty() ? QChar() : QChar(k[0]), str(r.text(prefix)), issued);
}

// The summary of the selection as it will be when every document can be
// written.
Summary expectedSummary(Database& db, const AuditSelection& selection, int count) {
    Summary s;
    s.count = count;
    if (count == 0)
        return s;
    for (const bool last : {false, true}) {
        RowReader r(db, QStringLiteral("SELECT szla.szlaszam, szla.prntip, szla.szlabetu, szla.dat_kiadva FROM szla "
                                       "WHERE %1 ORDER BY szla.szla%2 LIMIT 1")
                            .arg(selection.condition(), last ? QStringLiteral(" DESC") : QString()));
        if (r.next())
            (last ? s.lastNumber : s.firstNumber) = numberOf(r, 0, 1, 2, storedDate(r.text(3)));
    }
    RowReader r(db, QStringLiteral("SELECT MIN(szla.dat_kiadva), MAX(szla.dat_kiadva) FROM szla WHERE %1")
                        .arg(selection.condition()));
    if (r.next()) {
        s.firstDate = storedDate(r.text(0));
        s.lastDate = storedDate(r.text(1));
    }
    return s;
}

QByteArray headText(const QDate& today, const Summary& s) {
    QByteArray head;
    head += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    head += "<szamlak xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
            "xmlns='http://schemas.nav.gov.hu/2013/szamla'>\r\n";
    Writer w(head);
    w.date(1, "export_datuma", today);
    w.raw(1, "export_szla_db", QByteArray::number(s.count));
    w.date(1, "kezdo_ido", s.firstDate);
    w.date(1, "zaro_ido", s.lastDate);
    w.text(1, "kezdo_szla_szam", s.firstNumber.toUtf8());
    w.text(1, "zaro_szla_szam", s.lastNumber.toUtf8());
    return head;
}

// Writes every document of the selection the schema can express into the
// device, names the others in result.leftOut, and returns the summary of
// what was written.
Summary writeDocuments(Database& db, const AuditSelection& selection, QIODevice& device, const QString& path,
                       AuditExportResult& result, const AuditProgress& progress) {
    result.leftOut.clear();
    RowReader h(db, auditHeaderQuery(selection));
    RowReader lines(db, lineQuery(selection));
    bool lineAhead = lines.next();

    QByteArray out;
    out.reserve(2 << 20);
    Summary s;
    int done = 0;
    const auto flush = [&](bool always) {
        if (out.size() < (1 << 20) && !always)
            return;
        if (device.write(out) != out.size())
            throw AuditError(fileError(path, device.errorString()));
        out.resize(0); // keeps the buffer's capacity
    };

    while (h.next()) {
        const qint64 key = h.integer(hSzla);
        while (lineAhead && lines.integer(lSzla) < key)
            lineAhead = lines.next();

        const QDate issued = storedDate(h.text(hSzladatum));
        const QString number = numberOf(h, hSzlaszam, hPrntip, hSzlabetu, issued);
        // Written straight into the buffer, and taken back when the
        // document turns out to be one the schema cannot express.
        const qsizetype mark = out.size();
        try {
            if (!issued.isValid())
                throw LeftOut{QStringLiteral("üres vagy hibás a kiállítás dátuma")};
            Writer w(out);
            writeDocument(w, h, key, number, issued, lines, lineAhead);
            if (s.count == 0) {
                s.firstNumber = number;
                s.firstDate = s.lastDate = issued;
            }
            s.lastNumber = number;
            s.firstDate = std::min(s.firstDate, issued);
            s.lastDate = std::max(s.lastDate, issued);
            ++s.count;
            flush(false);
        } catch (const LeftOut& e) {
            out.resize(mark);
            result.leftOut << QStringLiteral("%1 (gépi kód %2): %3").arg(number).arg(key).arg(e.reason);
        }
        ++done;
        if (progress)
            progress(done, std::max(done, result.selected));
    }
    flush(true);
    return s;
}

} // namespace

AuditExportResult writeAuditXml(Database& db, const AuditSelection& selection, const QString& path,
                                const QDate& today, const AuditProgress& progress) {
    AuditExportResult result;
    result.selected = auditDocumentCount(db, selection);
    const auto nothing = [&] {
        QString text = QStringLiteral("Nincs exportálható bizonylat a kiválasztásban (%1); a fájl nem készült el.")
                           .arg(selection.caption());
        if (!result.leftOut.isEmpty())
            text += QLatin1Char('\n') + auditLeftOutMessage(result);
        return AuditError(text);
    };
    if (result.selected == 0)
        throw nothing();

    // The head counts and dates the documents in the file. It is written
    // first as the selection promises it, and the documents after it, into
    // a scratch file beside the target, which takes the target's place only
    // when the whole file is complete. The documents are read once: when
    // some were left out (or the folder changed while it was read), the file
    // is put together anew from the head of what was written and the
    // documents already in the scratch file.
    const Summary expected = expectedSummary(db, selection, result.selected);
    const QString scratchPattern = QDir(QFileInfo(path).absolutePath()).filePath(QStringLiteral(".audit-XXXXXX.tmp"));
    QTemporaryFile first(scratchPattern);
    if (!first.open())
        throw AuditError(fileError(path, first.errorString()));
    const QByteArray promised = headText(today, expected);
    if (first.write(promised) != promised.size())
        throw AuditError(fileError(path, first.errorString()));
    const Summary written = writeDocuments(db, selection, first, path, result, progress);
    result.written = written.count;
    if (written.count == 0)
        throw nothing();
    const auto finish = [&](QTemporaryFile& file) {
        if (file.write("</szamlak>\r\n") < 0 || !file.flush())
            throw AuditError(fileError(path, file.errorString()));
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                            QFileDevice::ReadOther);
        file.close();
        if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
            throw AuditError(fileError(path, QString::fromLocal8Bit(std::strerror(errno))));
        file.setAutoRemove(false);
    };
    if (written == expected) {
        finish(first);
        return result;
    }
    QTemporaryFile file(scratchPattern);
    if (!file.open())
        throw AuditError(fileError(path, file.errorString()));
    file.write(headText(today, written));
    first.seek(promised.size());
    QByteArray chunk;
    while (!first.atEnd()) {
        chunk = first.read(4 << 20);
        if (chunk.isEmpty())
            throw AuditError(fileError(path, first.errorString()));
        if (file.write(chunk) != chunk.size())
            throw AuditError(fileError(path, file.errorString()));
    }
    finish(file);
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
