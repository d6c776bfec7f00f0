// The printed invoice read back from the PDF: the rate table and its
// rounding, cash rounding, foreign currency, outside-scope and exempt
// documents, marks, languages, the copy count and the print counter, the
// electronic copy, and the content every layout must show.
#include "PrintFixture.h"

#include "core/LangFiles.h"
#include "core/TextUtil.h"

#include <QFile>
#include <QRegularExpression>

using namespace orvix;
using namespace orvix::test;

Q_DECLARE_METATYPE(std::vector<orvix::RateRow>)

// The value of a data column where it is used.
#define FETCHED(type, name) (*static_cast<type*>(QTest::qData(#name, ::qMetaTypeId<type>())))

namespace {

bool hasLine(const QString& text, const QString& pattern) {
    return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text).hasMatch();
}

} // namespace

class InvoicePrintTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PrintFixture> f;

private Q_SLOTS:
    void init() { f = std::make_unique<PrintFixture>(); }
    void cleanup() { f.reset(); }

    void rateTableRounding_data() {
        QTest::addColumn<std::vector<RateRow>>("perRate");
        QTest::addColumn<bool>("huf");
        QTest::addColumn<double>("net0");
        QTest::addColumn<double>("vat0");
        QTest::addColumn<double>("sumGross");
        // The query adds 0.00001 to every sum: a positive half goes up, a
        // negative half towards zero; other halves go to the even neighbour.
        QTest::newRow("100.5 up") << std::vector<RateRow>{{0, 100.50001, 0.00001, 100.50001}} << true << 101.0
                                  << 0.0 << 101.0;
        QTest::newRow("-100.5 to -100") << std::vector<RateRow>{{0, -100.49999, 0.00001, -100.49999}} << true
                                        << -100.0 << 0.0 << -100.0;
        QTest::newRow("VAT is gross - net") << std::vector<RateRow>{{27, 10.40001, 2.80801, 13.20801}} << true
                                            << 10.0 << 3.0 << 13.0;
        QTest::newRow("two decimals") << std::vector<RateRow>{{27, 10.12501, 2.73376, 12.85876}} << false << 10.13
                                      << 2.73 << 12.86;
        QTest::newRow("sums from unrounded") << std::vector<RateRow>{{5, 0.40001, 0.02001, 0.42001},
                                                                     {27, 0.40001, 0.10801, 0.50801}}
                                             << true << 0.0 << 0.0 << 1.0;
    }
    void rateTableRounding() {
        QFETCH(std::vector<RateRow>, perRate);
        QFETCH(bool, huf);
        const RateTable t = makeRateTable(perRate, huf, false);
        QCOMPARE(t.rows.at(0).net, FETCHED(double, net0));
        QCOMPARE(t.rows.at(0).vat + 0.0, FETCHED(double, vat0));
        QCOMPARE(t.sums.gross, FETCHED(double, sumGross));
    }

    void rateTableKeepsTenRowsAndSumsAll() {
        std::vector<RateRow> rows;
        for (int i = 0; i < 12; ++i)
            rows.push_back({double(i), 1, 0, 1});
        const RateTable t = makeRateTable(rows, true, false);
        QCOMPARE(int(t.rows.size()), kMaxRateRows);
        QCOMPARE(t.sums.net, 12.0);
        const RateTable outside = makeRateTable({{27, 100, 27, 127}}, true, true);
        QCOMPARE(outside.sums.gross, 100.0);
        QCOMPARE(outside.sums.vat, 0.0);
    }

    void cashRoundingCorrection_data() {
        QTest::addColumn<double>("gross");
        QTest::addColumn<double>("correction");
        for (const auto& [g, d] : std::vector<std::pair<double, double>>{
                 {1230, 0}, {1231, -1}, {1232, -2}, {1233, 2}, {1234, 1}, {-1233, -2}, {-1232, 2}, {-1234, -1}})
            QTest::addRow("%g", g) << g << d;
    }
    void cashRoundingCorrection() {
        QFETCH(double, gross);
        QCOMPARE(cashRounding(gross), FETCHED(double, correction));
    }

    // Lines at 5 % and 27 %: two captioned rate rows, no third, sums of the
    // unrounded line values; the heading of the Forint VAT stays away.
    void twoRatesInForint() {
        const qint64 c = f->customer(QStringLiteral("Kovács Ügyfél"));
        const qint64 doc = f->document(c, {{QStringLiteral("Kenyér"), QStringLiteral("db"), 3, 100.4, 5},
                                           {QStringLiteral("Árvíztűrő tükörfúrógép"), QStringLiteral("db"), 1, 1000.4,
                                            27}});
        const QString text = f->text(doc);
        QVERIFY2(hasLine(text, QStringLiteral("^ ?5% 301 15 316$")), qPrintable(text));
        QVERIFY2(hasLine(text, QStringLiteral("^ ?27% 1 000 271 1 271$")), qPrintable(text));
        QVERIFY2(hasLine(text, QStringLiteral("Összesen 1 302 285 1 587$")), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("Mentes az adó alól")));
        QVERIFY(!text.contains(QStringLiteral("Forintban")));
        QVERIFY(text.contains(QStringLiteral("Árvíztűrő tükörfúrógép")));
        QVERIFY(text.contains(QStringLiteral("azaz egyezer-ötszáznyolcvanhét Ft")) ||
                text.contains(QStringLiteral("azaz ") + amountInWords(1587) + QStringLiteral(" Ft")));
        QVERIFY(hasLine(text, QStringLiteral("Fizetendő 1 587\\.-$")));
    }

    void halvesOfTheRateTable_data() {
        QTest::addColumn<double>("unitNet");
        QTest::addColumn<QString>("printed");
        QTest::newRow("100.5") << 100.5 << QStringLiteral("Mentes az adó alól 101 0 101");
        QTest::newRow("-100.5") << -100.5 << QStringLiteral("Mentes az adó alól -100 0 -100");
    }
    void halvesOfTheRateTable() {
        QFETCH(double, unitNet);
        const qint64 doc = f->document(f->customer(QStringLiteral("Fél")),
                                       {{QStringLiteral("Szolgáltatás"), QStringLiteral("óra"), 1, unitNet, 0}});
        const QString text = f->text(doc);
        QVERIFY2(text.contains(FETCHED(QString, printed)), qPrintable(text));
    }

    void cashRoundingOnThePrint_data() {
        QTest::addColumn<double>("gross");
        QTest::addColumn<QString>("rounding");
        QTest::addColumn<QString>("payable");
        QTest::newRow("1233") << 1233.0 << QStringLiteral("2.-") << QStringLiteral("1 235.-");
        QTest::newRow("1232") << 1232.0 << QStringLiteral("-2.-") << QStringLiteral("1 230.-");
        QTest::newRow("-1233") << -1233.0 << QStringLiteral("-2.-") << QStringLiteral("-1 235.-");
    }
    void cashRoundingOnThePrint() {
        QFETCH(double, gross);
        const qint64 doc = f->document(f->customer(QStringLiteral("Készpénzes")),
                                       {{QStringLiteral("Áru"), QStringLiteral("db"), 1, gross, 0}},
                                       QStringLiteral("fiztip=1"));
        const QString text = f->text(doc);
        QVERIFY2(hasLine(text, QStringLiteral("Kerekítés ") + QRegularExpression::escape(FETCHED(QString, rounding)) +
                                   QStringLiteral("$")),
                 qPrintable(text));
        QVERIFY2(hasLine(text, QStringLiteral("Fizetendő ") + QRegularExpression::escape(FETCHED(QString, payable)) +
                                   QStringLiteral("$")),
                 qPrintable(text));
        // The words tell the rounded amount.
        const double payableAmount = gross + cashRounding(gross);
        QVERIFY(text.contains(QStringLiteral("azaz ") + amountInWords(payableAmount) + QStringLiteral(" Ft")));
        // By bank transfer there is no rounding.
        f->db().execSql(QStringLiteral("UPDATE szla SET fiztip=2 WHERE szla=?"), {doc});
        const QString transfer = f->text(doc);
        QVERIFY(!transfer.contains(QStringLiteral("Kerekítés")));
    }

    void foreignCurrency() {
        const qint64 c = f->customer(QStringLiteral("Euro GmbH"), QStringLiteral("vat='EUR'"));
        const qint64 doc = f->document(c, {{QStringLiteral("Beratung"), QStringLiteral("óra"), 2, 617.25, 27}},
                                       QStringLiteral("fiztip=1, arfolyam=390"));
        const QString text = f->text(doc);
        QVERIFY2(hasLine(text, QStringLiteral("^ ?27% 1 234,50 333,32 1 567,82$")), qPrintable(text));
        QVERIFY(hasLine(text, QStringLiteral("Fizetendő 1 567,82$")));
        QVERIFY(!text.contains(QStringLiteral("Kerekítés")));
        QVERIFY(!text.contains(QStringLiteral("azaz")));
        // 333.32 × 390 = 129 994.8
        QVERIFY2(text.contains(QStringLiteral("Áthárított ÁFA Forintban (árf: 390,00) 129 995")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("devizanem EUR")));
    }

    void outsideTheScopeOfVat() {
        const qint64 c = f->customer(QStringLiteral("Külföldi Ltd."), QStringLiteral("afas='N'"));
        const qint64 doc = f->document(c, {{QStringLiteral("Service"), QStringLiteral("db"), 1, 1000, 0}},
                                       QStringLiteral("afas='N'"));
        const QString text = f->text(doc);
        QVERIFY(!text.contains(QStringLiteral("Mentes az adó alól")));
        QVERIFY2(hasLine(text, QStringLiteral("Összesen 1 000 0 1 000$")), qPrintable(text));
        QVERIFY(text.contains(
            QStringLiteral("Áfa területi hatályán kívül, outside the territorial scope of the VAT Act.")));
        QVERIFY(!text.contains(QStringLiteral("azaz")));
    }

    void subjectiveExemption() {
        f->db().execSql(QStringLiteral("UPDATE beallit SET adomentes='I', amtm=''"));
        f->reloadSettings();
        const qint64 doc = f->document(f->customer(QStringLiteral("Mentes Vevő")),
                                       {{QStringLiteral("Tanácsadás"), QStringLiteral("óra"), 2, 5000, 0}});
        const QString text = f->text(doc);
        QVERIFY2(hasLine(text, QStringLiteral("Tanácsadás óra 2 5 000 10 000 AM 0 10 000$")), qPrintable(text));
        QVERIFY(hasLine(text, QStringLiteral("^ ?AM 10 000 0 10 000$")));
        QVERIFY(hasLine(text, QStringLiteral("^ ?AM$")));
        QVERIFY(!text.contains(QStringLiteral("(ÁFA nélkül)")));
        QVERIFY(!text.contains(QStringLiteral("Mentes az adó alól")));
        QVERIFY(text.contains(QStringLiteral("egységár")));
    }

    void reverseChargeForm() {
        f->db().execSql(QStringLiteral("UPDATE beallit SET faszoveg='Fordított adózás (Áfa tv. 142. §)'"));
        f->reloadSettings();
        const qint64 doc = f->document(f->customer(QStringLiteral("Építő Kft.")),
                                       {{QStringLiteral("Munkadíj"), QStringLiteral("óra"), 10, 4000, 0}},
                                       QStringLiteral("fa='I'"));
        const QString text = f->text(doc);
        QVERIFY(text.contains(QStringLiteral("Fordított adózás (Áfa tv. 142. §)")));
        QVERIFY(hasLine(text, QStringLiteral("^ ?FA 40 000 0 40 000$")));
        QVERIFY(!text.contains(QStringLiteral("Mentes az adó alól")));
    }

    void documentWithoutLines() {
        const qint64 doc = f->document(f->customer(QStringLiteral("Üres")), {});
        const QString text = f->text(doc);
        QVERIFY2(hasLine(text, QStringLiteral("Mentes az adó alól 0 0 0$")), qPrintable(text));
        QVERIFY(hasLine(text, QStringLiteral("Összesen 0 0 0$")));
        QVERIFY(text.contains(QStringLiteral("Üres")));
        QVERIFY(text.contains(QStringLiteral("azaz nulla Ft")));
    }

    void lineWithoutUnit() {
        const qint64 doc = f->document(
            f->customer(QStringLiteral("Szöveges")),
            {{QStringLiteral("Szállítási díj átalány"), QString(), 3, 700, 27, QStringLiteral("kiszállítás Szegedre")}});
        const QString text = f->text(doc);
        // Name and amounts, but neither quantity nor unit price.
        QVERIFY2(hasLine(text, QStringLiteral("^ ?1 Szállítási díj átalány 2 100 27 567 2 667$")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("kiszállítás Szegedre")));
    }

    void marksOfTheLayouts_data() {
        QTest::addColumn<int>("layout");
        QTest::addColumn<QString>("storno");
        QTest::addColumn<QString>("posted");
        QTest::addColumn<QString>("mark");
        const int d1 = int(InvoiceLayout::Design1), d2 = int(InvoiceLayout::Design2), rc = int(InvoiceLayout::Receipt);
        QTest::newRow("design 1 unposted") << d1 << "N" << "N" << "Nem könyvelt bizonylat";
        QTest::newRow("design 1 posted") << d1 << "N" << "I" << "";
        QTest::newRow("design 1 storno") << d1 << "I" << "I" << "Sztornó bizonylat";
        QTest::newRow("design 2 unposted") << d2 << "N" << "N" << "";
        QTest::newRow("design 2 storno") << d2 << "I" << "N" << "Sztornó bizonylat";
        QTest::newRow("receipt storno") << rc << "I" << "N" << "";
    }
    void marksOfTheLayouts() {
        QFETCH(QString, storno);
        QFETCH(QString, posted);
        QFETCH(QString, mark);
        const qint64 doc = f->document(f->customer(QStringLiteral("Jelölt")),
                                       {{QStringLiteral("Áru"), QStringLiteral("db"), 1, 100, 27}},
                                       QStringLiteral("storno='%1', konyvelve='%2'").arg(storno, posted));
        const QString text = f->text(doc, InvoiceLayout(FETCHED(int, layout)));
        for (const QString& m : {QStringLiteral("Nem könyvelt bizonylat"), QStringLiteral("Sztornó bizonylat")})
            QCOMPARE(text.contains(m), m == mark);
    }

    void titleSizeAndJobName() {
        const qint64 c = f->customer(QStringLiteral("Cím"));
        const qint64 invoice = f->document(c, {}, QStringLiteral("szlaszam=123"));
        const report::Document d = f->layOut(invoice);
        QCOMPARE(d.title, QStringLiteral("S0000123"));
        const auto titleSize = [](const report::Document& doc, const QString& title) {
            for (const report::PlacedItem& p : doc.pages.at(0).items)
                if (p.text == title)
                    return p.style.pointSize;
            return 0.0;
        };
        QCOMPARE(titleSize(d, QStringLiteral("Számla")), 16.0);
        const qint64 proforma = f->document(c, {}, {}, kKindProforma);
        QCOMPARE(titleSize(f->layOut(proforma), QStringLiteral("Proforma számla")), 12.0);
        QCOMPARE(titleSize(f->layOut(proforma, InvoiceLayout::Receipt), QStringLiteral("Proforma számla")), 9.0);
    }

    void foreignLanguage() {
        QVERIFY(saveLangFile(langFilePath(f->work.path(), 1),
                             {{QStringLiteral("QRLabel3"), QStringLiteral("Customer")},
                              {QStringLiteral("qrlabel1"), QStringLiteral("Issued")},
                              {QStringLiteral("QRLabel15"), QStringLiteral("Total")},
                              {QStringLiteral("str7"), QStringLiteral("page: ")}}));
        const qint64 c = f->customer(QStringLiteral("English Ltd."), QStringLiteral("nyelv=1"));
        const qint64 doc = f->document(c, {{QStringLiteral("Apple"), QStringLiteral("kg"), 2, 300, 27}});
        const QString text = f->text(doc);
        QVERIFY2(text.contains(QStringLiteral("Invoice")), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("Számla\n")));
        QVERIFY(text.contains(QStringLiteral("Customer")));
        QVERIFY(text.contains(QStringLiteral("Issued")));
        QVERIFY(hasLine(text, QStringLiteral("Total 600 162 762$")));
        QVERIFY(text.contains(QStringLiteral("Total payable 762.-")));
        QVERIFY(text.contains(QStringLiteral("page: 1")));
        // The untranslated labels keep their Hungarian captions.
        QVERIFY(text.contains(QStringLiteral("teljesítés")));
        // A kind without a name in the second language keeps its own title.
        f->db().execSql(QStringLiteral("UPDATE prntip SET prntip_nev2='' WHERE prntip='S'"));
        f->db().execSql(QStringLiteral("UPDATE ugyfel SET nyelv=2 WHERE ugyfel=?"), {c});
        QVERIFY(hasLine(f->text(doc), QStringLiteral("^ ?Számla$")));
        // The receipt is always Hungarian.
        const QString receipt = f->text(doc, InvoiceLayout::Receipt);
        QVERIFY(receipt.contains(QStringLiteral("Számla")));
        QVERIFY(!receipt.contains(QStringLiteral("Customer")));
    }

    void pagesAreCounted() {
        std::vector<Line> lines;
        for (int i = 0; i < 100; ++i)
            lines.push_back({QStringLiteral("Tétel %1").arg(i + 1), QStringLiteral("db"), 1, 10, i % 2 ? 27.0 : 5.0,
                             i % 3 ? QString() : QStringLiteral("megjegyzés")});
        const qint64 doc = f->document(f->customer(QStringLiteral("Sok")), lines);
        const report::Document d = f->layOut(doc);
        QVERIFY(d.pageCount() >= 3);
        const QString text = f->pdfOf({d});
        const QString count = QString::number(d.pageCount());
        QCOMPARE(text.count(QStringLiteral("összesen: ") + count + QStringLiteral(" oldal")), d.pageCount());
        QVERIFY(text.contains(QStringLiteral("oldal: ") + count));
        QVERIFY(text.contains(QStringLiteral("Tétel 100")));
        // The column headings repeat on every page; the issuer box only on the first.
        QCOMPARE(text.count(QStringLiteral("megnevezés")), d.pageCount());
        QCOMPARE(text.count(QStringLiteral("számlakibocsátó")), 1);
    }

    // What every invoice must show, in each layout.
    void mandatoryContent_data() {
        QTest::addColumn<int>("layout");
        QTest::newRow("design 1") << int(InvoiceLayout::Design1);
        QTest::newRow("design 2") << int(InvoiceLayout::Design2);
        QTest::newRow("receipt") << int(InvoiceLayout::Receipt);
    }
    void mandatoryContent() {
        const qint64 doc = f->document(
            f->customer(QStringLiteral("Vevő Zrt.")),
            {{QStringLiteral("Csavar"), QStringLiteral("doboz"), 4, 250, 27, QString(), QStringLiteral("7318")}},
            QStringLiteral("szlaszam=42, dat_szallhat='2026-03-01', dat_fizhat='2026-03-10'"));
        const QString text = f->text(doc, InvoiceLayout(FETCHED(int, layout)));
        for (const QString& needed :
             {QStringLiteral("Árvíztűrő Tükörfúrógép Kft."), QStringLiteral("1111 Budapest , Fő utca 1"),
              QStringLiteral("12345678-2-43"), QStringLiteral("Vevő Zrt."), QStringLiteral("6720 Szeged , Kárász utca 5"),
              QStringLiteral("87654321-1-06"), QStringLiteral("SA0000042-S/2026"), QStringLiteral("2026.03.02"),
              QStringLiteral("2026.03.01"), QStringLiteral("2026.03.10"), QStringLiteral("Csavar"),
              QStringLiteral("doboz"), QStringLiteral("7318"), QStringLiteral("27%"), QStringLiteral("1 000"),
              QStringLiteral("270"), QStringLiteral("1 270"), QStringLiteral("teljesítés"), QStringLiteral("kiadva"),
              // Letters stay letters: no ligature glyph for "fi".
              QStringLiteral("fiz.hat."), QStringLiteral("fiz.mód.")})
            QVERIFY2(text.contains(needed), qPrintable(needed + QStringLiteral(" missing in\n") + text));
        QVERIFY(hasLine(text, QStringLiteral("4 250 ")) || hasLine(text, QStringLiteral(" 4 250$")) ||
                hasLine(text, QStringLiteral("doboz 4 250")));
    }

    // The print routine: copies, counter, the PDF printer, the refusal.
    void printCounterPerCopy() {
        f->db().execSql(QStringLiteral("UPDATE beallit SET alappld=2"));
        f->reloadSettings();
        const qint64 doc = f->document(f->customer(QStringLiteral("Papír")),
                                       {{QStringLiteral("Áru"), QStringLiteral("db"), 1, 100, 27}},
                                       QStringLiteral("konyvelve='I'"));
        KeptCopies target;
        QList<qint64> counted;
        QCOMPARE(printDocument(f->db(), f->dialogs, f->setup, target, doc, [&](qint64 d) { counted << d; }), 2);
        QCOMPARE(f->db().queryInt(QStringLiteral("SELECT nyomtatva FROM szla WHERE szla=?"), -1, {doc}), 2);
        QCOMPARE(counted, (QList<qint64>{doc, doc}));
        QCOMPARE(printDocument(f->db(), f->dialogs, f->setup, target, doc), 1);
        QCOMPARE(f->db().queryInt(QStringLiteral("SELECT nyomtatva FROM szla WHERE szla=?"), -1, {doc}), 3);
        QCOMPARE(int(target.printed.size()), 3);
        // No invoice printer installed: the system default.
        QCOMPARE(target.printed.front().second, QString());
        // A preview counts nothing.
        QCOMPARE(SzlaNyomtat(f->db(), f->dialogs, f->setup, target, f->preview(doc)), 1);
        QCOMPARE(f->db().queryInt(QStringLiteral("SELECT nyomtatva FROM szla WHERE szla=?"), -1, {doc}), 3);
        QVERIFY(f->dialogs.asked.isEmpty());
    }

    void unpostedIsNotPrinted() {
        const qint64 doc = f->document(f->customer(QStringLiteral("Várakozó")),
                                       {{QStringLiteral("Áru"), QStringLiteral("db"), 1, 100, 27}});
        KeptCopies target;
        QCOMPARE(printDocument(f->db(), f->dialogs, f->setup, target, doc), 0);
        QCOMPARE(f->dialogs.asked, QStringList{QStringLiteral("error: A bizonylat még nincs könyvelve")});
        QVERIFY(target.printed.empty());
        QCOMPARE(f->db().queryInt(QStringLiteral("SELECT nyomtatva FROM szla WHERE szla=?"), -1, {doc}), 0);
    }

    void electronicInvoiceCustomer() {
        const QString out = QDir(f->work.path()).filePath(QStringLiteral("pdf"));
        QVERIFY(QDir().mkpath(out));
        f->db().execSql(QStringLiteral("UPDATE beallit SET alappld=3, printernev=?, printerutv=?"),
                        {kBuiltInPdfPrinter, out});
        f->reloadSettings();
        const qint64 doc = f->document(f->customer(QStringLiteral("Elektronikus"), QStringLiteral("edi='I'")),
                                       {{QStringLiteral("Áru"), QStringLiteral("db"), 1, 100, 27}},
                                       QStringLiteral("konyvelve='I', szlaszam=123"));
        KeptCopies target;
        QCOMPARE(printDocument(f->db(), f->dialogs, f->setup, target, doc), 1);
        QVERIFY(target.printed.empty());
        const QString file = QDir(out).filePath(QStringLiteral("S00123.pdf"));
        QVERIFY(QFile::exists(file));
        QVERIFY(pdfText(file).contains(QStringLiteral("Elektronikus")));
        QCOMPARE(f->db().queryInt(QStringLiteral("SELECT nyomtatva FROM szla WHERE szla=?"), -1, {doc}), 0);
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 1);

        // Without a usable PDF printer not even the preview is shown.
        f->setup.settings.printernev = QStringLiteral("Nincs ilyen");
        QCOMPARE(SzlaNyomtat(f->db(), f->dialogs, f->setup, target, f->preview(doc)), 0);
        QVERIFY(target.previews.empty());
        QCOMPARE(f->dialogs.askedOf(QStringLiteral("error")).size(), 1);
        QVERIFY(f->dialogs.asked.last().startsWith(QStringLiteral("error: Nincs beállítva PDF nyomtató\n")));
    }

    void pdfPrinterProblems_data() {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("problem"); // the start of the reason; empty: usable
        QTest::newRow("built-in, folder exists") << kBuiltInPdfPrinter << "out" << "";
        QTest::newRow("built-in, no folder") << kBuiltInPdfPrinter << "missing" << "A PDF mappa (printerutv) nem létezik";
        QTest::newRow("built-in, folder not set") << kBuiltInPdfPrinter << "" << "Nincs megadva a PDF mappa";
        QTest::newRow("built-in, a file") << kBuiltInPdfPrinter << "file" << "A PDF mappa (printerutv) nem létezik";
        QTest::newRow("installed PDF printer") << "CUPS-PDF" << "" << "";
        QTest::newRow("unknown printer") << "HP LaserJet" << "out" << "A(z) \"HP LaserJet\" nyomtató nincs telepítve.";
        QTest::newRow("no printer") << "" << "out" << "Nincs megadva PDF nyomtató";
    }
    void pdfPrinterProblems() {
        QFETCH(QString, folder);
        QDir work(f->work.path());
        work.mkdir(QStringLiteral("out"));
        QFile file(work.filePath(QStringLiteral("file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        f->setup.installedPrinters = QStringList{QStringLiteral("CUPS-PDF")};
        f->setup.settings.printernev = FETCHED(QString, printer);
        f->setup.settings.printerutv = folder.isEmpty() ? QString() : work.filePath(folder);
        const QString problem = pdfPrinterProblem(f->setup);
        QVERIFY2(FETCHED(QString, problem).isEmpty() ? problem.isEmpty() : problem.startsWith(FETCHED(QString, problem)),
                 qPrintable(problem));
        QCOMPARE(pdfPrinterChoices(f->setup), (QStringList{kBuiltInPdfPrinter, QStringLiteral("CUPS-PDF")}));
    }

    void layoutChoice_data() {
        QTest::addColumn<QString>("blokk");
        QTest::addColumn<int>("forma");
        QTest::addColumn<int>("layout");
        QTest::newRow("default") << "N" << 0 << int(InvoiceLayout::Design1);
        QTest::newRow("design 2") << "N" << 1 << int(InvoiceLayout::Design2);
        QTest::newRow("receipt wins") << "I" << 1 << int(InvoiceLayout::Receipt);
    }
    void layoutChoice() {
        f->db().execSql(QStringLiteral("UPDATE beallit SET blokknyomtato=?, szlaforma=?"),
                        {FETCHED(QString, blokk), FETCHED(int, forma)});
        f->reloadSettings();
        QCOMPARE(int(chosenLayout(f->setup)), FETCHED(int, layout));
        f->setup.layout = InvoiceLayout::Design2;
        QCOMPARE(chosenLayout(f->setup), InvoiceLayout::Design2);
    }

    void conditionalElements() {
        f->db().execSql(QStringLiteral("UPDATE beallit SET kata='I', vanhonap='I', egyeni='I', vansokcim='I'"));
        f->db().execSql(QStringLiteral("UPDATE tulajdonos SET engedelyszam='ENG-77'"));
        f->reloadSettings();
        const qint64 c = f->customer(QStringLiteral("Feltételes"), QStringLiteral("kedvezmeny=10"));
        f->db().execSql(QStringLiteral("INSERT INTO ugyfel_cim (ugyfel, irsz, varos, cim, nev) VALUES "
                                       "(?, '7621', 'Pécs', 'Király utca 3', 'Raktár')"),
                        {c});
        const qint64 address = f->db().queryInt(QStringLiteral("SELECT MAX(ugyfel_cim) FROM ugyfel_cim"), 0);
        const qint64 doc = f->document(
            c, {{QStringLiteral("Áru"), QStringLiteral("db"), 1, 100, 27}},
            QStringLiteral("honap='2026.02', tvallig='ES-1234', fizetve='I', ugyfel_cim=%1").arg(address));
        QString text = f->text(doc);
        for (const QString& shown : {QStringLiteral("*** Kisadózó ***"), QStringLiteral("számlázási időszak 2026.02"),
                                     QStringLiteral("nyilv.szám ES-1234"), QStringLiteral("eng.szám ENG-77"),
                                     QStringLiteral("kedv.% 10"), QStringLiteral("szállítási cím Raktár"),
                                     QStringLiteral("7621 Pécs, Király utca 3"), QStringLiteral("átvétel igazolás"),
                                     QStringLiteral("kibocsátó (ph)")})
            QVERIFY2(text.contains(shown), qPrintable(shown + QStringLiteral(" missing in\n") + text));
        // Switched off, they are gone; the issuer's signature line stays.
        f->db().execSql(QStringLiteral("UPDATE beallit SET kata='N', vanhonap='N', egyeni='N', vansokcim='N'"));
        f->db().execSql(QStringLiteral("UPDATE tulajdonos SET engedelyszam=''"));
        f->db().execSql(QStringLiteral("UPDATE szla SET kedvezmeny=0.4, fizetve='N' WHERE szla=?"), {doc});
        f->reloadSettings();
        text = f->text(doc);
        for (const QString& hidden : {QStringLiteral("Kisadózó"), QStringLiteral("számlázási időszak"),
                                      QStringLiteral("nyilv.szám"), QStringLiteral("eng.szám"), QStringLiteral("kedv.%"),
                                      QStringLiteral("Raktár"), QStringLiteral("átvétel igazolás")})
            QVERIFY2(!text.contains(hidden), qPrintable(hidden));
        QVERIFY(text.contains(QStringLiteral("kibocsátó (ph)")));
    }
};

QTEST_MAIN(InvoicePrintTest)
#include "invoiceprint_test.moc"
