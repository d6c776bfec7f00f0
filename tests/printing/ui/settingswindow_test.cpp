// The settings window offscreen: every page's fields show the record and the
// configuration values, "OK" saves what changed in one go and the main
// window follows it at once, a refused value keeps the window open with
// nothing saved, and "Mégsem" changes nothing.
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Settings.h"
#include "core/SettingsEdit.h"
#include "core/ui/MessageBoxes.h"
#include "data/Schema.h"
#include "invoicing/ui/Tfrm_Main.h"
#include "printing/InvoicePrint.h"
#include "printing/ui/Tfrm_Beallitasok.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::ui::Tfrm_Beallitasok;

namespace {

template <class T> T* fieldOf(Tfrm_Beallitasok& w, const char* key) {
    auto* f = qobject_cast<T*>(w.field(QLatin1String(key)));
    if (!f)
        qWarning() << "no field" << key;
    return f;
}

// Runs step on the settings window once it is shown modally.
void whenShown(const std::function<void(Tfrm_Beallitasok*)>& step) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (auto* w = qobject_cast<Tfrm_Beallitasok*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            step(w);
        }
    });
    timer->start();
}

QString stored(Database& db, const char* field) {
    return db.queryText(QStringLiteral("SELECT %1 FROM beallit").arg(QLatin1String(field)), QString());
}

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;

private Q_SLOTS:
    void init() { app() = AppContext{}; }

    void pagesAndFieldsShowTheSettings() {
        test::TempDataFolder t;
        t.db.execSql(QStringLiteral("UPDATE beallit SET vangari='I', alappld=2, afa1=12.5, szlaforma=1, "
                                    "alapmegjegyzes='Első sor' || char(10) || 'második', amtm='AM'"));
        app().config.prnSzla = QStringLiteral("Irodai lézer");
        app().config.atvet = false;
        ScriptedDialogs dialogs;
        Tfrm_Beallitasok w(t.db, {QStringLiteral("HP LaserJet")}, nullptr, &dialogs);
        QStringList pages;
        for (int i = 0; i < w.pages()->count(); ++i)
            pages << w.pages()->tabText(i);
        QCOMPARE(pages, (QStringList{"Általános", "Számlák", "ÁFA kulcsok", "Modulok", "Nyomtatók",
                                     "Kép a bizonylatokon"}));
        QVERIFY(fieldOf<QCheckBox>(w, "vangari")->isChecked());
        QCOMPARE(fieldOf<QCheckBox>(w, "vangari")->text(), QStringLiteral("Van garanciajegy készítés"));
        QVERIFY(!fieldOf<QCheckBox>(w, "atvet")->isChecked());
        QCOMPARE(fieldOf<QLineEdit>(w, "alappld")->text(), QStringLiteral("2"));
        QCOMPARE(fieldOf<QLineEdit>(w, "afa1")->text(), QStringLiteral("12,5"));
        QVERIFY(w.findChild<QRadioButton*>(QStringLiteral("rbDesign2"))->isChecked());
        QCOMPARE(fieldOf<QPlainTextEdit>(w, "alapmegjegyzes")->toPlainText(), QStringLiteral("Első sor\nmásodik"));
        QCOMPARE(fieldOf<QComboBox>(w, "amtm")->currentText(), QStringLiteral("AM"));
        QCOMPARE(fieldOf<QLineEdit>(w, "alapfiztip")->text(), QStringLiteral("Készpénz"));
        // The printer lists: the ports, then the installed printers; a name
        // that is not installed here is kept.
        auto* invoicePrinter = fieldOf<QComboBox>(w, "prnSzla");
        QCOMPARE(invoicePrinter->currentText(), QStringLiteral("Irodai lézer"));
        QStringList items;
        for (int i = 0; i < invoicePrinter->count(); ++i)
            items << invoicePrinter->itemText(i);
        for (const char* name : {"LPT1", "LPT6", "COM3", "PRN", "HP LaserJet"})
            QVERIFY2(items.contains(QLatin1String(name)), name);
        auto* pdf = fieldOf<QComboBox>(w, "printernev");
        QCOMPARE(pdf->itemText(pdf->currentText().isEmpty() ? 1 : 0).isEmpty(), false);
        QVERIFY(pdf->findText(kBuiltInPdfPrinter) >= 0);
        QVERIFY(pdf->findText(QStringLiteral("HP LaserJet")) >= 0);
        // Text fields take the width of their field.
        QCOMPARE(fieldOf<QLineEdit>(w, "szlabetu")->maxLength(), 2);
        QCOMPARE(fieldOf<QLineEdit>(w, "alapvaros")->maxLength(), 25);
        // Pictures of each page for a look (ORVIX_SCREENSHOTS names a folder).
        if (const QString shots = qEnvironmentVariable("ORVIX_SCREENSHOTS"); !shots.isEmpty()) {
            w.show();
            for (int i = 0; i < w.pages()->count(); ++i) {
                w.pages()->setCurrentIndex(i);
                w.grab().save(QDir(shots).filePath(QStringLiteral("beallitasok-%1.png").arg(i)));
            }
        }
        // The fields a user types in are not the window's own keys.
        QVERIFY(!w.field(QStringLiteral("alapszallhat")));
        QVERIFY(!w.field(QStringLiteral("tmszoveg")));
    }

    // OK writes what changed, in the record and in the configuration values,
    // and says that the program should be started again.
    void okSavesEveryPage() {
        test::TempDataFolder t;
        ScriptedDialogs dialogs;
        // A new archive folder is made.
        const QString archive = m_tmp.filePath(QStringLiteral("archiv/uj"));
        QImage picture(256, 51, QImage::Format_RGB32);
        picture.fill(Qt::red);
        const QString pictureFile = m_tmp.filePath(QStringLiteral("logo.bmp"));
        QVERIFY(picture.save(pictureFile));
        t.db.execSql(QStringLiteral("INSERT INTO fiztip (fiztip, fiztip_nev) VALUES (7, 'Utánvét')"));
        const QString rateBefore = stored(t.db, "afa0");

        Tfrm_Beallitasok w(t.db, {}, nullptr, &dialogs);
        w.choosePaymentMethod = [](qint64 current) -> std::optional<qint64> {
            return current == 1 ? std::optional<qint64>(7) : std::nullopt;
        };
        w.choosePicture = [&](const QString&) { return pictureFile; };
        w.chooseFolder = [&](const QString&) { return t.dir.path(); };
        fieldOf<QCheckBox>(w, "formatszla")->setChecked(true);
        fieldOf<QLineEdit>(w, "alapvaros")->setText(QStringLiteral("Győr"));
        w.browseButton(QStringLiteral("alapfiztip"))->click();
        QCOMPARE(fieldOf<QLineEdit>(w, "alapfiztip")->text(), QStringLiteral("Utánvét"));
        fieldOf<QLineEdit>(w, "alappld")->setText(QStringLiteral("3"));
        fieldOf<QPlainTextEdit>(w, "alapmegjegyzes")->setPlainText(QStringLiteral("Köszönjük!\nViszontlátásra"));
        w.findChild<QRadioButton*>(QStringLiteral("rbDesign2"))->setChecked(true);
        fieldOf<QLineEdit>(w, "afa2")->setText(QStringLiteral("27"));
        fieldOf<QComboBox>(w, "amtm")->setCurrentText(QString());
        fieldOf<QCheckBox>(w, "vangari")->setChecked(true);
        w.browseButton(QStringLiteral("printerutv"))->click();
        fieldOf<QComboBox>(w, "printernev")->setCurrentText(kBuiltInPdfPrinter);
        fieldOf<QComboBox>(w, "prnEgyeb")->setCurrentText(QStringLiteral("LPT2"));
        fieldOf<QCheckBox>(w, "atvet")->setChecked(false);
        fieldOf<QLineEdit>(w, "archive")->setText(archive);
        w.browseButton(QStringLiteral("pic1"))->click();
        QVERIFY(!w.picturePreview(QStringLiteral("pic1"))->pixmap().isNull());
        w.okButton()->click();

        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(dialogs.asked,
                 QStringList{QStringLiteral("warning: Indítsa újra a programot a beállítások érvénybe lépéséhez.")});
        const Settings s = loadSettings(t.db);
        QVERIFY(s.formatszla);
        QCOMPARE(s.alapvaros, QStringLiteral("Győr"));
        QCOMPARE(s.alapfiztip, 7);
        QCOMPARE(s.alappld, 3);
        QCOMPARE(s.alapmegjegyzes, QStringLiteral("Köszönjük!\nViszontlátásra"));
        QCOMPARE(s.szlaforma, 1);
        QCOMPARE(s.afa2, 27.0);
        QCOMPARE(stored(t.db, "amtm"), QString());
        QVERIFY(s.vangari);
        QCOMPARE(s.printerutv, QDir::toNativeSeparators(t.dir.path()));
        QCOMPARE(s.printernev, kBuiltInPdfPrinter);
        QCOMPARE(app().config.prnEgyeb, QStringLiteral("LPT2"));
        QVERIFY(!app().config.atvet);
        QCOMPARE(app().config.archive, archive);
        QVERIFY(QFileInfo(archive).isDir());
        QCOMPARE(app().folders.archive, archive);
        QCOMPARE(app().config.pic1, QDir::toNativeSeparators(pictureFile));
        // Fields left alone keep their stored form.
        QCOMPARE(stored(t.db, "afa0"), rateBefore);
    }

    // A refused value is named; the window stays open and neither the record
    // nor the configuration values change.
    void badValuesAreRefused_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("negative copy count") << "alappld" << "-1" << "0 és 99 között";
        QTest::newRow("rate above 100") << "afa0" << "101" << "0 és 100 között";
        QTest::newRow("rate that is no number") << "alapafakulcs" << "sok" << "szám kell";
        QTest::newRow("Zentra folder missing") << "evautvonal" << "/nincs/zentra" << "Nem létező mappa";
        QTest::newRow("PDF folder missing") << "printerutv" << "/nincs/pdf" << "Nem létező mappa";
        QTest::newRow("archive folder missing") << "archive" << "/proc/nincs/archiv" << "Nem létező archiválási mappa";
        QTest::newRow("picture missing") << "pic2" << "/nincs/kep.jpg" << "Nem létező képfájl";
    }
    void badValuesAreRefused() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, message);
        test::TempDataFolder t;
        ScriptedDialogs dialogs;
        const SettingValues before = settingValues(t.db);
        const IniSettings iniBefore = iniSettings(app().config);
        Tfrm_Beallitasok w(t.db, {}, nullptr, &dialogs);
        w.show();
        fieldOf<QCheckBox>(w, "vangari")->setChecked(true);
        fieldOf<QCheckBox>(w, "atvet")->setChecked(!iniBefore.atvet);
        qobject_cast<QLineEdit*>(w.field(key))->setText(value);
        w.okButton()->click();
        QVERIFY(w.isVisible());
        QCOMPARE(dialogs.asked.size(), 1);
        QVERIFY2(dialogs.asked.first().startsWith(QStringLiteral("error: ")) &&
                     dialogs.asked.first().contains(message),
                 qPrintable(dialogs.asked.first()));
        QCOMPARE(settingValues(t.db), before);
        QVERIFY(iniSettings(app().config) == iniBefore);
    }

    // "Mégsem" after changes on every kind of field, a chosen picture
    // included, leaves the record and the configuration values as they were.
    void cancelChangesNothing() {
        test::TempDataFolder t;
        ScriptedDialogs dialogs;
        QImage picture(136, 121, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        const QString pictureFile = m_tmp.filePath(QStringLiteral("kep2.jpg"));
        QVERIFY(picture.save(pictureFile));
        const SettingValues before = settingValues(t.db);
        const IniSettings iniBefore = iniSettings(app().config);
        Tfrm_Beallitasok w(t.db, {}, nullptr, &dialogs);
        w.choosePicture = [&](const QString&) { return pictureFile; };
        fieldOf<QCheckBox>(w, "vanzentra")->setChecked(true);
        fieldOf<QLineEdit>(w, "formatft")->setText(QStringLiteral("# ##0 Ft"));
        w.browseButton(QStringLiteral("pic1"))->click();
        fieldOf<QComboBox>(w, "prnSzla")->setCurrentText(QStringLiteral("COM1"));
        w.cancelButton()->click();
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(dialogs.asked.isEmpty());
        QCOMPARE(settingValues(t.db), before);
        QVERIFY(iniSettings(app().config) == iniBefore);
    }

    // Enter moves on from one-line fields, and makes a new line in a note.
    void enterMovesOnButNotInNotes() {
        test::TempDataFolder t;
        ScriptedDialogs dialogs;
        Tfrm_Beallitasok w(t.db, {}, nullptr, &dialogs);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.pages()->setCurrentIndex(0);
        auto* city = fieldOf<QLineEdit>(w, "alapvaros");
        city->setFocus();
        QTest::keyClick(city, Qt::Key_Return);
        QVERIFY(!city->hasFocus());
        QVERIFY(w.isVisible());
        w.pages()->setCurrentIndex(1);
        auto* note = fieldOf<QPlainTextEdit>(w, "alapmegjegyzes");
        note->setFocus();
        QTest::keyClicks(note, QStringLiteral("a"));
        QTest::keyClick(note, Qt::Key_Return);
        QTest::keyClicks(note, QStringLiteral("b"));
        QVERIFY(note->hasFocus());
        QVERIFY(note->toPlainText().endsWith(QStringLiteral("a\nb")));
    }

    // Through the main window: an administrator opens it with "Beállítások",
    // and the actions the settings show or hide follow at once.
    void mainWindowFollowsTheSettings() {
        const QString base = m_tmp.filePath(QStringLiteral("main"));
        const QString program = base + QStringLiteral("/program");
        QDir().mkpath(program);
        qputenv("XDG_DATA_HOME", (base + QStringLiteral("/xdg")).toUtf8());
        app() = AppContext{};
        {
            Database db(QStringLiteral("fixture"));
            data::createDataFolder(db, base + QStringLiteral("/xdg/Orvix_Szamla/Data"));
        }
        QStringList boxes;
        ui::ScopedMessageInterceptor intercept([&](const ui::MessageRequest& r) {
            boxes << r.text;
            return Dialogs::Answer::Yes;
        });
        ScriptedDialogs dialogs;
        dialogs.answers = {0};
        Tfrm_Main main(dialogs, program);
        QVERIFY(!main.startupEnded());
        ui::installSettingsWindow(main);
        main.show();
        QVERIFY(!main.action(QStringLiteral("aGari"))->isVisible());
        QVERIFY(!main.action(QStringLiteral("aSokCim"))->isVisible());
        QVERIFY(main.action(QStringLiteral("aBeallit"))->isEnabled());

        bool shown = false;
        whenShown([&](Tfrm_Beallitasok* w) {
            shown = true;
            fieldOf<QCheckBox>(*w, "vangari")->setChecked(true);
            fieldOf<QCheckBox>(*w, "vansokcim")->setChecked(true);
            w->okButton()->click();
        });
        main.action(QStringLiteral("aBeallit"))->trigger();
        QVERIFY(shown);
        QCOMPARE(boxes, QStringList{QStringLiteral("Indítsa újra a programot a beállítások érvénybe lépéséhez.")});
        QVERIFY(app().settings.vangari);
        QVERIFY(main.action(QStringLiteral("aGari"))->isVisible());
        QVERIFY(main.action(QStringLiteral("aSokCim"))->isVisible());

        // Without the administrator right the window does not open.
        app().user.rendszergazda = false;
        dialogs.asked.clear();
        main.action(QStringLiteral("aBeallit"))->trigger();
        QVERIFY(!qobject_cast<Tfrm_Beallitasok*>(QApplication::activeModalWidget()));
        QVERIFY2(dialogs.asked.join(QLatin1Char('\n')).contains(QStringLiteral("Nincs jogosultság a művelethez.")),
                 qPrintable(dialogs.asked.join(QLatin1Char('\n'))));
        main.close();
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "settingswindow_test.moc"
