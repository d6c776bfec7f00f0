// "Kassza" offscreen: its head, list, colours and actions.
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "cash/ui/Tfrm_Cassa.h"
#include "common/Database.h"
#include "core/AppContext.h"
#include "invoicing/CashEntries.h"

#include <QAction>
#include <QLabel>
#include <QTableView>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

namespace {

// The window with the movement-type window answered.
class CashWindow : public ui::Tfrm_Cassa {
public:
    using Tfrm_Cassa::Tfrm_Cassa;
    std::optional<CashMovementTypeChoice> type;

protected:
    std::optional<CashMovementTypeChoice> chooseCashType() override { return type; }
};

CashEntry entry(const QDate& day, double amount, const QString& type) {
    CashEntry e;
    e.desk = 0;
    e.date = day;
    e.type = type;
    e.amount = amount;
    e.effect = amount;
    e.comment = QStringLiteral("nyitó");
    return e;
}

} // namespace

class CashWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { app() = AppContext{}; }

    void headListAndColours() {
        TempDataFolder t;
        const QDate today = QDate::currentDate();
        WriteCashEntry(t.db, entry(today.addDays(-40), 9000, QStringLiteral("C"))); // before the period
        WriteCashEntry(t.db, entry(today, 5000, QStringLiteral("C")));
        WriteCashEntry(t.db, entry(today, -1200, QStringLiteral("K")));
        ScriptedDialogs dialogs;
        CashWindow w(t.db, 0, Period{today.addDays(-1), today}, nullptr, &dialogs);
        QCOMPARE(w.deskLabel()->text(), QStringLiteral("Alap kassza (HUF)"));
        QCOMPARE(w.periodLabel()->text(), today.addDays(-1).toString(QStringLiteral("yyyy.MM.dd")) +
                                              QStringLiteral(" - ") + today.toString(QStringLiteral("yyyy.MM.dd")));
        ui::CashBookModel* m = w.model();
        QCOMPARE(m->rowCount(), 2);
        QStringList titles;
        for (int c = 0; c < m->columnCount(); ++c)
            titles << m->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"#", "dátum", "típus", "mozgás/szla", "mozg.típus", "összeg", "záró",
                                      "megjegyzés"}));
        // The balances carry the entry before the period.
        QCOMPARE(m->rows()[1].balance, 12800.0);
        // A negative amount: dark red on light pink, yellow when selected;
        // the first column of the others in the highlight colour.
        const QModelIndex negative = m->index(1, ui::CashBookModel::ColOsszeg);
        QCOMPARE(m->data(negative, Qt::ForegroundRole).value<QColor>(), QColor(128, 0, 0));
        QCOMPARE(m->data(negative, Qt::BackgroundRole).value<QColor>(), QColor(255, 220, 225));
        QCOMPARE(m->data(negative, Qt::UserRole).value<QColor>(), QColor(Qt::yellow));
        QVERIFY(!m->data(m->index(0, ui::CashBookModel::ColOsszeg), Qt::ForegroundRole).isValid());
        QCOMPARE(m->data(m->index(0, ui::CashBookModel::ColCassa), Qt::BackgroundRole).value<QColor>(),
                 QColor(255, 255, 185));
        QCOMPARE(w.currentRow(), 1); // on the last entry
        QCOMPARE(w.positionText(), QStringLiteral("2: 2"));
        // The voucher print and the report come later: shown, disabled.
        for (const char* name : {"aNyomtat", "aNyomtatKep", "aLista"}) {
            QVERIFY2(w.action(QLatin1String(name)), name);
            QVERIFY2(!w.action(QLatin1String(name))->isEnabled(), name);
        }
        QCOMPARE(w.action(QStringLiteral("aUj"))->shortcut(), QKeySequence(Qt::Key_Insert));
        QCOMPARE(w.action(QStringLiteral("aMegjegyzes"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
        QCOMPARE(w.action(QStringLiteral("aIdoszak"))->shortcut(), QKeySequence(Qt::Key_F9));
    }

    // "Új sor", "Megjegyzés" and "Időszak" change the list at once.
    void actionsChangeTheList() {
        TempDataFolder t;
        const QDate today = QDate::currentDate();
        WriteCashEntry(t.db, entry(today, 5000, QStringLiteral("C")));
        ScriptedDialogs dialogs;
        CashWindow w(t.db, 0, Period{today, today}, nullptr, &dialogs);
        w.type = CashMovementTypeChoice{QStringLiteral("K"), -1};
        dialogs.answers = {QVariantList{1200, QStringLiteral("Bolt")}};
        w.action(QStringLiteral("aUj"))->trigger();
        QCOMPARE(w.model()->rowCount(), 2);
        QCOMPARE(w.currentRow(), 1);
        QCOMPARE(w.model()->rows()[1].amount, -1200.0);
        QCOMPARE(w.model()->rows()[1].balance, 3800.0);

        w.grid()->setCurrentIndex(w.model()->index(0, 0));
        dialogs.answers = {QStringLiteral("áthozat")};
        w.action(QStringLiteral("aMegjegyzes"))->trigger();
        QCOMPARE(w.model()->rows()[0].comment, QStringLiteral("áthozat"));
        QCOMPARE(w.currentRow(), 0);

        dialogs.answers = {QVariantList{today.addDays(1), today.addDays(2)}};
        w.action(QStringLiteral("aIdoszak"))->trigger();
        QCOMPARE(w.model()->rowCount(), 0);
        QCOMPARE(w.period().from, today.addDays(1));
        QVERIFY(w.periodLabel()->text().startsWith(today.addDays(1).toString(QStringLiteral("yyyy.MM.dd"))));
        // A user without the administrator right gets no hand entry.
        app().user.rendszergazda = false;
        dialogs.asked.clear();
        w.action(QStringLiteral("aUj"))->trigger();
        QCOMPARE(dialogs.askedOf("error"), QStringList{"Nincs jogosultság a művelethez."});
        app().user = CurrentUser{};
    }
};

QTEST_MAIN(CashWindowTest)
#include "cashwindow_test.moc"
