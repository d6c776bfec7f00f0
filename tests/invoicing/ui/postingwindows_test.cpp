// Posting, cancelling, the credit note and "post everything and print"
// driven through the register and the editor, offscreen.
#include "../PostingFixture.h"
#include "ScriptedDialogs.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "data/Schema.h"
#include "invoicing/PagedTableModel.h"
#include "invoicing/ui/PrintHooks.h"
#include "invoicing/ui/Tfrm_Main.h"
#include "invoicing/ui/Tfrm_Szamla.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

class PostingWindowsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    int m_run = 0;
    QString m_program;
    Database* m_db = nullptr;
    QList<qint64> m_printed;
    QList<qint64> m_previewed;
    qint64 m_paid = 0;     // unposted, paid at issue
    qint64 m_transfer = 0; // unposted, paid by transfer
    qint64 m_empty = 0;    // unposted, without lines

    std::unique_ptr<Tfrm_Main> openRegister(ScriptedDialogs& dialogs) {
        const QString base = m_tmp.filePath(QString::number(++m_run));
        m_program = base + QStringLiteral("/program");
        QDir().mkpath(m_program);
        qputenv("XDG_DATA_HOME", (base + QStringLiteral("/xdg")).toUtf8());
        app() = AppContext{};
        {
            Database db(QStringLiteral("fixture"));
            data::createDataFolder(db, base + QStringLiteral("/xdg/Orvix_Szamla/Data"));
            insertRow(db, QStringLiteral("ugyfel"),
                      {{"ugyfel", 1}, {"ugyfel_nev", QStringLiteral("Teszt")}, {"torolve", QStringLiteral("N")}});
            addProduct(db, QStringLiteral("A"));
            DocSpec paid;
            paid.fizetve = QStringLiteral("I");
            paid.fiztip = 1;
            m_paid = addDoc(db, paid, {{QStringLiteral("A"), 2, 6350, 27}});
            m_transfer = addDoc(db, DocSpec{}, {{QStringLiteral("A"), 1, 100, 27}});
            m_empty = addDoc(db, DocSpec{}, {});
        }
        dialogs.answers = {0};
        auto w = std::make_unique<Tfrm_Main>(dialogs, m_program);
        if (w->startupEnded())
            return nullptr;
        m_db = w->database();
        w->show();
        w->switchToList(Tfrm_Main::Documents);
        return w;
    }

    // Answers the editor (closes it) and the reverse-charge window while an
    // action runs; records the editor's document.
    QList<qint64> runClosingEditors(QAction* action) {
        QList<qint64> opened;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* editor = qobject_cast<ui::Tfrm_Szamla*>(QApplication::activeModalWidget())) {
                opened << editor->editor().key();
                editor->reject();
            }
        });
        poll.start(20);
        action->trigger();
        poll.stop();
        return opened;
    }

private Q_SLOTS:
    void initTestCase() {
        // The document print as the program installs it, recorded.
        ui::documentPrintHooks().print = [this](QWidget*, Database&, qint64 doc, const std::function<void(qint64)>&) {
            m_printed << doc;
        };
        ui::documentPrintHooks().preview = [this](QWidget*, Database&, qint64 doc, bool) { m_previewed << doc; };
    }
    void cleanupTestCase() { ui::documentPrintHooks() = {}; }
    void init() {
        m_printed.clear();
        m_previewed.clear();
    }

    // "Könyvel" in the register posts the current document and stays on it.
    void registerPosts() {
        ScriptedDialogs dialogs;
        auto w = openRegister(dialogs);
        QVERIFY(w);
        w->RefreshRegister(m_paid);
        QCOMPARE(w->currentKey(Tfrm_Main::Documents).toLongLong(), m_paid);
        QAction* post = w->action(QStringLiteral("aKonyvel"));
        QVERIFY(post->isEnabled());
        post->trigger();
        QCOMPARE(dialogs.askedOf("error"), QStringList());
        QCOMPARE(docRow(*m_db, m_paid).value("konyvelve").toString(), QStringLiteral("I"));
        QCOMPARE(m_db->queryInt(QStringLiteral("SELECT COUNT(*) FROM cassa WHERE mozgas=?"), 0, {m_paid}), qint64(1));
        QCOMPARE(w->currentKey(Tfrm_Main::Documents).toLongLong(), m_paid);
        post->trigger();
        QCOMPARE(dialogs.askedOf("error"), QStringList{"A bizonylat már könyvelve lett."});
        // Posting works on the documents list only.
        w->switchToList(Tfrm_Main::Customers);
        QVERIFY(!post->isEnabled());
    }

    // "Törlés" on a posted invoice cancels it and opens its W document in the
    // editor; on an unposted one it is refused.
    void registerCancels() {
        ScriptedDialogs dialogs;
        auto w = openRegister(dialogs);
        QVERIFY(w);
        w->RefreshRegister(m_transfer);
        QAction* cancel = w->action(QStringLiteral("aTorol"));
        QVERIFY(cancel->isEnabled());
        QCOMPARE(runClosingEditors(cancel), QList<qint64>());
        QCOMPARE(dialogs.askedOf("error"), QStringList{"A bizonylat még nem lett könyvelve!"});
        m_db->execSql(QStringLiteral("UPDATE szla SET konyvelve='I' WHERE szla=?"), {m_transfer});
        const QList<qint64> opened = runClosingEditors(cancel);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(docRow(*m_db, opened.first()).value("prntip").toString(), QStringLiteral("W"));
        QCOMPARE(docRow(*m_db, m_transfer).value("storno").toString(), QStringLiteral("I"));
        QCOMPARE(w->currentKey(Tfrm_Main::Documents).toLongLong(), opened.first());
    }

    // "Jóváíró számla" from the current invoice: the copy opens in the editor.
    void registerStartsCreditNote() {
        ScriptedDialogs dialogs;
        auto w = openRegister(dialogs);
        QVERIFY(w);
        m_db->execSql(QStringLiteral("UPDATE szla SET konyvelve='I' WHERE szla=?"), {m_paid});
        w->RefreshRegister(m_paid);
        const QList<qint64> opened = runClosingEditors(w->action(QStringLiteral("aJovair")));
        QCOMPARE(dialogs.askedOf("question"), QStringList{"Kérdés | A jelenlegi számlából készíted a jóváírást?"});
        QCOMPARE(opened.size(), 1);
        const QVariantMap j = docRow(*m_db, opened.first());
        QCOMPARE(j.value("prntip").toString(), QStringLiteral("J"));
        QCOMPARE(j.value("eredeti").toLongLong(), m_paid);
        QCOMPARE(w->currentList(), int(Tfrm_Main::Documents));
        // From the customers list: a new empty credit note of the customer.
        w->switchToList(Tfrm_Main::Customers);
        const QList<qint64> fresh = runClosingEditors(w->action(QStringLiteral("aJovair")));
        QCOMPARE(fresh.size(), 1);
        QCOMPARE(docRow(*m_db, fresh.first()).value("prntip").toString(), QStringLiteral("J"));
        QCOMPARE(docRow(*m_db, fresh.first()).value("ugyfel").toLongLong(), qint64(1));
        QCOMPARE(w->currentList(), int(Tfrm_Main::Documents));
    }

    // "Összes könyveletlen könyvel, és nyomtat": each unposted document with
    // lines posted and printed, in key order.
    void postEverythingAndPrint() {
        ScriptedDialogs dialogs;
        auto w = openRegister(dialogs);
        QVERIFY(w);
        QAction* all = w->action(QStringLiteral("aKonyvelNyom"));
        QVERIFY(all->isEnabled());
        all->trigger();
        QCOMPARE(m_printed, (QList<qint64>{m_paid, m_transfer}));
        QCOMPARE(dialogs.askedOf("error"), QStringList{"A bizonylatnak nincsenek tételei."});
        QCOMPARE(m_db->queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE konyvelve='I'"), 0), qint64(2));
    }

    // "Nyom.kép" saves the header first: a document without a customer is
    // refused as for posting and printing, and is not previewed.
    void previewNeedsACustomer() {
        ScriptedDialogs dialogs;
        auto w = openRegister(dialogs);
        QVERIFY(w);
        DocSpec nobody;
        nobody.customer = QString();
        const qint64 key = addDoc(*m_db, nobody, {{QStringLiteral("A"), 1, 100, 27}});
        ui::Tfrm_Szamla editor(*m_db, key, w.get(), &dialogs);
        editor.action(QStringLiteral("aNyomtatKep"))->trigger();
        QCOMPARE(dialogs.askedOf("error"), QStringList{"Ügyfél megadása kötelező"});
        QCOMPARE(m_previewed, QList<qint64>());
        // With the customer typed in, it is previewed.
        editor.editor().setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Teszt"));
        editor.action(QStringLiteral("aNyomtatKep"))->trigger();
        QCOMPARE(m_previewed, QList<qint64>{key});
        QCOMPARE(dialogs.askedOf("error").size(), 1);
    }

    // "Könyvel" in the editor: the checks, then the posting; the window turns
    // read-only at once and offers "Nyomtat".
    void editorPosts() {
        ScriptedDialogs dialogs;
        auto w = openRegister(dialogs);
        QVERIFY(w);
        QList<qint64> saved;
        {
            ui::Tfrm_Szamla editor(*m_db, m_transfer, w.get(), &dialogs);
            editor.setRefreshRegister([&](qint64 k) { saved << k; });
            QAction* post = editor.action(QStringLiteral("aKonyvel"));
            QVERIFY(post->isEnabled());
            QVERIFY(!editor.action(QStringLiteral("aNyomtat"))->isEnabled());
            QVERIFY(editor.action(QStringLiteral("aNyomtatKep"))->isEnabled());
            // A foreign currency typed at rate 1 is refused first.
            editor.editor().setValue(QStringLiteral("vat"), QStringLiteral("EUR"));
            post->trigger();
            QCOMPARE(dialogs.askedOf("error"), QStringList{"Érvénytelen árfolyam, vagy hibás devizanem"});
            QCOMPARE(docRow(*m_db, m_transfer).value("konyvelve").toString(), QStringLiteral("N"));
            editor.editor().setValue(QStringLiteral("vat"), QStringLiteral("HUF"));
            post->trigger();
            QCOMPARE(docRow(*m_db, m_transfer).value("konyvelve").toString(), QStringLiteral("I"));
            QVERIFY(editor.editor().posted());
            QVERIFY(!post->isEnabled() && !post->isVisible());
            QVERIFY(!editor.action(QStringLiteral("aUj"))->isEnabled());
            QVERIFY(!editor.action(QStringLiteral("aImport"))->isVisible());
            QVERIFY(editor.action(QStringLiteral("aNyomtat"))->isEnabled());
            auto* customer = qobject_cast<QLineEdit*>(editor.fieldWidget(QStringLiteral("ugyfel_nev")));
            QVERIFY(customer && customer->isReadOnly());
            QVERIFY(saved.contains(m_transfer));
            editor.action(QStringLiteral("aNyomtat"))->trigger();
            QCOMPARE(m_printed, QList<qint64>{m_transfer});
            // An empty document cannot be posted.
            ui::Tfrm_Szamla empty(*m_db, m_empty, w.get(), &dialogs);
            empty.action(QStringLiteral("aKonyvel"))->trigger();
            QCOMPARE(dialogs.askedOf("error").last(), QStringLiteral("A bizonylatnak nincsenek tételei."));
            QVERIFY(!empty.editor().posted());
        }
    }
};

QTEST_MAIN(PostingWindowsTest)
#include "postingwindows_test.moc"
