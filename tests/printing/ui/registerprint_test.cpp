// The register's "Nyomtatási kép" and "Nyomtat" offscreen: they work on the
// documents list once the print is installed, reach it with the current
// document and its reverse-charge flag, and reopen the list after a counted
// copy.
#include "ScriptedDialogs.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "data/Schema.h"
#include "invoicing/ui/PrintHooks.h"
#include "invoicing/ui/Tfrm_Main.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;
using orvix::test::ScriptedDialogs;

class RegisterPrintTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;

private Q_SLOTS:
    void registerActionsReachThePrint() {
        const QString program = m_tmp.filePath(QStringLiteral("program"));
        QDir().mkpath(program);
        qputenv("XDG_DATA_HOME", m_tmp.filePath(QStringLiteral("xdg")).toUtf8());
        app() = AppContext{};
        {
            Database db(QStringLiteral("fixture"));
            data::createDataFolder(db, m_tmp.filePath(QStringLiteral("xdg/Orvix_Szamla/Data")));
            db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, torolve) VALUES ('Nyomtatott Vevő', 'N')"));
            for (const char* fa : {"N", "I"})
                db.execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam, ugyfel, ugyfel_nev, dat_kiadva, "
                                          "konyvelve, storno, fa, nyomtatva) VALUES ('S', ?, 1, 'Nyomtatott Vevő', "
                                          "'2026-03-02', 'I', 'N', ?, 0)"),
                           {QString::fromLatin1(fa) == QLatin1String("N") ? 1 : 2, QString::fromLatin1(fa)});
        }
        QList<std::pair<qint64, bool>> previews;
        QList<qint64> prints;
        ui::documentPrintHooks().preview = [&](QWidget*, Database&, qint64 d, bool fa) { previews.append({d, fa}); };
        ui::documentPrintHooks().print = [&](QWidget*, Database& db, qint64 d,
                                             const std::function<void(qint64)>& counted) {
            prints << d;
            db.execSql(QStringLiteral("UPDATE szla SET nyomtatva=nyomtatva+1 WHERE szla=?"), {d});
            counted(d);
        };

        ScriptedDialogs dialogs;
        dialogs.answers = {0};
        Tfrm_Main window(dialogs, program);
        QVERIFY(!window.startupEnded());
        window.switchToList(Tfrm_Main::Products);
        QVERIFY(!window.action(QStringLiteral("aNyomtat"))->isEnabled());
        window.switchToList(Tfrm_Main::Documents);
        QAction* preview = window.action(QStringLiteral("aNyomtatKep"));
        QAction* print = window.action(QStringLiteral("aNyomtat"));
        QVERIFY(preview->isEnabled());
        QVERIFY(print->isEnabled());

        const qint64 current = window.currentKey(Tfrm_Main::Documents).toLongLong();
        const bool fa = window.database()->queryText(QStringLiteral("SELECT fa FROM szla WHERE szla=?"), QString(),
                                                     {current}) == QLatin1String("I");
        preview->trigger();
        QCOMPARE(previews, (QList<std::pair<qint64, bool>>{{current, fa}}));
        print->trigger();
        QCOMPARE(prints, QList<qint64>{current});
        // The list was reopened on the printed document.
        QCOMPARE(window.currentKey(Tfrm_Main::Documents).toLongLong(), current);
        ui::documentPrintHooks() = {};
    }
};

QTEST_MAIN(RegisterPrintTest)
#include "registerprint_test.moc"
