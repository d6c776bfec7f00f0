#include "maintenance/Upgrade.h"

#include "common/Database.h"
#include "data/Schema.h"
#include "maintenance/Restructure.h"
#include "maintenance/Session.h"

#include <QHash>
#include <QMap>
#include <QSqlQuery>

namespace orvix::maintenance {

namespace {

constexpr int kProgressMax = 121;

// One run of the layout changes: the field lists read once per table, the
// current step (named in an error), the progress bar.
class Change {
public:
    Change(Database& db, Reporter& reporter) : m_db(db), m_reporter(reporter) {}

    void begin(const QString& step) {
        m_step = step;
        if (m_progress < kProgressMax - 1)
            m_reporter.progress(++m_progress, kProgressMax);
    }
    const QString& step() const { return m_step; }

    bool hasTable(const char* table) { return m_db.hasTable(QLatin1String(table)); }

    // The field list of a table as first read in this run (upper-cased);
    // tests of a table use it even after fields were added.
    bool lacks(const char* table, const char* field) {
        const QString key = QLatin1String(table).toString().toLower();
        if (!m_lists.contains(key)) {
            QStringList upper;
            for (const QString& f : m_db.fieldNames(key))
                upper << f.toUpper();
            m_lists.insert(key, upper);
        }
        if (!hasTable(table))
            return false;
        return !m_lists.value(key).contains(QLatin1String(field).toString().toUpper());
    }
    void reread(const char* table) { m_lists.remove(QLatin1String(table).toString().toLower()); }

    // Adds one field with the catalogue's declaration; a field that is there
    // already (an older run, another step) is left alone.
    void add(const char* table, const char* field) {
        const data::TableDef* t = data::findTable(QLatin1String(table));
        const data::FieldDef* f = t ? t->field(QLatin1String(field)) : nullptr;
        if (!f)
            throw MaintenanceError(m_step, QStringLiteral("Ismeretlen mező: %1.%2").arg(table, field));
        if (m_db.hasField(QLatin1String(table), QLatin1String(field)))
            return;
        exec(data::addFieldSql(*t, *f));
    }

    int exec(const QString& statement, const QVariantList& params = {}) {
        try {
            const int rows = m_db.execSql(statement, params);
            m_reporter.step(QStringLiteral("%1: %2").arg(m_step, statement.simplified()));
            return rows;
        } catch (const DbError& e) {
            // The engine's text names the statement already.
            throw MaintenanceError(m_step, e.text());
        }
    }

    // Creates a table of the catalogue with its indexes and starting rows.
    void createTable(const char* table) {
        const data::TableDef* t = data::findTable(QLatin1String(table));
        exec(data::createTableSql(*t));
        for (const QString& s : data::createIndexSql(*t))
            exec(s);
        for (const data::SeedRow& row : t->seeds) {
            QStringList marks;
            for (int i = 0; i < row.fields.size(); ++i)
                marks << QStringLiteral("?");
            exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3);")
                     .arg(QLatin1String(t->name), row.fields.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                 row.values);
        }
    }

    // Gives a field the catalogue's declaration. The table is rebuilt once,
    // for all its fields together, when the steps are through (applyRebuilds).
    void restructure(const char* table, const char* field) {
        const data::TableDef* t = data::findTable(QLatin1String(table));
        const data::FieldDef* f = t ? t->field(QLatin1String(field)) : nullptr;
        if (!f)
            throw MaintenanceError(m_step, QStringLiteral("Ismeretlen mező: %1.%2").arg(table, field));
        m_rebuilds[QLatin1String(table)].insert(QLatin1String(field), data::declaredType(*f));
        m_rebuildSteps[QLatin1String(table)] << m_step;
    }
    void applyRebuilds() {
        for (auto it = m_rebuilds.cbegin(); it != m_rebuilds.cend(); ++it) {
            m_step = m_rebuildSteps.value(it.key()).join(QStringLiteral(", "));
            try {
                restructureFields(m_db, it.key(), it.value());
            } catch (const DbError& e) {
                throw MaintenanceError(m_step, e.text());
            }
            for (auto f = it.value().cbegin(); f != it.value().cend(); ++f)
                m_reporter.step(QStringLiteral("%1: %2.%3 -> %4").arg(m_step, it.key(), f.key(), f.value()));
        }
        m_rebuilds.clear();
        m_rebuildSteps.clear();
    }

    // A text field narrower than `below` characters (a text field without
    // width is not narrow).
    bool narrower(const char* table, const char* field, int below) {
        if (!hasTable(table))
            return false;
        const FieldInfo info = m_db.fieldInfo(QLatin1String(table), QLatin1String(field));
        return info.valid() && (info.type == QLatin1String("CHAR") || info.type == QLatin1String("VARCHAR")) &&
               info.width > 0 && info.width < below;
    }

    Database& db() { return m_db; }
    Reporter& reporter() { return m_reporter; }

private:
    Database& m_db;
    Reporter& m_reporter;
    QString m_step;
    int m_progress = 0;
    QHash<QString, QStringList> m_lists;
    QMap<QString, QMap<QString, QString>> m_rebuilds;
    QMap<QString, QStringList> m_rebuildSteps;
};

QString q(const char* text) {
    return QString::fromUtf8(text);
}

void widenFields(Change& c) {
    c.begin(QStringLiteral("Mezők szélesítése"));
    const struct {
        const char* table;
        const char* field;
        int below;
    } widen[] = {{"mert", "mert", 10}, {"szla_sor", "mert", 10}, {"cikkszam", "mert", 10}, {"ugyfel", "emil", 40}};
    for (const auto& w : widen)
        if (c.narrower(w.table, w.field, w.below))
            c.restructure(w.table, w.field);
}

void createMissingTables(Change& c) {
    for (const char* table : {"ugyfel_cim", "cassa", "cassak", "cassatip", "vat", "tmp_nyereseg", "minta", "minta_sor",
                              "szj", "cimke", "gari"}) {
        c.begin(QStringLiteral("Tábla létrehozása: %1").arg(QLatin1String(table)));
        if (!c.hasTable(table))
            c.createTable(table);
    }
}

// A field added and set to one value over all rows.
void addSet(Change& c, const char* table, const char* field, const QString& value) {
    c.begin(QStringLiteral("%1.%2").arg(table, field));
    if (!c.lacks(table, field))
        return;
    c.add(table, field);
    c.exec(QStringLiteral("UPDATE %1 SET %2=%3;").arg(table, field, value));
}

void addOnly(Change& c, const char* table, const char* field) {
    c.begin(QStringLiteral("%1.%2").arg(table, field));
    if (c.lacks(table, field))
        c.add(table, field);
}

void addSetWhere(Change& c, const char* table, const char* field, const QStringList& updates) {
    c.begin(QStringLiteral("%1.%2").arg(table, field));
    if (!c.lacks(table, field))
        return;
    c.add(table, field);
    for (const QString& u : updates)
        c.exec(u);
}

// The fields added to the document types (at the start of the field tests,
// the ones before the widening of the name).
void documentTypeLanguages(Change& c, bool& copyTotalsLater) {
    c.begin(QStringLiteral("prntip.osszegszoveg1"));
    if (c.lacks("prntip", "osszegszoveg1")) {
        c.add("prntip", "osszegszoveg1");
        c.add("prntip", "osszegszoveg2");
        // A very old folder gets its total caption only further on; the two
        // language copies are taken from it then.
        if (c.db().hasField(QStringLiteral("prntip"), QStringLiteral("osszegszoveg"))) {
            c.exec(QStringLiteral("UPDATE prntip SET osszegszoveg1=osszegszoveg;"));
            c.exec(QStringLiteral("UPDATE prntip SET osszegszoveg2=osszegszoveg;"));
        } else {
            copyTotalsLater = true;
        }
    }
    addSetWhere(c, "prntip", "prntip_nev1",
                {QStringLiteral("UPDATE prntip SET prntip_nev1=prntip_nev;"),
                 QStringLiteral("UPDATE prntip SET prntip_nev1='Invoice' WHERE prntip='S';")});
    addSetWhere(c, "prntip", "prntip_nev2", {QStringLiteral("UPDATE prntip SET prntip_nev2=prntip_nev;")});
}

void settingsFields(Change& c) {
    addSet(c, "beallit", "kata", q("'N'"));
    addSet(c, "beallit", "folytsorszam", q("'I'"));
    addSet(c, "beallit", "vansokcim", q("'N'"));
    addSet(c, "beallit", "szlacikkszam", q("'N'"));
    addSet(c, "beallit", "blokknyomtato", q("'N'"));
    addOnly(c, "beallit", "blokknyomtatovalaszt");
    addSet(c, "beallit", "kerdeznyomtato", q("'N'"));
    addSet(c, "beallit", "szlaforma", q("0"));
    addOnly(c, "beallit", "printernev");
    addOnly(c, "beallit", "printerutv");
    c.begin(QStringLiteral("beallit.tmszoveg"));
    if (c.lacks("beallit", "tmszoveg")) {
        c.reporter().warning(q("TM helyett állítsa be a megfelelő AAM szöveget a rendszer menü/beállítások alatt!"));
        c.add("beallit", "tmszoveg");
    }
    addSet(c, "beallit", "vanhonap", q("'N'"));
    addSet(c, "beallit", "faszoveg", q("'Az ÁFA törvény 142§ alapján a felszámított adót a vevő fizeti'"));
    addSet(c, "beallit", "vanfa", q("'N'"));
    addSet(c, "beallit", "adomentes", q("'N'"));
    addOnly(c, "beallit", "amtm");
    addSet(c, "beallit", "vantermdij", q("'N'"));
    addOnly(c, "beallit", "termdijszoveg");
    addSet(c, "beallit", "vanafa0", q("'I'"));
    addSet(c, "beallit", "vanafa1", q("'I'"));
    addSet(c, "beallit", "vanafa2", q("'I'"));
    addSet(c, "beallit", "teljkiad", q("'N'"));
    addSet(c, "beallit", "vanzentra", q("'N'"));
    addOnly(c, "beallit", "evautvonal");
    addSet(c, "beallit", "vangari", q("'N'"));
    // The caption as the program shows it ("megjegyzés", not mis-coded).
    addSet(c, "beallit", "garimegjegyzes", q("'<garancia megjegyzés>'"));
    addSet(c, "beallit", "vanmentes", q("'N'"));
    addSet(c, "beallit", "belepjelszo", q("'I'"));
    addSet(c, "beallit", "formatft", q("'### ### ##0'"));
    addSet(c, "beallit", "formatdb", q("'### ### ##0'"));
    addSet(c, "beallit", "szlabetu", q("'SA'"));
    addSet(c, "beallit", "formatszla", q("'I'"));
}

void documentTypeNames(Change& c, bool copyTotalsLater) {
    c.begin(QStringLiteral("prntip.prntip_nev szélesítése"));
    c.reread("prntip");
    if (c.narrower("prntip", "prntip_nev", 30))
        c.restructure("prntip", "prntip_nev");
    addSetWhere(c, "prntip", "evanev",
                {q("UPDATE prntip SET evanev='Ellenérték' WHERE prntip='S';"),
                 q("UPDATE prntip SET evanev='Jóváírás' WHERE prntip='J';")});
    addSetWhere(c, "prntip", "szorzo",
                {q("UPDATE prntip SET szorzo=1;"), q("UPDATE prntip SET szorzo=-1 WHERE prntip='J';")});
    addSetWhere(c, "prntip", "osszegszoveg",
                {q("UPDATE prntip SET osszegszoveg='Fizetendő' WHERE prntip IN ('E','P','S');"),
                 q("UPDATE prntip SET osszegszoveg='Jóváírásra került' WHERE prntip='J';"),
                 q("UPDATE prntip SET prntip_nev='Helyesbítő számla' WHERE prntip='J';")});
    if (copyTotalsLater) {
        c.exec(QStringLiteral("UPDATE prntip SET osszegszoveg1=osszegszoveg;"));
        c.exec(QStringLiteral("UPDATE prntip SET osszegszoveg2=osszegszoveg;"));
    }
    c.begin(QStringLiteral("prntip V és W megnevezése"));
    if (c.hasTable("prntip")) {
        c.exec(q("UPDATE prntip SET prntip_nev='Módosító számla' WHERE prntip='V';"));
        c.exec(q("UPDATE prntip SET prntip_nev='Számlát érvénytelenítő okirat' WHERE prntip='W';"));
        c.begin(QStringLiteral("prntip W sor"));
        if (c.db().queryInt(QStringLiteral("SELECT COUNT(*) FROM prntip WHERE prntip='W'"), 0) == 0)
            c.exec(q("INSERT INTO prntip (prntip, prntip_nev, tipus, szorzo, osszegszoveg, evanev) "
                     "VALUES ('W', 'Számlát érvénytelenítő okirat', 1, -1, 'Jóváírásra került', 'Sztornó');"));
        c.begin(QStringLiteral("prntip M sor"));
        if (c.db().queryInt(QStringLiteral("SELECT COUNT(*) FROM prntip WHERE prntip='M'"), 0) == 0)
            c.exec(q("INSERT INTO prntip (prntip, prntip_nev, tipus, szorzo, osszegszoveg) "
                     "VALUES ('M', 'Számla', 1, 1, 'Fizetendő');"));
    }
}

void productFields(Change& c) {
    addOnly(c, "cikkszam", "cikkszam_nev2");
    addOnly(c, "cikkszam", "ean");
    static const char* const monthly[] = {"h1",   "h2",    "h3",  "h4",  "h5",  "h6",  "h7",  "h8",  "h9",   "h10",
                                          "h11",  "h12",   "hatlag", "hossz", "hn1", "hn2", "hn3", "hn4", "hn5",
                                          "hn6",  "hn7",   "hn8", "hn9", "hn10", "hn11", "hn12", "hnatlag", "hnossz"};
    for (const char* f : monthly)
        addOnly(c, "cikkszam", f);
    addSet(c, "cikkszam", "tm", q("'N'"));
    addOnly(c, "cikkszam", "gariido");
    addOnly(c, "tulajdonos", "engedelyszam");
}

void customerFields(Change& c) {
    addSet(c, "ugyfel", "edi", q("'N'"));
    addSet(c, "ugyfel", "edi2", q("'N'"));
    addSet(c, "ugyfel", "kuldve", q("'I'"));
    addSet(c, "ugyfel", "nyelv", q("0"));
    addSet(c, "ugyfel", "vat", q("'HUF'"));
    addSet(c, "ugyfel", "afas", q("'I'"));
    addSet(c, "ugyfel", "ugyfelkod", q("ugyfel"));
    addOnly(c, "ugyfel", "engedelyszam");
    addSet(c, "ugyfel", "kedvezmeny", q("0"));
    addOnly(c, "ugyfel", "fiztip");
    addOnly(c, "fiztip", "konyvelokod");
    addSet(c, "fiztip", "cassak", q("0"));
    addSet(c, "szla_sor", "tm", q("0"));
    addOnly(c, "szla_sor", "megjegyzes");
    c.begin(QStringLiteral("fiztip.kellkerek"));
    c.reread("fiztip");
    if (c.lacks("fiztip", "kellkerek")) {
        c.reporter().warning(
            q("Állítsa be a kerekítés szükségességét a Törzsadatok menü/Fizetési módok pont alatt!"));
        c.add("fiztip", "kellkerek");
        c.exec(QStringLiteral("UPDATE fiztip SET kellkerek='N';"));
    }
}

void documentFields(Change& c) {
    c.begin(QStringLiteral("szla.netto0"));
    if (c.lacks("szla", "netto0")) {
        const char* const bands[][2] = {{"netto0", "netto0"}, {"afa0", "afa0"},   {"netto1", "netto12"},
                                        {"afa1", "afa12"},    {"netto2", "netto25"}, {"afa2", "afa25"}};
        for (const auto& b : bands)
            c.add("szla", b[0]);
        for (const auto& b : bands)
            c.exec(QStringLiteral("UPDATE szla SET %1=(SELECT SUM(%2) FROM szla_sor WHERE szla_sor.szla=szla.szla "
                                  "GROUP BY szla_sor.szla);")
                       .arg(QLatin1String(b[0]), QLatin1String(b[1])));
    }
    // The bank account of the document's currency; a folder whose documents
    // have no currency yet gets it (HUF) two steps later, and the account then.
    const QString bankAccount = q("UPDATE szla SET tbankszamla=(SELECT bankszamla FROM vat WHERE vat.vat=szla.vat);");
    const bool currencyLater = !c.db().hasField(QStringLiteral("szla"), QStringLiteral("vat"));
    addSetWhere(c, "szla", "tbankszamla", currencyLater ? QStringList() : QStringList{bankAccount});
    addSet(c, "szla", "ugyfel_cim", q("-1"));
    addSet(c, "szla", "vat", q("'HUF'"));
    if (currencyLater && c.db().hasField(QStringLiteral("szla"), QStringLiteral("vat")))
        c.exec(bankAccount);
    addSet(c, "szla", "afas", q("'I'"));
    addSet(c, "szla", "arfolyam", q("1"));
    addOnly(c, "szla", "felhasznalo");
    addSetWhere(c, "szla", "penzfizetve",
                {q("UPDATE szla SET penzfizetve=brutto WHERE fizetve='I';"),
                 q("UPDATE szla SET penzfizetve=0 WHERE fizetve='N';")});
    addSet(c, "szla", "kuldve", q("FALSE"));
    // The accounting hand-over's own flag starts as the documents' kuldve,
    // which marked the hand-over until now.
    addSet(c, "szla", "atadva", q("CASE WHEN kuldve THEN TRUE ELSE FALSE END"));
    addOnly(c, "szla", "honap");
    addSet(c, "szla", "kerek", q("0"));
    addSet(c, "szla", "tm", q("0"));
    addSet(c, "szla", "fa", q("'N'"));
    addSet(c, "szla", "szallev", q("0"));
    addSet(c, "szla", "vantermdij", q("'N'"));
    addOnly(c, "szla", "termdijszoveg");
    addSet(c, "szla", "kedvezmeny", q("0"));
}

// Several fields of one table added together when its marker field is
// missing (field lists read without upper-casing; names still compared
// without regard to case).
void addGroup(Change& c, const char* table, const char* marker, std::initializer_list<const char*> fields) {
    c.begin(QStringLiteral("%1.%2 és társai").arg(table, marker));
    c.reread(table);
    if (!c.lacks(table, marker))
        return;
    for (const char* f : fields)
        c.add(table, f);
}

void laterScripts(Change& c) {
    c.begin(QStringLiteral("prntip.navkod"));
    c.reread("prntip");
    if (c.lacks("prntip", "navkod")) {
        c.add("prntip", "navkod");
        c.exec(QStringLiteral("UPDATE prntip SET navkod = 1;"));
        c.exec(QStringLiteral("UPDATE prntip SET navkod = 3 WHERE prntip = 'J';"));
        c.exec(QStringLiteral("UPDATE prntip SET navkod = 4 WHERE prntip = 'W';"));
    }
    addGroup(c, "szla", "tulajdonos",
             {"tulajdonos", "tirsz", "tvaros", "tcim", "tadoszam", "tbank", "tkozadoszam", "tkerulet", "tkozterulet",
              "thazszam", "tepulet", "tlepcsohaz", "tszint", "tajto", "tegyeni", "tvallig", "tvallignev",
              "kozadoszam", "szla_kerulet", "szla_kozterulet", "szla_hazszam", "szla_epulet", "szla_lepcsohaz",
              "szla_szint", "szla_ajto", "fiztip_nev", "eredeti", "eredetistr", "szlabetu"});
    if (c.hasTable("ugyfel") && c.hasTable("szla") &&
        !c.db().hasField(QStringLiteral("ugyfel"), QStringLiteral("cim_ajto")))
        for (const char* f : {"szla_kerulet", "szla_kozterulet", "szla_hazszam", "szla_epulet", "szla_lepcsohaz",
                              "szla_szint", "szla_ajto", "cim_kerulet", "cim_kozterulet", "cim_hazszam", "cim_epulet",
                              "cim_lepcsohaz", "cim_szint", "cim_ajto"})
            c.add("ugyfel", f);
    addGroup(c, "tulajdonos", "kerulet",
             {"kerulet", "kozterulet", "hazszam", "epulet", "lepcsohaz", "szint", "ajto", "vallignev"});
    addGroup(c, "szla_sor", "eloleg", {"eloleg", "kozv_szolgaltatas", "kulonb_szer_szab"});
    addGroup(c, "cikkszam", "kozv_szolgaltatas", {"kozv_szolgaltatas", "kulonb_szer_szab"});

    c.begin(QStringLiteral("Kibocsátói adatok a bizonylatokon"));
    const QVariant issuer = c.db().queryValue(QStringLiteral("SELECT MIN(tulajdonos) t FROM szla;"));
    if (issuer.isNull() || issuer.toString().isEmpty()) {
        for (const char* pair : {"tulajdonos=tulajdonos", "tirsz=irsz", "tvaros=varos", "tcim=cim", "tadoszam=adoszam",
                                 "tkozadoszam=kozadoszam"}) {
            const QStringList p = QString::fromLatin1(pair).split(QLatin1Char('='));
            c.exec(QStringLiteral("UPDATE szla SET %1 = (SELECT %2 FROM tulajdonos);").arg(p.at(0), p.at(1)));
        }
        c.exec(QStringLiteral("UPDATE szla SET szlabetu = (SELECT szlabetu FROM beallit);"));
        c.exec(QStringLiteral("UPDATE szla SET tegyeni = (SELECT egyeni FROM beallit);"));
        c.exec(QStringLiteral("UPDATE szla SET tvallig = (SELECT vallig FROM tulajdonos);"));
        c.exec(QStringLiteral("UPDATE tulajdonos SET vallignev = tulajdonos;"));
        // A sole trader's documents carry the trader's name as well: the
        // audit export reads it from there.
        c.exec(QStringLiteral("UPDATE szla SET tvallignev = (SELECT vallignev FROM tulajdonos) WHERE tegyeni = 'I';"));
        c.exec(QStringLiteral(
            "UPDATE szla SET kozadoszam = (SELECT ugyfel.kozadoszam FROM ugyfel WHERE szla.ugyfel = ugyfel.ugyfel);"));
        c.exec(QStringLiteral("UPDATE szla_sor SET eloleg = (SELECT cikkszam.eloleg FROM cikkszam WHERE "
                              "szla_sor.cikkszam = cikkszam.cikkszam);"));
        c.exec(QStringLiteral("UPDATE szla_sor SET kozv_szolgaltatas = 'N',kulonb_szer_szab = 0;"));
        c.exec(QStringLiteral("UPDATE cikkszam SET kozv_szolgaltatas = 'N',kulonb_szer_szab = 0;"));
        c.exec(QStringLiteral(
            "UPDATE szla SET fiztip_nev = (SELECT fiztip.fiztip_nev FROM fiztip WHERE szla.fiztip = fiztip.fiztip);"));
    }

    c.begin(QStringLiteral("ÁFA-kulcs mezők típusa"));
    const FieldInfo rate = c.db().fieldInfo(QStringLiteral("szla_sor"), QStringLiteral("afakulcs"));
    if (rate.valid() && rate.type != QLatin1String("FLOAT")) {
        c.restructure("szla_sor", "afakulcs");
        if (c.hasTable("cikkszam"))
            c.restructure("cikkszam", "afakulcs");
        if (c.hasTable("beallit"))
            c.restructure("beallit", "alapafakulcs");
    }
}

// What the invoicing program adds at its start, and whatever else of the
// catalogue is still missing: after the version change the folder holds the
// whole layout of a new folder.
void completeLayout(Change& c) {
    c.begin(QStringLiteral("Program induláskori mezői"));
    const auto patch = [&](const char* table, const char* field, const QString& fill) {
        if (c.hasTable(table) && !c.db().hasField(QLatin1String(table), QLatin1String(field))) {
            c.add(table, field);
            if (!fill.isEmpty())
                c.exec(fill);
        }
    };
    patch("cikkszam", "neta", QStringLiteral("UPDATE cikkszam SET neta = 'N';"));
    patch("szla", "neta", QStringLiteral("UPDATE szla SET neta = 'N';"));
    patch("beallit", "penzforgelsz", QStringLiteral("UPDATE beallit SET penzforgelsz = 'N';"));
    patch("szla", "adoment_hiv", QStringLiteral("UPDATE szla SET adoment_hiv = 'N';"));
    patch("szla", "penzforgelsz", QStringLiteral("UPDATE szla SET penzforgelsz = 'N';"));
    patch("szla", "tkata",
          QStringLiteral("UPDATE szla SET tkata = CASE WHEN (SELECT MAX(kata) FROM beallit) = 'I' THEN 'I' ELSE 'N' "
                         "END;"));
    patch("szla", "atadva", QStringLiteral("UPDATE szla SET atadva = CASE WHEN kuldve THEN TRUE ELSE FALSE END;"));
    patch("minta_sor", "megjegyzes", QString());

    c.begin(QStringLiteral("Hiányzó táblák és mezők"));
    for (const data::TableDef& t : data::catalogue()) {
        if (t.lookupOnly)
            continue;
        if (!c.hasTable(t.name)) {
            c.createTable(t.name);
            continue;
        }
        for (const data::FieldDef& f : t.fields)
            if (!c.db().hasField(QLatin1String(t.name), QLatin1String(f.name)))
                c.add(t.name, f.name);
    }
}

// The fields the data fixes of the version change read from, which no step
// adds: a folder that lacks one (a table brought over from an even older
// program) gets it empty first, so that the fixes run.
void addSourceFields(Change& c) {
    c.begin(QStringLiteral("Alapmezők"));
    const struct {
        const char* table;
        std::initializer_list<const char*> fields;
    } sources[] = {
        {"tulajdonos", {"tulajdonos", "irsz", "varos", "cim", "adoszam", "kozadoszam", "vallig"}},
        {"beallit", {"egyeni"}},
        {"ugyfel", {"ugyfel", "kozadoszam"}},
        {"cikkszam", {"cikkszam", "eloleg"}},
        {"fiztip", {"fiztip", "fiztip_nev"}},
        {"prntip", {"prntip", "prntip_nev"}},
        {"szla", {"szla", "ugyfel", "fiztip", "fizetve", "brutto"}},
        {"szla_sor", {"szla", "cikkszam", "netto0", "afa0", "netto12", "afa12", "netto25", "afa25"}},
    };
    for (const auto& s : sources)
        if (c.hasTable(s.table))
            for (const char* f : s.fields)
                c.add(s.table, f);
}

} // namespace

void upgradeSchema(Database& db, Reporter& reporter) {
    Change c(db, reporter);
    reporter.status(QStringLiteral("Táblák létrehozása"));
    addSourceFields(c);
    widenFields(c);
    createMissingTables(c);
    reporter.status(QStringLiteral("Mezők ellenőrzése, létrehozása"));
    c.begin(QStringLiteral("tulajdonos.iban"));
    if (c.lacks("tulajdonos", "iban")) {
        c.add("tulajdonos", "iban");
        c.add("tulajdonos", "swift");
    }
    addOnly(c, "tulajdonos", "felir");
    bool copyTotalsLater = false;
    documentTypeLanguages(c, copyTotalsLater);
    addOnly(c, "vat", "bankszamla");
    addOnly(c, "minta_sor", "db");
    settingsFields(c);
    documentTypeNames(c, copyTotalsLater);
    productFields(c);
    customerFields(c);
    documentFields(c);
    laterScripts(c);
    c.applyRebuilds();
    completeLayout(c);
}

UpgradeResult upgradeFolder(const QString& folder, Reporter& reporter) {
    UpgradeResult result;
    Session session(folder);
    reporter.status(QStringLiteral("Mentés készítése"));
    result.archive = session.archiveCopy();
    reporter.step(QStringLiteral("Mentés: ") + result.archive);
    upgradeSchema(session.db(), reporter);
    result.reindex.failedTables = rebuildIndexes(session.db(), reporter);
    reporter.status(QStringLiteral("Változások mentése"));
    try {
        session.commit();
    } catch (const DbError& e) {
        throw MaintenanceError(QStringLiteral("Mentés lemezre"), e.text());
    }
    result.reindex.integrity = checkAndAnalyze(session.db(), reporter);
    reporter.status(QString());
    reporter.progress(0, kProgressMax);
    return result;
}

} // namespace orvix::maintenance
