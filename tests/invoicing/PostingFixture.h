// Documents written straight into a test data folder, as the editor would
// leave them, for the posting, cancelling and cash-book tests.
#pragma once

#include "common/Database.h"

#include <QDate>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariantMap>
#include <vector>

namespace orvix::test {

struct DocSpec {
    QString kind = QStringLiteral("S");
    qint64 number = 0; // 0: the next free one
    QString fizetve = QStringLiteral("N");
    int fiztip = 2;
    double arfolyam = 1;
    QString vat = QStringLiteral("HUF");
    QString eredetistr;
    QString tkata = QStringLiteral("N");
    QString fa = QStringLiteral("N");
    QString konyvelve = QStringLiteral("N");
    QString storno = QStringLiteral("N");
    QString customer = QStringLiteral("Teszt");
    qint64 ugyfel = 1;
    QDate issued = QDate(2024, 5, 10);
    QDate performed = QDate(2024, 4, 30);
};

struct LineSpec {
    QString code;
    double db = 1;
    double unitGross = 0;
    double rate = 27;
    QString tipus = QStringLiteral("N");
};

inline void insertRow(Database& db, const QString& table, const QVariantMap& values) {
    QStringList marks;
    for (int i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    db.execSql(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(table, values.keys().join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
               values.values());
}

inline void addProduct(Database& db, const QString& code, const QString& neta = QStringLiteral("N"),
                       const QString& eloleg = QStringLiteral("N")) {
    insertRow(db, QStringLiteral("cikkszam"),
              {{"cikkszam", code}, {"cikkszam_nev", code}, {"neta", neta}, {"eloleg", eloleg},
               {"torolve", QStringLiteral("N")}, {"afakulcs", 27.0}, {"netto", 100.0}});
}

inline qint64 addDoc(Database& db, const DocSpec& d, const std::vector<LineSpec>& lines) {
    double gross = 0, net = 0;
    for (const LineSpec& l : lines) {
        gross += l.unitGross * l.db;
        net += l.unitGross / (1 + l.rate / 100) * l.db;
    }
    const qint64 number =
        d.number > 0 ? d.number : db.queryInt(QStringLiteral("SELECT COALESCE(MAX(szlaszam),0)+1 FROM szla"), 1);
    insertRow(db, QStringLiteral("szla"),
              {{"prntip", d.kind},          {"szlaszam", number},        {"fizetve", d.fizetve},
               {"fiztip", d.fiztip},        {"arfolyam", d.arfolyam},    {"vat", d.vat},
               {"eredetistr", d.eredetistr}, {"tkata", d.tkata},         {"fa", d.fa},
               {"konyvelve", d.konyvelve},  {"storno", d.storno},        {"ugyfel_nev", d.customer},
               {"ugyfel", d.ugyfel},        {"brutto", gross},           {"netto", net},
               {"afa", gross - net},        {"penzfizetve", 0.0},        {"neta", QStringLiteral("N")},
               {"szlabetu", QStringLiteral("SA")},
               {"dat_kiadva", d.issued.toString(Qt::ISODate)},
               {"dat_szallhat", d.performed.toString(Qt::ISODate)}});
    const qint64 key = db.queryInt(QStringLiteral("SELECT MAX(szla) FROM szla"), 0);
    int sor = 0;
    for (const LineSpec& l : lines) {
        const double unitNet = l.unitGross / (1 + l.rate / 100);
        insertRow(db, QStringLiteral("szla_sor"),
                  {{"szla", key},        {"sor", ++sor},          {"cikkszam", l.code},
                   {"cikkszam_nev", l.code}, {"db", l.db},        {"afakulcs", l.rate},
                   {"egysar", unitNet},  {"netto", unitNet},      {"afa", l.unitGross - unitNet},
                   {"brutto", l.unitGross}, {"tipus", l.tipus}});
    }
    return key;
}

inline QVariantMap docRow(Database& db, qint64 key) {
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM szla WHERE szla=?"), {key});
    QVariantMap out;
    if (q.next())
        for (int i = 0; i < q.record().count(); ++i)
            out.insert(q.record().fieldName(i), q.value(i));
    return out;
}

} // namespace orvix::test
