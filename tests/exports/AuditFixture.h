// A data folder with an issuer, customers and documents whose lines carry
// exactly what an audit-file test needs.
#pragma once

#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/Settings.h"
#include "invoicing/Documents.h"

#include <QDate>
#include <QtTest>
#include <memory>
#include <vector>

namespace orvix::test {

struct AuditLine {
    QString name;
    double quantity = 1;
    double unitNet = 0;
    double rate = 27;
    QString eloleg = QStringLiteral("N");
    QString intermediated = QStringLiteral("N");
    int margin = 0;
    QString unit = QStringLiteral("db");
    QString vtsz;
};

class AuditFixture {
public:
    std::unique_ptr<TempDataFolder> folder = std::make_unique<TempDataFolder>();
    ScriptedDialogs dialogs;
    Settings settings;

    Database& db() { return folder->db; }

    AuditFixture() {
        db().execSql(QStringLiteral(
            "UPDATE tulajdonos SET tulajdonos='Árvíztűrő Tükörfúrógép Kft.', irsz='1111', varos='Budapest', "
            "cim='Fő', kozterulet='utca', hazszam='1', adoszam='12345678-2-43', kozadoszam='HU12345678', "
            "bankszamlaszam='11700000-22222222'"));
        settings = loadSettings(db());
    }

    qint64 customer(const QString& name, const QString& fields = {}) {
        db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, szla_irsz, szla_varos, szla_cim, adoszam, "
                                    "fiztip, torolve, vat) VALUES (?, '6720', 'Szeged', 'Kárász', "
                                    "'87654321-1-06', 2, 'N', 'HUF')"),
                     {name});
        const qint64 key = db().queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
        if (!fields.isEmpty())
            db().execSql(QStringLiteral("UPDATE ugyfel SET %1 WHERE ugyfel=?").arg(fields), {key});
        return key;
    }

    // A document of the customer issued on the day with exactly these lines;
    // its stored totals are the sums of the lines. extra sets header fields
    // afterwards ("fa='I'").
    qint64 document(qint64 customerKey, const std::vector<AuditLine>& lines, const QDate& issued,
                    QChar kind = kKindInvoice, const QString& extra = {}) {
        NewDocument doc;
        doc.kind = kind;
        doc.customer = customerKey;
        doc.exchangeRate = 390;
        const qint64 key = CreateDocument(db(), dialogs, settings, CurrentUser{}, doc, issued);
        int sor = 0;
        for (const AuditLine& l : lines) {
            const double vat = l.unitNet * l.rate / 100;
            db().execSql(QStringLiteral("INSERT INTO szla_sor (szla, sor, tipus, cikkszam, cikkszam_nev, vtsz, mert, "
                                        "db, afakulcs, egysar, netto, afa, brutto, eloleg, kozv_szolgaltatas, "
                                        "kulonb_szer_szab) VALUES (?, ?, 'N', '', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                         {key, ++sor, l.name, l.vtsz, l.unit, l.quantity, l.rate, l.unitNet, l.unitNet, vat,
                          l.unitNet + vat, l.eloleg, l.intermediated, l.margin});
        }
        db().execSql(QStringLiteral(
                         "UPDATE szla SET netto=(SELECT SUM(netto*db) FROM szla_sor WHERE szla_sor.szla=szla.szla), "
                         "afa=(SELECT SUM(afa*db) FROM szla_sor WHERE szla_sor.szla=szla.szla), "
                         "brutto=(SELECT SUM(brutto*db) FROM szla_sor WHERE szla_sor.szla=szla.szla) WHERE szla=?"),
                     {key});
        if (!extra.isEmpty())
            db().execSql(QStringLiteral("UPDATE szla SET %1 WHERE szla=?").arg(extra), {key});
        return key;
    }

    // The printed number of a stored document.
    QString number(qint64 key) {
        QSqlQuery q =
            db().select(QStringLiteral("SELECT szlaszam, prntip, szlabetu, dat_kiadva FROM szla WHERE szla=?"), {key});
        if (!q.next())
            return {};
        const QString kind = q.value(1).toString();
        return DocNumberText(q.value(0).toLongLong(), kind.isEmpty() ? QChar() : kind.at(0), q.value(2).toString(),
                             q.value(3).toDate());
    }
};

} // namespace orvix::test
