// The printing windows offscreen: the print-type dialog, the preview window
// showing every page of a copy, and the editor's print actions reaching the
// installed document print.
#include "../PrintFixture.h"

#include "core/AppContext.h"
#include "invoicing/ui/PrintHooks.h"
#include "invoicing/ui/Tfrm_Szamla.h"
#include "printing/ui/PrintWindows.h"
#include "printing/ui/Tfrm_NyomValaszt.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRadioButton>
#include <QTimer>

using namespace orvix;
using namespace orvix::test;
using orvix::ui::Tfrm_NyomValaszt;

namespace {

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

QStringList choiceTexts(Tfrm_NyomValaszt& d) {
    QStringList out;
    for (QRadioButton* b : d.findChildren<QRadioButton*>())
        out << b->text();
    return out;
}

} // namespace

class PrintWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PrintFixture> f;

private Q_SLOTS:
    void init() {
        f = std::make_unique<PrintFixture>();
        app().settings = f->setup.settings;
        ui::documentPrintHooks() = {};
    }
    void cleanup() {
        ui::documentPrintHooks() = {};
        f.reset();
    }

    void printTypeDialog() {
        const QStringList printers{QStringLiteral("Első"), QStringLiteral("Második")};
        Tfrm_NyomValaszt plain(printers, QString(), false);
        QCOMPARE(plain.windowTitle(), QStringLiteral("Nyomtatás típusa"));
        QCOMPARE(choiceTexts(plain), (QStringList{QStringLiteral("Nyomtatási kép"), QStringLiteral("Nyomtatás"),
                                                  QStringLiteral("Excelbe (CSV)")}));
        QCOMPARE(plain.choice(), int(Tfrm_NyomValaszt::Preview));
        // The first installed printer is proposed; the list works only for printing.
        QCOMPARE(plain.printer(), QStringLiteral("Első"));
        QVERIFY(!plain.printerList()->isEnabled());
        QVERIFY(!plain.printerCaption()->isEnabled());
        plain.setChoice(Tfrm_NyomValaszt::Print);
        QVERIFY(plain.printerList()->isEnabled());
        plain.setChoice(Tfrm_NyomValaszt::Csv);
        QVERIFY(!plain.printerList()->isEnabled());

        Tfrm_NyomValaszt html(printers, QStringLiteral("Második"), true);
        QCOMPARE(choiceTexts(html).last(), QStringLiteral("Html export"));
        QCOMPARE(html.printer(), QStringLiteral("Második"));
    }

    void previewShowsEveryPage() {
        std::vector<Line> lines;
        for (int i = 0; i < 60; ++i)
            lines.push_back({QStringLiteral("Tétel %1").arg(i + 1), QStringLiteral("db"), 1, 100, 27,
                             QStringLiteral("megjegyzés")});
        const qint64 doc = f->document(f->customer(QStringLiteral("Előnézet")), lines);
        const report::Document copy = f->layOut(doc);
        QVERIFY(copy.pageCount() > 1);
        int shownPages = -1;
        QString title;
        whenShown<QPrintPreviewDialog>([&](QPrintPreviewDialog* d) {
            auto* widget = d->findChild<QPrintPreviewWidget*>();
            QTRY_VERIFY(widget && widget->pageCount() > 0);
            shownPages = widget->pageCount();
            title = d->windowTitle();
            d->reject();
        });
        ui::PreviewTarget(nullptr).preview(copy);
        QCOMPARE(shownPages, copy.pageCount());
        QVERIFY(title.startsWith(QStringLiteral("Nyomtatási kép")));
    }

    void editorActionsReachThePrint() {
        const qint64 doc = f->document(f->customer(QStringLiteral("Szerkesztett")),
                                       {{QStringLiteral("Áru"), QStringLiteral("db"), 1, 100, 27}});
        {
            // Nothing installed: the actions stay disabled.
            ui::Tfrm_Szamla editor(f->db(), doc, nullptr, &f->dialogs);
            QVERIFY(!editor.action(QStringLiteral("aNyomtatKep"))->isEnabled());
        }
        QList<std::pair<qint64, bool>> previews;
        QList<qint64> prints;
        ui::documentPrintHooks().preview = [&](QWidget*, Database&, qint64 d, bool fa) { previews.append({d, fa}); };
        ui::documentPrintHooks().print = [&](QWidget*, Database& db, qint64 d, const std::function<void(qint64)>&) {
            prints << d;
            db.execSql(QStringLiteral("UPDATE szla SET nyomtatva=nyomtatva+1 WHERE szla=?"), {d});
        };
        {
            ui::Tfrm_Szamla editor(f->db(), doc, nullptr, &f->dialogs);
            QAction* preview = editor.action(QStringLiteral("aNyomtatKep"));
            QVERIFY(preview->isEnabled());
            preview->trigger();
            QCOMPARE(previews, (QList<std::pair<qint64, bool>>{{doc, false}}));
            // "Nyomtat" belongs to posted documents.
            QVERIFY(!editor.action(QStringLiteral("aNyomtat"))->isVisible());
        }
        f->db().execSql(QStringLiteral("UPDATE szla SET konyvelve='I' WHERE szla=?"), {doc});
        ui::Tfrm_Szamla posted(f->db(), doc, nullptr, &f->dialogs);
        QAction* print = posted.action(QStringLiteral("aNyomtat"));
        QVERIFY(print->isEnabled());
        print->trigger();
        QCOMPARE(prints, QList<qint64>{doc});
    }

    void programInstallsThePrint() {
        QVERIFY(!ui::documentPrintHooks().preview);
        ui::installDocumentPrinting();
        QVERIFY(ui::documentPrintHooks().preview);
        QVERIFY(ui::documentPrintHooks().print);
    }
};

QTEST_MAIN(PrintWindowsTest)
#include "printwindows_test.moc"
