// The main window: its start on a fresh work folder (database choice,
// caption, font size limits, the ini written at exit) and its lists: switching,
// searching, sorting, row colours, the document search, rights, the actions
// that work and those that are still disabled, deleting, exports and links.
#include "ScriptedDialogs.h"
#include "common/Database.h"
#include "common/IniFile.h"
#include "core/AppContext.h"
#include "core/DelimitedExport.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/Tfrm_Export.h"
#include "data/Schema.h"
#include "invoicing/ui/Tfrm_Main.h"
#include "masters/DemoMasters.h"

#include "invoicing/PagedTableModel.h"
#include "invoicing/Register.h"
#include "invoicing/ProductChoice.h"
#include "invoicing/ui/Tfrm_AfaTartalom.h"
#include "invoicing/ui/Tfrm_BizonylatKeres.h"
#include "invoicing/ui/Tfrm_CikkValaszt.h"
#include "invoicing/ui/Tfrm_Szamla.h"
#include "invoicing/ui/Tfrm_TermekKeres.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrlQuery>
#include <QtTest>

using namespace orvix;
using orvix::test::ScriptedDialogs;

class MainWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_program;
    int m_run = 0;

    void freshWorkFolder() {
        const QString base = m_tmp.filePath(QString::number(++m_run));
        m_program = base + QStringLiteral("/program");
        QDir().mkpath(m_program);
        qputenv("XDG_DATA_HOME", (base + QStringLiteral("/xdg")).toUtf8());
        app() = AppContext{};
    }

    // A work folder whose test data folder holds a few known customers,
    // products and documents, and the main window started on it.
    std::unique_ptr<Tfrm_Main> openRegister(ScriptedDialogs& dialogs);
    qint64 customerKey(const QString& name) {
        return m_db->queryInt(QStringLiteral("SELECT ugyfel FROM ugyfel WHERE ugyfel_nev=?"), 0, {name});
    }
    QString nameAt(Tfrm_Main& w, int list, const QString& field) {
        return w.model(list)->value(w.currentRow(list), field).toString();
    }
    // Types a text key by key (accented letters too).
    static void type(QWidget* w, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::KeyAction::Click, w, Qt::Key_unknown, QString(c),
                                c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
    }
    void clickHeader(Tfrm_Main& w, int list, const QString& field) {
        QHeaderView* h = w.grid(list)->horizontalHeader();
        const int c = w.model(list)->columnOf(field);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(c) + 4, 4));
    }

    Database* m_db = nullptr;

private Q_SLOTS:
    void cancelledStartWritesNothing();
    void startOnTestFolder();
    void loginOnFolderWithoutUsersLetsAdministratorIn();
    void listsSwitchAndRememberTheirRow();
    void searchInEachList_data();
    void searchInEachList();
    void typingMovesBetweenGridAndSearchBox();
    void sortKeepsTheCursorOnTheDocument();
    void registerRowColours();
    void documentSearchWindow();
    void rightsAreCheckedBeforeAnythingOpens();
    void actionsOfLaterCapabilitiesAreDisabled();
    void deleteHidesProductsAndCustomers();
    void exportsWriteTheShownList();
    void linksAndMail();
    void jumpToCustomerAndRefreshRegister();
    void detailedSearchOnProductsAndCustomers_data();
    void detailedSearchOnProductsAndCustomers();
    void newDocumentAsksReverseChargeFirst_data();
    void newDocumentAsksReverseChargeFirst();
    void productColumnsTakeTheirShares();
    void productOrderReachesTheChooser();
    void archiveFromTheMainWindow();
    void altDigitInASearchBoxSwitchesLists_data();
    void altDigitInASearchBoxSwitchesLists();
};

void MainWindowTest::cancelledStartWritesNothing() {
    freshWorkFolder();
    ScriptedDialogs dialogs;
    dialogs.answers = {QVariant()};
    const QString ini = QDir(QString::fromUtf8(qgetenv("XDG_DATA_HOME")))
                            .filePath(QStringLiteral("Orvix_Szamla/Orvix_Szamla.ini"));
    {
        Tfrm_Main window(dialogs, m_program);
        QVERIFY(window.startupEnded());
        const QByteArray seeded = [&] {
            QFile f(ini);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QVERIFY(seeded.contains("ConStr1"));
        window.close();
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), seeded); // no exit keys written
    }
}

void MainWindowTest::startOnTestFolder() {
    freshWorkFolder();
    // The test folder holds demo masters, as run.sh leaves it.
    const QString work = QString::fromUtf8(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Orvix_Szamla");
    {
        Database db(QStringLiteral("demo"));
        data::createDataFolder(db, work + QStringLiteral("/Data"));
        DemoOptions o;
        o.customers = 30;
        o.products = 40;
        fillDemoMasters(db, o);
    }
    ScriptedDialogs dialogs;
    dialogs.answers = {0};
    Tfrm_Main window(dialogs, m_program);
    QVERIFY(!window.startupEnded());
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("Orvix Számla: [")));
    QVERIFY(window.windowTitle().size() > QStringLiteral("Orvix Számla: []").size());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.currentList(), int(Tfrm_Main::Products));
    QCOMPARE(window.grid(Tfrm_Main::Products)->model()->rowCount(), 40);
    window.action(QStringLiteral("aVevok"))->trigger();
    QCOMPARE(window.currentList(), int(Tfrm_Main::Customers));
    QCOMPARE(window.grid(Tfrm_Main::Customers)->model()->rowCount(), 30);
    QVERIFY(window.action(QStringLiteral("aVevok"))->isChecked());
    QVERIFY(!window.action(QStringLiteral("aCikktorzs"))->isChecked());
    window.action(QStringLiteral("aMozgas"))->trigger();
    QCOMPARE(window.currentList(), int(Tfrm_Main::Documents));

    // Shortcuts as the program names them.
    QCOMPARE(window.action(QStringLiteral("aCikktorzs"))->shortcut(), QKeySequence(QStringLiteral("Alt+1")));
    QCOMPARE(window.action(QStringLiteral("aBetuNovel"))->shortcut(),
             QKeySequence(QStringLiteral("Ctrl+F10")));
    // Capabilities that come later are visibly disabled.
    QVERIFY(!window.action(QStringLiteral("aSQL"))->isEnabled());

    // Font size stops at 22 and at 8.
    for (int i = 0; i < 20; ++i)
        window.action(QStringLiteral("aBetuNovel"))->trigger();
    QCOMPARE(app().config.fontSize, 22);
    QCOMPARE(QApplication::font().pointSize(), 22);
    for (int i = 0; i < 20; ++i)
        window.action(QStringLiteral("aBetuCsokkent"))->trigger();
    QCOMPARE(app().config.fontSize, 8);
    window.action(QStringLiteral("aBetuNovel"))->trigger();

    // Warranty actions follow the settings.
    QVERIFY(!window.action(QStringLiteral("aGari"))->isVisible());

    window.close();
    const IniFile ini(work + QStringLiteral("/Orvix_Szamla.ini"));
    QCOMPARE(ini.intValue(QStringLiteral("Defaults"), QStringLiteral("FontSize"), 0), 9);
    QVERIFY(ini.hasKey(QStringLiteral("Screen"), QStringLiteral("Width")));
    QVERIFY(ini.hasKey(QStringLiteral("Printers"), QStringLiteral("Szla")));
}

void MainWindowTest::loginOnFolderWithoutUsersLetsAdministratorIn() {
    freshWorkFolder();
    const QString work = QString::fromUtf8(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Orvix_Szamla");
    {
        Database db(QStringLiteral("login"));
        data::createDataFolder(db, work + QStringLiteral("/Data"));
        db.execSql(QStringLiteral("UPDATE beallit SET belepjelszo = 'I'"));
    }
    QStringList shown;
    ui::ScopedMessageInterceptor intercept([&](const ui::MessageRequest& r) {
        shown << r.text;
        return Dialogs::Answer::Yes;
    });
    ScriptedDialogs dialogs;
    dialogs.answers = {0};
    Tfrm_Main window(dialogs, m_program);
    QVERIFY(!window.startupEnded());
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.first().contains(QStringLiteral("rendszergazda")));
    QCOMPARE(app().user.name, QStringLiteral("rendszergazda"));
    QVERIFY(app().user.rendszergazda);
    window.close();
}

std::unique_ptr<Tfrm_Main> MainWindowTest::openRegister(ScriptedDialogs& dialogs) {
    freshWorkFolder();
    const QString work = QString::fromUtf8(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Orvix_Szamla");
    {
        Database db(QStringLiteral("fixture"));
        data::createDataFolder(db, work + QStringLiteral("/Data"));
        const QStringList customers{QStringLiteral("Kovács Béla"),   QStringLiteral("Kováts Kft."),
                                    QStringLiteral("Köves Anna"),    QStringLiteral("Ágoston Ádám"),
                                    QStringLiteral("Zoltán Zsuzsa"), QStringLiteral("Barta Bt."),
                                    QStringLiteral("Cukor Kft."),    QStringLiteral("Dél-Alföld Zrt.")};
        for (const QString& name : customers)
            db.execSql(QStringLiteral(
                           "INSERT INTO ugyfel (ugyfel_nev, ugyfelkod, emil, cim_irsz, cim_varos, cim_cim, "
                           "szla_irsz, szla_varos, szla_cim, torolve) VALUES (?, 0, ?, '1011', "
                           "'Budapest', 'Fő utca 1.', '6720', 'Szeged', 'Kárász utca 2.', 'N')"),
                       {name, name.startsWith(QLatin1Char('K'))
                                  ? QVariant(QStringLiteral("kovacs@example.hu"))
                                  : QVariant(QString())});
        db.execSql(
            QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev, netto, torolve, eloleg) VALUES "
                           "('A-100', 'Alma', 100, 'N', 'N'), ('B-200', 'Barack', 200, 'N', 'N'), "
                           "('ZZ-001', 'Zsírkréta', 300, 'N', 'N'), ('E-1', 'Előleg', 1, 'N', 'I')"));
        // Documents 1..30, every second one of Ágoston Ádám, the others of
        // Kovács Béla; document 5 is unpaid and due yesterday.
        for (int i = 1; i <= 30; ++i) {
            const QString name = i % 2 ? QStringLiteral("Kovács Béla") : QStringLiteral("Ágoston Ádám");
            const qint64 customer =
                db.queryInt(QStringLiteral("SELECT ugyfel FROM ugyfel WHERE ugyfel_nev=?"), 0, {name});
            db.execSql(QStringLiteral(
                           "INSERT INTO szla (prntip, szlaszam, ugyfel, ugyfel_nev, dat_kiadva, dat_fizhat, "
                           "fiztip, netto, brutto, penzfizetve, fizetve, konyvelve, storno, afas, "
                           "felhasznalo) VALUES ('S', ?, ?, ?, ?, ?, 1, 1000, 1270, ?, ?, 'I', 'N', 'I', "
                           "'Kiss Éva')"),
                       {i, customer, name, QDate::currentDate().addDays(i - 40).toString(Qt::ISODate),
                        QDate::currentDate().addDays(i == 5 ? -1 : 30).toString(Qt::ISODate),
                        i == 5 ? 0.0 : 1270.0, i == 5 ? QStringLiteral("N") : QStringLiteral("I")});
        }
    }
    dialogs.answers = {0};
    auto w = std::make_unique<Tfrm_Main>(dialogs, m_program);
    if (w->startupEnded())
        return nullptr;
    m_db = w->database();
    w->show();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w.get()))
        return nullptr;
    return w;
}

void MainWindowTest::listsSwitchAndRememberTheirRow() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    QCOMPARE(w->currentList(), int(Tfrm_Main::Products));
    QCOMPARE(w->model(Tfrm_Main::Products)->rowCount(), 3); // deleted and advance items stay out
    QVERIFY(w->searchBox(Tfrm_Main::Products)->hasFocus());

    // The tab strip, the Ablak actions and their shortcuts switch lists.
    auto* tabs = w->findChild<QTabBar*>(QStringLiteral("TabSet1"));
    tabs->setCurrentIndex(1);
    QCOMPARE(w->currentList(), int(Tfrm_Main::Customers));
    QVERIFY(w->action(QStringLiteral("aVevok"))->isChecked());
    QCOMPARE(w->model(Tfrm_Main::Customers)->rowCount(), 8);
    QCOMPARE(nameAt(*w, Tfrm_Main::Customers, QStringLiteral("ugyfel_nev")), QStringLiteral("Ágoston Ádám"));
    type(w->searchBox(Tfrm_Main::Customers), QStringLiteral("zol"));
    const QVariant zoltan = w->currentKey(Tfrm_Main::Customers);
    QCOMPARE(nameAt(*w, Tfrm_Main::Customers, QStringLiteral("ugyfel_nev")), QStringLiteral("Zoltán Zsuzsa"));
    auto* status = w->findChild<QLabel*>(QStringLiteral("StatusPanel0"));
    QCOMPARE(status->text(), QStringLiteral("8: 8"));

    QTest::keyClick(w.get(), Qt::Key_3, Qt::AltModifier);
    QCOMPARE(w->currentList(), int(Tfrm_Main::Documents));
    QCOMPARE(tabs->currentIndex(), 2);
    QVERIFY(w->grid(Tfrm_Main::Documents)->hasFocus());
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 30); // newest first
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("StatusPanel2"))->text(), QStringLiteral("Kiss Éva"));
    // The other lists are closed while hidden.
    QCOMPARE(w->model(Tfrm_Main::Customers)->rowCount(), 0);

    w->action(QStringLiteral("aVevok"))->trigger();
    QCOMPARE(w->currentKey(Tfrm_Main::Customers), zoltan);
    QCOMPARE(status->text(), QStringLiteral("8: 8"));
}

void MainWindowTest::searchInEachList_data() {
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::newRow("product code") << int(Tfrm_Main::Products) << "zz"
                                  << "cikkszam"
                                  << "ZZ-001";
    QTest::newRow("product code with a dash") << int(Tfrm_Main::Products) << "b-2"
                                              << "cikkszam"
                                              << "B-200";
    QTest::newRow("kov finds Kovács") << int(Tfrm_Main::Customers) << "kov"
                                      << "ugyfel_nev"
                                      << "Kovács Béla";
    QTest::newRow("one letter further") << int(Tfrm_Main::Customers) << "kovát"
                                        << "ugyfel_nev"
                                        << "Kováts Kft.";
    QTest::newRow("accented capital") << int(Tfrm_Main::Customers) << "ÁGO"
                                      << "ugyfel_nev"
                                      << "Ágoston Ádám";
    QTest::newRow("ö is a letter of its own") << int(Tfrm_Main::Customers) << "kö"
                                              << "ugyfel_nev"
                                              << "Köves Anna";
    QTest::newRow("without accents") << int(Tfrm_Main::Customers) << "KOVAC"
                                     << "ugyfel_nev"
                                     << "Kovács Béla";
    QTest::newRow("no match keeps the row") << int(Tfrm_Main::Customers) << "xy"
                                            << "ugyfel_nev"
                                            << "Ágoston Ádám";
    QTest::newRow("document key") << int(Tfrm_Main::Documents) << "17"
                                  << "szla"
                                  << "17";
    QTest::newRow("letters on the key are ignored") << int(Tfrm_Main::Documents) << "1x"
                                                    << "szla"
                                                    << "1";
}

void MainWindowTest::searchInEachList() {
    QFETCH(int, list);
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    w->switchToList(list);
    type(w->searchBox(list), typed);
    QCOMPARE(nameAt(*w, list, field), expected);
    QVERIFY(dialogs.askedOf(QStringLiteral("error")).isEmpty());
}

void MainWindowTest::typingMovesBetweenGridAndSearchBox() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    w->switchToList(Tfrm_Main::Customers);
    QTableView* grid = w->grid(Tfrm_Main::Customers);
    QLineEdit* search = w->searchBox(Tfrm_Main::Customers);
    grid->setFocus();
    // An accented capital typed in the grid starts the search in lower case.
    QTest::sendKeyEvent(QTest::KeyAction::Click, grid, Qt::Key_unknown, QStringLiteral("K"),
                        Qt::ShiftModifier);
    QVERIFY(search->hasFocus());
    QCOMPARE(search->text(), QStringLiteral("k"));
    type(search, QStringLiteral("ö"));
    QCOMPARE(nameAt(*w, Tfrm_Main::Customers, QStringLiteral("ugyfel_nev")), QStringLiteral("Köves Anna"));
    QTest::keyClick(search, Qt::Key_Down);
    QVERIFY(grid->hasFocus());
    QTest::sendKeyEvent(QTest::KeyAction::Click, grid, Qt::Key_unknown, QStringLiteral("Á"),
                        Qt::ShiftModifier);
    QCOMPARE(search->text(), QStringLiteral("á"));
    QCOMPARE(nameAt(*w, Tfrm_Main::Customers, QStringLiteral("ugyfel_nev")), QStringLiteral("Ágoston Ádám"));
    // Keys that are not letters or digits stay in the grid.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QVERIFY(grid->hasFocus());
    QCOMPARE(nameAt(*w, Tfrm_Main::Customers, QStringLiteral("ugyfel_nev")), QStringLiteral("Barta Bt."));

    w->switchToList(Tfrm_Main::Documents);
    QLineEdit* docSearch = w->searchBox(Tfrm_Main::Documents);
    QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier); // "Ugrás a keresőmezőbe"
    QVERIFY(docSearch->hasFocus());
    type(docSearch, QStringLiteral("3"));
    QTest::keyClick(docSearch, Qt::Key_Return);
    QVERIFY(w->grid(Tfrm_Main::Documents)->hasFocus());
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 3);
}

void MainWindowTest::sortKeepsTheCursorOnTheDocument() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    w->switchToList(Tfrm_Main::Documents);
    PagedTableModel* m = w->model(Tfrm_Main::Documents);
    type(w->searchBox(Tfrm_Main::Documents), QStringLiteral("12"));
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 12);

    clickHeader(*w, Tfrm_Main::Documents, QStringLiteral("ugyfel_nev"));
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 12);
    QCOMPARE(m->query().orderField(), QStringLiteral("ugyfel_nev"));
    QCOMPARE(m->highlightedColumn(), m->columnOf(QStringLiteral("ugyfel_nev")));
    QCOMPARE(w->searchField(Tfrm_Main::Documents), QStringLiteral("ugyfel_nev"));
    QVERIFY(w->searchBox(Tfrm_Main::Documents)->hasFocus());
    QCOMPARE(m->value(0, QStringLiteral("ugyfel_nev")).toString(), QStringLiteral("Ágoston Ádám"));
    // Ágoston's documents 2, 4 … 30 come first, by key; 12 is the sixth.
    QCOMPARE(w->currentRow(Tfrm_Main::Documents), 5);

    // Every column of the register sorts, the computed outstanding amount
    // too: the paid documents by key, the unpaid 5 last.
    clickHeader(*w, Tfrm_Main::Documents, QStringLiteral("hatralek"));
    QCOMPARE(m->query().orderField(), QStringLiteral("hatralek"));
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 12);
    QCOMPARE(w->currentRow(Tfrm_Main::Documents), 10);
    QCOMPARE(m->highlightedColumn(), m->columnOf(QStringLiteral("hatralek")));
    w->searchBox(Tfrm_Main::Documents)->clear();
    type(w->searchBox(Tfrm_Main::Documents), QStringLiteral("1270"));
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 5);
    for (const char* field : {"fiztip_nev", "fizetve", "afas", "netto", "prntip"}) {
        clickHeader(*w, Tfrm_Main::Documents, QString::fromLatin1(field));
        QCOMPARE(m->query().orderField(), QString::fromLatin1(field));
        QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 5);
    }
    QVERIFY(dialogs.askedOf(QStringLiteral("error")).isEmpty());

    // The search box now looks in the customer name.
    clickHeader(*w, Tfrm_Main::Documents, QStringLiteral("ugyfel_nev"));
    w->searchBox(Tfrm_Main::Documents)->clear();
    type(w->searchBox(Tfrm_Main::Documents), QStringLiteral("kov"));
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 1);

    clickHeader(*w, Tfrm_Main::Documents, QStringLiteral("szla"));
    QVERIFY(m->query().descending());
    QCOMPARE(m->keyAt(0).toInt(), 30);
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 1);

    // Products and customers sort only by a field with an index.
    w->switchToList(Tfrm_Main::Customers);
    clickHeader(*w, Tfrm_Main::Customers, QStringLiteral("szla_irsz"));
    QCOMPARE(dialogs.askedOf(QStringLiteral("error")),
             QStringList(1, QStringLiteral("Erre a mezőre nem lehet sorbarendezni.")));
    clickHeader(*w, Tfrm_Main::Customers, QStringLiteral("emil"));
    QCOMPARE(w->searchField(Tfrm_Main::Customers), QStringLiteral("emil"));
}

void MainWindowTest::registerRowColours() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    w->switchToList(Tfrm_Main::Documents);
    PagedTableModel* m = w->model(Tfrm_Main::Documents);
    const auto background = [&](int key, int column) {
        return m->data(m->index(m->rowOfKey(key), column), Qt::BackgroundRole).value<QBrush>().color();
    };
    QCOMPARE(background(5, 3), QColor(255, 236, 236)); // unpaid, due yesterday
    QCOMPARE(m->data(m->index(m->rowOfKey(5), 3), Qt::ForegroundRole).value<QBrush>().color(),
             QColor(255, 0, 0));
    QCOMPARE(background(6, 0), kSortColumnColor); // the sorted column of a plain row
    QVERIFY(!m->data(m->index(m->rowOfKey(6), 3), Qt::BackgroundRole).isValid());
    m_db->execSql(QStringLiteral("UPDATE szla SET konyvelve='N' WHERE szla=5"));
    m_db->execSql(QStringLiteral("UPDATE szla SET storno='I' WHERE szla=6"));
    w->action(QStringLiteral("aFrissit"))->trigger();
    QCOMPARE(background(5, 3), QColor(233, 233, 233));
    QCOMPARE(m->data(m->index(m->rowOfKey(5), 3), PagedTableModel::SelectedForegroundRole).value<QColor>(),
             QColor(192, 192, 192));
    QCOMPARE(background(6, 0), QColor(255, 238, 221));
    QCOMPARE(
        m->data(m->index(m->rowOfKey(6), m->columnOf(QStringLiteral("fizetve"))), PagedTableModel::MarkRole),
        QVariant(true));
}

void MainWindowTest::documentSearchWindow() {
    {
        // The window on its own.
        ui::Tfrm_BizonylatKeres window({QStringLiteral("E:Előlegszámla"), QStringLiteral("S:Számla")});
        QCOMPARE(window.windowTitle(), QStringLiteral("Bizonylat keresés"));
        QVERIFY(window.kindButtons().first()->isChecked());
        window.numberEdit()->setText(QStringLiteral("0"));
        QVERIFY(!window.result());
        window.numberEdit()->setText(QStringLiteral("x"));
        QVERIFY(!window.result());
        window.kindButtons().at(1)->setChecked(true);
        window.numberEdit()->setText(QStringLiteral("12"));
        QCOMPARE(window.result()->kind, QStringLiteral("S"));
        QCOMPARE(window.result()->number, qint64(12));
    }
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    QVERIFY(w->action(QStringLiteral("aTermKeres"))->isEnabled()); // the products' detailed search
    w->switchToList(Tfrm_Main::Documents);
    QStringList kinds;
    const auto answer = [&kinds](const QString& number, bool ok) {
        QTimer::singleShot(0, [number, ok, &kinds] {
            auto* d = qobject_cast<ui::Tfrm_BizonylatKeres*>(QApplication::activeModalWidget());
            QVERIFY(d);
            // The kinds in table order, the first one chosen.
            kinds.clear();
            for (QRadioButton* b : d->kindButtons())
                kinds << b->text() + (b->isChecked() ? QStringLiteral("*") : QString());
            for (QRadioButton* b : d->kindButtons())
                if (b->text().startsWith(QStringLiteral("S:")))
                    b->setChecked(true);
            d->numberEdit()->setText(number);
            ok ? d->accept() : d->reject();
        });
    };
    answer(QStringLiteral("21"), true);
    QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 21);
    QCOMPARE(kinds, (QStringList{"S:Számla*", "P:Proforma számla", "E:Előlegszámla", "J:Helyesbítő számla",
                                 "W:Számlát érvénytelenítő okirat", "M:Számla", "V:Módosító számla"}));
    answer(QStringLiteral("7"), false);
    w->action(QStringLiteral("aTermKeres"))->trigger();
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 21);
    answer(QStringLiteral("999"), true);
    w->action(QStringLiteral("aTermKeres"))->trigger();
    QCOMPARE(dialogs.askedOf(QStringLiteral("info")), QStringList{"A keresett bizonylat nem található."});
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 21);
}

void MainWindowTest::rightsAreCheckedBeforeAnythingOpens() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    // Should a window open after all, it is closed so that the test ends.
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* m = QApplication::activeModalWidget())
            m->close();
    });
    guard.start(200);
    const QString refused = QStringLiteral("error: Nincs jogosultság a művelethez.");
    app().user.rendszergazda = false;
    app().user.iras = false;
    w->action(QStringLiteral("aFelhasznalo"))->trigger();
    w->action(QStringLiteral("aNyelv"))->trigger();
    QCOMPARE(dialogs.askedOf(QStringLiteral("error")),
             QStringList(2, QStringLiteral("Nincs jogosultság a művelethez.")));

    // Deleting a customer needs the write right.
    w->switchToList(Tfrm_Main::Customers);
    w->action(QStringLiteral("aTorol"))->trigger();
    QCOMPARE(dialogs.askedOf(QStringLiteral("error")).size(), 3);
    QCOMPARE(w->model(Tfrm_Main::Customers)->rowCount(), 8);

    // A capability installed later gets the check of its action.
    int opened = 0;
    w->setCapability(QStringLiteral("aKategoria"), [&](int) { ++opened; });
    QVERIFY(w->action(QStringLiteral("aKategoria"))->isEnabled());
    w->action(QStringLiteral("aKategoria"))->trigger();
    QCOMPARE(opened, 0);
    QCOMPARE(dialogs.asked.last(), refused);
    app().user.iras = true;
    w->action(QStringLiteral("aKategoria"))->trigger();
    QCOMPARE(opened, 1);
    w->setCapabilityEnabled(QStringLiteral("aKategoria"), false);
    QVERIFY(!w->action(QStringLiteral("aKategoria"))->isEnabled());
    app().user.rendszergazda = true;
}

void MainWindowTest::actionsOfLaterCapabilitiesAreDisabled() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    // What works now, and on which lists (products, customers, documents).
    const QHash<QString, QString> working{
        {"aCikktorzs", "PCD"},    {"aVevok", "PCD"},      {"aMozgas", "PCD"},    {"aFrissit", "PCD"},
        {"aKeres", "PCD"},        {"aTermKeres", "PCD"},    {"aTorol", "PCD"},      {"aExcelbe", "PCD"}, {"aHtml", "PCD"},
        {"aUgrik", "D"},          {"aLevelUgyfel", "CD"}, {"aTerkep1", "C"},     {"aTerkep2", "C"},
        {"aMyEnvelope", "PCD"},   {"aSugo", "PCD"},       {"aFontos", "PCD"},    {"aUjdonsag", "PCD"},
        {"aLevel", "PCD"},        {"aHonlap", "PCD"},     {"aPortal", "PCD"},    {"aNevjegy", "PCD"},
        {"aFelhasznalo", "PCD"},  {"aNyelv", "PCD"},      {"aAdatbazis", "PCD"}, {"aBetuNovel", "PCD"},
        {"aBetuCsokkent", "PCD"}, {"aBezar", "PCD"},    {"aUj", "PC"},         {"aSzerkeszt", "PCD"},
        {"aTulajdonos", "PCD"}, {"aAfakulcs", "PCD"}, {"aMe", "PCD"},        {"aTorzsVtsz", "PCD"},
        {"aSzarmazas", "PCD"},    {"aKategoria", "PCD"},  {"aFiztip", "PCD"},    {"aVat", "PCD"},
        {"aPrnTip", "PCD"},       {"aKasszak", "PCD"},    {"aKasszaTipus", "PCD"}, {"aSzallito", "PCD"},
        {"aProforma", "PCD"},     {"aEbbolEladok", "P"},    {"aKonyvel", "D"},     {"aJovair", "PCD"},
        {"aKifizet", "D"},        {"aKifizet2", "D"},     {"aArchival", "PCD"}};
    QSet<QKeySequence> shortcuts;
    for (const ActionDef& def : mainWindowActions()) {
        QAction* a = w->action(QLatin1String(def.name));
        QVERIFY2(a, def.name);
        // Every action sits in a menu, and no two share a key.
        bool inMenu = false;
        for (QObject* o : a->associatedObjects())
            inMenu = inMenu || qobject_cast<QMenu*>(o);
        QVERIFY2(inMenu, def.name);
        if (!a->shortcut().isEmpty()) {
            QVERIFY2(!shortcuts.contains(a->shortcut()), def.name);
            shortcuts.insert(a->shortcut());
        }
    }
    for (int list = 0; list < 3; ++list) {
        w->switchToList(list);
        for (const ActionDef& def : mainWindowActions()) {
            const QString name = QLatin1String(def.name);
            const bool expected = working.value(name).contains(QLatin1Char("PCD"[list]));
            QVERIFY2(w->action(name)->isEnabled() == expected, qPrintable(name + QString::number(list)));
        }
    }
    // Drop-downs of disabled actions are disabled with them.
    QVERIFY(w->findChild<QToolButton*>(QStringLiteral("tbKifizet"))->isEnabled());
    w->switchToList(Tfrm_Main::Products);
    QVERIFY(!w->findChild<QToolButton*>(QStringLiteral("tbKifizet"))->isEnabled());
    w->switchToList(Tfrm_Main::Customers);
    QVERIFY(w->findChild<QToolButton*>(QStringLiteral("tbTerkep"))->isEnabled());
    QVERIFY(w->findChild<QToolButton*>(QStringLiteral("tbUjSzamla2"))->isEnabled()); // "Új számla" works now
    // The customer pop-up's own document items have no effect yet.
    for (const char* n : {"miUjSzamla", "miUjJovairas", "miUjEloleg"})
        QVERIFY(!w->popupMenu(Tfrm_Main::Customers)->findChild<QAction*>(QLatin1String(n)) ||
                !w->findChild<QAction*>(QLatin1String(n))->isEnabled());
}

void MainWindowTest::deleteHidesProductsAndCustomers() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    type(w->searchBox(Tfrm_Main::Products), QStringLiteral("b"));
    dialogs.answers = {false};
    w->action(QStringLiteral("aTorol"))->trigger();
    QCOMPARE(dialogs.askedOf(QStringLiteral("question")),
             QStringList{"Megerősítés | Valóban töröljem a sort?"});
    QCOMPARE(w->model(Tfrm_Main::Products)->rowCount(), 3);
    w->action(QStringLiteral("aTorol"))->trigger(); // answered Yes
    QCOMPARE(w->model(Tfrm_Main::Products)->rowCount(), 2);
    QCOMPARE(
        m_db->queryText(QStringLiteral("SELECT torolve FROM cikkszam WHERE cikkszam='B-200'"), QString()),
        QStringLiteral("I"));
    QCOMPARE(w->currentKey(Tfrm_Main::Products).toString(), QStringLiteral("ZZ-001")); // the next row

    w->switchToList(Tfrm_Main::Customers);
    type(w->searchBox(Tfrm_Main::Customers), QStringLiteral("kovác"));
    const qint64 kovacs = customerKey(QStringLiteral("Kovács Béla"));
    QCOMPARE(w->currentKey(Tfrm_Main::Customers).toLongLong(), kovacs);
    QTest::keyClick(w.get(), Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(w->model(Tfrm_Main::Customers)->rowCount(), 7);
    QCOMPARE(w->model(Tfrm_Main::Customers)->rowOfKey(kovacs), -1);
    QCOMPARE(m_db->queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE ugyfel=?"), 0, {kovacs}), 15);
}

void MainWindowTest::exportsWriteTheShownList() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    QTemporaryDir dir;
    QStringList suggested;
    QString answer;
    w->setSaveFileChooser([&](const QString& caption, const QString& name) {
        suggested << caption + QLatin1Char('|') + name;
        return answer;
    });
    const auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    // "Excelbe" opens the export window over the shown list in its order.
    QStringList proposed;
    w->setListExporter([&](const QString& select, const QString& fileName, const QHash<QString, QString>& labels) {
        proposed << QFileInfo(fileName).fileName();
        ui::Tfrm_Export window([&] { return queryRows(*w->database(), select, labels); }, answer, &dialogs, w.get());
        window.startExport();
    });
    w->switchToList(Tfrm_Main::Documents);
    clickHeader(*w, Tfrm_Main::Documents, QStringLiteral("ugyfel_nev"));
    answer = dir.filePath(QStringLiteral("szla.csv"));
    QTest::keyClick(w.get(), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(proposed, QStringList{QStringLiteral("szla.csv")});
    const QStringList lines = read(answer).split(QStringLiteral("\r\n"));
    // The grid's captions head the columns it shows; the rest keep their names.
    QVERIFY2(lines.first().startsWith(QStringLiteral("gépi kód;típus;számlaszám;")), qPrintable(lines.first()));
    QCOMPARE(lines.size(), 32);
    QVERIFY(lines.at(1).startsWith(QStringLiteral("2;S;2;"))); // in the shown order: Ágoston first
    QCOMPARE(dialogs.askedOf(QStringLiteral("info")).last(), QDir::toNativeSeparators(answer) + QStringLiteral(" file kész."));

    // "Html export" of the shown grid.
    std::optional<HtmlList> page;
    w->setHtmlExporter([&](const HtmlList& l) { page = l; });
    QTest::keyClick(w.get(), Qt::Key_H, Qt::ControlModifier);
    QVERIFY(page);
    QCOMPARE(page->title, QStringLiteral("Kiadott számlák"));
    QCOMPARE(page->rowCount, 30);
    QCOMPARE(page->columns.size(), 11);
    QCOMPARE(page->columns.at(3).title, QStringLiteral("ügyfél"));
    QCOMPARE(page->text(0, page->columns.at(3).field),
             w->model(Tfrm_Main::Documents)->data(w->model(Tfrm_Main::Documents)->index(0, 3)).toString());
    QCOMPARE(page->columns.at(7).align, HtmlAlign::Right);
    QVERIFY(!htmlPageLines(*page, QDateTime::currentDateTime(), kHtmlProgramTitle).isEmpty());
    answer.clear();
    w->action(QStringLiteral("aMyEnvelope"))->trigger();
    answer = dir.filePath(QStringLiteral("boritek"));
    w->action(QStringLiteral("aMyEnvelope"))->trigger();
    QVERIFY(read(answer + QStringLiteral(".csv"))
                .contains(QStringLiteral("Zoltán Zsuzsa;;1011;Budapest;Fő utca 1.;Számlázó program;")));
    QCOMPARE(suggested,
             (QStringList{QStringLiteral("Ügyféltörzs export My.Envelope programhoz|myenvelope.csv"),
                          QStringLiteral("Ügyféltörzs export My.Envelope programhoz|myenvelope.csv")}));
    QVERIFY(dialogs.askedOf(QStringLiteral("error")).isEmpty());
}

void MainWindowTest::linksAndMail() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    QList<QUrl> opened;
    w->setUrlOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    w->switchToList(Tfrm_Main::Customers);
    type(w->searchBox(Tfrm_Main::Customers), QStringLiteral("kov"));
    QTest::keyClick(w.get(), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.last().scheme(), QStringLiteral("mailto"));
    QCOMPARE(opened.last().path(), QStringLiteral("kovacs@example.hu"));
    QCOMPARE(QUrlQuery(opened.last()).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
             QStringLiteral("Orvix Számla üzenet"));
    w->action(QStringLiteral("aTerkep1"))->trigger();
    QCOMPARE(QUrlQuery(opened.last()).queryItemValue(QStringLiteral("query"), QUrl::FullyDecoded),
             QStringLiteral("1011+Budapest+Fő utca 1."));
    w->action(QStringLiteral("aTerkep2"))->trigger();
    QCOMPARE(QUrlQuery(opened.last()).queryItemValue(QStringLiteral("query"), QUrl::FullyDecoded),
             QStringLiteral("6720+Szeged+Kárász utca 2."));

    w->searchBox(Tfrm_Main::Customers)->clear();
    type(w->searchBox(Tfrm_Main::Customers), QStringLiteral("ág"));
    w->action(QStringLiteral("aLevelUgyfel"))->trigger();
    QCOMPARE(dialogs.askedOf(QStringLiteral("error")), QStringList{"Nincs E-mail cím megadva"});
    QCOMPARE(opened.size(), 3);

    // The documents list mails the document's customer.
    w->switchToList(Tfrm_Main::Documents);
    type(w->searchBox(Tfrm_Main::Documents), QStringLiteral("3"));
    w->action(QStringLiteral("aLevelUgyfel"))->trigger();
    QCOMPARE(opened.last().path(), QStringLiteral("kovacs@example.hu"));

    w->action(QStringLiteral("aSugo"))->trigger();
    QCOMPARE(opened.last(), QUrl(programLinks().help));
    w->action(QStringLiteral("aLevel"))->trigger();
    QCOMPARE(opened.last().scheme(), QStringLiteral("mailto"));
    w->action(QStringLiteral("aFontos"))->trigger(); // no documentation file in the program folder
    QVERIFY(dialogs.asked.last().startsWith(QStringLiteral("error: A fájl nem található:")));
    QFile doc(QDir(m_program).filePath(QStringLiteral("Orvix_Szamla.pdf")));
    QVERIFY(doc.open(QIODevice::WriteOnly));
    doc.close();
    w->action(QStringLiteral("aFontos"))->trigger();
    QCOMPARE(opened.last(), QUrl::fromLocalFile(doc.fileName()));
}

void MainWindowTest::jumpToCustomerAndRefreshRegister() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    w->switchToList(Tfrm_Main::Documents);
    type(w->searchBox(Tfrm_Main::Documents), QStringLiteral("4"));
    QTest::keyClick(w.get(), Qt::Key_F12);
    QCOMPARE(w->currentList(), int(Tfrm_Main::Customers));
    QCOMPARE(w->currentKey(Tfrm_Main::Customers).toLongLong(), customerKey(QStringLiteral("Ágoston Ádám")));

    // From another list RefreshRegister shows the documents on the document.
    w->RefreshRegister(1);
    QCOMPARE(w->currentList(), int(Tfrm_Main::Documents));
    QCOMPARE(w->currentKey(Tfrm_Main::Documents).toInt(), 1);
    QCOMPARE(w->currentRow(Tfrm_Main::Documents), 29);
    // A document added meanwhile is in the reopened list.
    m_db->execSql(
        QStringLiteral("INSERT INTO szla (prntip, szlaszam, ugyfel_nev) VALUES ('S', 31, 'Új Kft.')"));
    w->RefreshRegister(31);
    QCOMPARE(w->model(Tfrm_Main::Documents)->rowCount(), 31);
    QCOMPARE(w->currentRow(Tfrm_Main::Documents), 0);
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text(), QStringLiteral("31: 1"));
}

// "Keresés" (Ctrl+T) on the products and customers lists: the detailed search
// in their mode; "Megvan" puts the list on the row found. A row the list does
// not show (an advance item) is told, and the cursor stays.
void MainWindowTest::detailedSearchOnProductsAndCustomers_data() {
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected"); // empty: not in the list
    QTest::newRow("product by its name") << int(Tfrm_Main::Products) << "barack"
                                         << "cikkszam"
                                         << "B-200";
    QTest::newRow("product by its code") << int(Tfrm_Main::Products) << "zz-0"
                                         << "cikkszam"
                                         << "ZZ-001";
    QTest::newRow("customer by a part of the name") << int(Tfrm_Main::Customers) << "ALFÖLD"
                                                    << "ugyfel_nev"
                                                    << "Dél-Alföld Zrt.";
    QTest::newRow("an advance item is not listed") << int(Tfrm_Main::Products) << "előleg"
                                                   << "cikkszam"
                                                   << "";
}

void MainWindowTest::detailedSearchOnProductsAndCustomers() {
    QFETCH(int, list);
    QFETCH(QString, text);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    w->switchToList(list);
    const QVariant before = w->currentKey(list);
    QString title;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<ui::Tfrm_TermekKeres*>(QApplication::activeModalWidget());
        QVERIFY(d);
        title = d->windowTitle();
        d->textEdit()->setText(text);
        QVERIFY(d->search());
        d->foundButton()->click();
    });
    QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(title, QStringLiteral("Termék keresése"));
    if (expected.isEmpty()) {
        QCOMPARE(dialogs.askedOf(QStringLiteral("info")), QStringList{"A keresett sor nem szerepel a listában."});
        QCOMPARE(w->currentKey(list), before);
        return;
    }
    QCOMPARE(nameAt(*w, list, field), expected);
    QCOMPARE(w->focusWidget(), static_cast<QWidget*>(w->grid(list))); // the window's focus
    QCOMPARE(dialogs.askedOf(QStringLiteral("info")), QStringList());
}

// "Új számla" and "Új proforma" ask the reverse-charge question on the list
// where they were started; only then the documents list comes, and the
// editor. A cancelled question leaves the list as it was.
void MainWindowTest::newDocumentAsksReverseChargeFirst_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("accept");
    QTest::newRow("invoice") << "aSzallito" << true;
    QTest::newRow("proforma") << "aProforma" << true;
    QTest::newRow("cancelled") << "aSzallito" << false;
}

void MainWindowTest::newDocumentAsksReverseChargeFirst() {
    QFETCH(QString, action);
    QFETCH(bool, accept);
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    app().settings.vanfa = true;
    w->switchToList(Tfrm_Main::Customers);
    QStringList seen; // window: list shown while it was open
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* m = QApplication::activeModalWidget();
        if (auto* choice = qobject_cast<ui::Tfrm_AfaTartalom*>(m)) {
            seen << QStringLiteral("ÁFA tartalom: %1").arg(w->currentList());
            accept ? choice->accept() : choice->reject();
        } else if (auto* editor = qobject_cast<ui::Tfrm_Szamla*>(m)) {
            seen << QStringLiteral("Számla készítés: %1").arg(w->currentList());
            editor->reject();
        }
    });
    poll.start(20);
    w->action(action)->trigger();
    poll.stop();
    if (!accept) {
        QCOMPARE(seen, QStringList{"ÁFA tartalom: 1"});
        QCOMPARE(w->currentList(), int(Tfrm_Main::Customers));
        QCOMPARE(m_db->queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), -1), qint64(30));
        return;
    }
    QCOMPARE(seen, (QStringList{"ÁFA tartalom: 1", "Számla készítés: 2"}));
    QCOMPARE(w->currentList(), int(Tfrm_Main::Documents));
    QCOMPARE(m_db->queryText(QStringLiteral("SELECT prntip FROM szla WHERE szla=31"), QString()),
             action == QLatin1String("aProforma") ? QStringLiteral("P") : QStringLiteral("S"));
}

// The product list's first three columns take 0.3, 0.1 and 0.09 of the grid.
void MainWindowTest::productColumnsTakeTheirShares() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    w->resize(1400, 700);
    QCoreApplication::processEvents();
    QTableView* g = w->grid(Tfrm_Main::Products);
    const int width = g->viewport()->width();
    QVERIFY(width > 1000);
    const double shares[] = {0.3, 0.1, 0.09};
    for (int c = 0; c < 3; ++c)
        QVERIFY2(qAbs(g->columnWidth(c) - int(shares[c] * width)) <= 1,
                 qPrintable(QStringLiteral("column %1: %2 of %3").arg(c).arg(g->columnWidth(c)).arg(width)));
}

// A click on a product list title orders the list, and the product chooser
// opens in that order with that column highlighted.
void MainWindowTest::productOrderReachesTheChooser() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    QCOMPARE(productListOrder(), QString());
    clickHeader(*w, Tfrm_Main::Products, QStringLiteral("cikkszam_nev"));
    QCOMPARE(productListOrder(), QStringLiteral("cikkszam_nev"));
    {
        ui::Tfrm_CikkValaszt chooser(*m_db, ProductChoiceMode::Plain, QString());
        QCOMPARE(chooser.sortColumn(), int(ui::Tfrm_CikkValaszt::ColNev));
        QCOMPARE(chooser.shownCodes(), (QStringList{"A-100", "B-200", "ZZ-001"}));
    }
    clickHeader(*w, Tfrm_Main::Products, QStringLiteral("netto"));
    ui::Tfrm_CikkValaszt chooser(*m_db, ProductChoiceMode::Plain, QString());
    QCOMPARE(chooser.sortColumn(), int(ui::Tfrm_CikkValaszt::ColNetto));
    // The code's title goes back to the order by code.
    clickHeader(*w, Tfrm_Main::Products, QStringLiteral("cikkszam"));
    QCOMPARE(productListOrder(), QString());
}

// Alt+1/2/3 switch the lists also while a search box or a grid has the
// focus, and nothing is typed into the box: in the active window through the
// actions' shortcuts, and in a window that gets the keyboard without being
// the active one (under X without a window manager giving it the focus) as
// plain key presses, which no window shortcut takes.
// "Adatbázis archiválás" offers the day's file in the work folder's Archiv
// (made for an empty setting), says when the archive is ready and shows the
// products list again; a cancelled dialog writes nothing.
void MainWindowTest::archiveFromTheMainWindow() {
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    app().config.archive = QStringLiteral("  ");
    const QString archive = QDir(app().folders.work).filePath(QStringLiteral("Archiv"));
    const QString offered = QDir(archive).filePath(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                                                   QStringLiteral(".zip"));
    QStringList offers;
    w->setArchiveFileChooser([&](const QString& file) {
        offers << file;
        return QString();
    });
    w->switchToList(Tfrm_Main::Documents);
    w->action(QStringLiteral("aArchival"))->trigger();
    QCOMPARE(offers, QStringList{offered});
    QVERIFY(QFileInfo(archive).isDir());
    QVERIFY(!QFileInfo::exists(offered));
    QCOMPARE(w->currentList(), int(Tfrm_Main::Products));

    w->switchToList(Tfrm_Main::Customers);
    w->setArchiveFileChooser([&](const QString& file) { return file; });
    dialogs.asked.clear();
    w->action(QStringLiteral("aArchival"))->trigger();
    QCOMPARE(dialogs.asked, QStringList{QStringLiteral("info: Archív állomány kész.")});
    QVERIFY(QFileInfo(offered).size() > 0);
    QCOMPARE(w->currentList(), int(Tfrm_Main::Products));
    QCOMPARE(w->grid(Tfrm_Main::Products)->model()->rowCount(), 3);

    // A file that cannot be written: the error, and the list stays.
    w->switchToList(Tfrm_Main::Customers);
    w->setArchiveFileChooser([&](const QString&) { return QStringLiteral("/nincs/ilyen/mappa/a.zip"); });
    dialogs.asked.clear();
    w->action(QStringLiteral("aArchival"))->trigger();
    QCOMPARE(dialogs.asked.size(), 1);
    QVERIFY2(dialogs.asked.first().startsWith(QStringLiteral("error: Hiba az archiválás közben\n")),
             qPrintable(dialogs.asked.first()));
    QCOMPARE(w->currentList(), int(Tfrm_Main::Customers));
}

void MainWindowTest::altDigitInASearchBoxSwitchesLists_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("inGrid");
    QTest::addColumn<bool>("active");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("products box, Alt+2") << int(Tfrm_Main::Products) << false << true << int(Qt::Key_2)
                                         << int(Tfrm_Main::Customers);
    QTest::newRow("customers box, Alt+3") << int(Tfrm_Main::Customers) << false << true << int(Qt::Key_3)
                                          << int(Tfrm_Main::Documents);
    QTest::newRow("documents box, Alt+1") << int(Tfrm_Main::Documents) << false << true << int(Qt::Key_1)
                                          << int(Tfrm_Main::Products);
    QTest::newRow("not active: products box, Alt+2")
        << int(Tfrm_Main::Products) << false << false << int(Qt::Key_2) << int(Tfrm_Main::Customers);
    QTest::newRow("not active: customers box, Alt+3")
        << int(Tfrm_Main::Customers) << false << false << int(Qt::Key_3) << int(Tfrm_Main::Documents);
    QTest::newRow("not active: documents grid, Alt+1")
        << int(Tfrm_Main::Documents) << true << false << int(Qt::Key_1) << int(Tfrm_Main::Products);
}

void MainWindowTest::altDigitInASearchBoxSwitchesLists() {
    QFETCH(int, from);
    QFETCH(bool, inGrid);
    QFETCH(bool, active);
    QFETCH(int, key);
    QFETCH(int, to);
    ScriptedDialogs dialogs;
    auto w = openRegister(dialogs);
    QVERIFY(w);
    w->switchToList(from);
    QLineEdit* box = w->searchBox(from);
    QWidget* target = inGrid ? static_cast<QWidget*>(w->grid(from)) : box;
    target->setFocus();
    QWidget other;
    if (!active) {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!w->isActiveWindow());
    }
    // As the keyboard sends it: the digit's text comes with the key.
    QTest::sendKeyEvent(QTest::KeyAction::Click, target, Qt::Key(key), QString(QChar(u'0' + (key - Qt::Key_0))),
                        Qt::AltModifier);
    QCOMPARE(w->currentList(), to);
    QCOMPARE(box->text(), QString());
    QCOMPARE(w->searchBox(to)->text(), QString());
}

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
