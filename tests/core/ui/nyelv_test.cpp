// The language-file window: open, generate, type a text, save.
#include "core/AppContext.h"
#include "core/LangFiles.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/Tfrm_Nyelv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;

class NyelvTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_work;

    static QByteArray readAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init() {
        QVERIFY(m_work.isValid());
        app().folders.work = m_work.path();
        QDir(langFolder(m_work.path())).removeRecursively();
    }

    void generateEditSave() {
        QVERIFY(saveLangFile(langFilePath(m_work.path(), 1), {{"QRLabel8", "description"}}));

        ui::Tfrm_Nyelv w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("Nyelvi file szerkesztés"));
        QCOMPARE(w.rows(0), (LangRows{{"QRLabel8", "description"}}));
        QVERIFY(w.rows(1).isEmpty());

        // F5 fills the shown page only, keeping the translation; a second F5 adds nothing.
        QTest::keyClick(&w, Qt::Key_F5);
        const LangRows generated = w.rows(0);
        QCOMPARE(generated.size(), 7 + 40); // QRLabel8 is one of the labels
        QCOMPARE(generated.first(), (LangRow{"QRLabel8", "description"}));
        QCOMPARE(generated.at(1), (LangRow{"str1", QStringLiteral("egységár")}));
        QVERIFY(w.rows(1).isEmpty());
        QTest::keyClick(&w, Qt::Key_F5);
        QCOMPARE(w.rows(0), generated);

        // Type over str1; Esc in the cell cancels the typing, not the window.
        auto* grid = w.findChild<QTableWidget*>(QStringLiteral("gridAngol"));
        QVERIFY(grid);
        QVERIFY(!(grid->item(1, 0)->flags() & Qt::ItemIsEditable));
        grid->setFocus();
        grid->setCurrentCell(1, 1);
        grid->editItem(grid->item(1, 1));
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor != grid);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QStringLiteral("ignored"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QCOMPARE(grid->item(1, 1)->text(), QStringLiteral("egységár"));

        grid->editItem(grid->item(1, 1));
        editor = QApplication::focusWidget();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QStringLiteral("unit price"));
        QTest::keyClick(editor, Qt::Key_Return);

        // Every free text of the print can be typed, the page-number prefix too.
        int str7 = -1;
        for (int r = 0; r < grid->rowCount(); ++r)
            if (grid->item(r, 0)->text() == QLatin1String("str7"))
                str7 = r;
        QVERIFY(str7 > 0);
        QCOMPARE(grid->item(str7, 1)->text(), QStringLiteral("oldal: "));
        grid->setCurrentCell(str7, 1);
        grid->editItem(grid->item(str7, 1));
        editor = QApplication::focusWidget();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QStringLiteral("page "));
        // Ctrl+S with the cell still open saves what was typed, and both pages.
        QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);

        const LangRows saved = loadLangFile(langFilePath(m_work.path(), 1));
        QCOMPARE(saved.size(), generated.size());
        QCOMPARE(saved.at(0), (LangRow{"QRLabel8", "description"}));
        QCOMPARE(saved.at(1), (LangRow{"str1", "unit price"}));
        QCOMPARE(saved.at(str7), (LangRow{"str7", "page "}));
        QCOMPARE(readAll(langFilePath(m_work.path(), 2)), QByteArray("[lang]\r\n"));

        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    }

    void saveFailureIsReported() {
        // A file standing where the Lang folder belongs: nothing can be written.
        QFile blocker(QDir(m_work.path()).filePath(QStringLiteral("Lang")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QStringList shown;
        ui::ScopedMessageInterceptor intercept([&](const ui::MessageRequest& m) {
            shown << m.caption + QStringLiteral(" | ") + m.text;
            return Dialogs::Answer::Yes;
        });
        ui::Tfrm_Nyelv w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F5);
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(QStringLiteral("Hiba | Számla: angol: ")),
                 qPrintable(shown.first()));
        QVERIFY(w.isVisible());
        QCOMPARE(w.rows(0).size(), 47);
        blocker.remove();
    }
};

QTEST_MAIN(NyelvTest)
#include "nyelv_test.moc"
