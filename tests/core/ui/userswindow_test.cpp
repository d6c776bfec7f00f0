// The users window and its edit window offscreen: the grid, sorting by a
// column title, new, edit and delete through the actions and their keys, and
// the administrator-only opening.
#include "ScriptedDialogs.h"
#include "TestFolders.h"
#include "core/AppContext.h"
#include "core/Users.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/Tfrm_Felhasznalo.h"
#include "core/ui/Tfrm_FelhasznaloSzerkeszt.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

namespace {

void addUser(Database& db, const QString& name, const QString& password, bool admin, bool iras) {
    ScriptedDialogs d;
    QVERIFY(saveUser(db, d, UserEdit{{}, name, password, password, admin, iras}));
}

// Runs `step` on the modal window of type W once it is shown.
template <class W> void whenShown(const std::function<void(W*)>& step) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            step(w);
        }
    });
    timer->start();
}

QStringList gridNames(const Tfrm_Felhasznalo& w) {
    QStringList names;
    for (int row = 0; row < w.model()->rowCount(); ++row)
        names << w.model()->item(row, 0)->text();
    return names;
}

bool flagShown(const Tfrm_Felhasznalo& w, int row, int column) {
    return w.model()->item(row, column)->data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

} // namespace

class UsersWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

    void showAndWait(QWidget& w) {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        addUser(db(), QStringLiteral("Anna"), QStringLiteral("a"), true, true);
        addUser(db(), QStringLiteral("Cecil"), QStringLiteral("c"), false, false);
        addUser(db(), QStringLiteral("Béla"), QStringLiteral("b"), false, true);
    }
    void cleanup() { m_folder.reset(); }

    void gridAndSorting() {
        ScriptedDialogs d;
        Tfrm_Felhasznalo w(db(), nullptr, &d);
        w.resize(500, 300);
        showAndWait(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("Felhasználók adatai"));
        QCOMPARE(gridNames(w), (QStringList{"Anna", "Béla", "Cecil"}));
        QVERIFY(flagShown(w, 0, Tfrm_Felhasznalo::ColIras));
        QVERIFY(flagShown(w, 0, Tfrm_Felhasznalo::ColRendszergazda));
        QVERIFY(flagShown(w, 1, Tfrm_Felhasznalo::ColIras));
        QVERIFY(!flagShown(w, 1, Tfrm_Felhasznalo::ColRendszergazda));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblPozicio"))->text(), QStringLiteral("3: 1"));
        QCOMPARE(w.grid()->columnWidth(0), w.grid()->width() - 194);
        w.resize(600, 300);
        QTRY_COMPARE(w.grid()->columnWidth(0), w.grid()->width() - 194);

        // A click on the administrator column title orders by it, staying on the same user.
        w.setCurrentRow(1);
        QHeaderView* header = w.grid()->horizontalHeader();
        const int x = header->sectionViewportPosition(Tfrm_Felhasznalo::ColRendszergazda) + 5;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QCOMPARE(w.sortColumn(), int(Tfrm_Felhasznalo::ColRendszergazda));
        QCOMPARE(gridNames(w), (QStringList{"Béla", "Cecil", "Anna"}));
        QCOMPARE(w.currentName(), QStringLiteral("Béla"));
        const QColor highlight(255, 255, 185);
        QCOMPARE(w.model()->item(2, Tfrm_Felhasznalo::ColRendszergazda)->background().color(), highlight);
        QVERIFY(!w.model()->item(2, Tfrm_Felhasznalo::ColFelhasznalo)->data(Qt::BackgroundRole).isValid());
        QCOMPARE(w.model()->headerData(2, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(), highlight);
        QVERIFY(!w.model()->headerData(0, Qt::Horizontal, Qt::BackgroundRole).isValid());

        QTest::keyClick(w.grid(), Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    }

    void newUser() {
        ScriptedDialogs d;
        Tfrm_Felhasznalo w(db(), nullptr, &d);
        showAndWait(w);
        QCOMPARE(w.findChild<QAction*>(QStringLiteral("aUj"))->text(), QStringLiteral("Új Felhasználó"));
        QString title;
        bool hintShown = true;
        bool stayedOpen = false;
        whenShown<Tfrm_FelhasznaloSzerkeszt>([&](Tfrm_FelhasznaloSzerkeszt* e) {
            title = e->windowTitle();
            hintShown = e->findChild<QLabel*>(QStringLiteral("lblJelszoMarad")) != nullptr;
            e->nameEdit()->setText(QStringLiteral("Dóra"));
            e->passwordEdit()->setText(QStringLiteral("d1"));
            e->passwordAgainEdit()->setText(QStringLiteral("d2"));
            e->writeBox()->setChecked(true);
            e->okButton()->click();
            stayedOpen = e->isVisible();
            e->passwordAgainEdit()->setText(QStringLiteral("d1"));
            e->okButton()->click();
        });
        QTest::keyClick(w.grid(), Qt::Key_Insert);
        QCOMPARE(title, QStringLiteral("Felhasználó adatainak szerkesztése"));
        QVERIFY(!hintShown);
        QVERIFY(stayedOpen);
        QCOMPARE(d.asked, QStringList{QStringLiteral("error: Hibás jelszó megadás")});
        QCOMPARE(gridNames(w), (QStringList{"Anna", "Béla", "Cecil", "Dóra"}));
        QCOMPARE(w.currentName(), QStringLiteral("Dóra"));
        QCOMPARE(findUser(db(), QStringLiteral("Dóra")), (UserRow{QStringLiteral("Dóra"), true, false}));
        QVERIFY(checkLogin(db(), QStringLiteral("Dóra"), QStringLiteral("d1")));

        // Closed with "Mégsem": nothing is added.
        whenShown<Tfrm_FelhasznaloSzerkeszt>([](Tfrm_FelhasznaloSzerkeszt* e) {
            e->nameEdit()->setText(QStringLiteral("Ernő"));
            e->passwordEdit()->setText(QStringLiteral("e"));
            e->passwordAgainEdit()->setText(QStringLiteral("e"));
            e->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
        });
        w.findChild<QAction*>(QStringLiteral("aUj"))->trigger();
        QCOMPARE(userCount(db()), qint64(4));
        QCOMPARE(gridNames(w).size(), 4);
    }

    void editUser_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("F2") << "F2";
        QTest::newRow("Enter") << "Enter";
        QTest::newRow("double click") << "double click";
    }

    void editUser() {
        QFETCH(QString, how);
        ScriptedDialogs d;
        Tfrm_Felhasznalo w(db(), nullptr, &d);
        showAndWait(w);
        w.setCurrentRow(1);
        QString name;
        QString password;
        bool admin = true;
        bool iras = false;
        bool hintShown = false;
        whenShown<Tfrm_FelhasznaloSzerkeszt>([&](Tfrm_FelhasznaloSzerkeszt* e) {
            name = e->nameEdit()->text();
            password = e->passwordEdit()->text() + e->passwordAgainEdit()->text();
            admin = e->administratorBox()->isChecked();
            iras = e->writeBox()->isChecked();
            hintShown = e->findChild<QLabel*>(QStringLiteral("lblJelszoMarad")) != nullptr;
            e->administratorBox()->setChecked(true);
            e->okButton()->click();
        });
        if (how == QStringLiteral("F2")) {
            QTest::keyClick(w.grid(), Qt::Key_F2);
        } else if (how == QStringLiteral("Enter")) {
            QTest::keyClick(w.grid(), Qt::Key_Return);
        } else {
            const QRect cell = w.grid()->visualRect(w.model()->index(1, 0));
            QTest::mouseClick(w.grid()->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(w.grid()->viewport(), Qt::LeftButton, {}, cell.center());
        }
        QCOMPARE(name, QStringLiteral("Béla"));
        QVERIFY(password.isEmpty()); // the stored password is never shown
        QVERIFY(!admin);
        QVERIFY(iras);
        QVERIFY(hintShown);
        QVERIFY(d.asked.isEmpty());
        QVERIFY(w.isVisible());
        QVERIFY(flagShown(w, 1, Tfrm_Felhasznalo::ColRendszergazda));
        QCOMPARE(findUser(db(), QStringLiteral("Béla")), (UserRow{QStringLiteral("Béla"), true, true}));
        QVERIFY(checkLogin(db(), QStringLiteral("Béla"), QStringLiteral("b")));
    }

    void deleteUser() {
        ScriptedDialogs d;
        Tfrm_Felhasznalo w(db(), nullptr, &d);
        showAndWait(w);
        w.setCurrentRow(1);
        d.answers = {false};
        QTest::keyClick(w.grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(d.asked, QStringList{QStringLiteral("question: Megerősítés | Valóban töröljem a sort?")});
        QCOMPARE(gridNames(w).size(), 3);

        d.answers = {true};
        QTest::keyClick(w.grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(gridNames(w), (QStringList{"Anna", "Cecil"}));
        QVERIFY(!findUser(db(), QStringLiteral("Béla")));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblPozicio"))->text(), QStringLiteral("2: 2"));

        // Anna is the only administrator while Cecil stays.
        d.asked.clear();
        w.setCurrentRow(0);
        w.findChild<QAction*>(QStringLiteral("aTorol"))->trigger();
        QCOMPARE(d.asked, QStringList{QStringLiteral("error: ") + kLastAdministratorMessage});
        QCOMPARE(gridNames(w), (QStringList{"Anna", "Cecil"}));
    }

    void onlyAdministratorOpens() {
        QStringList shown;
        ui::ScopedMessageInterceptor intercept([&](const ui::MessageRequest& m) {
            shown << m.caption + QStringLiteral(" | ") + m.text;
            return Dialogs::Answer::Yes;
        });
        const CurrentUser saved = app().user;
        app().user = CurrentUser{QStringLiteral("Béla"), false, true};
        bool opened = false;
        whenShown<Tfrm_Felhasznalo>([&](Tfrm_Felhasznalo* w) {
            opened = true;
            w->reject();
        });
        openUsersWindow(nullptr, db());
        QCOMPARE(shown, QStringList{QStringLiteral("Hiba | Nincs jogosultság a művelethez.")});
        QVERIFY(!opened);

        app().user = CurrentUser{QStringLiteral("Anna"), true, false};
        openUsersWindow(nullptr, db()); // the pending step closes it
        QVERIFY(opened);
        QCOMPARE(shown.size(), 1);
        app().user = saved;
    }
};

QTEST_MAIN(UsersWindowTest)
#include "userswindow_test.moc"
