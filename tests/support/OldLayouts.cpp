#include "OldLayouts.h"

#include "data/Schema.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace orvix::test {

namespace {

QSet<QString> fieldsOf(const char* table, std::initializer_list<const char*> names) {
    QSet<QString> out;
    for (const char* n : names)
        out << QStringLiteral("%1.%2").arg(QLatin1String(table), QLatin1String(n));
    return out;
}

OldLayout widths() {
    return {QStringLiteral("narrow fields"),
            {},
            {},
            {{QStringLiteral("mert.mert"), QStringLiteral("CHAR(8) COLLATE HU")},
             {QStringLiteral("szla_sor.mert"), QStringLiteral("CHAR(9) COLLATE HU")},
             {QStringLiteral("cikkszam.mert"), QStringLiteral("CHAR(5) COLLATE HU")},
             {QStringLiteral("ugyfel.emil"), QStringLiteral("CHAR(39) COLLATE HU")},
             {QStringLiteral("prntip.prntip_nev"), QStringLiteral("CHAR(20) COLLATE HU")}}};
}

OldLayout tables() {
    return {QStringLiteral("missing tables"),
            {QStringLiteral("ugyfel_cim"), QStringLiteral("cassa"), QStringLiteral("cassak"),
             QStringLiteral("cassatip"), QStringLiteral("vat"), QStringLiteral("tmp_nyereseg"),
             QStringLiteral("minta"), QStringLiteral("minta_sor"), QStringLiteral("szj"), QStringLiteral("cimke"),
             QStringLiteral("gari")},
            {},
            {}};
}

OldLayout issuerAndTypes() {
    return {QStringLiteral("issuer and document types"),
            {},
            fieldsOf("tulajdonos", {"iban", "swift", "felir", "engedelyszam"}) +
                fieldsOf("prntip", {"osszegszoveg1", "osszegszoveg2", "prntip_nev1", "prntip_nev2", "evanev",
                                    "szorzo", "osszegszoveg", "navkod"}) +
                fieldsOf("vat", {"bankszamla"}) + fieldsOf("minta_sor", {"db"}),
            {}};
}

OldLayout settings() {
    return {QStringLiteral("settings"),
            {},
            fieldsOf("beallit",
                     {"kata",       "folytsorszam", "vansokcim",     "szlacikkszam", "blokknyomtato",
                      "blokknyomtatovalaszt", "kerdeznyomtato", "szlaforma", "printernev", "printerutv",
                      "tmszoveg",   "vanhonap",     "faszoveg",      "vanfa",        "adomentes",
                      "amtm",       "vantermdij",   "termdijszoveg", "vanafa0",      "vanafa1",
                      "vanafa2",    "teljkiad",     "vanzentra",     "evautvonal",   "vangari",
                      "garimegjegyzes", "vanmentes", "belepjelszo",  "formatft",     "formatdb",
                      "szlabetu",   "formatszla"}),
            {}};
}

OldLayout mastersFields() {
    QSet<QString> f = fieldsOf("cikkszam", {"cikkszam_nev2", "ean", "tm", "gariido", "hatlag", "hossz", "hnatlag",
                                            "hnossz"}) +
                      fieldsOf("ugyfel", {"edi", "edi2", "kuldve", "nyelv", "vat", "afas", "ugyfelkod",
                                          "engedelyszam", "kedvezmeny", "fiztip"}) +
                      fieldsOf("fiztip", {"konyvelokod", "cassak", "kellkerek"}) +
                      fieldsOf("szla_sor", {"tm", "megjegyzes"});
    for (int m = 1; m <= 12; ++m)
        f << QStringLiteral("cikkszam.h%1").arg(m) << QStringLiteral("cikkszam.hn%1").arg(m);
    return {QStringLiteral("product and customer fields"), {}, f, {}};
}

OldLayout documents() {
    return {QStringLiteral("document fields"),
            {},
            fieldsOf("szla", {"netto0", "afa0", "netto1", "afa1", "netto2", "afa2", "tbankszamla", "ugyfel_cim", "vat",
                              "afas", "arfolyam", "felhasznalo", "penzfizetve", "kuldve", "honap", "kerek", "tm", "fa",
                              "szallev", "vantermdij", "termdijszoveg", "kedvezmeny"}),
            {}};
}

OldLayout scripts() {
    QSet<QString> f = fieldsOf("szla", {"tulajdonos", "tirsz", "tvaros", "tcim", "tadoszam", "tbank", "tkozadoszam",
                                        "tkerulet", "tkozterulet", "thazszam", "tepulet", "tlepcsohaz", "tszint",
                                        "tajto", "tegyeni", "tvallig", "tvallignev", "kozadoszam", "szla_kerulet",
                                        "szla_kozterulet", "szla_hazszam", "szla_epulet", "szla_lepcsohaz",
                                        "szla_szint", "szla_ajto", "fiztip_nev", "eredeti", "eredetistr", "szlabetu"}) +
                      fieldsOf("ugyfel", {"szla_kerulet", "szla_kozterulet", "szla_hazszam", "szla_epulet",
                                          "szla_lepcsohaz", "szla_szint", "szla_ajto", "cim_kerulet", "cim_kozterulet",
                                          "cim_hazszam", "cim_epulet", "cim_lepcsohaz", "cim_szint", "cim_ajto"}) +
                      fieldsOf("tulajdonos",
                               {"kerulet", "kozterulet", "hazszam", "epulet", "lepcsohaz", "szint", "ajto", "vallignev"}) +
                      fieldsOf("szla_sor", {"eloleg", "kozv_szolgaltatas", "kulonb_szer_szab"}) +
                      fieldsOf("cikkszam", {"kozv_szolgaltatas", "kulonb_szer_szab"});
    return {QStringLiteral("later scripts"),
            {},
            f,
            {{QStringLiteral("szla_sor.afakulcs"), QStringLiteral("INT")},
             {QStringLiteral("cikkszam.afakulcs"), QStringLiteral("INT")},
             {QStringLiteral("beallit.alapafakulcs"), QStringLiteral("INT")}}};
}

OldLayout startFields() {
    return {QStringLiteral("fields of the program's start"),
            {QStringLiteral("eloleg"), QStringLiteral("mail"), QStringLiteral("naplo")},
            fieldsOf("szla", {"neta", "penzforgelsz", "adoment_hiv", "tkata", "atadva"}) + fieldsOf("cikkszam", {"neta"}) +
                fieldsOf("beallit", {"penzforgelsz"}) + fieldsOf("minta_sor", {"megjegyzes"}) +
                fieldsOf("felhasznalo", {"jelszohash"}),
            {}};
}

QString declarationOf(const OldLayout& layout, const data::TableDef& t, const data::FieldDef& f) {
    const QString key = QStringLiteral("%1.%2").arg(QLatin1String(t.name), QLatin1String(f.name));
    return layout.declared.value(key, data::declaredType(f));
}

} // namespace

QList<OldLayout> oldLayouts() {
    return {widths(), tables(), issuerAndTypes(), settings(), mastersFields(), documents(), scripts(), startFields()};
}

OldLayout oldestLayout() {
    OldLayout all{QStringLiteral("oldest"), {}, {}, {}};
    for (const OldLayout& l : oldLayouts()) {
        all.tables += l.tables;
        all.fields += l.fields;
        for (auto it = l.declared.cbegin(); it != l.declared.cend(); ++it)
            all.declared.insert(it.key(), it.value());
    }
    return all;
}

void createOldFolder(Database& db, const QString& folder, const OldLayout& layout) {
    db.create(folder, [&](Database& fresh) {
        Database::Transaction tr(fresh);
        for (const data::TableDef& t : data::catalogue()) {
            if (layout.tables.contains(QLatin1String(t.name)))
                continue;
            QStringList defs;
            QSet<QString> present;
            bool autoinc = false;
            for (const data::FieldDef& f : t.fields) {
                if (layout.fields.contains(QStringLiteral("%1.%2").arg(QLatin1String(t.name), QLatin1String(f.name))))
                    continue;
                defs << QStringLiteral("%1 %2").arg(QLatin1String(f.name), declarationOf(layout, t, f));
                present << QLatin1String(f.name);
                autoinc = autoinc || f.type == data::FieldType::AutoInc;
            }
            if (!autoinc && !t.primaryKey.empty()) {
                QStringList key;
                for (const char* k : t.primaryKey)
                    key << QLatin1String(k);
                defs << QStringLiteral("PRIMARY KEY (%1)").arg(key.join(QStringLiteral(", ")));
            }
            fresh.execSql(QStringLiteral("CREATE TABLE %1 (\n  %2\n);").arg(QLatin1String(t.name), defs.join(QStringLiteral(",\n  "))));
            for (const data::SeedRow& row : t.seeds) {
                QStringList names, marks;
                QVariantList values;
                for (int i = 0; i < row.fields.size(); ++i)
                    if (present.contains(row.fields.at(i))) {
                        names << row.fields.at(i);
                        marks << QStringLiteral("?");
                        values << row.values.at(i);
                    }
                fresh.execSql(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3);")
                                  .arg(QLatin1String(t.name), names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                              values);
            }
        }
        tr.commit();
    });
}

QStringList describeLayout(Database& db) {
    QStringList out;
    for (const QString& table : db.tableNames()) {
        const data::TableDef* t = data::findTable(table);
        if (t && t->lookupOnly)
            continue;
        if (table.startsWith(QLatin1String("sqlite_")))
            continue;
        out << QStringLiteral("table %1").arg(table);
        QSqlQuery info = db.select(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
        QStringList key;
        while (info.next()) {
            const FieldInfo f = db.fieldInfo(table, info.value(1).toString());
            out << QStringLiteral("field %1.%2 %3(%4) notnull=%5")
                       .arg(table, f.name, f.type)
                       .arg(f.width)
                       .arg(info.value(3).toInt());
            if (info.value(5).toInt() > 0)
                key << QStringLiteral("%1:%2").arg(info.value(5).toInt()).arg(info.value(1).toString());
        }
        key.sort();
        out << QStringLiteral("key %1 %2").arg(table, key.join(QLatin1Char(',')));
        QSqlQuery idx = db.select(QStringLiteral("PRAGMA index_list(\"%1\")").arg(table));
        while (idx.next()) {
            const QString name = idx.value(1).toString();
            QStringList cols;
            QSqlQuery xi = db.select(QStringLiteral("PRAGMA index_xinfo(\"%1\")").arg(name));
            while (xi.next())
                if (xi.value(5).toInt() == 1)
                    cols << QStringLiteral("%1 %2 %3")
                                .arg(xi.value(2).isNull() ? QStringLiteral("<expr>") : xi.value(2).toString(),
                                     xi.value(3).toInt() ? QStringLiteral("desc") : QStringLiteral("asc"),
                                     xi.value(4).toString());
            const QString shown = name.startsWith(QLatin1String("sqlite_autoindex")) ? QStringLiteral("<key>") : name;
            out << QStringLiteral("index %1 %2 unique=%3 (%4)")
                       .arg(table, shown)
                       .arg(idx.value(2).toInt())
                       .arg(cols.join(QStringLiteral(", ")));
        }
    }
    out.sort();
    return out;
}

QStringList dumpRows(Database& db) {
    QStringList out;
    for (const QString& table : db.tableNames()) {
        if (table.startsWith(QLatin1String("sqlite_")))
            continue;
        QSqlQuery q = db.select(QStringLiteral("SELECT * FROM \"%1\"").arg(table));
        while (q.next()) {
            QStringList values;
            const QSqlRecord r = q.record();
            QStringList cells;
            for (int i = 0; i < r.count(); ++i)
                cells << r.fieldName(i) + QLatin1Char('=') +
                             (q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
            cells.sort();
            out << table + QLatin1Char(':') + cells.join(QLatin1Char('|'));
        }
    }
    out.sort();
    return out;
}

} // namespace orvix::test
