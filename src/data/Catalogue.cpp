// Every table of a data folder: fields in their fresh-folder order, keys,
// named secondary indexes (numbered in the order given) and the rows a new
// data folder starts with.
#include "data/Schema.h"

#include <initializer_list>
#include <utility>

namespace orvix::data {

namespace {

FieldDef autoinc(const char* n) {
    return {n, FieldType::AutoInc, 0};
}
FieldDef integer(const char* n) {
    return {n, FieldType::Int, 0};
}
FieldDef flt(const char* n) {
    return {n, FieldType::Float, 0};
}
FieldDef chr(const char* n, int w) {
    return {n, FieldType::Char, w};
}
FieldDef vchr(const char* n, int w) {
    return {n, FieldType::VarChar, w};
}
FieldDef date(const char* n) {
    return {n, FieldType::Date, 0};
}
FieldDef boolean(const char* n) {
    return {n, FieldType::Boolean, 0};
}
FieldDef memo(const char* n) {
    return {n, FieldType::Memo, 0};
}
FieldDef text(const char* n) {
    return {n, FieldType::Text, 0};
}

// One seed row written as (field, value) pairs.
SeedRow row(std::initializer_list<std::pair<const char*, QVariant>> values) {
    SeedRow r;
    for (const auto& [field, value] : values) {
        r.fields << QString::fromLatin1(field);
        r.values << value;
    }
    return r;
}

QVariant str(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TableDef szla() {
    return {
        "szla",
        {autoinc("szla"),
         chr("prntip", 1),
         integer("szlaszam"),
         date("dat_kiadva"),
         date("dat_szallhat"),
         date("dat_fizhat"),
         chr("fizetve", 1),
         date("dat_fizetve"),
         chr("bizonylat", 25),
         integer("fiztip"),
         integer("nyomtatva"),
         integer("ugyfel"),
         chr("ugyfel_nev", 50),
         chr("szla_irsz", 5),
         chr("szla_varos", 25),
         chr("szla_cim", 50),
         chr("adoszam", 11),
         chr("bankszamla", 24),
         flt("netto"),
         flt("afa"),
         flt("brutto"),
         chr("storno", 1),
         chr("megjegyzes", 255),
         chr("alkalmazott", 15),
         chr("konyvelve", 1),
         chr("mozgaz", 255),
         date("dat_eloleg"),
         flt("eloleg"),
         memo("hmegj"),
         flt("kedvezmeny"),
         chr("vantermdij", 1),
         chr("termdijszoveg", 255),
         integer("szallev"),
         chr("fa", 1),
         chr("honap", 10),
         flt("tm"),
         flt("kerek"),
         boolean("kuldve"),
         flt("penzfizetve"),
         chr("felhasznalo", 15),
         chr("vat", 3),
         flt("arfolyam"),
         chr("afas", 1),
         integer("ugyfel_cim"),
         chr("tbankszamla", 50),
         flt("netto0"),
         flt("afa0"),
         flt("netto1"),
         flt("afa1"),
         flt("netto2"),
         flt("afa2"),
         chr("tulajdonos", 100),
         chr("tirsz", 5),
         chr("tvaros", 25),
         chr("tcim", 50),
         chr("tadoszam", 20),
         chr("tbank", 50),
         chr("tkozadoszam", 20),
         chr("tkata", 1),
         vchr("tkerulet", 10),
         vchr("tkozterulet", 10),
         vchr("thazszam", 15),
         vchr("tepulet", 15),
         vchr("tlepcsohaz", 15),
         vchr("tszint", 15),
         vchr("tajto", 15),
         chr("tegyeni", 1),
         vchr("tvallig", 20),
         vchr("tvallignev", 50),
         vchr("kozadoszam", 30),
         vchr("szla_kerulet", 10),
         vchr("szla_kozterulet", 15),
         vchr("szla_hazszam", 15),
         vchr("szla_epulet", 15),
         vchr("szla_lepcsohaz", 15),
         vchr("szla_szint", 15),
         vchr("szla_ajto", 15),
         vchr("fiztip_nev", 15),
         integer("eredeti"),
         chr("eredetistr", 50),
         chr("szlabetu", 2),
         chr("neta", 1),
         chr("penzforgelsz", 1),
         chr("adoment_hiv", 1),
         // Handed over to the accounting program (ForintSoft, KSZLAKET);
         // kept apart from kuldve, the mark of the e-mailed copy.
         boolean("atadva")},
        {"szla"},
        // The register lists newest first; customer history and period
        // selections look documents up by customer and by issue date.
        // Document numbers are unique within their sequence: proformas count
        // on their own, every other kind shares one sequence.
        {{"idx_szla", "szla", true},
         {"idx_szla_ugyfel", "ugyfel"},
         {"idx_szla_dat_kiadva", "dat_kiadva"},
         {"idx_szla_szlaszam", "szlaszam", false, true, "(CASE WHEN prntip='P' THEN 1 ELSE 0 END), szlaszam"},
         // The register sorts and searches by these columns.
         {"idx_szla_szam", "szlaszam"},
         {"idx_szla_prntip", "prntip"},
         {"idx_szla_ugyfel_nev", "ugyfel_nev"},
         {"idx_szla_netto", "netto"},
         {"idx_szla_brutto", "brutto"},
         // … and by every other column it shows: the payment method, the
         // outstanding amount (gross minus paid) and the two marks.
         {"idx_szla_fiztip_nev", "fiztip_nev"},
         {"idx_szla_hatralek", "brutto", false, false, "brutto-penzfizetve"},
         {"idx_szla_fizetve", "fizetve"},
         {"idx_szla_afas", "afas"}},
        {}};
}

TableDef szlaSor() {
    return {"szla_sor",
            {integer("szla"),
             integer("sor"),
             chr("tipus", 1),
             chr("cikkszam", 15),
             chr("cikkszam_nev", 50),
             chr("vtsz", 15),
             chr("mert", 25),
             flt("db"),
             flt("afakulcs"),
             flt("egysar"),
             flt("netto"),
             flt("afa"),
             flt("brutto"),
             flt("netto0"),
             flt("afa0"),
             flt("brutto0"),
             flt("netto12"),
             flt("afa12"),
             flt("brutto12"),
             flt("netto25"),
             flt("afa25"),
             flt("brutto25"),
             date("datum"),
             chr("megjegyzes", 255),
             flt("tm"),
             chr("eloleg", 1),
             chr("kozv_szolgaltatas", 1),
             integer("kulonb_szer_szab")},
            {"szla", "sor"},
            {},
            {}};
}

TableDef ugyfel() {
    return {"ugyfel",
            {autoinc("ugyfel"),
             chr("ugyfel_nev", 50),
             chr("kapcsolat", 30),
             chr("telefon", 25),
             chr("fax", 25),
             chr("mobil", 25),
             chr("emil", 75),
             chr("cim_irsz", 5),
             chr("cim_varos", 25),
             chr("cim_cim", 50),
             chr("szla_irsz", 5),
             chr("szla_varos", 25),
             chr("szla_cim", 50),
             chr("adoszam", 11),
             chr("bankszamla", 24),
             chr("torolve", 1),
             chr("kozadoszam", 30),
             integer("fiztip"),
             flt("kedvezmeny"),
             chr("engedelyszam", 20),
             integer("ugyfelkod"),
             chr("vat", 3),
             chr("afas", 1),
             integer("nyelv"),
             chr("kuldve", 1),
             chr("edi", 1),
             chr("edi2", 1),
             vchr("szla_kerulet", 10),
             vchr("cim_kerulet", 10),
             vchr("szla_kozterulet", 15),
             vchr("szla_hazszam", 15),
             vchr("szla_epulet", 15),
             vchr("szla_lepcsohaz", 15),
             vchr("szla_szint", 15),
             vchr("szla_ajto", 15),
             vchr("cim_kozterulet", 15),
             vchr("cim_hazszam", 15),
             vchr("cim_epulet", 15),
             vchr("cim_lepcsohaz", 15),
             vchr("cim_szint", 15),
             vchr("cim_ajto", 15)},
            {"ugyfel"},
            {{"idx_ugyfel_nev", "ugyfel_nev"},
             {"idx_kapcsolat", "kapcsolat"},
             {"idx_telefon", "telefon"},
             {"idx_mobil", "mobil"},
             {"idx_emil", "emil"},
             {"idx_kedvezmeny", "kedvezmeny"},
             {"idx_ugyfelkod", "ugyfelkod"},
             {"idx_cim_irsz", "cim_irsz"},
             {"idx_cim_varos", "cim_varos"},
             {"idx_cim_cim", "cim_cim"}},
            {}};
}

TableDef ugyfelCim() {
    return {"ugyfel_cim",
            {autoinc("ugyfel_cim"), integer("ugyfel"), chr("irsz", 10), chr("varos", 50), chr("cim", 100),
             chr("nev", 100)},
            {"ugyfel_cim"},
            {{"idx_cim", "cim"},
             {"idx_varos", "varos"},
             {"idx_irsz", "irsz"},
             {"idx_nev", "nev"},
             // the addresses of one customer are always fetched together
             {"idx_ugyfel_cim_ugyfel", "ugyfel"}},
            {}};
}

TableDef cikkszam() {
    std::vector<FieldDef> f = {chr("cikkszam", 15),
                               chr("cikkszam_nev", 50),
                               chr("kategoria", 10),
                               chr("szarmazas", 10),
                               chr("mert", 25),
                               chr("megjegyzes", 255),
                               flt("netto"),
                               flt("afa"),
                               flt("brutto"),
                               flt("afakulcs"),
                               chr("vtsz", 20),
                               chr("torolve", 1),
                               chr("eloleg", 1),
                               integer("ugyfel"),
                               chr("gariido", 10),
                               chr("ean", 20),
                               chr("cikkszam_nev2", 255),
                               chr("tm", 1),
                               chr("kozv_szolgaltatas", 1),
                               integer("kulonb_szer_szab"),
                               chr("neta", 1)};
    // Monthly quantity and net value work fields of the turnover analysis.
    static const char* const quantities[] = {"h1", "h2", "h3", "h4",  "h5",  "h6",
                                             "h7", "h8", "h9", "h10", "h11", "h12"};
    static const char* const values[] = {"hn1", "hn2", "hn3", "hn4",  "hn5",  "hn6",
                                         "hn7", "hn8", "hn9", "hn10", "hn11", "hn12"};
    for (const char* n : quantities)
        f.push_back(flt(n));
    f.push_back(flt("hatlag"));
    f.push_back(flt("hossz"));
    for (const char* n : values)
        f.push_back(flt(n));
    f.push_back(flt("hnatlag"));
    f.push_back(flt("hnossz"));
    return {"cikkszam",
            std::move(f),
            {"cikkszam"},
            {{"idx_cikkszam_nev", "cikkszam_nev"},
             {"idx_kategoria", "kategoria"},
             {"idx_mert", "mert"},
             {"idx_netto", "netto"},
             {"idx_afa", "afa"},
             {"idx_brutto", "brutto"}},
            {}};
}

TableDef fiztip() {
    return {"fiztip",
            {autoinc("fiztip"), chr("fiztip_nev", 15), chr("fizetve", 1), integer("fizhat"),
             chr("kellkerek", 1), integer("cassak"), chr("konyvelokod", 1)},
            {"fiztip"},
            {{"idx_fiztip_nev", "fiztip_nev"},
             {"idx_fizetve", "fizetve"},
             {"idx_fizhat", "fizhat"},
             {"idx_kellkerek", "kellkerek"}},
            {row({{"fiztip", 1},
                  {"fiztip_nev", str("Készpénz")},
                  {"fizetve", str("I")},
                  {"fizhat", 0},
                  {"kellkerek", str("I")},
                  {"cassak", 0},
                  {"konyvelokod", str("K")}}),
             row({{"fiztip", 2},
                  {"fiztip_nev", str("Átutalás")},
                  {"fizetve", str("N")},
                  {"fizhat", 8},
                  {"kellkerek", str("N")},
                  {"cassak", 0},
                  {"konyvelokod", str("A")}}),
             row({{"fiztip", 3},
                  {"fiztip_nev", str("Bankkártya")},
                  {"fizetve", str("I")},
                  {"fizhat", 0},
                  {"kellkerek", str("N")},
                  {"cassak", 0},
                  {"konyvelokod", str("B")}})}};
}

// One document type with its Hungarian and English captions; the third
// language starts as a copy of the Hungarian, as the upgrade fills it.
SeedRow documentType(const char* letter, const char* name, int tipus, double szorzo, const char* total,
                     const char* zentra, const char* english, const char* englishTotal, int navkod) {
    return row({{"prntip", str(letter)},
                {"prntip_nev", str(name)},
                {"tipus", tipus},
                {"szorzo", szorzo},
                {"osszegszoveg", str(total)},
                {"evanev", str(zentra)},
                {"prntip_nev1", str(english)},
                {"prntip_nev2", str(name)},
                {"osszegszoveg1", str(englishTotal)},
                {"osszegszoveg2", str(total)},
                {"navkod", navkod}});
}

TableDef prntip() {
    const char* payable = "Fizetendő";
    const char* credited = "Jóváírásra került";
    return {
        "prntip",
        {chr("prntip", 1), chr("prntip_nev", 30), integer("tipus"), flt("szorzo"), chr("osszegszoveg", 100),
         chr("evanev", 25), chr("prntip_nev1", 50), chr("prntip_nev2", 50), chr("osszegszoveg1", 50),
         chr("osszegszoveg2", 50), integer("navkod")},
        {"prntip"},
        {{"idx_prntip_nev", "prntip_nev"},
         {"idx_prntip_nev1", "prntip_nev1"},
         {"idx_prntip_nev2", "prntip_nev2"}},
        {documentType("S", "Számla", 0, 1, payable, "Ellenérték", "Invoice", "Total payable", 1),
         documentType("P", "Proforma számla", 0, 1, payable, "Proforma", "Proforma invoice", "Total payable",
                      1),
         documentType("E", "Előlegszámla", 0, 1, payable, "Előleg", "Advance invoice", "Total payable", 1),
         documentType("J", "Helyesbítő számla", 0, -1, credited, "Jóváírás", "Credit note", "Credited", 3),
         documentType("W", "Számlát érvénytelenítő okirat", 1, -1, credited, "Sztornó",
                      "Cancellation document", "Credited", 4),
         documentType("M", "Számla", 1, 1, payable, "Ellenérték", "Invoice", "Total payable", 1),
         documentType("V", "Módosító számla", 0, 1, payable, "Módosítás", "Modifying invoice",
                      "Total payable", 1)}};
}

TableDef vat() {
    return {"vat",
            {chr("vat", 3), vchr("bankszamla", 50)},
            {"vat"},
            {},
            {row({{"vat", str("HUF")}}), row({{"vat", str("EUR")}}), row({{"vat", str("USD")}})}};
}

TableDef tulajdonos() {
    return {"tulajdonos",
            {chr("tulajdonos", 50), chr("telefon", 25),     chr("mobil", 25),
             chr("fax", 25),        chr("irsz", 5),         chr("varos", 25),
             chr("cim", 50),        chr("adoszam", 11),     chr("bankszamlaszam", 24),
             chr("vallig", 30),     chr("kozadoszam", 30),  chr("engedelyszam", 20),
             chr("iban", 50),       chr("swift", 50),       chr("felir", 50),
             chr("kerulet", 10),    vchr("kozterulet", 15), vchr("hazszam", 15),
             vchr("epulet", 15),    vchr("lepcsohaz", 15),  vchr("szint", 15),
             vchr("ajto", 15),      vchr("vallignev", 50)},
            {"tulajdonos"},
            {},
            // The issuer's data are filled in by the user; the row must exist.
            {row({{"tulajdonos", str("")}})}};
}

TableDef beallit() {
    return {"beallit",
            {autoinc("beallit"),
             chr("teljeskep", 1),
             chr("alapvaros", 25),
             integer("Alapszallhat"),
             integer("Alapfizhat"),
             chr("alapnetto", 1),
             chr("alaparmodosit", 1),
             chr("alapmegjegyzes", 255),
             flt("alapafakulcs"),
             chr("alapmert", 7),
             flt("afa0"),
             flt("afa1"),
             flt("afa2"),
             integer("alappld"),
             integer("indulszla"),
             integer("alapfiztip"),
             chr("egyeni", 1),
             chr("formatft", 25),
             chr("formatdb", 25),
             chr("szlabetu", 2),
             chr("formatszla", 1),
             chr("belepjelszo", 1),
             chr("vanmentes", 1),
             chr("vangari", 1),
             chr("garimegjegyzes", 255),
             chr("vanzentra", 1),
             chr("evautvonal", 100),
             chr("teljkiad", 1),
             chr("vanafa0", 1),
             chr("vanafa1", 1),
             chr("vanafa2", 1),
             chr("vantermdij", 1),
             chr("termdijszoveg", 255),
             chr("adomentes", 1),
             chr("amtm", 2),
             chr("vanfa", 1),
             chr("faszoveg", 255),
             chr("vanhonap", 1),
             chr("tmszoveg", 10),
             chr("printernev", 50),
             chr("printerutv", 150),
             integer("szlaforma"),
             chr("blokknyomtato", 1),
             chr("blokknyomtatovalaszt", 50),
             chr("kerdeznyomtato", 1),
             chr("szlacikkszam", 1),
             chr("vansokcim", 1),
             chr("folytsorszam", 1),
             chr("kata", 1),
             chr("penzforgelsz", 1)},
            {"beallit"},
            {},
            // The values the upgrade gives an older folder, except that a new
            // folder has no users yet and so cannot ask for a password.
            {row({{"beallit", 1},
                  {"teljeskep", str("N")},
                  {"alapvaros", str("")},
                  {"Alapszallhat", 0},
                  {"Alapfizhat", 8},
                  {"alapnetto", str("I")},
                  {"alaparmodosit", str("I")},
                  {"alapmegjegyzes", str("")},
                  {"alapafakulcs", 27.0},
                  {"alapmert", str("db")},
                  {"afa0", 27.0},
                  {"afa1", 18.0},
                  {"afa2", 5.0},
                  {"alappld", 2},
                  {"indulszla", 1},
                  {"alapfiztip", 1},
                  {"egyeni", str("N")},
                  {"formatft", str("### ### ##0")},
                  {"formatdb", str("### ### ##0")},
                  {"szlabetu", str("SA")},
                  {"formatszla", str("I")},
                  {"belepjelszo", str("N")},
                  {"vanmentes", str("N")},
                  {"vangari", str("N")},
                  {"garimegjegyzes", str("<garancia megjegyzés>")},
                  {"vanzentra", str("N")},
                  {"evautvonal", str("")},
                  {"teljkiad", str("N")},
                  {"vanafa0", str("I")},
                  {"vanafa1", str("I")},
                  {"vanafa2", str("I")},
                  {"vantermdij", str("N")},
                  {"termdijszoveg", str("")},
                  {"adomentes", str("N")},
                  {"amtm", str("AM")},
                  {"vanfa", str("N")},
                  {"faszoveg", str("Az ÁFA törvény 142§ alapján a felszámított adót a vevő fizeti")},
                  {"vanhonap", str("N")},
                  {"tmszoveg", str("")},
                  {"printernev", str("")},
                  {"printerutv", str("")},
                  {"szlaforma", 0},
                  {"blokknyomtato", str("N")},
                  {"blokknyomtatovalaszt", str("")},
                  {"kerdeznyomtato", str("N")},
                  {"szlacikkszam", str("N")},
                  {"vansokcim", str("N")},
                  {"folytsorszam", str("I")},
                  {"kata", str("N")},
                  {"penzforgelsz", str("N")}})}};
}

TableDef cassa() {
    return {"cassa",
            {autoinc("cassa"), integer("cassak"), integer("bizszam"), date("datum"), chr("cassatip", 1),
             flt("osszeg"), flt("penzvan"), integer("mozgas"), integer("mozgaz"), chr("prntip", 1),
             chr("szla", 1), chr("torol", 1), chr("ugyfel_nev", 50), chr("megjegyzes", 50)},
            {"cassa"},
            // the cash book always shows one desk at a time; a voucher number
            // is given once per desk, whichever workstation writes the entry
            {{"idx_cassa_cassak", "cassak"},
             {"idx_cassa_bizszam", "bizszam", false, true, "cassak, bizszam"}},
            {}};
}

TableDef cassak() {
    return {"cassak",
            {integer("cassak"), vchr("cassak_nev", 50), chr("vat", 3)},
            {"cassak"},
            {{"idx_cassak_nev", "cassak_nev"}},
            {row({{"cassak", 0}, {"cassak_nev", str("Alap kassza")}, {"vat", str("HUF")}})}};
}

TableDef cassatip() {
    auto type = [](const char* letter, const char* name, int szorzo) {
        return row({{"cassatip", str(letter)}, {"cassatip_nev", str(name)}, {"szorzo", szorzo}});
    };
    return {"cassatip",
            {chr("cassatip", 1), vchr("cassatip_nev", 25), integer("szorzo")},
            {"cassatip"},
            {},
            {type("B", "Bevétel eladásból", 1), type("C", "Kp berakás", 1),
             type("K", "Kiadás beszerzésből", -1), type("P", "Kp kivét", -1),
             type("V", "Kiadás visszavétből", -1)}};
}

TableDef mert() {
    std::vector<SeedRow> units;
    for (const char* u : {"db", "kg", "m", "l", "óra", "csomag", "doboz", "pár"})
        units.push_back(row({{"mert", str(u)}}));
    return {"mert", {chr("mert", 25)}, {"mert"}, {}, std::move(units)};
}

} // namespace

const std::vector<TableDef>& catalogue() {
    static const std::vector<TableDef> tables = [] {
        std::vector<TableDef> t;
        t.push_back(szla());
        t.push_back(szlaSor());
        t.push_back(ugyfel());
        t.push_back(ugyfelCim());
        t.push_back(cikkszam());
        t.push_back(fiztip());
        t.push_back(prntip());
        t.push_back(vat());
        t.push_back(tulajdonos());
        t.push_back(beallit());
        t.push_back(cassa());
        t.push_back(cassak());
        t.push_back(cassatip());
        t.push_back(
            {"minta", {autoinc("minta"), chr("minta_nev", 50), chr("kedvezmeny", 1)}, {"minta"}, {}, {}});
        t.push_back({"minta_sor",
                     {integer("minta"), integer("sor"), chr("cikkszam", 15), chr("kellcikkar", 1), flt("ar"),
                      flt("db"), chr("megjegyzes", 255)},
                     {"minta", "sor"},
                     {},
                     {}});
        t.push_back(mert());
        t.push_back({"kategoria",
                     {chr("kategoria", 10), chr("kategoria_nev", 30)},
                     {"kategoria"},
                     {{"idx_kategoria_nev", "kategoria_nev"}},
                     {}});
        t.push_back({"szarmazas",
                     {chr("szarmazas", 10), chr("szarmazas_nev", 30)},
                     {"szarmazas"},
                     {{"idx_szarmazas_nev", "szarmazas_nev"}},
                     {}});
        t.push_back({"vtsz",
                     {chr("vtsz", 8), chr("vtsz_nev", 255), chr("vtsz_mert", 8)},
                     {"vtsz"},
                     {{"idx_vtsz_nev", "vtsz_nev"}},
                     {}});
        t.push_back({"szj",
                     {chr("szj", 12), chr("szj_nev", 255), chr("szj_tipus", 5)},
                     {"szj"},
                     {{"idx_szj_nev", "szj_nev"}},
                     {}});
        t.push_back(
            {"cimke",
             {chr("cimke", 25), flt("felsomargo"), flt("szelsomargo"), flt("cimkemagas"), integer("oszlop")},
             {"cimke"},
             {},
             {}});
        t.push_back({"gari",
                     {integer("szla"), integer("sor"), chr("cikkszam", 15), chr("cikkszam_nev", 50),
                      chr("gari", 255), chr("gariido", 10)},
                     {"szla", "sor"},
                     {},
                     {}});
        t.push_back({"felhasznalo",
                     {chr("felhasznalo", 15), chr("jelszo", 15), boolean("iras"), boolean("olvasas"),
                      boolean("rendszergazda"), vchr("jelszohash", 128)},
                     {"felhasznalo"},
                     {{"idx_iras", "iras"}, {"idx_rendszergazda", "rendszergazda"}},
                     {}});
        t.push_back({"naplo",
                     {autoinc("naplo"), chr("felhasznalo", 15), date("datum"), boolean("sikeres")},
                     {"naplo"},
                     {},
                     {}});
        // Shipped postcode list, filled when the folder is created; read only.
        TableDef irsz{"irsz", {text("irsz"), text("varos")}, {}, {{"idx_irsz_irsz", "irsz"}}, {}};
        irsz.lookupOnly = true;
        t.push_back(std::move(irsz));
        t.push_back({"tmp_nyereseg",
                     {autoinc("tmp_nyereseg"), chr("idoszak", 6), flt("netto"), flt("brutto")},
                     {"tmp_nyereseg"},
                     {},
                     {}});
        // Kept only so that re-indexing finds them.
        t.push_back({"eloleg", {integer("eloleg"), integer("szla")}, {"eloleg", "szla"}, {}, {}});
        t.push_back({"mail", {integer("mail")}, {"mail"}, {}, {}});
        return t;
    }();
    return tables;
}

} // namespace orvix::data
