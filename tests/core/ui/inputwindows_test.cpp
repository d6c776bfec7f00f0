// The message boxes, the small input windows and the window conventions.
#include "core/AppContext.h"
#include "core/Locale.h"
#include "core/ui/InputTextBox.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/ScreenTexts.h"
#include "core/ui/Tfrm_Idoszak.h"
#include "core/ui/Tfrm_IdoszakStr.h"
#include "core/ui/Tfrm_Inp.h"
#include "core/ui/Tfrm_InpStr.h"
#include "core/ui/Tfrm_InpSzamSzoveg.h"
#include "core/ui/WindowSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>

using namespace orvix;
using namespace orvix::ui;

namespace {

// Runs the action on the modal window once the caller's exec() has shown it.
void whenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, qApp, [action] { action(QApplication::activeModalWidget()); });
}

QPushButton* okButton(QWidget* window) {
    return window->findChild<QPushButton*>(QStringLiteral("BitBtn1"));
}

} // namespace

class InputWindowsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_work;
    QStringList m_messages; // "caption: text" of every box shown
    std::unique_ptr<ScopedMessageInterceptor> m_interceptor;

    QString iniPath() const { return QDir(m_work.path()).filePath(QStringLiteral("Orvix_Szamla.ini")); }

private Q_SLOTS:
    void initTestCase() {
        installHungarianLocale();
        app().settings.formatft = QStringLiteral("### ### ##0");
        app().settings.formatdb = QStringLiteral("### ### ##0.00");
    }

    void init() {
        QFile::remove(iniPath());
        app().ini.load(iniPath());
        m_messages.clear();
        m_interceptor = std::make_unique<ScopedMessageInterceptor>([this](const MessageRequest& r) {
            m_messages << r.caption + QStringLiteral(": ") + r.text;
            return Dialogs::Answer::Yes;
        });
    }

    void cleanup() { m_interceptor.reset(); }

    void quantityAndNumberChecks_data() {
        QTest::addColumn<bool>("money");
        QTest::addColumn<bool>("wholeOnly");
        QTest::addColumn<double>("limit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error"); // empty: accepted
        QTest::addColumn<double>("value");

        const double none = Tfrm_Inp::kNoLimit;
        const QString tooBig5 = QStringLiteral("Hiba: Túl nagy szám, legfeljebb 5,0 lehet.");
        const QString whole = QStringLiteral("Hiba: Ehhez a mértékegységhez csak egész szám adható.");
        const QString notNumber = QStringLiteral("Hiba: Nem megfelelő érték.");
        QTest::newRow("above the limit") << false << false << 5.0 << "6" << tooBig5 << 0.0;
        QTest::newRow("just above the limit") << false << false << 5.0 << "5,01" << tooBig5 << 0.0;
        QTest::newRow("at the limit") << false << false << 5.0 << "5" << QString() << 5.0;
        QTest::newRow("limit with decimals") << false << false << 1234.56 << "1 300"
                                             << "Hiba: Túl nagy szám, legfeljebb 1 234,6 lehet." << 0.0;
        QTest::newRow("free quantity from a stored difference")
            << false << false << 0.7 - 0.4 << "0,3" << QString() << 0.3;
        QTest::newRow("fraction where whole numbers are required")
            << false << true << none << "2,5" << whole << 0.0;
        QTest::newRow("whole number required and given") << false << true << none << "3" << QString() << 3.0;
        QTest::newRow("whole rule before the limit") << false << true << 5.0 << "6,5" << whole << 0.0;
        QTest::newRow("no limit") << false << false << none << "12 345,5" << QString() << 12345.5;
        QTest::newRow("negative quantity") << false << false << none << "-2" << QString() << -2.0;
        QTest::newRow("empty is zero") << false << false << none << "" << QString() << 0.0;
        QTest::newRow("pasted text that is no number") << false << false << none << "abc" << notNumber << 0.0;
        QTest::newRow("two signs") << false << false << none << "1-2" << notNumber << 0.0;
        QTest::newRow("money amount") << true << false << none << "1 500 000" << QString() << 1500000.0;
        QTest::newRow("money ignores the limit") << true << false << 5.0 << "6" << QString() << 6.0;
    }

    void quantityAndNumberChecks() {
        QFETCH(bool, money);
        QFETCH(bool, wholeOnly);
        QFETCH(double, limit);
        QFETCH(QString, typed);
        QFETCH(QString, error);
        QFETCH(double, value);

        Tfrm_Inp window(money ? Tfrm_Inp::Kind::Money : Tfrm_Inp::Kind::Quantity, QStringLiteral("Mennyiség"),
                        QStringLiteral("Darab:"), 1, wholeOnly, limit);
        window.show();
        window.edit()->setText(typed);
        const bool accepted = window.tryAccept();
        QCOMPARE(accepted, error.isEmpty());
        if (error.isEmpty()) {
            QVERIFY(m_messages.isEmpty());
            QCOMPARE(window.result(), int(QDialog::Accepted));
            QVERIFY(!window.isVisible());
            QCOMPARE(window.value(), value);
        } else {
            QCOMPARE(m_messages, QStringList{error});
            QVERIFY(window.isVisible()); // stays open for a correction
            QCOMPARE(window.focusWidget(), window.edit());
        }
    }

    void quantityDisplay_data() {
        QTest::addColumn<bool>("wholeOnly");
        QTest::addColumn<double>("limit");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("free"); // empty: no "Szabad" line

        QTest::newRow("quantity format") << false << Tfrm_Inp::kNoLimit << "1 234,50" << QString();
        QTest::newRow("whole numbers") << true << Tfrm_Inp::kNoLimit << "1 235" << QString();
        QTest::newRow("with limit") << false << 2000.0 << "1 234,50"
                                    << "Szabad: 2 000,00";
    }

    void quantityDisplay() {
        QFETCH(bool, wholeOnly);
        QFETCH(double, limit);
        QFETCH(QString, shown);
        QFETCH(QString, free);

        Tfrm_Inp window(Tfrm_Inp::Kind::Quantity, QStringLiteral("Mennyiség"), QStringLiteral("Darab:"),
                        1234.5, wholeOnly, limit);
        QCOMPARE(window.edit()->text(), shown);
        QCOMPARE(window.edit()->selectedText(), shown);
        QCOMPARE(window.limitLabel()->isVisibleTo(&window), !free.isEmpty());
        if (!free.isEmpty())
            QCOMPARE(window.limitLabel()->text(), free);
    }

    void typedKeys_data() {
        QTest::addColumn<bool>("numberText");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");

        QTest::newRow("number window") << false << "1a2 ,b-.5"
                                       << "12,-5";
        QTest::newRow("number-and-text window takes the point") << true << "1a2 ,b-.5"
                                                                << "12,-.5";
    }

    void typedKeys() {
        QFETCH(bool, numberText);
        QFETCH(QString, keys);
        QFETCH(QString, text);

        std::unique_ptr<QDialog> window;
        QLineEdit* edit = nullptr;
        if (numberText) {
            auto* w = new Tfrm_InpSzamSzoveg(QStringLiteral("Tétel"), QStringLiteral("Összeg"),
                                             QStringLiteral("Megjegyzés"), {});
            edit = w->numberEdit();
            window.reset(w);
        } else {
            auto* w =
                new Tfrm_Inp(Tfrm_Inp::Kind::Money, QStringLiteral("Összeg"), QStringLiteral("Összeg:"), 0);
            edit = w->edit();
            window.reset(w);
        }
        edit->clear();
        QTest::keyClicks(edit, keys);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), text.chopped(1));
    }

    void numberAndText() {
        NumberAndText initial;
        initial.number = 1234.5;
        initial.text1 = QStringLiteral("első");
        Tfrm_InpSzamSzoveg window(QStringLiteral("Tétel"), QStringLiteral("Összeg"),
                                  QStringLiteral("Megjegyzés"), initial, QStringLiteral("Második"));
        QCOMPARE(window.numberEdit()->text(), QStringLiteral("1234,5"));
        QVERIFY(window.secondTextEdit());
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("Második"));
        window.show();

        window.numberEdit()->setText(QStringLiteral("abc"));
        window.textEdit()->setFocus();
        QVERIFY(!window.tryAccept());
        QCOMPARE(m_messages, QStringList{QStringLiteral("Hiba: Nem megfelelő érték.")});
        QVERIFY(window.isVisible());
        QCOMPARE(window.focusWidget(), window.numberEdit());

        window.numberEdit()->setText(QStringLiteral("2 500.25"));
        window.textEdit()->setText(QStringLiteral("szöveg"));
        window.secondTextEdit()->setText(QStringLiteral("más"));
        QVERIFY(window.tryAccept());
        QCOMPARE(window.values().number, 2500.25);
        QCOMPARE(window.values().text1, QStringLiteral("szöveg"));
        QCOMPARE(window.values().text2, QStringLiteral("más"));

        // Without a third prompt there is no third field and text2 stays.
        initial.text2 = QStringLiteral("marad");
        Tfrm_InpSzamSzoveg two(QStringLiteral("Tétel"), QStringLiteral("Összeg"),
                               QStringLiteral("Megjegyzés"), initial);
        QVERIFY(!two.secondTextEdit());
        QVERIFY(!two.findChild<QLineEdit*>(QStringLiteral("Edit3")));
        QVERIFY(two.tryAccept());
        QCOMPARE(two.values().text2, QStringLiteral("marad"));
    }

    void numberAndTextWritesItsTextsForTranslators() {
        app().folders.work = m_work.path();
        const QString langIni = QDir(m_work.path()).filePath(QStringLiteral("lang.ini"));
        QFile::remove(langIni);
        setScreenTextExportRequested(true);
        {
            Tfrm_InpSzamSzoveg window(QStringLiteral("Tétel"), QStringLiteral("Összeg"),
                                      QStringLiteral("Megjegyzés"), {});
        }
        setScreenTextExportRequested(false);
        const IniFile lang(langIni);
        const QString section = QStringLiteral("Tfrm_InpSzamSzoveg");
        QCOMPARE(lang.value(section, QStringLiteral("Caption")), QStringLiteral("Tétel"));
        QCOMPARE(lang.value(section, QStringLiteral("Label1.Caption")), QStringLiteral("Összeg"));
        QCOMPARE(lang.value(section, QStringLiteral("Label2.Caption")), QStringLiteral("Megjegyzés"));
        QCOMPARE(lang.value(section, QStringLiteral("BitBtn1.Caption")), QStringLiteral("OK"));
        QCOMPARE(lang.value(section, QStringLiteral("BitBtn2.Caption")), QStringLiteral("Mégsem"));
    }

    void enterMovesToTheNextField() {
        Tfrm_InpSzamSzoveg window(QStringLiteral("Tétel"), QStringLiteral("Összeg"),
                                  QStringLiteral("Megjegyzés"), {});
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.numberEdit()->setFocus();
        QTest::keyClick(window.numberEdit(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), window.textEdit());
        QVERIFY(window.isVisible());
        // Enter in the last field presses "OK", which checks the number.
        window.numberEdit()->setText(QStringLiteral("-"));
        QTest::keyClick(window.textEdit(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(m_messages, QStringList{QStringLiteral("Hiba: Nem megfelelő érték.")});
        QVERIFY(window.isVisible());
        window.numberEdit()->setText(QStringLiteral("7"));
        QTest::keyClick(window.textEdit(), Qt::Key_Return);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(window.values().number, 7.0);

        // Enter on a focused button presses that button.
        Tfrm_Idoszak period({QDate(2024, 1, 1), QDate(2024, 1, 31)});
        period.setToday(QDate(2027, 1, 1));
        period.show();
        period.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&period));
        period.lastMonthButton()->setFocus();
        QTest::keyClick(period.lastMonthButton(), Qt::Key_Return);
        QVERIFY(period.isVisible());
        QCOMPARE(period.period().from, QDate(2026, 12, 1));
        QPushButton* cancel = period.findChild<QPushButton*>(QStringLiteral("BitBtn2"));
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        QVERIFY(!period.isVisible());
        QCOMPARE(period.result(), int(QDialog::Rejected));
    }

    void periodButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");

        QTest::newRow("Ez a hét") << "Button1" << QDate(2026, 12, 28) << QDate(2027, 1, 3);
        QTest::newRow("Ez a hónap") << "Button2" << QDate(2027, 1, 1) << QDate(2027, 1, 31);
        QTest::newRow("Múlt hónap") << "Button3" << QDate(2026, 12, 1) << QDate(2026, 12, 31);
        QTest::newRow("Idén") << "Button4" << QDate(2027, 1, 1) << QDate(2027, 12, 31);
    }

    void periodButtons() {
        QFETCH(QString, button);
        QFETCH(QDate, from);
        QFETCH(QDate, to);

        Tfrm_Idoszak window({QDate(2020, 5, 5), QDate(2020, 6, 6)});
        QCOMPARE(window.windowTitle(), QStringLiteral("Időszak megadása"));
        QCOMPARE(window.fromEdit()->text(), QStringLiteral("2020.05.05"));
        window.setToday(QDate(2027, 1, 1));
        window.findChild<QPushButton*>(button)->click();
        QCOMPARE(window.period().from, from);
        QCOMPARE(window.period().to, to);
    }

    void periodCtrlEnterConfirms() {
        Tfrm_Idoszak window({QDate(2024, 1, 1), QDate(2024, 1, 31)}, QStringLiteral("Forgalom"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Forgalom"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.toEdit()->setFocus();
        QTest::keyClick(window.toEdit(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(window.period().to, QDate(2024, 1, 31));
    }

    void monthPeriodAsTyped() {
        Tfrm_IdoszakStr window({QStringLiteral("2024.01"), QString()});
        QCOMPARE(window.fromEdit()->text(), QStringLiteral("2024.01"));
        window.toEdit()->setFocus();
        window.toEdit()->setCursorPosition(0);
        QTest::keyClicks(window.toEdit(), QStringLiteral("2024x03"));
        QCOMPARE(window.period().from, QStringLiteral("2024.01"));
        QCOMPARE(window.period().to, QStringLiteral("2024.03"));
    }

    // "OK" with a month outside 01–12 tells so and stays open on that field.
    void monthPeriodChecksTheMonth() {
        Tfrm_IdoszakStr window({QStringLiteral("2024.01"), QStringLiteral("2024.13")});
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        okButton(&window)->click();
        QVERIFY(window.isVisible());
        QCOMPARE(m_messages,
                 QStringList{QStringLiteral("Hiba: A(z) \"ig\" mezőben a hónap 01 és 12 között lehet.")});
        QCOMPARE(QApplication::focusWidget(), window.toEdit());
        window.toEdit()->setText(QStringLiteral("2024.12"));
        okButton(&window)->click();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(window.period().to, QStringLiteral("2024.12"));
    }

    void fitIntoWorkArea_data() {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("fitted");

        const QRect screen(0, 0, 800, 600);
        QTest::newRow("inside") << screen << QRect(10, 10, 200, 100) << QRect(10, 10, 200, 100);
        QTest::newRow("left beyond the right edge")
            << screen << QRect(900, 10, 200, 100) << QRect(0, 10, 200, 100);
        QTest::newRow("reaching beyond the right edge")
            << screen << QRect(700, 10, 200, 100) << QRect(600, 10, 200, 100);
        QTest::newRow("wider than the area") << screen << QRect(100, 10, 1000, 100) << QRect(0, 10, 800, 100);
        QTest::newRow("top beyond the bottom")
            << screen << QRect(10, 700, 200, 100) << QRect(10, 0, 200, 100);
        QTest::newRow("reaching below the bottom")
            << screen << QRect(10, 550, 200, 100) << QRect(10, 500, 200, 100);
        QTest::newRow("taller than the area") << screen << QRect(10, 10, 200, 900) << QRect(10, 0, 200, 600);
        QTest::newRow("left of and above the area")
            << screen << QRect(-50, -20, 200, 100) << QRect(0, 0, 200, 100);
        QTest::newRow("area beside a panel")
            << QRect(100, 30, 800, 600) << QRect(950, 10, 200, 100) << QRect(100, 30, 200, 100);
        QTest::newRow("area beside a panel, overflow")
            << QRect(100, 30, 800, 600) << QRect(850, 600, 200, 100) << QRect(700, 530, 200, 100);
    }

    void fitIntoWorkArea() {
        QFETCH(QRect, area);
        QFETCH(QRect, window);
        QFETCH(QRect, fitted);
        QCOMPARE(ui::fitIntoWorkArea(window, area), fitted);
    }

    void geometryIsRememberedUnderTheWindowName() {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        app().ini.setInt(QStringLiteral("Tfrm_Proba"), QStringLiteral("Left"), area.right() + 500);
        app().ini.setInt(QStringLiteral("Tfrm_Proba"), QStringLiteral("Top"), 20);
        app().ini.setInt(QStringLiteral("Tfrm_Proba"), QStringLiteral("Width"), area.width() + 100);
        app().ini.setInt(QStringLiteral("Tfrm_Proba"), QStringLiteral("Height"), 150);
        {
            QDialog window;
            setupWindow(&window, QStringLiteral("Tfrm_Proba"), true);
            QCOMPARE(window.pos(), QPoint(area.left(), 20));
            QCOMPARE(window.size(), QSize(area.width(), 150));
            window.show();
            window.move(area.left() + 30, area.top() + 40);
            window.resize(300, 200);
            window.reject();
        }
        // Written into the ini file at once.
        IniFile written(iniPath());
        QCOMPARE(written.intValue(QStringLiteral("Tfrm_Proba"), QStringLiteral("Left"), -1),
                 area.left() + 30);
        QCOMPARE(written.intValue(QStringLiteral("Tfrm_Proba"), QStringLiteral("Top"), -1), area.top() + 40);
        QCOMPARE(written.intValue(QStringLiteral("Tfrm_Proba"), QStringLiteral("Width"), -1), 300);
        QCOMPARE(written.intValue(QStringLiteral("Tfrm_Proba"), QStringLiteral("Height"), -1), 200);

        // A position-only window: default 10/10, only Left and Top written.
        {
            Tfrm_InpStr window(QStringLiteral("Név"), QStringLiteral("Új név:"), QString());
            QCOMPARE(window.pos(), QPoint(10, 10));
            window.show();
            window.move(area.left() + 50, area.top() + 60);
            window.accept();
        }
        written.load(iniPath());
        QCOMPARE(written.intValue(QStringLiteral("Tfrm_InpStr"), QStringLiteral("Left"), -1),
                 area.left() + 50);
        QCOMPARE(written.intValue(QStringLiteral("Tfrm_InpStr"), QStringLiteral("Top"), -1), area.top() + 60);
        QVERIFY(!written.hasKey(QStringLiteral("Tfrm_InpStr"), QStringLiteral("Width")));
        Tfrm_InpStr again(QStringLiteral("Név"), QStringLiteral("Új név:"), QString());
        QCOMPARE(again.pos(), QPoint(area.left() + 50, area.top() + 60));
    }

    void focusColour() {
        QWidget window;
        auto* first = new QLineEdit(&window);
        auto* second = new QLineEdit(&window);
        QPalette own = second->palette();
        own.setColor(QPalette::Base, Qt::yellow);
        second->setPalette(own);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        installFocusPainter();
        installFocusPainter(); // a second install must not paint twice
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QColor normal = window.palette().color(QPalette::Base);

        first->setFocus();
        QCOMPARE(first->palette().color(QPalette::Base), kFocusColor);
        second->setFocus();
        QCOMPARE(first->palette().color(QPalette::Base), normal);
        QVERIFY(!first->testAttribute(Qt::WA_SetPalette)); // inherits again
        QCOMPARE(second->palette().color(QPalette::Base), kFocusColor);
        first->setFocus();
        QCOMPARE(second->palette().color(QPalette::Base), QColor(Qt::yellow));
    }

    void textInputBox() {
        QString shownSelection;
        int maxLength = 0;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<InputTextBox*>(modal);
            QVERIFY(box);
            shownSelection = box->edit()->selectedText();
            maxLength = box->edit()->maxLength();
            QVERIFY(box->promptLabel()->wordWrap());
            box->edit()->setText(QStringLiteral("új érték"));
            okButton(box)->click();
        });
        QCOMPARE(
            inputTextBox(nullptr, QStringLiteral("Név"), QStringLiteral("Adja meg:"), QStringLiteral("régi")),
            std::optional<QString>(QStringLiteral("új érték")));
        QCOMPARE(shownSelection, QStringLiteral("régi"));
        QCOMPARE(maxLength, 255);

        whenModal([](QWidget* modal) {
            QVERIFY(modal);
            modal->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
        });
        QCOMPARE(
            inputTextBox(nullptr, QStringLiteral("Név"), QStringLiteral("Adja meg:"), QStringLiteral("régi")),
            std::nullopt);
    }

    // Typed or pasted text stops at the catalogue width of the field, in every
    // kind of text field a window uses.
    void fieldWidthLimitsTyping() {
        QWidget window;
        auto* line = new QLineEdit(&window);
        auto* box = new QComboBox(&window);
        box->setEditable(true);
        auto* memo = new QPlainTextEdit(&window);
        auto* number = new QLineEdit(&window);
        QCOMPARE(limitToField(line, QStringLiteral("felhasznalo"), QStringLiteral("felhasznalo")), 15);
        QCOMPARE(limitToField(box, QStringLiteral("cikkszam"), QStringLiteral("kategoria")), 10);
        QCOMPARE(limitToField(memo, QStringLiteral("cikkszam"), QStringLiteral("megjegyzes")), 255);
        QCOMPARE(limitToField(number, QStringLiteral("cikkszam"), QStringLiteral("netto")), 0);

        const QString longText(300, QChar(u'ő'));
        // Letters beyond ASCII arrive with their text, as a keyboard layout sends them.
        const auto type = [](QWidget* w, const QString& text) {
            for (const QChar ch : text) {
                QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            }
        };
        type(line, longText.left(20));
        QCOMPARE(line->text(), longText.left(15));
        type(box->lineEdit(), longText.left(12));
        QCOMPARE(box->currentText(), longText.left(10));
        memo->setPlainText(QStringLiteral("eleje"));
        memo->moveCursor(QTextCursor::End);
        memo->insertPlainText(longText);
        QCOMPARE(memo->toPlainText(), (QStringLiteral("eleje") + longText).left(255));
        QCOMPARE(memo->textCursor().position(), 255);
        type(number, longText.left(40));
        QCOMPARE(number->text().size(), 40);
    }

    void qtDialogsQuantityKeepsAskingUntilValid() {
        QWidget owner;
        QtDialogs dialogs(&owner);
        whenModal([](QWidget* modal) {
            auto* window = qobject_cast<Tfrm_Inp*>(modal);
            QVERIFY(window);
            QCOMPARE(window->parentWidget(), modal->parentWidget());
            window->edit()->setText(QStringLiteral("6"));
            okButton(window)->click();
            QVERIFY(window->isVisible());
            window->edit()->setText(QStringLiteral("4"));
            okButton(window)->click();
        });
        QCOMPARE(dialogs.inputQuantity(QStringLiteral("Mennyiség"), QStringLiteral("Darab:"), 1, true, 5),
                 std::optional<double>(4.0));
        QCOMPARE(m_messages, QStringList{QStringLiteral("Hiba: Túl nagy szám, legfeljebb 5,0 lehet.")});
    }

    void messageBoxesInHungarian_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("answer");

        QTest::newRow("error") << 0 << "Hiba" << QStringList{"OK"} << "OK" << -1;
        QTest::newRow("warning") << 1 << "Figyelmeztetés" << QStringList{"OK"} << "OK" << -1;
        QTest::newRow("info") << 2 << "Üzenet" << QStringList{"OK"} << "OK" << -1;
        QTest::newRow("question, no")
            << 3 << "Megerősítés" << QStringList{"Igen", "Nem"} << "Nem" << int(Dialogs::Answer::No);
        QTest::newRow("question, yes")
            << 3 << "Megerősítés" << QStringList{"Igen", "Nem"} << "Igen" << int(Dialogs::Answer::Yes);
        QTest::newRow("three-way, cancel") << 4 << "Kérdés" << QStringList{"Igen", "Nem", "Mégsem"}
                                           << "Mégsem" << int(Dialogs::Answer::Cancel);
        QTest::newRow("three-way, no")
            << 4 << "Kérdés" << QStringList{"Igen", "Nem", "Mégsem"} << "Nem" << int(Dialogs::Answer::No);
    }

    void messageBoxesInHungarian() {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(QStringList, buttons);
        QFETCH(QString, press);
        QFETCH(int, answer);
        m_interceptor.reset(); // real boxes

        QWidget owner;
        auto* field = new QLineEdit(&owner);
        new QLineEdit(&owner);
        owner.show();
        owner.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        field->setFocus();

        QString shownCaption;
        QStringList shownButtons;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            shownCaption = box->windowTitle();
            QAbstractButton* toPress = nullptr;
            for (QAbstractButton* b : box->buttons()) {
                shownButtons << b->text();
                if (b->text() == press)
                    toPress = b;
            }
            QVERIFY(toPress);
            toPress->click();
        });
        QtDialogs dialogs(&owner);
        int result = -1;
        switch (kind) {
        case 0:
            dialogs.error(QStringLiteral("Valami"));
            break;
        case 1:
            dialogs.warning(QStringLiteral("Valami"));
            break;
        case 2:
            dialogs.info(QStringLiteral("Valami"));
            break;
        case 3:
            result = int(dialogs.question(caption, QStringLiteral("Valami?")) ? Dialogs::Answer::Yes
                                                                              : Dialogs::Answer::No);
            break;
        default:
            result = int(dialogs.question3(caption, QStringLiteral("Valami?")));
        }
        QCOMPARE(shownCaption, caption);
        shownButtons.sort();
        buttons.sort();
        QCOMPARE(shownButtons, buttons);
        QCOMPARE(result, answer);
        // The focus is back where it was.
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &owner, 1000);
        QCOMPARE(QApplication::focusWidget(), field);
    }
};

QTEST_MAIN(InputWindowsTest)
#include "inputwindows_test.moc"
