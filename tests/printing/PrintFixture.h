// Documents to print: a data folder with an issuer, customers and documents
// whose lines carry exactly the amounts a test needs, and the print's setup.
#pragma once

#include "PdfText.h"
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/Settings.h"
#include "invoicing/Documents.h"
#include "printing/InvoicePrint.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace orvix::test {

struct Line {
    QString name;
    QString unit = QStringLiteral("db");
    double quantity = 1;
    double unitNet = 0;
    double rate = 27;
    QString comment;
    QString vtsz;
    QString code;
};

// Keeps the laid-out copies instead of showing or printing them.
class KeptCopies : public PrintTarget {
public:
    std::vector<report::Document> previews;
    std::vector<std::pair<report::Document, QString>> printed; // copy and printer
    void preview(const report::Document& copy) override { previews.push_back(copy); }
    bool print(const report::Document& copy, const QString& printer, QString*) override {
        printed.emplace_back(copy, printer);
        return true;
    }
};

class PrintFixture {
public:
    std::unique_ptr<TempDataFolder> folder = std::make_unique<TempDataFolder>();
    QTemporaryDir work; // work folder with the Lang subfolder, PDF output
    PrintSetup setup;
    ScriptedDialogs dialogs;

    Database& db() { return folder->db; }

    PrintFixture() {
        db().execSql(QStringLiteral(
            "UPDATE tulajdonos SET tulajdonos='Árvíztűrő Tükörfúrógép Kft.', irsz='1111', varos='Budapest', "
            "cim='Fő', kozterulet='utca', hazszam='1', adoszam='12345678-2-43', "
            "bankszamlaszam='11700000-22222222', swift='OTPVHUHB', iban='HU42117000002222222200000000'"));
        setup.settings = loadSettings(db());
        setup.workFolder = work.path();
        setup.printedAt = QDateTime(QDate(2026, 3, 2), QTime(10, 20, 30));
        setup.installedPrinters = QStringList{};
    }

    qint64 customer(const QString& name, const QString& fields = {}) {
        db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, szla_irsz, szla_varos, szla_cim, adoszam, "
                                    "fiztip, torolve) VALUES (?, '6720', 'Szeged', 'Kárász utca 5', "
                                    "'87654321-1-06', 2, 'N')"),
                     {name});
        const qint64 key = db().queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
        if (!fields.isEmpty())
            db().execSql(QStringLiteral("UPDATE ugyfel SET %1 WHERE ugyfel=?").arg(fields), {key});
        return key;
    }

    // A document of the customer with exactly these lines; extra sets header
    // fields afterwards ("fiztip=1, konyvelve='I'").
    qint64 document(qint64 customerKey, const std::vector<Line>& lines, const QString& extra = {},
                    QChar kind = kKindInvoice) {
        NewDocument doc;
        doc.kind = kind;
        doc.customer = customerKey;
        doc.exchangeRate = 390;
        const qint64 key = CreateDocument(db(), dialogs, setup.settings, CurrentUser{}, doc, QDate(2026, 3, 2));
        int sor = 0;
        for (const Line& l : lines) {
            const double vat = l.unitNet * l.rate / 100;
            db().execSql(QStringLiteral("INSERT INTO szla_sor (szla, sor, tipus, cikkszam, cikkszam_nev, vtsz, "
                                        "mert, db, afakulcs, netto, afa, brutto, megjegyzes) "
                                        "VALUES (?, ?, 'N', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                         {key, ++sor, l.code, l.name, l.vtsz, l.unit, l.quantity, l.rate, l.unitNet, vat,
                          l.unitNet + vat, l.comment});
        }
        if (!extra.isEmpty())
            db().execSql(QStringLiteral("UPDATE szla SET %1 WHERE szla=?").arg(extra), {key});
        return key;
    }

    void reloadSettings() { setup.settings = loadSettings(db()); }

    PrintRequest preview(qint64 key) { return documentPrintRequest(db(), key, false); }

    report::Document layOut(qint64 key, InvoiceLayout layout = InvoiceLayout::Design1) {
        return layOutInvoice(db(), setup, preview(key), layout);
    }

    // The copy as pdftotext reads it back, blanks squeezed.
    QString text(qint64 key, InvoiceLayout layout = InvoiceLayout::Design1, const PrintRequest* request = nullptr) {
        const report::Document doc = layOutInvoice(db(), setup, request ? *request : preview(key), layout);
        return pdfOf({doc});
    }

    QString pdfOf(const std::vector<report::Document>& docs) {
        const QString path = QDir(work.path()).filePath(QStringLiteral("check.pdf"));
        QString error;
        if (!report::writePdf(docs, path, &error))
            return QStringLiteral("PDF error: ") + error;
        return squeezed(pdfText(path));
    }
};

} // namespace orvix::test
