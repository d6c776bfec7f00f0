// The invoice editor window offscreen: a new line on a discounted invoice,
// deleting, moving and importing lines through the window's keys, the quick
// sale through its real windows, a posted document shown read-only, the
// header checks and closing.
#include "../EditorFixture.h"

#include "core/ui/MessageBoxes.h"
#include "core/ui/Tfrm_Inp.h"
#include "invoicing/ui/EditorEntry.h"
#include "invoicing/ui/Tfrm_Szamla.h"
#include "masters/ui/Tfrm_UgyfelValaszt.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

using namespace orvix;
using namespace orvix::test;
using orvix::ui::Tfrm_Szamla;

namespace {

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

// The editor with the import dialog and the header choosers answered.
class TestEditor : public Tfrm_Szamla {
public:
    using Tfrm_Szamla::Tfrm_Szamla;
    std::deque<ui::ImportRequest> imports;
    std::optional<qint64> customerChoice;

protected:
    std::optional<ui::ImportRequest> askImport() override {
        if (imports.empty())
            return std::nullopt;
        const ui::ImportRequest r = imports.front();
        imports.pop_front();
        return r;
    }
    std::optional<qint64> chooseCustomerKey(qint64) override { return customerChoice; }
};

QString cell(Tfrm_Szamla& w, int row, int column) {
    return w.linesModel()->index(row, column).data().toString();
}

QStringList columnOf(Tfrm_Szamla& w, int column) {
    QStringList out;
    for (int row = 0; row < w.linesModel()->rowCount(); ++row)
        out << cell(w, row, column);
    return out;
}

void keyOn(Tfrm_Szamla& w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(w.grid(), key, modifiers);
}

} // namespace

class EditorWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFolder> m_f;
    Database& db() { return m_f->db(); }

    qint64 documentWith(const QStringList& codes) {
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        ScriptedDialogs dialogs;
        QString text;
        for (const QString& code : codes)
            text += QStringLiteral("%1;1;%2\n").arg(code).arg(LookupProduct(db(), code)->netto);
        ImportLines(db(), dialogs, LineDocument::load(db(), doc), text, {true, true, true});
        return doc;
    }

private Q_SLOTS:
    void init() {
        m_f = std::make_unique<EditorFolder>();
        m_f->settings.alaparmodosit = false;
        app().settings = m_f->settings;
        app().user = m_f->user;
    }
    void cleanup() { m_f.reset(); }

    // A new invoice of a customer with 10 % discount: a product of net 1000
    // at 27 % becomes a line of 900 / 243 / 1143 in band 25.
    void newLineWithDiscount() {
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        ScriptedDialogs dialogs;
        ScriptedLineUi lineUi(db());
        lineUi.products = {QStringLiteral("ALMA"), QString()};
        dialogs.answers = {QVariantList{1.0, QStringLiteral("Alma"), QString()}};
        TestEditor w(db(), doc, nullptr, &dialogs, &lineUi);
        QList<qint64> refreshed;
        w.setRefreshRegister([&](qint64 key) { refreshed << key; });
        w.show();
        QCOMPARE(w.numberLabel()->text(), QStringLiteral("00001"));
        QCOMPARE(w.netTotalLabel()->text(), QStringLiteral("0"));
        keyOn(w, Qt::Key_Insert);

        QCOMPARE(w.linesModel()->rowCount(), 1);
        QCOMPARE((QStringList{cell(w, 0, 0), cell(w, 0, 1), cell(w, 0, 2), cell(w, 0, 3), cell(w, 0, 4),
                              cell(w, 0, 5), cell(w, 0, 6)}),
                 (QStringList{"01", "Alma", "27", "1", "900", "900", "1 143"}));
        QCOMPARE(w.netTotalLabel()->text(), QStringLiteral("900"));
        QCOMPARE(w.grossTotalLabel()->text(), QStringLiteral("1 143"));
        const QVariantMap line = lineOf(db(), doc, 1);
        QCOMPARE(line.value("egysar").toDouble(), 900.0);
        QCOMPARE(line.value("afa").toDouble(), 243.0);
        QCOMPARE(line.value("brutto").toDouble(), 1143.0);
        QCOMPARE(line.value("netto25").toDouble(), 900.0);
        QCOMPARE(line.value("afa25").toDouble(), 243.0);
        QCOMPARE(line.value("brutto25").toDouble(), 1143.0);
        QCOMPARE(line.value("netto0").toDouble() + line.value("netto12").toDouble(), 0.0);
        QCOMPARE(w.positionText(), QStringLiteral("1: 1"));
        QCOMPARE(consistencyProblem(db(), doc), QString());

        w.reject();
        QVERIFY(refreshed.contains(doc));
    }

    // Deleting the second of three lines: the grid, the numbers and the
    // totals follow.
    void deleteSecondOfThree() {
        const qint64 doc =
            documentWith({QStringLiteral("ALMA"), QStringLiteral("K5"), QStringLiteral("K18")});
        ScriptedDialogs dialogs;
        ScriptedLineUi lineUi(db());
        TestEditor w(db(), doc, nullptr, &dialogs, &lineUi);
        w.show();
        QCOMPARE(w.netTotalLabel()->text(), QStringLiteral("1 500"));
        w.setCurrentLine(1);
        keyOn(w, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(dialogs.askedOf(QStringLiteral("question")),
                 QStringList{QStringLiteral("Megerősítés | Valóban töröljem a sort?")});
        QCOMPARE(columnOf(w, 0), (QStringList{"01", "02"}));
        QCOMPARE(columnOf(w, 1), (QStringList{"Alma", "Kenyér"}));
        QCOMPARE(w.netTotalLabel()->text(), QStringLiteral("1 300"));
        QCOMPARE(w.grossTotalLabel()->text(), QStringLiteral("1 624"));
        QCOMPARE(w.currentLine(), 1);
        QCOMPARE(consistencyProblem(db(), doc), QString());
    }

    void moveLines() {
        const qint64 doc =
            documentWith({QStringLiteral("ALMA"), QStringLiteral("K5"), QStringLiteral("K18")});
        ScriptedDialogs dialogs;
        TestEditor w(db(), doc, nullptr, &dialogs);
        w.show();
        w.setCurrentLine(1);
        keyOn(w, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(columnOf(w, 1), (QStringList{"Alma", "Kenyér", "Könyv"}));
        QCOMPARE(columnOf(w, 0), (QStringList{"01", "02", "03"}));
        QCOMPARE(w.currentLine(), 2);
        keyOn(w, Qt::Key_Down, Qt::AltModifier); // the last line stays
        QCOMPARE(w.currentLine(), 2);
        w.setCurrentLine(0);
        keyOn(w, Qt::Key_Up, Qt::AltModifier); // so does the first
        keyOn(w, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(columnOf(w, 1), (QStringList{"Kenyér", "Alma", "Könyv"}));
        QCOMPARE(w.currentLine(), 1);
        QCOMPARE(lineCodes(db(), doc), QStringLiteral("1:K18 2:ALMA 3:K5"));
        QCOMPARE(consistencyProblem(db(), doc), QString());
    }

    // Import in both layouts; an unknown code in the middle keeps the lines
    // before it.
    void importBothLayouts() {
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        ScriptedDialogs dialogs;
        TestEditor w(db(), doc, nullptr, &dialogs);
        w.imports = {{QStringLiteral("ALMA\n2\n100\nNINCS\n1\n5\nK5\n1\n1\n"), {false, true, true}},
                     {QStringLiteral("K18;3;300\r\nk5;1;50\r\n"), {true, true, true}}};
        w.show();
        keyOn(w, Qt::Key_F3);
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")),
                 QStringList{QStringLiteral("Nem létező cikkszám: NINCS")});
        QCOMPARE(columnOf(w, 1), QStringList{"Alma"});
        keyOn(w, Qt::Key_F3);
        QCOMPARE(columnOf(w, 1), (QStringList{"Alma", "Kenyér", "Könyv"}));
        QCOMPARE(columnOf(w, 3), (QStringList{"2", "3", "1"}));
        QCOMPARE(w.netTotalLabel()->text(), QStringLiteral("1 150"));
        QCOMPARE(w.currentLine(), 2);
        QCOMPARE(consistencyProblem(db(), doc), QString());
    }

    // "Eladok...": the customer chooser and the quantity window make an
    // invoice with one line, which opens in the editor.
    void quickSale() {
        bool editorSeen = false;
        whenShown<ui::Tfrm_UgyfelValaszt>([&](ui::Tfrm_UgyfelValaszt* chooser) {
            whenShown<ui::Tfrm_Inp>([&](ui::Tfrm_Inp* input) {
                whenShown<Tfrm_Szamla>([&](Tfrm_Szamla* editor) {
                    editorSeen =
                        editor->linesModel()->rowCount() == 1 &&
                        editor->linesModel()->index(0, 1).data().toString() == QStringLiteral("Alma");
                    editor->reject();
                });
                input->edit()->setText(QStringLiteral("3"));
                input->tryAccept();
            });
            QVERIFY(chooser->setCurrentKey(m_f->customer));
            chooser->action(QStringLiteral("aElfogad"))->trigger();
        });
        QList<qint64> refreshed;
        const std::optional<qint64> doc = ui::quickSale(nullptr, db(), QStringLiteral("ALMA"), m_f->customer,
                                                        [&](qint64 k) { refreshed << k; });
        QVERIFY(doc);
        QVERIFY(editorSeen);
        QVERIFY(refreshed.contains(*doc));
        QCOMPARE(lineCodes(db(), *doc), QStringLiteral("1:ALMA"));
        const QVariantMap line = lineOf(db(), *doc, 1);
        QCOMPARE(line.value("db").toDouble(), 3.0);
        QCOMPARE(line.value("egysar").toDouble(), 900.0);
        QCOMPARE(rowOf(db(), QStringLiteral("SELECT prntip, ugyfel FROM szla WHERE szla=?"), {*doc})
                     .value("ugyfel")
                     .toLongLong(),
                 m_f->customer);
        QCOMPARE(consistencyProblem(db(), *doc), QString());
    }

    // A posted document: no editing actions, every field read-only, the
    // choose buttons hidden; "Nyomtat" shown (disabled until printing comes).
    void postedReadOnly() {
        const qint64 doc = documentWith({QStringLiteral("ALMA"), QStringLiteral("K5")});
        db().execSql(QStringLiteral("UPDATE szla SET konyvelve='I' WHERE szla=?"), {doc});
        ScriptedDialogs dialogs;
        ScriptedLineUi lineUi(db());
        lineUi.products = {QStringLiteral("K18")};
        TestEditor w(db(), doc, nullptr, &dialogs, &lineUi);
        w.show();
        for (const char* name :
             {"aUj", "aSzerkeszt", "aTorol", "aMegjegyzes", "aFel", "aLe", "aImport", "aKonyvel"}) {
            QVERIFY2(!w.action(QLatin1String(name))->isVisible(), name);
            QVERIFY2(!w.action(QLatin1String(name))->isEnabled(), name);
        }
        QVERIFY(w.action(QStringLiteral("aNyomtat"))->isVisible());
        QVERIFY(w.action(QStringLiteral("aBezar"))->isEnabled());
        for (const char* field :
             {"ugyfel_nev", "fiztip_nev", "bizonylat", "arfolyam", "szla_irsz", "eredetistr"})
            QVERIFY2(qobject_cast<QLineEdit*>(w.fieldWidget(QLatin1String(field)))->isReadOnly(), field);
        QVERIFY(qobject_cast<QPlainTextEdit*>(w.fieldWidget(QStringLiteral("megjegyzes")))->isReadOnly());
        QVERIFY(!w.fieldWidget(QStringLiteral("fizetve"))->isEnabled());
        QVERIFY(!w.chooseButton(QStringLiteral("bUgyfel"))->isVisibleTo(&w));
        QVERIFY(!w.performanceDate()->isEnabled());
        keyOn(w, Qt::Key_Insert);
        keyOn(w, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(w.linesModel()->rowCount(), 2);
        QCOMPARE(lineUi.requests.size(), 0);
        QCOMPARE(dialogs.asked, QStringList());
    }

    // The unposted document: posting works; the preview and the delivery
    // note are there but disabled (not installed here); "Nyomtat" belongs to
    // posted documents.
    void actionsOfUnposted() {
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        ScriptedDialogs dialogs;
        TestEditor w(db(), doc, nullptr, &dialogs);
        w.show();
        for (const char* name : {"aNyomtatKep", "aSzallevNyom"}) {
            QVERIFY2(w.action(QLatin1String(name))->isVisible(), name);
            QVERIFY2(!w.action(QLatin1String(name))->isEnabled(), name);
        }
        QVERIFY(w.action(QStringLiteral("aKonyvel"))->isVisible());
        QVERIFY(w.action(QStringLiteral("aKonyvel"))->isEnabled());
        QVERIFY(!w.action(QStringLiteral("aNyomtat"))->isVisible());
        QCOMPARE(w.action(QStringLiteral("aKonyvel"))->shortcut(), QKeySequence(Qt::Key_F8));
        QVERIFY(w.action(QStringLiteral("aUj"))->isEnabled());
        QVERIFY(w.minimumWidth() >= 733);
        QVERIFY(!w.detailsPanel()->isVisible());
        w.action(QStringLiteral("aReszletek"))->trigger();
        QVERIFY(w.detailsPanel()->isVisible());
        QVERIFY(!w.fieldWidget(QStringLiteral("honap"))->isVisible()); // the setting vanhonap is off
        QCOMPARE(qobject_cast<QLineEdit*>(w.fieldWidget(QStringLiteral("kedvezmeny")))->text(),
                 QStringLiteral("10"));
    }

    // The header as typed: an emptied customer name stops a line action;
    // a new customer fills the header; closing saves the rest.
    void headerThroughWindow() {
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        ScriptedDialogs dialogs;
        ScriptedLineUi lineUi(db());
        TestEditor w(db(), doc, nullptr, &dialogs, &lineUi);
        w.show();
        auto* name = qobject_cast<QLineEdit*>(w.fieldWidget(QStringLiteral("ugyfel_nev")));
        name->selectAll();
        QTest::keyClick(name, Qt::Key_Backspace);
        keyOn(w, Qt::Key_Insert);
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")), QStringList{kCustomerRequiredMessage});
        QCOMPARE(lineUi.requests.size(), 0);

        w.customerChoice = m_f->otherCustomer;
        w.chooseButton(QStringLiteral("bUgyfel"))->click();
        QCOMPARE(name->text(), QStringLiteral("Másik Zrt."));
        QCOMPARE(qobject_cast<QLineEdit*>(w.fieldWidget(QStringLiteral("fiztip_nev")))->text(),
                 QStringLiteral("Készpénz"));
        auto* note = qobject_cast<QLineEdit*>(w.fieldWidget(QStringLiteral("bizonylat")));
        w.action(QStringLiteral("aReszletek"))->trigger();
        note->setFocus();
        QTest::keyClicks(note, QStringLiteral("RENDELES-7"));
        w.performanceDate()->setDate(QDate(2026, 2, 3));
        keyOn(w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        const QVariantMap h = rowOf(db(), QStringLiteral("SELECT * FROM szla WHERE szla=?"), {doc});
        QCOMPARE(h.value("ugyfel").toLongLong(), m_f->otherCustomer);
        QCOMPARE(h.value("ugyfel_nev").toString(), QStringLiteral("Másik Zrt."));
        QCOMPARE(h.value("bizonylat").toString(), QStringLiteral("RENDELES-7"));
        QCOMPARE(h.value("dat_szallhat").toString(), QStringLiteral("2026-02-03"));
    }

    // Every text field takes at most its field's width: a line field by its
    // maximum length, a memo by cutting back what is typed or pasted; what
    // closing stores fits the field.
    void textFieldsTakeTheirWidth_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("width");
        QTest::newRow("customer name") << "ugyfel_nev" << 50;
        QTest::newRow("note (memo)") << "megjegyzes" << 255;
        QTest::newRow("reference (memo)") << "mozgaz" << 255;
        QTest::newRow("tax number") << "adoszam" << 11;
    }
    void textFieldsTakeTheirWidth() {
        QFETCH(QString, field);
        QFETCH(int, width);
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        ScriptedDialogs dialogs;
        ScriptedLineUi lineUi(db());
        TestEditor w(db(), doc, nullptr, &dialogs, &lineUi);
        w.show();
        w.action(QStringLiteral("aReszletek"))->trigger();
        QWidget* widget = w.fieldWidget(field);
        widget->setFocus();
        const QString typed(width + 40, QLatin1Char('x'));
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            QCOMPARE(edit->maxLength(), width);
            edit->selectAll();
            QTest::keyClicks(edit, typed);
            QCOMPARE(edit->text().size(), width);
        } else {
            auto* memo = qobject_cast<QPlainTextEdit*>(widget);
            QVERIFY(memo);
            memo->selectAll();
            memo->insertPlainText(typed); // as a paste
            QCOMPARE(memo->toPlainText().size(), width);
            QTest::keyClicks(memo, QStringLiteral("yy"));
            QCOMPARE(memo->toPlainText().size(), width);
        }
        keyOn(w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")), QStringList());
        QCOMPARE(db().queryText(QStringLiteral("SELECT %1 FROM szla WHERE szla=?").arg(field), QString(), {doc}),
                 QString(width, QLatin1Char('x')));
    }
};

QTEST_MAIN(EditorWindowTest)
#include "editorwindow_test.moc"
