#include "masters/DemoMasters.h"

#include "core/DemoRandom.h"
#include "masters/Customers.h"

#include "common/Database.h"

#include <QSet>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <random>
#include <vector>

namespace orvix {

namespace {

// Random streams of the steps (the documents step uses 4).
enum Stream : quint32 { IssuerStream = 1, CustomerStream = 2, ProductStream = 3 };

class Random : public DemoRandom {
public:
    Random(quint32 seed, Stream stream) : DemoRandom(seed, quint32(stream)) {}
};

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// Unused text fields hold empty text rather than null, so that address parts
// and names can be joined in queries without turning the whole into null.
QString blank() {
    return QStringLiteral("");
}

// ---------------------------------------------------------------------------
// Check digits

// Check digit of the first seven digits of a tax number or of a bank account
// block: weights 9, 7, 3, 1 repeating; the weighted sum with the check digit
// (weight 1) is divisible by 10.
QChar weightedCheckDigit(const QString& digits) {
    static const int weights[] = {9, 7, 3, 1};
    int sum = 0;
    for (int i = 0; i < digits.size(); ++i)
        sum += digits.at(i).digitValue() * weights[i % 4];
    return QChar(u'0' + (10 - sum % 10) % 10);
}

// EAN-13 check digit of the first twelve digits (weights 1, 3 alternating).
QChar eanCheckDigit(const QString& twelve) {
    int sum = 0;
    for (int i = 0; i < twelve.size(); ++i)
        sum += twelve.at(i).digitValue() * (i % 2 ? 3 : 1);
    return QChar(u'0' + (10 - sum % 10) % 10);
}

// Hungarian IBAN in its printed form ("HU42 1177 3016 …") from a 24-digit
// account: the check digits make the number ≡ 1 mod 97 (ISO 13616).
QString ibanOf(const QString& account) {
    const QString rearranged = account + QStringLiteral("173000"); // "HU00", H = 17, U = 30
    int mod = 0;
    for (const QChar c : rearranged)
        mod = (mod * 10 + c.digitValue()) % 97;
    const QString raw = QStringLiteral("HU%1").arg(98 - mod, 2, 10, QLatin1Char('0')) + account;
    QStringList groups;
    for (int i = 0; i < raw.size(); i += 4)
        groups << raw.mid(i, 4);
    return groups.join(QLatin1Char(' '));
}

// ---------------------------------------------------------------------------
// Word lists

// clang-format off
constexpr const char* kSurnames[] = {
    "Kovács", "Szabó", "Tóth", "Nagy", "Horváth", "Kiss", "Molnár", "Varga", "Farkas", "Balogh", "Papp",
    "Takács", "Juhász", "Mészáros", "Oláh", "Simon", "Rácz", "Fekete", "Szilágyi", "Török", "Fehér",
    "Balázs", "Gál", "Szűcs", "Kocsis", "Pintér", "Fodor", "Szalai", "Sipos", "Magyar", "Lukács", "Gulyás",
    "Bíró", "Király", "Katona", "László", "Jakab", "Sándor", "Boros", "Fazekas", "Kelemen", "Antal",
    "Somogyi", "Orosz", "Vincze", "Fülöp", "Veres", "Hegedűs", "Deák", "Bálint", "Illés", "Vass", "Szőke",
    "Fábián", "Vörös", "Lengyel", "Bognár", "Halász", "Máté", "Székely", "Gáspár", "Kozma", "Pásztor",
    "Dudás", "Virág", "Orbán", "Barna", "Soós", "Nemes", "Csonka", "Csizmadia", "Csordás", "Csató",
    "Ábrahám", "Ádám", "Árvai", "Ács", "Ördög", "Östör", "Ökrös", "Zsigmond", "Zsoldos", "Zsíros",
    "Zsámboki", "Szekeres", "Szarka", "Szendrei", "Szénási", "Ürmös", "Ónodi", "Éles", "Erdős",
};

constexpr const char* kMaleNames[] = {
    "János", "István", "László", "József", "Zoltán", "Sándor", "Gábor", "Ferenc", "Attila", "Péter",
    "Tamás", "Zsolt", "Tibor", "András", "Csaba", "Imre", "Lajos", "György", "Balázs", "Gyula", "Mihály",
    "Róbert", "Norbert", "Ádám", "Árpád", "Ákos", "Ödön", "Örs", "Csongor", "Zsombor", "Szabolcs",
    "Dániel", "Bence", "Máté", "Dávid", "Levente", "Úrsz", "Őze",
};

constexpr const char* kFemaleNames[] = {
    "Mária", "Erzsébet", "Katalin", "Ilona", "Éva", "Anna", "Zsuzsanna", "Margit", "Judit", "Ágnes",
    "Andrea", "Erika", "Krisztina", "Ildikó", "Eszter", "Zsófia", "Csilla", "Szilvia", "Tímea", "Ágota",
    "Anikó", "Orsolya", "Réka", "Emese", "Enikő", "Dóra", "Zsuzsa", "Szandra", "Ünige", "Őzike",
    "Cecília", "Boglárka",
};

// First words of company names.
constexpr const char* kCompanyWords[] = {
    "Árvíztűrő", "Tükörfúrógép", "Zöldmező", "Napfény", "Aranykalász", "Csillagfény", "Szivárvány",
    "Ökoház", "Öreghegy", "Zsálya", "Alföld", "Dunamenti", "Tiszavirág", "Bakony", "Mátra", "Balaton",
    "Pannon", "Hungária", "Kárpát", "Főnix", "Gyöngyvirág", "Ezüstfenyő", "Tölgyfa", "Csodaszarvas",
    "Turul", "Sasfészek", "Hattyú", "Őrség", "Szélrózsa", "Szilvafa", "Csermely", "Ősforrás", "Írisz",
    "Zsinórmérték", "Ütemterv", "Élvonal",
};

constexpr const char* kActivities[] = {
    "Kereskedelmi", "Szolgáltató", "Kereskedelmi és Szolgáltató", "Építőipari", "Informatikai",
    "Fuvarozó", "Vendéglátó", "Ingatlankezelő", "Mezőgazdasági", "Könyvelő", "Gépészeti", "Nyomdaipari",
    "Tanácsadó",
};

constexpr const char* kStreets[] = {
    "Petőfi Sándor", "Kossuth Lajos", "Ady Endre", "Rákóczi", "Fő", "Dózsa György", "Széchenyi István",
    "Arany János", "Jókai Mór", "Bajcsy-Zsilinszky", "Váci", "Üllői", "Szent István", "Hunyadi János",
    "Táncsics Mihály", "Kölcsey Ferenc", "Vörösmarty Mihály", "Zrínyi Miklós", "Bem József", "Damjanich",
    "Árpád", "Béke", "Szabadság", "Rózsa", "Akácfa", "Csokonai", "Zsolnay Vilmos", "Öböl", "Őzike",
    "Ürömi", "Erkel Ferenc", "Batthyány", "Deák Ferenc", "Madách Imre", "Mikszáth Kálmán",
    "Móricz Zsigmond", "Tompa Mihály", "Szent Imre", "Gárdonyi Géza", "Esze Tamás",
};

constexpr const char* kMailHosts[] = {"gmail.com", "freemail.hu", "citromail.hu", "t-online.hu", "outlook.hu"};
constexpr const char* kCompanyMailboxes[] = {"info", "iroda", "szamla", "rendeles", "kapcsolat"};

struct Bank {
    const char* code; // first three digits of the account
    const char* swift;
};
constexpr Bank kBanks[] = {
    {"117", "OTPVHUHB"}, {"104", "OKHBHUHB"}, {"116", "GIBAHUHB"}, {"107", "CIBHHUHB"},
    {"120", "UBRTHUHB"}, {"109", "BACXHUHB"}, {"103", "MKKBHUHB"}, {"101", "BUDAHUHB"},
};

// Landline area codes by the first digit of the postcode (regions 2 … 9).
constexpr const char* kAreaCodes[8][6] = {
    {"22", "23", "24", "26", "28", "29"}, {"32", "33", "36", "37", "46", "48"},
    {"42", "44", "45", "52", "54", "42"}, {"56", "57", "59", "66", "68", "56"},
    {"62", "63", "76", "77", "78", "79"}, {"72", "73", "74", "75", "82", "85"},
    {"22", "25", "83", "84", "87", "88"}, {"94", "95", "96", "99", "94", "96"},
};

// County codes of tax numbers by the first digit of the postcode (1 … 9).
constexpr const char* kCounties[9][3] = {
    {"41", "42", "43"}, {"13", "11", "12"}, {"05", "10", "12"}, {"09", "15", "09"}, {"16", "04", "16"},
    {"03", "06", "03"}, {"02", "14", "17"}, {"07", "19", "20"}, {"08", "18", "08"},
};
// clang-format on

// ---------------------------------------------------------------------------
// Products

struct ProductLine {
    const char* name;
    const char* unit;
    int minPrice; // net, forints
    int maxPrice;
    const char* variants; // "|"-separated
};

struct Category {
    const char* code;
    const char* name;
    const char* prefix; // of the product codes: "IR-0001"
    double rate;        // VAT rate in percent
    bool exempt;        // VAT-exempt services (rate 0, tm "I")
    int weight;         // share of the products
    const char* vtsz;   // customs tariff number, or service number for services
    const char* warranty;
    const char* origins; // "|"-separated codes of kOrigins; repeats weigh more
    const char* brands;  // "|"-separated, empty for none
    std::vector<ProductLine> lines;

    bool goods() const { return !QLatin1String(vtsz).contains(QLatin1Char('.')); }
};

struct Origin {
    const char* code;
    const char* name;
};
constexpr Origin kOrigins[] = {
    {"HU", "Magyarország"}, {"DE", "Németország"},   {"AT", "Ausztria"},   {"CN", "Kína"},
    {"IT", "Olaszország"},  {"PL", "Lengyelország"}, {"CZ", "Csehország"}, {"SK", "Szlovákia"},
};

// clang-format off
const std::vector<Category>& categories() {
    static const std::vector<Category> list = {
        {"ELEKTR", "Elektronika", "EL", 27, false, 14, "8471", "24 hónap", "CN|CN|CN|DE|HU|PL",
         "Voltix|Digitron|Pannontech|Délibáb", {
            {"USB pendrive", "db", 1500, 9000, "16 GB|32 GB|64 GB|128 GB"},
            {"Vezeték nélküli egér", "db", 2500, 12000, "fekete|fehér|szürke"},
            {"Billentyűzet", "db", 4000, 25000, "magyar kiosztású|vezeték nélküli|ergonomikus"},
            {"Monitor", "db", 35000, 120000, "22 hüvelykes|24 hüvelykes|27 hüvelykes"},
            {"Hálózati kábel", "db", 500, 3000, "1 m|2 m|5 m|10 m"},
            {"Fejhallgató", "db", 3000, 30000, "vezetékes|vezeték nélküli|zajszűrős"},
            {"Hosszabbító", "db", 1200, 6000, "3 aljzatos|5 aljzatos|kapcsolós"},
            {"Külső merevlemez", "db", 18000, 60000, "1 TB|2 TB|4 TB"},
            {"Webkamera", "db", 6000, 25000, "HD|Full HD"}}},
        {"IRODA", "Irodaszer", "IR", 27, false, 18, "4820", "", "HU|HU|DE|CN|PL|CZ",
         "Papírus|Irodamester|Íróka", {
            {"Golyóstoll", "db", 120, 900, "kék|fekete|piros|zöld"},
            {"Fénymásolópapír A4", "csomag", 1500, 3200, "80 g|100 g|színes"},
            {"Spirálfüzet", "db", 300, 1500, "A4 kockás|A4 vonalas|A5 sima"},
            {"Iratrendező", "db", 500, 1600, "5 cm|7,5 cm|8 cm"},
            {"Tűzőgép", "db", 900, 6000, "kicsi|asztali|nagy teljesítményű"},
            {"Tűzőkapocs", "doboz", 150, 800, "24/6|26/6|23/10"},
            {"Öntapadó jegyzettömb", "csomag", 300, 1500, "sárga|neon|pasztell"},
            {"Szövegkiemelő", "db", 200, 700, "sárga|zöld|narancs|rózsaszín"},
            {"Genotherm", "csomag", 600, 2000, "A4 lefűzhető|A4 víztiszta"},
            {"Boríték", "csomag", 400, 2500, "LC/6|LA/4|TB/4 szilikonos"},
            {"Ragasztóstift", "db", 200, 800, "20 g|40 g"}}},
        {"SZOLG", "Szolgáltatás", "SZ", 27, false, 12, "62.02", "", "HU", "", {
            {"Rendszergazdai szolgáltatás", "óra", 6000, 15000, "munkaidőben|hétvégén|sürgősségi"},
            {"Szoftvertelepítés", "alkalom", 5000, 20000, "alap|teljes"},
            {"Kiszállási díj", "alkalom", 3000, 12000, "Budapesten belül|vidékre"},
            {"Weboldal karbantartás", "hó", 10000, 60000, "alap csomag|bővített csomag|prémium csomag"},
            {"Tanácsadás", "óra", 10000, 30000, "adózási|informatikai|üzletviteli"},
            {"Szállítási díj", "alkalom", 1500, 8000, "csomag|raklap"},
            {"Fénymásolás", "oldal", 10, 60, "fekete-fehér A4|színes A4|fekete-fehér A3"},
            {"Könyvelési díj", "hó", 25000, 120000, "egyéni vállalkozó|betéti társaság|kft."},
            {"Gépbérlés", "nap", 5000, 40000, "fúrógép|betonkeverő|állvány"},
            {"Adatmentés", "alkalom", 5000, 25000, "helyszíni|távoli"},
            {"Nyomtatójavítás", "alkalom", 6000, 30000, "lézernyomtató|tintasugaras"},
            {"Tárhelyszolgáltatás", "hó", 1500, 12000, "alap|üzleti|prémium"},
            {"Takarítás", "óra", 3000, 6000, "irodai|ipari|ablaktisztítás"},
            {"Fordítás", "oldal", 3000, 8000, "angolra|németre|magyarra"}}},
        {"OKTAT", "Oktatás", "OK", 0, true, 4, "85.59", "", "HU", "", {
            {"Excel tanfolyam", "alkalom", 15000, 60000, "kezdő|haladó"},
            {"Angol nyelvi képzés", "óra", 4000, 9000, "csoportos|egyéni|üzleti"},
            {"Német nyelvi képzés", "óra", 4000, 9000, "csoportos|egyéni"},
            {"Könyvelői továbbképzés", "alkalom", 20000, 80000, "egynapos|kétnapos"},
            {"Vizsgadíj", "alkalom", 8000, 30000, "írásbeli|szóbeli"},
            {"Munkavédelmi oktatás", "alkalom", 10000, 40000, "alap|ismétlő"},
            {"Számítógépes alapismeretek", "alkalom", 10000, 40000, "kezdőknek|időseknek"}}},
        {"KONYV", "Könyv", "KO", 5, false, 8, "4901", "", "HU|HU|HU|SK", "", {
            {"Számviteli kézikönyv", "db", 4000, 12000, "új kiadás|zsebkönyv"},
            {"Adózási kézikönyv", "db", 4000, 12000, "új kiadás|zsebkönyv"},
            {"Magyar–angol szótár", "db", 3000, 15000, "kisszótár|nagyszótár"},
            {"Helyesírási szótár", "db", 2500, 6000, "diákoknak|teljes kiadás"},
            {"Szakácskönyv", "db", 3000, 9000, "magyaros ételek|sütemények|vegetáriánus"},
            {"Mesekönyv", "db", 2000, 6000, "Benedek Elek meséi|Grimm-mesék|magyar népmesék"},
            {"Útikönyv", "db", 3000, 8000, "Erdély|Felvidék|Őrség|Balaton"},
            {"Ifjúsági regény", "db", 2500, 5500, "kalandregény|fantasy|történelmi"},
            {"Verseskötet", "db", 2000, 5000, "Petőfi Sándor|Ady Endre|József Attila|Radnóti Miklós"},
            {"Kifestőkönyv", "db", 800, 2500, "állatos|járműves|mandala"}}},
        {"ELELM", "Élelmiszer", "ET", 18, false, 10, "0406", "", "HU|HU|HU|AT|SK|PL",
         "Alföldi|Bakonyi|Hegyvidéki", {
            {"Trappista sajt", "kg", 2500, 4500, "szeletelt|tömb"},
            {"Tejföl", "db", 300, 700, "12%|20%"},
            {"Vaj", "db", 600, 1200, "82%|sózott"},
            {"Joghurt", "db", 150, 450, "natúr|epres|barackos"},
            {"Pogácsa", "kg", 2000, 4000, "sajtos|tepertős|burgonyás"},
            {"Kalács", "db", 600, 1400, "fonott|kakaós|diós"},
            {"Kefir", "db", 200, 400, "natúr|zsírszegény"}}},
        {"HAZTART", "Háztartási cikk", "HT", 27, false, 12, "7323", "", "CN|HU|PL|DE|IT",
         "Konyhatündér|Otthonka|Porcelánia", {
            {"Bögre", "db", 600, 2500, "fehér|mintás|hőtartó"},
            {"Serpenyő", "db", 3000, 15000, "20 cm|24 cm|28 cm"},
            {"Vágódeszka", "db", 800, 4000, "fa|műanyag|bambusz"},
            {"Tárolódoboz", "db", 500, 3000, "1 l|2 l|5 l"},
            {"Konyharuha", "csomag", 600, 2500, "pamut|mikroszálas"},
            {"Evőeszközkészlet", "készlet", 4000, 20000, "6 személyes|12 személyes"}}},
        {"SZERSZ", "Szerszám", "SR", 27, false, 10, "8205", "12 hónap", "DE|CN|HU|CZ|AT",
         "Mesterkéz|Vasgyúró|Ezermester", {
            {"Csavarhúzókészlet", "készlet", 2000, 12000, "6 részes|12 részes|precíziós"},
            {"Kalapács", "db", 1500, 6000, "300 g|500 g|1000 g"},
            {"Fúrószár", "db", 300, 3000, "fához|fémhez|betonhoz"},
            {"Mérőszalag", "db", 800, 4000, "3 m|5 m|8 m"},
            {"Csavarkulcs", "db", 600, 4000, "10 mm|13 mm|17 mm|19 mm"},
            {"Akkus fúró-csavarozó", "db", 15000, 60000, "12 V|18 V"},
            {"Vízmérték", "db", 1500, 7000, "40 cm|60 cm|100 cm"},
            {"Facsavar", "doboz", 500, 3000, "4×30|4×40|5×50|6×60"}}},
        {"TISZT", "Tisztítószer", "TI", 27, false, 12, "3402", "", "HU|HU|DE|AT|PL|CZ",
         "Tisztaság|Ragyogó|Habcsók", {
            {"Mosogatószer", "l", 400, 1500, "citromos|almás|balzsamos"},
            {"Ablaktisztító", "db", 500, 1500, "szórófejes|utántöltő"},
            {"Padlótisztító", "l", 600, 2500, "fenyő|levendula|citrus"},
            {"Fertőtlenítő folyadék", "l", 700, 3000, "klóros|klórmentes"},
            {"Mosópor", "kg", 1200, 4000, "színes|fehér|univerzális"},
            {"Toalettpapír", "csomag", 900, 3500, "8 tekercses|16 tekercses|24 tekercses"},
            {"Szemeteszsák", "tekercs", 300, 1500, "35 l|60 l|120 l"},
            {"Kéztörlő papír", "csomag", 800, 3000, "2 tekercses|hajtogatott"}}},
    };
    return list;
}
// clang-format on

// ---------------------------------------------------------------------------
// Rows

// One row to write: field names and values in the same order.
class Row {
public:
    // A null text (an address part or tax number left out) is written as
    // empty text, like blank().
    Row& set(const QString& field, const QVariant& value) {
        m_fields << field;
        const bool nullText = value.typeId() == QMetaType::QString && value.toString().isNull();
        m_values << (nullText ? QVariant(blank()) : value);
        return *this;
    }
    Row& set(const char* field, const QVariant& value) { return set(QLatin1String(field), value); }

    void insertInto(Database& db, const char* table) const {
        QStringList marks;
        for (int i = 0; i < m_fields.size(); ++i)
            marks << QStringLiteral("?");
        db.execSql(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3);")
                .arg(QLatin1String(table), m_fields.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
            m_values);
    }

    // Sets the fields in every row of a single-row table.
    void updateAll(Database& db, const char* table) const {
        QStringList sets;
        for (const QString& f : m_fields)
            sets << f + QStringLiteral(" = ?");
        db.execSql(
            QStringLiteral("UPDATE %1 SET %2;").arg(QLatin1String(table), sets.join(QStringLiteral(", "))),
            m_values);
    }

private:
    QStringList m_fields;
    QVariantList m_values;
};

// ---------------------------------------------------------------------------
// Addresses

struct Place {
    QString irsz;
    QString varos;
    QString kerulet; // district of a Budapest postcode ("XIII."), else empty
};

struct Address {
    Place place;
    QString cim; // street name
    QString kozterulet;
    QString hazszam;
    QString epulet;
    QString lepcsohaz;
    QString szint;
    QString ajto;

    // Writes the ten parts; prefix "cim_", "szla_" or "" (the issuer).
    void writeTo(Row& row, const QString& prefix) const {
        row.set(prefix + QStringLiteral("irsz"), place.irsz)
            .set(prefix + QStringLiteral("varos"), place.varos)
            .set(prefix + QStringLiteral("cim"), cim)
            .set(prefix + QStringLiteral("kerulet"), place.kerulet)
            .set(prefix + QStringLiteral("kozterulet"), kozterulet)
            .set(prefix + QStringLiteral("hazszam"), hazszam)
            .set(prefix + QStringLiteral("epulet"), epulet)
            .set(prefix + QStringLiteral("lepcsohaz"), lepcsohaz)
            .set(prefix + QStringLiteral("szint"), szint)
            .set(prefix + QStringLiteral("ajto"), ajto);
    }
};

// The towns of the postcode table, Budapest apart so that the capital gets a
// realistic share of the addresses.
class Places {
public:
    explicit Places(Database& db) {
        QSqlQuery q = db.select(QStringLiteral("SELECT irsz, varos FROM irsz ORDER BY irsz, varos;"));
        while (q.next()) {
            Place p{q.value(0).toString().trimmed(), q.value(1).toString().trimmed(), {}};
            if (p.irsz.isEmpty() || p.varos.isEmpty())
                continue;
            if (p.varos == QLatin1String("Budapest")) {
                p.kerulet = budapestDistrict(p.irsz);
                if (!p.kerulet.isEmpty())
                    m_budapest.push_back(p);
            } else {
                m_countryside.push_back(p);
            }
        }
        if (m_countryside.empty() && m_budapest.empty())
            throw DemoDataError(QStringLiteral("Az irányítószám-tábla üres, a címek nem készíthetők el."));
    }

    const Place& draw(Random& r, double budapestShare) const {
        const bool capital = !m_budapest.empty() && (m_countryside.empty() || r.chance(budapestShare));
        const std::vector<Place>& list = capital ? m_budapest : m_countryside;
        return list[r.below(int(list.size()))];
    }

private:
    std::vector<Place> m_budapest;
    std::vector<Place> m_countryside;
};

// A street address; homes in Budapest are mostly flats.
Address drawAddress(Random& r, const Places& places, double budapestShare, bool home) {
    Address a;
    a.place = places.draw(r, budapestShare);
    a.cim = r.pick(kStreets);
    static const char* const types[] = {"utca", "út", "tér", "köz", "sor"};
    a.kozterulet = u8(types[r.weighted({72, 14, 7, 4, 3})]);
    a.hazszam = QString::number(r.between(1, 140));
    if (r.chance(0.08))
        a.hazszam += r.chance(0.5) ? QStringLiteral("/A") : QStringLiteral("/B");
    if (!home && r.chance(0.05))
        a.epulet = QString(QChar(u'A' + r.below(3)));
    const bool flat = r.chance(a.place.kerulet.isEmpty() ? (home ? 0.15 : 0.1) : (home ? 0.65 : 0.35));
    if (flat) {
        if (r.chance(0.1))
            a.lepcsohaz = r.chance(0.5) ? QStringLiteral("A") : QStringLiteral("B");
        const int floor = r.between(0, 8);
        a.szint = floor == 0 ? QStringLiteral("fszt.") : QString::number(floor);
        a.ajto = QString::number(r.between(1, 16));
    }
    return a;
}

// ---------------------------------------------------------------------------
// Names, phones, mails, tax numbers, accounts

// "Kovács János", "Szabóné Kiss Éva", "dr. Tóth Zsófia"; at most 30 characters
// (the width of the contact field).
QString personName(Random& r) {
    for (;;) {
        // One draw per statement: the order of operands of + is unspecified,
        // and the same seed must give the same names with every compiler.
        const bool female = r.chance(0.5);
        const QString surname = r.pick(kSurnames);
        QString name = surname + QLatin1Char(' ') + (female ? r.pick(kFemaleNames) : r.pick(kMaleNames));
        if (female && r.chance(0.12)) {
            const QString husband = r.pick(kSurnames);
            name = husband + QStringLiteral("né ") + name;
        }
        if (r.chance(0.03))
            name = QStringLiteral("dr. ") + name;
        if (name.size() <= 30)
            return name;
    }
}

QString companyName(Random& r, bool issuer) {
    static const char* const forms[] = {"Kft.", "Bt.", "Zrt.", "Kkt.", "Nyrt."};
    const QString form = issuer ? QStringLiteral("Kft.") : u8(forms[r.weighted({62, 26, 7, 4, 1})]);
    const int pattern = issuer ? 1 : r.weighted({16, 30, 36, 10, 8});
    const QString first = pattern == 0 || pattern == 3 ? r.pick(kSurnames) : r.pick(kCompanyWords);
    QString name;
    switch (pattern) {
    case 0:
        name = first + (r.chance(0.7) ? QStringLiteral(" és Társa ") : QStringLiteral(" és Fia "));
        break;
    case 1:
        name = first + QLatin1Char(' ') + r.pick(kActivities) + QLatin1Char(' ');
        break;
    case 2:
        name = first + QLatin1Char(' ');
        break;
    case 3:
        name = first + QLatin1Char('-') + r.pick(kSurnames) + QLatin1Char(' ');
        break;
    default:
        name = first + QLatin1Char('-') + r.pick(kCompanyWords) + QLatin1Char(' ');
        break;
    }
    name += form;
    return name.size() <= 50 ? name : first + QLatin1Char(' ') + form;
}

// Letters and digits of a name for mail addresses: "Szőke Ödön" → "szoke", "odon".
QStringList mailParts(const QString& name) {
    QStringList parts;
    for (const QString& word : foldForSearch(name).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QString part;
        for (const QChar c : word)
            if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
                part += c;
        if (!part.isEmpty())
            parts << part;
    }
    return parts;
}

QString personMail(Random& r, const QString& name) {
    QStringList parts = mailParts(name);
    parts.removeAll(QStringLiteral("dr"));
    QString local = parts.join(QLatin1Char('.'));
    if (r.chance(0.4))
        local += QString::number(r.between(1, 99));
    return local + QLatin1Char('@') + r.pick(kMailHosts);
}

QString companyMail(Random& r, const QString& name) {
    static const QStringList forms = {QStringLiteral("kft"),   QStringLiteral("bt"),   QStringLiteral("zrt"),
                                      QStringLiteral("kkt"),   QStringLiteral("nyrt"), QStringLiteral("es"),
                                      QStringLiteral("tarsa"), QStringLiteral("fia")};
    QStringList parts = mailParts(name);
    for (const QString& f : forms)
        parts.removeAll(f);
    const QString domain = parts.mid(0, 2).join(QLatin1Char('-'));
    return r.pick(kCompanyMailboxes) + QLatin1Char('@') + domain + QStringLiteral(".hu");
}

QString landline(Random& r, const Place& place) {
    if (place.varos == QLatin1String("Budapest"))
        return QStringLiteral("+36 1 %1 %2").arg(r.between(200, 499)).arg(r.digits(4));
    const int region = place.irsz.isEmpty() ? 2 : place.irsz.at(0).digitValue();
    const char* const* codes = kAreaCodes[qBound(2, region, 9) - 2];
    return QStringLiteral("+36 %1 %2 %3")
        .arg(QLatin1String(codes[r.below(6)]))
        .arg(r.between(200, 599))
        .arg(r.digits(3));
}

QString mobile(Random& r) {
    static const char* const networks[] = {"20", "30", "31", "50", "70"};
    return QStringLiteral("+36 %1 %2 %3")
        .arg(QLatin1String(networks[r.below(5)]))
        .arg(r.between(100, 999))
        .arg(r.digits(4));
}

// Tax number as stored (the eleven digits without hyphens): seven digits,
// their check digit, the VAT code and the county code of the seat.
QString taxNumber(Random& r, QSet<QString>& used, QChar vatCode, bool soleTrader, const Place& seat) {
    const int region = seat.irsz.isEmpty() ? 1 : qBound(1, seat.irsz.at(0).digitValue(), 9);
    for (;;) {
        const QString lead = QString::number(soleTrader ? r.between(5, 6) : r.between(1, 2));
        const QString seven = lead + r.digits(6);
        const QString number =
            seven + weightedCheckDigit(seven) + vatCode + QLatin1String(kCounties[region - 1][r.below(3)]);
        if (!used.contains(number.left(8))) {
            used.insert(number.left(8));
            return number;
        }
    }
}

// Bank account as stored (digits only): blocks of eight digits, each ending in
// its check digit; the first block is the bank's code and a branch.
QString bankAccount(Random& r, const Bank& bank, int blocks) {
    const QString head = QLatin1String(bank.code) + r.digits(4);
    QString account = head + weightedCheckDigit(head);
    for (int i = 1; i < blocks; ++i) {
        const QString seven = r.digits(7);
        account += seven + weightedCheckDigit(seven);
    }
    return account;
}

// A customer's account: 16 digits, or 24 at some banks.
QString customerAccount(Random& r) {
    const Bank& bank = kBanks[r.below(int(std::size(kBanks)))];
    const int blocks = r.chance(0.3) ? 3 : 2;
    return bankAccount(r, bank, blocks);
}

QString eanCode(Random& r, QSet<QString>& used) {
    for (;;) {
        const QString twelve = QStringLiteral("599") + r.digits(9);
        const QString ean = twelve + eanCheckDigit(twelve);
        if (!used.contains(ean)) {
            used.insert(ean);
            return ean;
        }
    }
}

// Net prices as a shop would set them: round to 1, 10, 50 or 100 forints.
double netPrice(Random& r, int low, int high) {
    const int raw = r.between(low, high);
    const int step = raw < 100 ? 1 : raw < 1000 ? 10 : raw < 10000 ? 50 : 100;
    return double(qMax(step, (raw + step / 2) / step * step));
}

// ---------------------------------------------------------------------------
// The generator

enum CustomerKind { Person, SoleTrader, Company };
constexpr double kDiscounts[] = {0, 5, 10};

class MasterGenerator {
public:
    MasterGenerator(Database& db, const DemoOptions& options) : m_db(db), m_options(options), m_places(db) {}

    void run() {
        fillCodeTables();
        fillIssuer();
        fillCustomers();
        fillProducts();
    }

private:
    // Inserts a code-table row unless its key is already there.
    void ensureCode(const char* table, const char* keyField, const QString& key, const char* nameField,
                    const QString& name) {
        const QString exists = QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?;")
                                   .arg(QLatin1String(table), QLatin1String(keyField));
        if (m_db.queryInt(exists, 0, {key}) > 0)
            return;
        Row row;
        row.set(keyField, key);
        if (nameField)
            row.set(nameField, name);
        row.insertInto(m_db, table);
    }

    void fillCodeTables() {
        QStringList units;
        for (const Category& c : categories()) {
            ensureCode("kategoria", "kategoria", u8(c.code), "kategoria_nev", u8(c.name));
            for (const ProductLine& line : c.lines)
                if (!units.contains(u8(line.unit)))
                    units << u8(line.unit);
        }
        for (const Origin& o : kOrigins)
            ensureCode("szarmazas", "szarmazas", u8(o.code), "szarmazas_nev", u8(o.name));
        for (const QString& unit : units)
            ensureCode("mert", "mert", unit, nullptr, {});

        m_paymentMethods = m_db.fillItems(QStringLiteral("SELECT fiztip FROM fiztip ORDER BY fiztip;"));
        m_hasEuro = m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM vat WHERE vat = 'EUR';"), 0) > 0;
    }

    // The issuer row is filled only while it is blank: an issuer the user has
    // already entered is kept.
    void fillIssuer() {
        const qint64 rows = m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM tulajdonos;"), 0);
        const QString current = m_db.queryText(QStringLiteral("SELECT MAX(tulajdonos) FROM tulajdonos;"), {});
        if (rows > 1 || !current.trimmed().isEmpty())
            return;

        Random r(m_options.seed, IssuerStream);
        const QString name = companyName(r, true);
        const Address address = drawAddress(r, m_places, 0.5, false);
        const Bank& bank = kBanks[r.below(int(std::size(kBanks)))];
        const QString account = bankAccount(r, bank, 3);
        QSet<QString> used;
        const QString tax = taxNumber(r, used, u'2', false, address.place);

        Row row;
        row.set("tulajdonos", name)
            .set("telefon", landline(r, address.place))
            .set("mobil", mobile(r))
            .set("fax", r.chance(0.5) ? landline(r, address.place) : blank());
        address.writeTo(row, QString());
        row.set("adoszam", tax)
            .set("bankszamlaszam", account)
            .set("vallig", blank())
            .set("vallignev", name)
            .set("kozadoszam", QStringLiteral("HU") + tax.left(8))
            .set("engedelyszam", blank())
            .set("iban", ibanOf(account))
            .set("swift", QLatin1String(bank.swift));
        if (rows == 0)
            row.insertInto(m_db, "tulajdonos");
        else
            row.updateAll(m_db, "tulajdonos");

        // The issuer's accounts by currency, copied onto the documents.
        m_db.execSql(QStringLiteral("UPDATE vat SET bankszamla = ? WHERE vat = 'HUF';"), {account});
        m_db.execSql(QStringLiteral("UPDATE vat SET bankszamla = ? WHERE vat = 'EUR';"),
                     {bankAccount(r, bank, 3)});
    }

    // Payment method by weights for cash, transfer and card (1, 2, 3); a
    // method missing from the folder falls back to the first one there.
    QVariant paymentMethod(Random& r, CustomerKind kind) {
        if (m_paymentMethods.isEmpty())
            return {};
        const int index = kind == Company      ? r.weighted({15, 75, 10})
                          : kind == SoleTrader ? r.weighted({30, 50, 20})
                                               : r.weighted({50, 10, 40});
        const QString wanted = QString::number(index + 1);
        return m_paymentMethods.contains(wanted) ? wanted.toInt() : m_paymentMethods.first().toInt();
    }

    void fillCustomers() {
        Random r(m_options.seed, CustomerStream);
        QSet<QString> names;
        QSet<QString> taxNumbers;
        int companies = 0;
        for (int i = 0; i < m_options.customers; ++i) {
            const CustomerKind kind = CustomerKind(r.weighted({45, 15, 40}));
            // A few tries for a name not used yet; namesakes are allowed
            // once the names run short.
            QString name;
            QString person;
            for (int attempt = 0; attempt < 20; ++attempt) {
                if (kind == Company) {
                    name = companyName(r, false);
                } else {
                    person = personName(r);
                    name = kind == SoleTrader ? person + QStringLiteral(" e.v.") : person;
                }
                if (!names.contains(name))
                    break;
            }
            names.insert(name);

            const Address billing = drawAddress(r, m_places, 0.25, kind == Person);
            const Address postal = r.chance(0.15) ? drawAddress(r, m_places, 0.25, kind == Person) : billing;
            const bool company = kind == Company;

            QString tax;
            if (kind == SoleTrader)
                tax =
                    taxNumber(r, taxNumbers, QChar(u'0' + 1 + r.weighted({40, 50, 10})), true, billing.place);
            else if (company)
                tax = taxNumber(r, taxNumbers, r.chance(0.9) ? u'2' : u'3', false, billing.place);
            // Every 25th company is invoiced in euro: a few in any folder.
            const bool euro = m_hasEuro && company && ++companies % 25 == 0;
            const double accountShare = company ? 0.7 : kind == SoleTrader ? 0.4 : 0.0;

            Row row;
            row.set("ugyfel_nev", name)
                .set("kapcsolat", company ? personName(r) : person)
                .set("telefon", r.chance(company ? 0.9 : 0.4) ? landline(r, billing.place) : blank())
                .set("fax", company && r.chance(0.2) ? landline(r, billing.place) : blank())
                .set("mobil", r.chance(company ? 0.6 : 0.9) ? mobile(r) : blank())
                .set("emil", r.chance(company ? 0.95 : 0.7)
                                 ? (company ? companyMail(r, name) : personMail(r, person))
                                 : blank());
            postal.writeTo(row, QStringLiteral("cim_"));
            billing.writeTo(row, QStringLiteral("szla_"));
            row.set("adoszam", tax)
                .set("bankszamla", r.chance(accountShare) ? customerAccount(r) : blank())
                .set("torolve", QStringLiteral("N"))
                .set("kozadoszam", company && r.chance(0.25) ? QStringLiteral("HU") + tax.left(8) : blank())
                .set("fiztip", paymentMethod(r, kind))
                .set("kedvezmeny", kDiscounts[r.weighted({85, 10, 5})])
                .set("engedelyszam", blank())
                .set("vat", euro ? QStringLiteral("EUR") : QStringLiteral("HUF"))
                .set("afas", QStringLiteral("I"))
                .set("nyelv", euro ? 1 : 0)
                .set("kuldve", QStringLiteral("N"))
                .set("edi", QStringLiteral("N"))
                .set("edi2", QStringLiteral("N"));
            row.insertInto(m_db, "ugyfel");
        }
        // The customer code shown to the user is the customer's own key.
        m_db.execSql(QStringLiteral("UPDATE ugyfel SET ugyfelkod = ugyfel WHERE ugyfelkod IS NULL;"));
    }

    // Every name of a category (product line × variant, with or without a
    // brand), in random order: products take them one after the other, so
    // names repeat only when a category has more products than names.
    struct NameChoice {
        int line;
        QString name;
    };
    static std::vector<NameChoice> shuffledNames(Random& r, const Category& cat) {
        const QStringList brands = u8(cat.brands).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        std::vector<NameChoice> names;
        for (int li = 0; li < int(cat.lines.size()); ++li) {
            for (const QString& variant : u8(cat.lines[li].variants).split(QLatin1Char('|'))) {
                const QString plain = u8(cat.lines[li].name) + QLatin1Char(' ') + variant;
                names.push_back({li, plain});
                // After a brand the name goes on in lower case, acronyms ("USB") excepted.
                const QString rest =
                    plain.size() > 1 && plain.at(1).isLower() ? plain.at(0).toLower() + plain.mid(1) : plain;
                for (const QString& brand : brands)
                    names.push_back({li, brand + QLatin1Char(' ') + rest});
            }
        }
        for (int i = int(names.size()) - 1; i > 0; --i)
            std::swap(names[i], names[r.below(i + 1)]);
        return names;
    }

    void fillProducts() {
        Random r(m_options.seed, ProductStream);
        const std::vector<Category>& cats = categories();
        std::vector<int> weights;
        std::vector<std::vector<NameChoice>> pools;
        for (const Category& c : cats) {
            weights.push_back(c.weight);
            pools.push_back(shuffledNames(r, c));
        }
        std::vector<int> count(cats.size(), 0);
        QSet<QString> names;
        QSet<QString> eans;
        for (int i = 0; i < m_options.products; ++i) {
            const int ci = r.weightedIn(weights);
            const Category& cat = cats[ci];
            const int number = ++count[ci];
            const NameChoice& choice = pools[ci][(number - 1) % pools[ci].size()];
            const ProductLine& line = cat.lines[choice.line];
            QString name = choice.name;
            // Past the names of the category, a model number tells products apart.
            while (names.contains(name) || name.size() > 50)
                name = choice.name.left(42) + QStringLiteral(" T-%1").arg(r.between(100, 999));
            names.insert(name);

            const QString code =
                QStringLiteral("%1-%2").arg(QLatin1String(cat.prefix)).arg(number, 4, 10, QLatin1Char('0'));
            const QStringList origins = u8(cat.origins).split(QLatin1Char('|'));
            const double netto = netPrice(r, line.minPrice, line.maxPrice);
            const double afa = netto * cat.rate / 100.0;

            Row row;
            row.set("cikkszam", code)
                .set("cikkszam_nev", name)
                .set("kategoria", u8(cat.code))
                .set("szarmazas", origins.at(r.below(int(origins.size()))))
                .set("mert", u8(line.unit))
                .set("megjegyzes", blank())
                .set("netto", netto)
                .set("afa", afa)
                .set("brutto", netto + afa)
                .set("afakulcs", cat.rate)
                .set("vtsz", u8(cat.vtsz))
                .set("torolve", QStringLiteral("N"))
                .set("eloleg", QStringLiteral("N"))
                .set("ugyfel", 0)
                .set("gariido", u8(cat.warranty))
                .set("ean", cat.goods() && r.chance(0.2) ? eanCode(r, eans) : blank())
                .set("cikkszam_nev2", blank())
                .set("tm", cat.exempt ? QStringLiteral("I") : QStringLiteral("N"))
                .set("kozv_szolgaltatas", QStringLiteral("N"))
                .set("kulonb_szer_szab", 0)
                .set("neta", QStringLiteral("N"));
            row.insertInto(m_db, "cikkszam");
        }
    }

    Database& m_db;
    DemoOptions m_options;
    Places m_places;
    QStringList m_paymentMethods;
    bool m_hasEuro = false;
};

} // namespace

bool hasMasters(Database& db) {
    return db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel;"), 0) > 0 ||
           db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam;"), 0) > 0;
}

void fillDemoMasters(Database& db, const DemoOptions& options) {
    if (options.customers < 0 || options.products < 0)
        throw DemoDataError(QStringLiteral("Az ügyfelek és a termékek száma nem lehet negatív."));
    Database::Transaction transaction(db);
    // Checked inside the transaction: it holds the write lock, so two runs on
    // one folder cannot both find it empty.
    if (hasMasters(db))
        throw DemoDataError(
            QStringLiteral("Az adatmappában már vannak ügyfelek vagy termékek; mintaadatok csak "
                           "üres adatmappába tölthetők."));
    MasterGenerator(db, options).run();
    transaction.commit();
}

} // namespace orvix
