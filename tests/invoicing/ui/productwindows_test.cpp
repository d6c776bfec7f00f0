// The windows around the line entry offscreen: the product chooser
// "Cikkszám választás" in its uses, with its search, keys, sorting, delete
// and advance items; the detailed search "Termék keresése"; the price dialog
// with its two pages; the import dialog with its remembered choices.
#include "../EditorFixture.h"

#include "core/ui/MessageBoxes.h"
#include "invoicing/ui/Tfrm_Ar.h"
#include "invoicing/ui/Tfrm_CikkValaszt.h"
#include "invoicing/ui/Tfrm_SorImport.h"
#include "invoicing/ui/Tfrm_TermekKeres.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

using namespace orvix;
using namespace orvix::test;
using namespace orvix::ui;

namespace {

// The chooser with the product window answered: a new advance item is
// saved as it comes.
class TestChooser : public Tfrm_CikkValaszt {
public:
    TestChooser(Database& db, ProductChoiceMode mode, const QString& start, qint64 customer, Dialogs* dialogs,
                const QString& sortField = {})
        : Tfrm_CikkValaszt(db, mode, start, customer, sortField, nullptr, dialogs), m_db(db),
          m_dialogs(*dialogs) {}
    std::optional<Product> newItem;
    bool cancelNewItem = false; // the product window closed with "Mégsem"

protected:
    std::optional<QString> editNewAdvanceItem(const Product& item) override {
        newItem = item;
        if (cancelNewItem)
            return std::nullopt;
        Product p = item;
        if (!saveProduct(m_db, m_dialogs, p, std::nullopt, false).saved)
            return std::nullopt;
        return p.cikkszam;
    }

private:
    Database& m_db;
    Dialogs& m_dialogs;
};

void clickTitle(QTableView* grid, int column) {
    QHeaderView* header = grid->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + 5;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

} // namespace

class ProductWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFolder> m_f;
    Database& db() { return m_f->db(); }

private Q_SLOTS:
    void init() {
        m_f = std::make_unique<EditorFolder>();
        insertRow(db(), QStringLiteral("cikkszam"),
                  {{QStringLiteral("cikkszam"), QStringLiteral("X1")},
                   {QStringLiteral("cikkszam_nev"), QStringLiteral("xAbCy")},
                   {QStringLiteral("cikkszam_nev2"), QStringLiteral("második név")},
                   {QStringLiteral("netto"), 12.5},
                   {QStringLiteral("torolve"), QStringLiteral("N")},
                   {QStringLiteral("eloleg"), QStringLiteral("N")}});
        app().settings = m_f->settings;
        app().user = m_f->user;
    }
    void cleanup() { m_f.reset(); }

    void chooserUses_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("codes");
        QTest::addColumn<QString>("current");
        QTest::newRow("plain") << int(ProductChoiceMode::Plain) << "k1"
                               << "ALMA FEL K18 K5 MENTES NETA X1"
                               << "K18";
        QTest::newRow("line") << int(ProductChoiceMode::Line) << ""
                              << "ALMA ELO1 FEL K18 K5 MENTES NETA X1"
                              << "ALMA";
        QTest::newRow("advance") << int(ProductChoiceMode::Advance) << ""
                                 << "ELO1"
                                 << "ELO1";
    }
    void chooserUses() {
        QFETCH(int, mode);
        QFETCH(QString, start);
        QFETCH(QString, codes);
        QFETCH(QString, current);
        ScriptedDialogs dialogs;
        TestChooser w(db(), ProductChoiceMode(mode), start, m_f->customer, &dialogs);
        QCOMPARE(w.windowTitle(), QStringLiteral("Cikkszám választás"));
        QCOMPARE(w.shownCodes().join(QLatin1Char(' ')), codes);
        QCOMPARE(w.currentCode(), current);
        const bool advance = ProductChoiceMode(mode) == ProductChoiceMode::Advance;
        QCOMPARE(w.action(QStringLiteral("aTorol"))->isVisible(), !advance);
        QCOMPARE(w.action(QStringLiteral("aTorol"))->isEnabled(), !advance);
        // Advance items are drawn in red; money in the amount format.
        const int row = int(w.shownCodes().indexOf(QStringLiteral("ELO1")));
        if (row >= 0)
            QCOMPARE(w.grid()->model()->index(row, 0).data(Qt::ForegroundRole).value<QColor>(),
                     QColor(Qt::red));
        const int x1 = int(w.shownCodes().indexOf(QStringLiteral("X1")));
        if (x1 >= 0)
            QCOMPARE(w.grid()->model()->index(x1, Tfrm_CikkValaszt::ColNetto).data().toString(),
                     QStringLiteral("13"));
    }

    // Typing on the grid starts a search; the search box finds a text in
    // the code, name or second name; Down goes back to the grid; Enter
    // accepts with the product's data.
    void searchAndKeys() {
        ScriptedDialogs dialogs;
        TestChooser w(db(), ProductChoiceMode::Line, QString(), m_f->customer, &dialogs);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.grid()->setFocus();
        QTest::keyClick(w.grid(), Qt::Key_K);
        QCOMPARE(w.searchBox()->text(), QStringLiteral("k"));
        QVERIFY(w.searchBox()->hasFocus());
        // X1 by its second name "második név".
        QCOMPARE(w.shownCodes().join(QLatin1Char(' ')), QStringLiteral("K18 K5 X1"));
        QCOMPARE(w.currentCode(), QStringLiteral("K18"));
        w.searchBox()->setText(QStringLiteral("ABC"));
        QCOMPARE(w.shownCodes(), QStringList{QStringLiteral("X1")});
        QCOMPARE(w.positionText(), QStringLiteral("1: 1"));
        QCOMPARE(w.secondNameText(), QStringLiteral("második név"));
        w.searchBox()->setText(QStringLiteral("könyv (2"));
        QCOMPARE(w.shownCodes(), QStringList{QStringLiteral("K5")});
        QTest::keyClick(w.searchBox(), Qt::Key_Down);
        QVERIFY(w.grid()->hasFocus());
        QTest::keyClick(w.grid(), Qt::Key_Return);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(w.choice());
        QCOMPARE(w.choice()->cikkszam, QStringLiteral("K5"));
        QCOMPARE(w.choice()->afakulcs, 5.0);
        QCOMPARE(w.choice()->cikkszam_nev2, QStringLiteral("Könyv (2)"));
    }

    // A column title orders by its column and puts the focus into the search
    // box; the order given by the product list is taken over.
    void sorting() {
        ScriptedDialogs dialogs;
        TestChooser w(db(), ProductChoiceMode::Plain, QString(), -1, &dialogs, QStringLiteral("netto"));
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.sortColumn(), int(Tfrm_CikkValaszt::ColNetto));
        QCOMPARE(w.shownCodes().join(QLatin1Char(' ')), QStringLiteral("FEL X1 MENTES K5 K18 NETA ALMA"));
        w.searchBox()->setText(QStringLiteral("a"));
        clickTitle(w.grid(), Tfrm_CikkValaszt::ColNev);
        QCOMPARE(w.sortColumn(), int(Tfrm_CikkValaszt::ColNev));
        QCOMPARE(w.shownCodes().join(QLatin1Char(' ')), QStringLiteral("ALMA NETA X1"));
        QVERIFY(w.searchBox()->hasFocus());
        QCOMPARE(w.searchBox()->selectedText(), QStringLiteral("a"));
        QCOMPARE(w.grid()
                     ->model()
                     ->headerData(Tfrm_CikkValaszt::ColNev, Qt::Horizontal, Qt::BackgroundRole)
                     .value<QColor>(),
                 QColor(255, 255, 185));
    }

    // Without an order of its own the chooser opens in the order of the main
    // window's product list, its column highlighted (none when the list is
    // ordered by a field the chooser does not show).
    void orderOfTheProductList_data() {
        QTest::addColumn<QString>("listOrder");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("codes");
        QTest::newRow("by code") << "" << int(Tfrm_CikkValaszt::ColCikkszam)
                                 << "ALMA FEL K18 K5 MENTES NETA X1";
        QTest::newRow("by name") << "cikkszam_nev" << int(Tfrm_CikkValaszt::ColNev)
                                 << "ALMA MENTES NETA FEL K18 K5 X1";
        QTest::newRow("by gross") << "brutto" << int(Tfrm_CikkValaszt::ColBrutto)
                                  << "FEL X1 MENTES K5 K18 NETA ALMA";
        QTest::newRow("by VAT, not shown") << "afa" << -1 << "FEL MENTES X1 K5 K18 NETA ALMA";
    }
    void orderOfTheProductList() {
        QFETCH(QString, listOrder);
        QFETCH(int, column);
        QFETCH(QString, codes);
        db().execSql(QStringLiteral("UPDATE cikkszam SET afa = netto * COALESCE(afakulcs, 0) / 100, "
                                    "brutto = netto * (1 + COALESCE(afakulcs, 0) / 100.0)"));
        setProductListOrder(listOrder);
        ScriptedDialogs dialogs;
        TestChooser w(db(), ProductChoiceMode::Plain, QString(), -1, &dialogs);
        setProductListOrder(QString());
        QCOMPARE(w.sortColumn(), column);
        QCOMPARE(w.shownCodes().join(QLatin1Char(' ')), codes);
        for (int c = 0; c < Tfrm_CikkValaszt::ColumnCount; ++c)
            QCOMPARE(w.grid()->model()->headerData(c, Qt::Horizontal, Qt::BackgroundRole).value<QColor>() ==
                         QColor(255, 255, 185),
                     c == column);
    }

    void deleteProduct() {
        ScriptedDialogs dialogs;
        TestChooser w(db(), ProductChoiceMode::Plain, QStringLiteral("K5"), -1, &dialogs);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        dialogs.answers = {false};
        QTest::keyClick(w.grid(), Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(w.shownCodes().contains(QStringLiteral("K5")));
        QTest::keyClick(w.grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(dialogs.askedOf(QStringLiteral("question")).value(1),
                 QStringLiteral("Megerősítés | Valóban töröljem a sort?"));
        QVERIFY(!w.shownCodes().contains(QStringLiteral("K5")));
        QCOMPARE(db().queryText(QStringLiteral("SELECT torolve FROM cikkszam WHERE cikkszam='K5'"), {}),
                 QStringLiteral("I"));
    }

    // "Új sor" of the advance choice: an advance item of the customer with a
    // generated code, saved and shown.
    void newAdvanceItem() {
        m_f->settings.alapafakulcs = 27;
        app().settings = m_f->settings;
        ScriptedDialogs dialogs;
        TestChooser w(db(), ProductChoiceMode::Advance, QString(), m_f->customer, &dialogs);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(w.grid(), Qt::Key_Insert);
        QVERIFY2(w.newItem, qPrintable(dialogs.asked.join(QLatin1Char('\n'))));
        const QString code = w.newItem->cikkszam;
        QVERIFY(code.startsWith(QStringLiteral("0ELO")));
        QCOMPARE(w.currentCode(), code);
        QCOMPARE(w.shownCodes().size(), 2);
        const std::optional<ProductChoiceResult> stored = LookupProduct(db(), code);
        QVERIFY(stored && stored->isAdvance());
        QCOMPARE(stored->cikkszam_nev, QStringLiteral("Előleg"));
        QCOMPARE(db().queryInt(QStringLiteral("SELECT ugyfel FROM cikkszam WHERE cikkszam=?"), 0, {code}),
                 m_f->customer);
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")), QStringList());
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM kategoria WHERE kategoria='ELOLEG'"), -1), 1);
    }

    // A new advance item whose product window is cancelled leaves nothing
    // behind: no item, no category, no unit.
    void cancelledAdvanceItemLeavesNoCodes() {
        db().execSql(QStringLiteral("DELETE FROM mert WHERE UPPER(mert)='DB'"));
        const qint64 products = db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam"), -1);
        ScriptedDialogs dialogs;
        TestChooser w(db(), ProductChoiceMode::Advance, QString(), m_f->customer, &dialogs);
        w.cancelNewItem = true;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(w.grid(), Qt::Key_Insert);
        QVERIFY(w.newItem);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam"), -1), products);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM kategoria WHERE kategoria='ELOLEG'"), -1), 0);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM mert WHERE UPPER(mert)='DB'"), -1), 0);
    }

    void detailedSearch_data() {
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("found");
        QTest::newRow("products anywhere") << 0 << 1 << "e" << 5;
        QTest::newRow("products beginning") << 0 << 2 << "k" << 2;
        QTest::newRow("products whole name") << 0 << 3 << "KENYÉR" << 1;
        QTest::newRow("nothing found") << 0 << 1 << "zzz" << 0;
        QTest::newRow("customers") << 1 << 1 << "zrt" << 1;
    }
    void detailedSearch() {
        QFETCH(int, target);
        QFETCH(int, method);
        QFETCH(QString, text);
        QFETCH(int, found);
        ScriptedDialogs dialogs;
        Tfrm_TermekKeres w(db(), SearchTarget(target), nullptr, &dialogs);
        QCOMPARE(w.windowTitle(), QStringLiteral("Termék keresése"));
        QVERIFY(w.methodButton(SearchMethod::Anywhere)->isChecked());
        QVERIFY(!w.foundButton()->isEnabled());
        w.methodButton(SearchMethod(method))->setChecked(true);
        w.textEdit()->setText(text);
        QCOMPARE(w.search(), found > 0);
        QCOMPARE(w.resultCount(), found);
        QCOMPARE(w.foundButton()->isEnabled(), found > 0);
        QCOMPARE(w.pages()->currentIndex(), found > 0 ? 1 : 0);
        if (found == 0) {
            QCOMPARE(dialogs.askedOf(QStringLiteral("info")), QStringList{kSearchFailedMessage});
            return;
        }
        w.sortByColumn(2);
        const QVariant key = w.currentKey();
        w.foundButton()->click();
        QCOMPARE(w.chosen().value_or(QVariant()), key);
    }

    // The price dialog: the page of the setting, the untouched box rounded
    // by the amount format, typing on the gross page, "- %" from the keypad.
    void priceDialog() {
        m_f->settings.alapnetto = true;
        app().settings = m_f->settings;
        {
            Tfrm_Ar w(QStringLiteral("Ár megadás"), 787.40, 27);
            QCOMPARE(w.windowTitle(), QStringLiteral("Ár megadás"));
            QVERIFY(w.netPage());
            QCOMPARE(w.netEdit()->text(), QStringLiteral("787"));
            QCOMPARE(w.netDiscount()->text(), QStringLiteral("kedvezmény: 0"));
            QCOMPARE(w.price(), 787.0);
        }
        m_f->settings.alapnetto = false;
        app().settings = m_f->settings;
        {
            Tfrm_Ar w(QStringLiteral("Ár"), 787.40, 25);
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QVERIFY(!w.netPage());
            QVERIFY(w.grossEdit()->hasFocus());
            w.grossEdit()->selectAll();
            QTest::keyClicks(w.grossEdit(), QStringLiteral("10x00"));
            QCOMPARE(w.grossEdit()->text(), QStringLiteral("1000"));
            QCOMPARE(w.netEdit()->text(), QStringLiteral("800,00000"));
            QCOMPARE(w.netInfo()->text(), QStringLiteral("Nettó áron: 800"));
            QCOMPARE(w.price(), 800.0);
        }
        {
            Tfrm_Ar w(QStringLiteral("Ár"), 1000, 27);
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            w.setNetPage(true);
            QTest::keyClicks(w.percentEdit(true), QStringLiteral("10"));
            QCOMPARE(w.percentEdit(false)->text(), QStringLiteral("10"));
            QTest::keyClick(w.percentEdit(true), Qt::Key_Slash, Qt::KeypadModifier);
            QCOMPARE(w.netEdit()->text(), QStringLiteral("900"));
            QCOMPARE(w.grossEdit()->text(), QStringLiteral("1143,00000"));
            QCOMPARE(w.price(), 900.0);
        }
        {
            // A price no document holds is refused on "OK"; the dialog stays.
            QStringList shown;
            ScopedMessageInterceptor intercept([&](const MessageRequest& r) {
                shown << r.text;
                return Dialogs::Answer::Yes;
            });
            Tfrm_Ar w(QStringLiteral("Ár"), 1000, 27);
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            w.setNetPage(true);
            w.netEdit()->selectAll();
            QTest::keyClicks(w.netEdit(), QString(40, QLatin1Char('9')));
            QCOMPARE(w.netEdit()->text().size(), 24);
            QTest::keyClick(w.netEdit(), Qt::Key_Return);
            QCOMPARE(w.result(), 0);
            QVERIFY(w.isVisible());
            QCOMPARE(shown.size(), 1);
            QVERIFY2(shown.first().startsWith(QStringLiteral("Az egységár")), qPrintable(shown.first()));
            w.netEdit()->selectAll();
            QTest::keyClicks(w.netEdit(), QStringLiteral("1000000000"));
            QTest::keyClick(w.netEdit(), Qt::Key_Return);
            QCOMPARE(w.result(), int(QDialog::Accepted));
            QCOMPARE(shown.size(), 1);
            QCOMPARE(w.price(), 1e9);
        }
    }

    // The import dialog shows and remembers its five choices; "File
    // áthelyezése" moves the loaded file into the archive folder.
    void importDialog() {
        QTemporaryDir dir;
        const QString archive = dir.filePath(QStringLiteral("archiv"));
        QDir().mkpath(archive);
        const QString file = dir.filePath(QStringLiteral("sorok.txt"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("ALMA;2\nK5;1\n");
        }
        app().ini = IniFile();
        app().config.shImpRend = 1;
        app().config.shImpQty = true;
        app().config.shImpPrice = false;
        app().config.shAtnevez = true;
        app().config.shUjUtvonal = archive;
        ScriptedDialogs dialogs;
        Tfrm_SorImport w(nullptr, &dialogs);
        QCOMPARE(w.windowTitle(), QStringLiteral("Sorok hozzáadása import"));
        QVERIFY(w.semicolonButton()->isChecked());
        QVERIFY(w.quantityBox()->isChecked());
        QVERIFY(!w.priceBox()->isChecked());
        QVERIFY(w.moveBox()->isChecked());
        QVERIFY(w.loadFile(file));
        QCOMPARE(w.text(), QStringLiteral("ALMA;2\nK5;1\n"));
        QVERIFY(!QFile::exists(file));
        QVERIFY(QFile::exists(QDir(archive).filePath(QStringLiteral("sorok.txt"))));
        QCOMPARE(dialogs.asked, QStringList());

        w.belowButton()->setChecked(true);
        w.priceBox()->setChecked(true);
        w.moveBox()->setChecked(false);
        w.acceptChoices();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(app().config.shImpRend, 0);
        QVERIFY(app().config.shImpPrice);
        QVERIFY(!app().config.shAtnevez);
        QCOMPARE(app().ini.value(QStringLiteral("Defaults"), QStringLiteral("SHImpPrice")),
                 QStringLiteral("1"));
        const ImportOptions o = w.options();
        QVERIFY(!o.semicolon && o.quantity && o.price);

        // Ctrl+Enter in the text accepts, with the choices as now remembered.
        Tfrm_SorImport again(nullptr, &dialogs);
        QVERIFY(again.belowButton()->isChecked() && again.priceBox()->isChecked() &&
                !again.moveBox()->isChecked());
        again.show();
        QVERIFY(QTest::qWaitForWindowActive(&again));
        QTest::keyClicks(again.textPane(), QStringLiteral("ALMA"));
        QTest::keyClick(again.textPane(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(again.result(), int(QDialog::Accepted));
        QCOMPARE(again.text(), QStringLiteral("ALMA"));
    }
};

QTEST_MAIN(ProductWindowsTest)
#include "productwindows_test.moc"
