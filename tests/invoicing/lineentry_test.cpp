// The three variants of the line entry (new, edited, imported line) on a real
// data folder: discount, VAT rate, quantity sign, line type, bands, date and
// comment, row by row of the rules that tell them apart, and what each does
// on a cancel, a refused save or a NETA product.
#include "EditorFixture.h"

#include "invoicing/LineEntry.h"

using namespace orvix;
using namespace orvix::test;

namespace {

constexpr int New = 0;
constexpr int Edited = 1;
constexpr int Imported = 2;

} // namespace

class LineEntryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFolder> m_f;
    Database& db() { return m_f->db(); }

    // A line made by the variant on a new document; returns its row.
    QVariantMap makeLine(int variant, qint64 doc, const QString& product, double quantity, double importPrice,
                         RecordingDialogs& dialogs, ScriptedLineUi& ui) {
        const LineDocument target = LineDocument::load(db(), doc);
        if (variant == Imported) {
            Database::Transaction tr(db());
            if (!ImportLine(db(), dialogs, target, 1, product, importPrice, quantity, QDate(2026, 3, 14)))
                return {};
            RecomputeTotals(db(), doc);
            tr.commit();
            return lineOf(db(), doc, 1);
        }
        if (variant == Edited) {
            // The line to edit: another product, with a date and a comment.
            Database::Transaction tr(db());
            ImportLine(db(), dialogs, target, 1, QStringLiteral("K18"), 300, 5, QDate(2020, 1, 2));
            db().execSql(QStringLiteral("UPDATE szla_sor SET megjegyzes='régi megjegyzés' WHERE szla=?"),
                         {doc});
            tr.commit();
            ui.products = {product};
            dialogs.answers = {QVariantList{quantity, QStringLiteral("Átírt név")}};
            const LineEntryResult r = EditLine(db(), dialogs, ui, m_f->settings, target, 1);
            return r.saved ? lineOf(db(), doc, 1) : QVariantMap();
        }
        ui.products = {product};
        if (target.kind == kKindCreditNote || target.kind == kKindCancelling)
            dialogs.answers = {quantity};
        else if (target.kind != kKindAdvance)
            dialogs.answers = {
                QVariantList{quantity, QStringLiteral("Beírt név"), QStringLiteral("beírt megjegyzés")}};
        const LineEntryResult r = EnterNewLine(db(), dialogs, ui, m_f->settings, target, QString());
        return r.saved ? lineOf(db(), doc, r.lineNumber) : QVariantMap();
    }

    // Copies of K5 and K18 whose tm flag is empty (as older folders hold it).
    void addEmptyTmProducts() {
        for (const auto& [copy, source] :
             {std::pair{"URESTM", "K5"}, std::pair{"URESTM18", "K18"}})
            db().execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev, mert, netto, afakulcs, "
                                        "torolve, eloleg, tm, neta, kozv_szolgaltatas, ugyfel) "
                                        "SELECT ?, cikkszam_nev, mert, netto, afakulcs, torolve, eloleg, '', "
                                        "neta, kozv_szolgaltatas, ugyfel FROM cikkszam WHERE cikkszam=?"),
                         {QLatin1String(copy), QLatin1String(source)});
    }

private Q_SLOTS:
    void init() {
        m_f = std::make_unique<EditorFolder>();
        m_f->settings.alaparmodosit = false;
        m_f->settings.alapnetto = true;
    }
    void cleanup() { m_f.reset(); }

    // Row by row: discount, forced zero rate, quantity sign, line type and
    // the VAT band of the three variants.
    void variants_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("customer"); // "discount" (10 %), "notLiable" (afas N)
        QTest::addColumn<bool>("reverse");
        QTest::addColumn<QString>("product");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("stored"); // db
        QTest::addColumn<QString>("tipus");
        QTest::addColumn<QString>("band"); // 0, 12, 25, tm

        // discount: new and edited yes (not J, W, E), imported no
        QTest::newRow("new S: discount")
            << New << "S"
            << "discount" << false << "ALMA" << 2.0 << 27.0 << 900.0 << 2.0 << "N"
            << "25";
        QTest::newRow("edited S: discount")
            << Edited << "S"
            << "discount" << false << "ALMA" << 2.0 << 27.0 << 900.0 << 2.0 << "N"
            << "25";
        QTest::newRow("imported S: no discount")
            << Imported << "S"
            << "discount" << false << "ALMA" << 2.0 << 27.0 << 1000.0 << 2.0 << "N"
            << "25";
        QTest::newRow("new J: no discount")
            << New << "J"
            << "discount" << false << "ALMA" << -1.0 << 27.0 << 1000.0 << -1.0 << "N"
            << "25";
        QTest::newRow("new W: no discount")
            << New << "W"
            << "discount" << false << "ALMA" << -3.0 << 27.0 << 1000.0 << -3.0 << "N"
            << "25";
        QTest::newRow("edited J: no discount")
            << Edited << "J"
            << "discount" << false << "ALMA" << -2.0 << 27.0 << 1000.0 << -2.0 << "N"
            << "25";
        QTest::newRow("new E: advance price, quantity 1")
            << New << "E"
            << "discount" << false << "ELO1" << 5.0 << 27.0 << 100.0 << 1.0 << "E"
            << "25";
        QTest::newRow("edited E: no discount")
            << Edited << "E"
            << "discount" << false << "ELO1" << 2.0 << 27.0 << 100.0 << 2.0 << "E"
            << "25";
        // rate forced 0: reverse charge in every variant
        QTest::newRow("new reverse charge")
            << New << "S"
            << "discount" << true << "ALMA" << 1.0 << 0.0 << 900.0 << 1.0 << "N"
            << "0";
        QTest::newRow("edited reverse charge")
            << Edited << "S"
            << "discount" << true << "ALMA" << 1.0 << 0.0 << 900.0 << 1.0 << "N"
            << "0";
        QTest::newRow("imported reverse charge")
            << Imported << "S"
            << "discount" << true << "ALMA" << 1.0 << 0.0 << 1000.0 << 1.0 << "N"
            << "0";
        // exempt product and kind M: new and edited yes, imported no
        QTest::newRow("new exempt") << New << "S"
                                    << "discount" << false << "MENTES" << 1.0 << 0.0 << 135.0 << 1.0 << "N"
                                    << "tm";
        QTest::newRow("edited exempt") << Edited << "S"
                                       << "discount" << false << "MENTES" << 1.0 << 0.0 << 135.0 << 1.0 << "N"
                                       << "tm";
        QTest::newRow("imported exempt")
            << Imported << "S"
            << "discount" << false << "MENTES" << 1.0 << 0.0 << 150.0 << 1.0 << "N"
            << "tm";
        QTest::newRow("new M") << New << "M"
                               << "discount" << false << "ALMA" << 1.0 << 0.0 << 900.0 << 1.0 << "N"
                               << "0";
        QTest::newRow("edited M") << Edited << "M"
                                  << "discount" << false << "ALMA" << 1.0 << 0.0 << 900.0 << 1.0 << "N"
                                  << "0";
        QTest::newRow("imported M") << Imported << "M"
                                    << "discount" << false << "ALMA" << 1.0 << 27.0 << 1000.0 << 1.0 << "N"
                                    << "25";
        // header afas "N": only the new line
        QTest::newRow("new, not VAT-liable")
            << New << "S"
            << "notLiable" << false << "ALMA" << 1.0 << 0.0 << 900.0 << 1.0 << "N"
            << "0";
        QTest::newRow("edited, not VAT-liable")
            << Edited << "S"
            << "notLiable" << false << "ALMA" << 1.0 << 27.0 << 900.0 << 1.0 << "N"
            << "25";
        QTest::newRow("imported, not VAT-liable")
            << Imported << "S"
            << "notLiable" << false << "ALMA" << 1.0 << 27.0 << 1000.0 << 1.0 << "N"
            << "25";
        // advance item on an invoice: negative only as a new line; type E
        // except imported
        QTest::newRow("new advance on S")
            << New << "S"
            << "discount" << false << "ELO1" << 1.0 << 27.0 << 90.0 << -1.0 << "E"
            << "25";
        QTest::newRow("edited advance on S")
            << Edited << "S"
            << "discount" << false << "ELO1" << 1.0 << 27.0 << 90.0 << 1.0 << "E"
            << "25";
        QTest::newRow("imported advance on S")
            << Imported << "S"
            << "discount" << false << "ELO1" << 1.0 << 27.0 << 100.0 << 1.0 << "N"
            << "25";
        // bands by rate
        QTest::newRow("rate 5: band 0") << New << "S"
                                        << "discount" << false << "K5" << 1.0 << 5.0 << 180.0 << 1.0 << "N"
                                        << "0";
        QTest::newRow("rate 18: band 12")
            << New << "S"
            << "discount" << false << "K18" << 1.0 << 18.0 << 270.0 << 1.0 << "N"
            << "12";
        // a product whose tm flag is empty: not exempt on a new or edited
        // line; an imported line fills band 0 only for "N", so none at all
        QTest::newRow("new, empty tm: band 0")
            << New << "S"
            << "discount" << false << "URESTM" << 1.0 << 5.0 << 180.0 << 1.0 << "N"
            << "0";
        QTest::newRow("edited, empty tm: band 0")
            << Edited << "S"
            << "discount" << false << "URESTM" << 1.0 << 5.0 << 180.0 << 1.0 << "N"
            << "0";
        QTest::newRow("imported, empty tm: no band")
            << Imported << "S"
            << "discount" << false << "URESTM" << 1.0 << 5.0 << 200.0 << 1.0 << "N"
            << "none";
        QTest::newRow("imported, empty tm, rate 18: band 12")
            << Imported << "S"
            << "discount" << false << "URESTM18" << 1.0 << 18.0 << 300.0 << 1.0 << "N"
            << "12";
    }
    void variants() {
        QFETCH(int, variant);
        QFETCH(QString, kind);
        QFETCH(QString, customer);
        QFETCH(bool, reverse);
        QFETCH(QString, product);
        QFETCH(double, quantity);
        QFETCH(double, rate);
        QFETCH(double, price);
        QFETCH(double, stored);
        QFETCH(QString, tipus);
        QFETCH(QString, band);

        addEmptyTmProducts();
        const qint64 who = customer == QLatin1String("notLiable") ? m_f->notLiable : m_f->customer;
        const qint64 doc = m_f->newDocument(kind.at(0), who, reverse);
        RecordingDialogs dialogs;
        ScriptedLineUi ui(db());
        const double listPrice = LookupProduct(db(), product)->netto;
        const QVariantMap line = makeLine(variant, doc, product, quantity, listPrice, dialogs, ui);
        QVERIFY2(!line.isEmpty(), qPrintable(dialogs.asked.join(QLatin1Char('\n'))));

        QCOMPARE(line.value("afakulcs").toDouble(), rate);
        QCOMPARE(line.value("egysar").toDouble(), price);
        QCOMPARE(line.value("netto").toDouble(), price);
        QCOMPARE(line.value("afa").toDouble(), price * rate / 100);
        QCOMPARE(line.value("brutto").toDouble(), price * (1 + rate / 100));
        QCOMPARE(line.value("db").toDouble(), stored);
        QCOMPARE(line.value("tipus").toString(), tipus);
        QCOMPARE(line.value("cikkszam").toString(), product);

        const double vat = price * rate / 100;
        QVariantMap expected{{"netto0", 0.0},   {"afa0", 0.0},     {"brutto0", 0.0}, {"netto12", 0.0},
                             {"afa12", 0.0},    {"brutto12", 0.0}, {"netto25", 0.0}, {"afa25", 0.0},
                             {"brutto25", 0.0}, {"tm", 0.0}};
        if (band == QLatin1String("tm")) {
            expected["tm"] = price;
        } else if (band != QLatin1String("none")) {
            expected["netto" + band] = price;
            expected["afa" + band] = vat;
            expected["brutto" + band] = price + vat;
        }
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QVERIFY2(std::fabs(line.value(it.key()).toDouble() - it.value().toDouble()) < 0.006,
                     qPrintable(it.key() + QStringLiteral(" = ") + line.value(it.key()).toString()));
        QCOMPARE(consistencyProblem(db(), doc), QString());
    }

    // Date, comment and band rounding of the three variants.
    void dateCommentRounding_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("datum");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<double>("band0");
        QTest::addColumn<QString>("name");
        QTest::newRow("new") << New << ""
                             << "beírt megjegyzés" << 0.125 << "Beírt név";
        QTest::newRow("edited") << Edited << "2020-01-02"
                                << "régi megjegyzés" << 0.12 << "Átírt név";
        QTest::newRow("imported") << Imported << "2026-03-14"
                                  << "" << 0.125 << "Fillér";
    }
    void dateCommentRounding() {
        QFETCH(int, variant);
        QFETCH(QString, datum);
        QFETCH(QString, comment);
        QFETCH(double, band0);
        QFETCH(QString, name);
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->otherCustomer);
        RecordingDialogs dialogs;
        ScriptedLineUi ui(db());
        const QVariantMap line = makeLine(variant, doc, QStringLiteral("FEL"), 1, 0.125, dialogs, ui);
        QCOMPARE(line.value("datum").toString(), datum);
        QCOMPARE(line.value("megjegyzes").toString(), comment);
        QCOMPARE(line.value("netto0").toDouble(), band0);
        QCOMPARE(line.value("brutto0").toDouble(), band0);
        QCOMPARE(line.value("egysar").toDouble(), 0.125);
        QCOMPARE(line.value("cikkszam_nev").toString(), name);
    }

    // What the dialogs are opened with, and a cancel anywhere leaves no line.
    void dialogsAndCancel_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("priceDialog");
        QTest::addColumn<int>("cancelAt"); // 0 none, 1 chooser, 2 quantity, 3 price
        QTest::addColumn<QString>("asked");
        QTest::newRow("S") << "S" << false << 0 << "inputNumberText: Mennyiség | Add meg a mennyiséget";
        QTest::newRow("J") << "J" << false << 0 << "inputNumber: Mennyiség | Add meg a mennyiséget (NEGATÍV)";
        QTest::newRow("E asks nothing") << "E" << true << 0 << "";
        QTest::newRow("chooser cancelled") << "S" << true << 1 << "";
        QTest::newRow("quantity cancelled")
            << "S" << true << 2 << "inputNumberText: Mennyiség | Add meg a mennyiséget";
        QTest::newRow("price cancelled")
            << "S" << true << 3 << "inputNumberText: Mennyiség | Add meg a mennyiséget";
    }
    void dialogsAndCancel() {
        QFETCH(QString, kind);
        QFETCH(bool, priceDialog);
        QFETCH(int, cancelAt);
        QFETCH(QString, asked);
        m_f->settings.alaparmodosit = priceDialog;
        const qint64 doc = m_f->newDocument(kind.at(0), m_f->customer);
        RecordingDialogs dialogs;
        ScriptedLineUi ui(db());
        const QString product = kind == QLatin1String("E") ? QStringLiteral("ELO1") : QStringLiteral("ALMA");
        ui.products = {cancelAt == 1 ? QString() : product};
        if (cancelAt == 2)
            dialogs.answers = {QVariant()};
        else if (kind == QLatin1String("J"))
            dialogs.answers = {-2.0};
        else if (kind != QLatin1String("E"))
            dialogs.answers = {QVariantList{3.0, QStringLiteral("Alma"), QString()}};
        if (cancelAt == 3)
            ui.prices = {std::nullopt};
        const LineEntryResult r = EnterNewLine(db(), dialogs, ui, m_f->settings,
                                               LineDocument::load(db(), doc), QStringLiteral("K5"));
        QCOMPARE(r.made, cancelAt == 0);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor WHERE szla=?"), -1, {doc}),
                 qint64(cancelAt == 0 ? 1 : 0));
        QCOMPARE(dialogs.asked.join(QLatin1Char('\n')), asked);

        const LineEntryUi::ChoiceRequest request = ui.requests.value(0);
        QCOMPARE(request.customer, m_f->customer);
        if (kind == QLatin1String("E")) {
            QCOMPARE(int(request.mode), int(ProductChoiceMode::Advance));
            QCOMPARE(request.startCode, QString());
        } else {
            QCOMPARE(int(request.mode), int(ProductChoiceMode::Line));
            QCOMPARE(request.startCode, QStringLiteral("K5"));
        }
        if (kind == QLatin1String("J"))
            QCOMPARE(dialogs.numberInitials, QList<double>{-1.0});
        if (kind == QLatin1String("S") && cancelAt != 1) {
            const NumberAndText initial = dialogs.numberTextInitials.value(0);
            QCOMPARE(initial.number, 1.0);
            QCOMPARE(initial.text1, QStringLiteral("Alma"));
            QCOMPARE(initial.text2, QStringLiteral("Alma (2)"));
        }
        if (priceDialog && cancelAt != 1 && cancelAt != 2 && kind != QLatin1String("E"))
            QCOMPARE(ui.priceCalls, QStringList{QStringLiteral("Ár megadás 900 27")});
        else
            QCOMPARE(ui.priceCalls, QStringList());
    }

    // The edited line: one number-and-text window prefilled with the line's
    // quantity and the chosen product's name; the price window is "Ár".
    void editedLineDialogs() {
        m_f->settings.alaparmodosit = true;
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        RecordingDialogs dialogs;
        ScriptedLineUi ui(db());
        QVariantMap line = makeLine(Imported, doc, QStringLiteral("K5"), 7, 200, dialogs, ui);
        ui.products = {QStringLiteral("ALMA")};
        ui.prices = {850.0};
        dialogs.answers = {QVariantList{4.0, QStringLiteral("Új név")}};
        const LineEntryResult r =
            EditLine(db(), dialogs, ui, m_f->settings, LineDocument::load(db(), doc), 1);
        QVERIFY(r.saved);
        QCOMPARE(ui.requests.value(0).startCode, QStringLiteral("K5"));
        QCOMPARE(dialogs.numberTextInitials.value(0).number, 7.0);
        QCOMPARE(dialogs.numberTextInitials.value(0).text1, QStringLiteral("Alma"));
        QCOMPARE(ui.priceCalls, QStringList{QStringLiteral("Ár 900 27")});
        line = lineOf(db(), doc, 1);
        QCOMPARE(line.value("egysar").toDouble(), 850.0);
        QCOMPARE(line.value("db").toDouble(), 4.0);
        QCOMPARE(line.value("cikkszam_nev").toString(), QStringLiteral("Új név"));
        QCOMPARE(rowOf(db(), QStringLiteral("SELECT netto FROM szla WHERE szla=?"), {doc})
                     .value("netto")
                     .toDouble(),
                 3400.0);
    }

    // An advance item on an advance invoice takes its price as the settings
    // say: the net price, or the gross price as the line's gross.
    void advancePriceSetting_data() {
        QTest::addColumn<bool>("alapnetto");
        QTest::newRow("net") << true;
        QTest::newRow("gross") << false;
    }
    void advancePriceSetting() {
        QFETCH(bool, alapnetto);
        m_f->settings.alapnetto = alapnetto;
        db().execSql(
            QStringLiteral("UPDATE cikkszam SET netto=100, brutto=127.5, afakulcs=27 WHERE cikkszam='ELO1'"));
        const qint64 doc = m_f->newDocument(kKindAdvance, m_f->customer);
        RecordingDialogs dialogs;
        ScriptedLineUi ui(db());
        const QVariantMap line = makeLine(New, doc, QStringLiteral("ELO1"), 1, 0, dialogs, ui);
        if (alapnetto)
            QCOMPARE(line.value("egysar").toDouble(), 100.0);
        else
            QVERIFY(std::fabs(line.value("brutto").toDouble() - 127.5) < 1e-9);
    }

    // A NETA product marks the header; a refused save shows the engine's
    // text, counts as made (the editor's loop goes on) and leaves no line.
    void netaAndRefusedSave() {
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        RecordingDialogs dialogs;
        ScriptedLineUi ui(db());
        makeLine(New, doc, QStringLiteral("NETA"), 1, 0, dialogs, ui);
        QCOMPARE(db().queryText(QStringLiteral("SELECT neta FROM szla WHERE szla=?"), {}, {doc}),
                 QStringLiteral("I"));

        db().execSql(QStringLiteral("CREATE TRIGGER no_lines BEFORE INSERT ON szla_sor "
                                    "BEGIN SELECT RAISE(ABORT, 'tiltott sor'); END"));
        ui.products = {QStringLiteral("ALMA")};
        dialogs.asked.clear();
        dialogs.answers = {QVariantList{1.0, QStringLiteral("Alma"), QString()}};
        const LineEntryResult r =
            EnterNewLine(db(), dialogs, ui, m_f->settings, LineDocument::load(db(), doc), QString());
        QVERIFY(r.made);
        QVERIFY(!r.saved);
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")).value(0).section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("Érvénytelen adat megadás"));
        QVERIFY(dialogs.askedOf(QStringLiteral("error")).value(0).contains(QStringLiteral("tiltott sor")));
        QCOMPARE(lineCodes(db(), doc), QStringLiteral("1:NETA"));
        QCOMPARE(consistencyProblem(db(), doc), QString());
    }

    // A line a document cannot hold is refused like a refused save: the
    // message, no line, the totals as they were, and the editor's loop goes
    // on. The quantity, the price, the line's value, the document's sum, the
    // name and the comment are each checked.
    void valuesADocumentCannotHold_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<double>("price"); // typed into the price dialog
        QTest::addColumn<int>("nameLength");
        QTest::addColumn<int>("commentLength");
        QTest::addColumn<QString>("message");
        QTest::newRow("new: quantity 1e300") << New << 1e300 << 100.0 << 4 << 0 << "A mennyiség (1e+300) túl nagy";
        QTest::newRow("new: quantity beyond a billion") << New << 2e9 << 1.0 << 4 << 0 << "A mennyiség";
        QTest::newRow("new: price 1e300") << New << 1.0 << 1e300 << 4 << 0 << "Az egységár (1e+300) túl nagy";
        QTest::newRow("new: price × quantity beyond") << New << 1e4 << 1e9 << 4 << 0 << "A tétel értéke";
        QTest::newRow("new: sum of the document beyond") << New << 1.0 << 7e11 << 4 << 0
                                                          << "A bizonylat nettó összege";
        QTest::newRow("new: name beyond 50") << New << 1.0 << 100.0 << 51 << 0
                                             << "\"Termék / szolgáltatás neve\" legfeljebb 50 karakter";
        QTest::newRow("new: comment beyond 255") << New << 1.0 << 100.0 << 4 << 256
                                                 << "\"Megjegyzés\" legfeljebb 255 karakter";
        QTest::newRow("new: name of 50 fits") << New << 1.0 << 100.0 << 50 << 255 << "";
        QTest::newRow("edited: quantity 1e300") << Edited << 1e300 << 100.0 << 4 << 0 << "A mennyiség";
        QTest::newRow("edited: price 1e300") << Edited << 1.0 << 1e300 << 4 << 0 << "Az egységár";
        QTest::newRow("edited: name beyond 50") << Edited << 1.0 << 100.0 << 51 << 0 << "legfeljebb 50 karakter";
    }
    void valuesADocumentCannotHold() {
        QFETCH(int, variant);
        QFETCH(double, quantity);
        QFETCH(double, price);
        QFETCH(int, nameLength);
        QFETCH(int, commentLength);
        QFETCH(QString, message);
        m_f->settings.alaparmodosit = true;
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->otherCustomer);
        RecordingDialogs dialogs;
        ScriptedLineUi ui(db());
        // A line already there: 7e11 at 27 %, so that a second one of the
        // same size takes the sum beyond what a document holds.
        {
            Database::Transaction tr(db());
            ImportLine(db(), dialogs, LineDocument::load(db(), doc), 1, QStringLiteral("ALMA"), 7e11, 1);
            RecomputeTotals(db(), doc);
            tr.commit();
        }
        const QString before = lineCodes(db(), doc) + QString::number(lineOf(db(), doc, 1).value("db").toDouble());
        const QString name(nameLength, QLatin1Char('n'));
        const QString comment(commentLength, QLatin1Char('m'));
        ui.products = {QStringLiteral("ALMA")};
        ui.prices = {price};
        LineEntryResult r;
        if (variant == New) {
            dialogs.answers = {QVariantList{quantity, name, comment}};
            r = EnterNewLine(db(), dialogs, ui, m_f->settings, LineDocument::load(db(), doc), QString());
        } else {
            dialogs.answers = {QVariantList{quantity, name}};
            r = EditLine(db(), dialogs, ui, m_f->settings, LineDocument::load(db(), doc), 1);
        }
        QCOMPARE(consistencyProblem(db(), doc), QString());
        if (message.isEmpty()) {
            QVERIFY(r.saved);
            QCOMPARE(dialogs.askedOf(QStringLiteral("error")), QStringList());
            QCOMPARE(lineOf(db(), doc, 2).value("cikkszam_nev").toString(), name);
            return;
        }
        QVERIFY(r.made); // the loop goes on
        QVERIFY(!r.saved);
        const QString error = dialogs.askedOf(QStringLiteral("error")).value(0);
        QCOMPARE(error.section(QLatin1Char('\n'), 0, 0), kLineSaveRefused);
        QVERIFY2(error.contains(message), qPrintable(error));
        QCOMPARE(lineCodes(db(), doc) + QString::number(lineOf(db(), doc, 1).value("db").toDouble()), before);
        QCOMPARE(lineOf(db(), doc, 1).value("egysar").toDouble(), 7e11);
    }

    // The price of a line without a price of its own: the list price less
    // the discount in the document's currency, also on a foreign-currency
    // document (no exchange rate converts it), no discount on J, W and E.
    void listLinePrice_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("discount");
        QTest::addColumn<double>("expected");
        QTest::newRow("invoice") << "S" << 10.0 << 900.0;
        QTest::newRow("proforma") << "P" << 25.0 << 750.0;
        QTest::newRow("credit note") << "J" << 10.0 << 1000.0;
        QTest::newRow("cancelling document") << "W" << 10.0 << 1000.0;
        QTest::newRow("advance invoice") << "E" << 10.0 << 1000.0;
    }
    void listLinePrice() {
        QFETCH(QString, kind);
        QFETCH(double, discount);
        QFETCH(double, expected);
        QCOMPARE(orvix::listLinePrice(1000, kind.at(0), discount), expected);
        // A euro customer's invoice in the editor takes the same price.
        if (kind != QLatin1String("S"))
            return;
        db().execSql(QStringLiteral("UPDATE ugyfel SET vat='EUR' WHERE ugyfel=?"), {m_f->customer});
        RecordingDialogs dialogs;
        dialogs.answers = {400.0};
        const qint64 doc =
            CreateEditorDocument(db(), dialogs, m_f->settings, m_f->user, kKindInvoice, m_f->customer, false);
        QCOMPARE(db().queryFloat(QStringLiteral("SELECT arfolyam FROM szla WHERE szla=?"), 0, {doc}), 400.0);
        ScriptedLineUi ui(db());
        const QVariantMap line = makeLine(New, doc, QStringLiteral("ALMA"), 1, 0, dialogs, ui);
        QCOMPARE(line.value("egysar").toDouble(), expected);
    }

    void unknownAndPosted() {
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        RecordingDialogs dialogs;
        LineDocument target = LineDocument::load(db(), doc);
        QVERIFY(!ImportLine(db(), dialogs, target, 1, QStringLiteral("alma"), 1, 1));
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")),
                 QStringList{QStringLiteral("Nem létező cikkszám: alma")});
        // Deleted products are imported (their code is still theirs).
        QVERIFY(ImportLine(db(), dialogs, target, 1, QStringLiteral("TOROLT"), 1, 1));

        db().execSql(QStringLiteral("UPDATE szla SET konyvelve='I' WHERE szla=?"), {doc});
        target = LineDocument::load(db(), doc);
        ScriptedLineUi ui(db());
        QVERIFY_THROWS_EXCEPTION(DocumentError,
                                 EnterNewLine(db(), dialogs, ui, m_f->settings, target, QString()));
        QVERIFY_THROWS_EXCEPTION(DocumentError,
                                 ImportLine(db(), dialogs, target, 2, QStringLiteral("ALMA"), 1, 1));
    }
};

QTEST_GUILESS_MAIN(LineEntryTest)
#include "lineentry_test.moc"
