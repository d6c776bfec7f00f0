// The window "ÁFA tartalom" and the reverse-charge choice through it.
#include "core/Settings.h"
#include "invoicing/Documents.h"
#include "invoicing/ui/Tfrm_AfaTartalom.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace orvix;
using namespace orvix::ui;

namespace {

// Runs the action on the modal window once the caller's exec() has shown it.
void whenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, qApp, [action] { action(QApplication::activeModalWidget()); });
}

QPushButton* button(QWidget* window, const char* name) {
    return window->findChild<QPushButton*>(QLatin1String(name));
}

} // namespace

class AfaTartalomTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout() {
        Tfrm_AfaTartalom window;
        QCOMPARE(window.windowTitle(), QStringLiteral("ÁFA tartalom"));
        QCOMPARE(window.normalButton()->text(), QStringLiteral("Normál ÁFÁ-s számla"));
        QCOMPARE(window.reverseButton()->text(), QStringLiteral("Fordított adózás (FA)"));
        QVERIFY(window.normalButton()->isChecked());
        QVERIFY(!window.reverseCharge());
        QCOMPARE(button(&window, "BitBtn1")->text(), QStringLiteral("OK"));
        QCOMPARE(button(&window, "BitBtn2")->text(), QStringLiteral("Mégsem"));
    }

    // What the user does in the window and what the choice returns.
    void choice_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QVariant>("expected"); // invalid: cancelled
        QTest::newRow("OK at once: ordinary") << "ok" << QVariant(false);
        QTest::newRow("second item, OK: reverse charge") << "reverse ok" << QVariant(true);
        QTest::newRow("arrow down, Enter") << "down enter" << QVariant(true);
        QTest::newRow("second item, Mégsem") << "reverse cancel" << QVariant();
        QTest::newRow("Esc") << "escape" << QVariant();
    }
    void choice() {
        QFETCH(QString, action);
        QFETCH(QVariant, expected);
        QString title;
        whenModal([&](QWidget* w) {
            QVERIFY(w);
            title = w->windowTitle();
            auto* window = qobject_cast<Tfrm_AfaTartalom*>(w);
            QVERIFY(window);
            QApplication::setActiveWindow(window);
            QVERIFY(QTest::qWaitForWindowActive(window));
            QCOMPARE(QApplication::focusWidget(), window->normalButton());
            for (const QString& step : action.split(QLatin1Char(' '))) {
                if (step == QLatin1String("ok"))
                    button(window, "BitBtn1")->click();
                else if (step == QLatin1String("cancel"))
                    button(window, "BitBtn2")->click();
                else if (step == QLatin1String("reverse"))
                    window->reverseButton()->click();
                else if (step == QLatin1String("down"))
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
                else if (step == QLatin1String("enter"))
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                else if (step == QLatin1String("escape"))
                    QTest::keyClick(window, Qt::Key_Escape);
            }
        });
        Settings s;
        s.vanfa = true;
        AfaTartalomChooser chooser;
        const std::optional<bool> result = ChooseReverseCharge(s, chooser);
        QCOMPARE(title, QStringLiteral("ÁFA tartalom"));
        QCOMPARE(result.has_value(), expected.isValid());
        if (result)
            QCOMPARE(*result, expected.toBool());
    }

    // Without the setting vanfa no window appears.
    void notAskedWithoutVanfa() {
        bool shown = false;
        whenModal([&](QWidget* w) {
            shown = w != nullptr;
            if (w)
                qobject_cast<QDialog*>(w)->reject();
        });
        Settings s;
        s.vanfa = false;
        AfaTartalomChooser chooser;
        QCOMPARE(ChooseReverseCharge(s, chooser), std::optional<bool>(false));
        QCoreApplication::processEvents();
        QVERIFY(!shown);
    }
};

QTEST_MAIN(AfaTartalomTest)
#include "afatartalom_test.moc"
