// The export, HTML export and mail windows offscreen: their settings reach
// the file, "Megállít" stops a running export, the written file is opened or
// handed to the mail, and the mail window drops a missing attachment and
// stays open when sending failed.
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "core/DelimitedExport.h"
#include "core/ui/Tfrm_Export.h"
#include "core/ui/Tfrm_HtmlExport.h"
#include "core/ui/Tfrm_Level.h"
#include "core/ui/WindowSupport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;
using namespace orvix::ui;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Rows that press "Megállít" themselves while the export reads them.
class StoppingRows : public ExportRows {
public:
    explicit StoppingRows(std::function<void()> atThirdRow) : m_stop(std::move(atThirdRow)) {
        m_fields = {{QStringLiteral("n"), QStringLiteral("szám"), ExportFieldType::Integer}};
    }
    const QVector<ExportField>& fields() const override { return m_fields; }
    int rowCount() override { return 100; }
    bool next() override {
        if (++m_row == 3 && m_stop)
            m_stop();
        return m_row < 100;
    }
    QVariant value(int) const override { return m_row; }

private:
    QVector<ExportField> m_fields;
    std::function<void()> m_stop;
    int m_row = -1;
};

} // namespace

class ExportWindowsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void exportWindowSettings();
    void exportWindowWorkbookAndOpening();
    void exportWindowStop();
    void exportWindowOverAModel();
    void proposedNameLandsInAnExistingFolder();
    void htmlWindow();
    void mailWindow();
};

void ExportWindowsTest::exportWindowSettings() {
    TempDataFolder folder(QStringLiteral("export_window"));
    ScriptedDialogs dialogs;
    const QString select = QStringLiteral("SELECT 'Kovács; és Társa' AS nev, 2 AS db, 'x' AS jel");
    Tfrm_Export w([&] { return queryRows(folder.db, select, {{QStringLiteral("db"), QStringLiteral("darab")}}); },
                  path(QStringLiteral("a.csv")), &dialogs);
    QVERIFY(w.loaded());
    // The defaults of every opening.
    QCOMPARE(w.fieldList()->count(), 3);
    QCOMPARE(w.delimiterGroup()->checkedId(), int(Delimiter::Semicolon));
    QCOMPARE(w.qualifierGroup()->checkedId(), int(Qualifier::None));
    QVERIFY(!w.multiLineBox()->isChecked() && !w.fieldNamesBox()->isChecked() && !w.noHeaderBox()->isChecked() &&
            !w.openAfterBox()->isChecked());
    QVERIFY(!w.stopButton()->isEnabled());
    QVERIFY(w.startButton()->isDefault());
    w.startExport();
    QCOMPARE(readAll(path(QStringLiteral("a.csv"))), QByteArray("nev;darab;jel;\r\n\"Kovács; és Társa\";2;x;\r\n"));
    QCOMPARE(dialogs.asked.last(), QStringLiteral("info: ") + path(QStringLiteral("a.csv")) + QStringLiteral(" file kész."));
    // "egyik sem", then one field ticked; tab and apostrophe; field names.
    w.findChild<QPushButton*>(QStringLiteral("btnEgyikSem"))->click();
    w.fieldList()->item(0)->setCheckState(Qt::Checked);
    w.delimiterGroup()->button(int(Delimiter::Tab))->click();
    w.qualifierGroup()->button(int(Qualifier::Apostrophe))->click();
    w.fieldNamesBox()->setChecked(true);
    w.startExport();
    QCOMPARE(readAll(path(QStringLiteral("a.csv"))), QByteArray("'nev'\t\r\n'Kovács; és Társa'\t\r\n"));
    // An empty name asks for one; cancelling writes nothing.
    w.fileNameEdit()->clear();
    int asked = 0;
    w.setSaveFileChooser([&](const QString&) {
        ++asked;
        return QString();
    });
    const int messages = int(dialogs.asked.size());
    w.startExport();
    QCOMPARE(asked, 1);
    QCOMPARE(dialogs.asked.size(), messages);
    // A failure is told with "Hiba: " in front.
    w.fileNameEdit()->setText(path(QStringLiteral("nincs/b.csv")));
    w.startExport();
    QVERIFY2(dialogs.asked.last().startsWith(QStringLiteral("error: Hiba: ")), qPrintable(dialogs.asked.last()));
}

void ExportWindowsTest::exportWindowWorkbookAndOpening() {
    TempDataFolder folder(QStringLiteral("export_window2"));
    ScriptedDialogs dialogs;
    Tfrm_Export w([&] { return queryRows(folder.db, QStringLiteral("SELECT 1.5 AS f")); }, path(QStringLiteral("m.Xls")),
                  &dialogs);
    QList<QUrl> opened;
    w.setFileOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    w.openAfterBox()->setChecked(true);
    w.show();
    w.startExport();
    // The name written is told and shown, the file opened, the window closed.
    QCOMPARE(dialogs.asked.last(), QStringLiteral("info: ") + path(QStringLiteral("m.xlsx")) + QStringLiteral(" file kész."));
    QCOMPARE(w.fileNameEdit()->text(), path(QStringLiteral("m.xlsx")));
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(path(QStringLiteral("m.xlsx")))});
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(readAll(path(QStringLiteral("m.xlsx"))).startsWith("PK"));

    // No program to open it with: the file is there and the user is told.
    Tfrm_Export failing([&] { return queryRows(folder.db, QStringLiteral("SELECT 1 AS n")); }, path(QStringLiteral("n.csv")),
                        &dialogs);
    failing.setFileOpener([](const QUrl&) { return false; });
    failing.openAfterBox()->setChecked(true);
    failing.show();
    dialogs.asked.clear();
    failing.startExport();
    QCOMPARE(dialogs.askedOf(QStringLiteral("info")).size(), 1);
    QCOMPARE(dialogs.askedOf(QStringLiteral("warning")).size(), 1);
    QVERIFY2(dialogs.asked.last().contains(QStringLiteral("nem nyitható meg")) &&
                 dialogs.asked.last().contains(path(QStringLiteral("n.csv"))),
             qPrintable(dialogs.asked.last()));
    QCOMPARE(failing.result(), int(QDialog::Accepted));
}

void ExportWindowsTest::exportWindowStop() {
    ScriptedDialogs dialogs;
    Tfrm_Export* window = nullptr;
    bool stopEnabled = false;
    Tfrm_Export w(
        [&] {
            return std::make_unique<StoppingRows>([&] {
                stopEnabled = window->stopButton()->isEnabled();
                window->stopButton()->click();
            });
        },
        path(QStringLiteral("stop.txt")), &dialogs);
    window = &w;
    w.startExport();
    QVERIFY(stopEnabled);
    QVERIFY(!w.stopButton()->isEnabled());
    QCOMPARE(w.progressBar()->value(), 0);
    // Stopped after the row being read when it was pressed; the rows so far are saved.
    QCOMPARE(readAll(path(QStringLiteral("stop.txt"))), QByteArray("szám;\r\n0;\r\n1;\r\n2;\r\n3;\r\n"));
    QCOMPARE(dialogs.askedOf(QStringLiteral("info")).size(), 1);
}

void ExportWindowsTest::exportWindowOverAModel() {
    TempDataFolder folder(QStringLiteral("export_window3"));
    QStandardItemModel model(2, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("Név"), QStringLiteral("Összeg")});
    model.setHeaderData(1, Qt::Horizontal, QStringLiteral("osszeg"), FieldNameRole);
    model.setData(model.index(0, 0), QStringLiteral("Ágnes \"A\""));
    model.setData(model.index(0, 1), 10);
    model.setData(model.index(1, 0), QStringLiteral("Béla"));
    model.setData(model.index(1, 1), 20);
    ScriptedDialogs dialogs;
    Tfrm_Export w([&] { return modelRows(model); }, path(QStringLiteral("model.csv")), &dialogs);
    QCOMPARE(w.fieldList()->item(1)->text(), QStringLiteral("osszeg"));
    w.startExport();
    QCOMPARE(readAll(path(QStringLiteral("model.csv"))),
             QByteArray("Név;Összeg;\r\n\"Ágnes \"\"A\"\"\";10;\r\nBéla;20;\r\n"));
}

void ExportWindowsTest::proposedNameLandsInAnExistingFolder() {
    // Without a documents folder a bare proposed name goes to the home folder,
    // with one into it; a full path stays as it is.
    const QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
    const QString fakeHome = path(QStringLiteral("haz"));
    QVERIFY(QDir().mkpath(fakeHome + QStringLiteral("/cfg")));
    qputenv("HOME", fakeHome.toUtf8());
    qputenv("XDG_CONFIG_HOME", (fakeHome + QStringLiteral("/cfg")).toUtf8());
    const auto proposed = [](const QString& name) {
        Tfrm_Export w([] { return std::unique_ptr<ExportRows>(new StoppingRows({})); }, name);
        return QDir::fromNativeSeparators(w.findChild<QLineEdit*>(QStringLiteral("edFile"))->text());
    };
    const QString atHome = proposed(QStringLiteral("vevo.csv"));
    QVERIFY(QDir().mkpath(fakeHome + QStringLiteral("/Documents")));
    const QString inDocuments = proposed(QStringLiteral("vevo.csv"));
    const QString full = proposed(path(QStringLiteral("x/y.csv")));
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", config);
    QCOMPARE(atHome, fakeHome + QStringLiteral("/vevo.csv"));
    QCOMPARE(inDocuments, fakeHome + QStringLiteral("/Documents/vevo.csv"));
    QCOMPARE(full, path(QStringLiteral("x/y.csv")));
}

void ExportWindowsTest::htmlWindow() {
    QStandardItemModel model(1, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("név"), QStringLiteral("rejtett")});
    model.setData(model.index(0, 0), QStringLiteral("Kovács & <Fiai>"));
    QTableView grid;
    grid.setModel(&model);
    grid.setColumnHidden(1, true);
    HtmlList list;
    list.title = QStringLiteral("Kiadott számlák");
    list.columns = gridColumns(grid, [](int c) { return c == 0 ? QStringLiteral("nev") : QStringLiteral("x"); });
    QCOMPARE(list.columns.size(), 1); // the hidden column is not shown
    list.gridWidth = grid.columnWidth(0);
    list.rowCount = 1;
    list.text = [&](int row, const QString&) { return model.data(model.index(row, 0)).toString(); };

    ScriptedDialogs dialogs;
    Tfrm_HtmlExport w(list, path(QStringLiteral("html")), &dialogs);
    QCOMPARE(w.pathEdit()->text(), path(QStringLiteral("html/kiadott-sz_ml_k.htm")));
    QVERIFY(w.openAfterBox()->isChecked());
    QList<QUrl> opened;
    QVector<MailMessage> mailed;
    w.setFileOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    w.setMailHandOver([&](const MailMessage& m) {
        mailed << m;
        return QString();
    });
    // "E-Mail": no opening, the page handed over, the window stays.
    w.show();
    w.mail();
    QVERIFY(!w.openAfterBox()->isChecked());
    QVERIFY(opened.isEmpty());
    QCOMPARE(mailed.size(), 1);
    QCOMPARE(mailed.first().subject, QStringLiteral("Html küldés"));
    QCOMPARE(mailed.first().body, QStringLiteral("Html küldés"));
    QCOMPARE(mailed.first().recipient, QString());
    QCOMPARE(mailed.first().attachment, path(QStringLiteral("html/kiadott-sz_ml_k.htm")));
    QVERIFY(w.isVisible());
    QVERIFY(readAll(mailed.first().attachment).contains("Kov\xE1" "cs &amp; &lt;Fiai&gt;"));
    // "OK" in another folder: written, opened, remembered, closed.
    w.openAfterBox()->setChecked(true);
    w.pathEdit()->setText(path(QStringLiteral("masik/lap.htm")));
    w.okButton()->click();
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(path(QStringLiteral("masik/lap.htm")))});
    QCOMPARE(w.writtenFolder(), path(QStringLiteral("masik")));
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(dialogs.asked.isEmpty());

    // The page is written, but no program opens it: the user is told.
    Tfrm_HtmlExport failing(list, path(QStringLiteral("html")), &dialogs);
    failing.setFileOpener([](const QUrl&) { return false; });
    failing.show();
    failing.okButton()->click();
    QCOMPARE(dialogs.askedOf(QStringLiteral("warning")).size(), 1);
    QVERIFY2(dialogs.asked.last().contains(QStringLiteral("nem nyitható meg")), qPrintable(dialogs.asked.last()));
    QVERIFY(QFile::exists(path(QStringLiteral("html/kiadott-sz_ml_k.htm"))));
    QCOMPARE(failing.result(), int(QDialog::Accepted));
}

void ExportWindowsTest::mailWindow() {
    const QString file = path(QStringLiteral("S00001.pdf"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("%PDF");
    f.close();
    ScriptedDialogs dialogs;
    QVector<MailMessage> sent;
    QString answer = QStringLiteral("A levél küldése nem sikerült (smtp:25).");
    Tfrm_Level w(MailMessage{QStringLiteral("Tárgy"), QStringLiteral("első\nmásodik\nharmadik"), file,
                             QStringLiteral("vevo@example.hu")},
                 [&](const MailMessage& m) {
                     sent << m;
                     return answer;
                 },
                 &dialogs);
    installFocusPainter();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(w.recipientEdit()->text(), QStringLiteral("vevo@example.hu"));
    QCOMPARE(w.bodyEdit()->document()->blockCount(), 3);
    QCOMPARE(w.focusWidget(), w.recipientEdit());
    // The fields take the focus colour; the text area keeps its own and
    // marks the current line.
    QCOMPARE(w.recipientEdit()->palette().color(QPalette::Base), kFocusColor);
    w.bodyEdit()->setFocus();
    QCOMPARE(w.focusWidget(), w.bodyEdit());
    QVERIFY(w.bodyEdit()->palette().color(QPalette::Base) != kFocusColor);
    QVERIFY(w.recipientEdit()->palette().color(QPalette::Base) != kFocusColor);
    // A failed sending is told and the window stays open.
    w.sendButton()->click();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.last().attachment, file);
    QCOMPARE(sent.last().body, QStringLiteral("első\nmásodik\nharmadik"));
    QCOMPARE(dialogs.asked, QStringList{QStringLiteral("error: ") + answer});
    QVERIFY(w.isVisible());
    // The attachment deleted meanwhile goes without it; an empty recipient stays empty.
    QFile::remove(file);
    w.recipientEdit()->clear();
    answer.clear();
    w.sendButton()->click();
    QCOMPARE(sent.last().attachment, QString());
    QCOMPARE(sent.last().recipient, QString());
    QCOMPARE(w.result(), int(QDialog::Accepted));
}

QTEST_MAIN(ExportWindowsTest)
#include "exportwindows_test.moc"
