// The database choice window, the list window "Adatbázisok" and its edit window.
#include "common/DatabaseList.h"
#include "common/IniFile.h"
#include "common/Database.h"
#include "core/AppContext.h"
#include "data/Schema.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/Tfrm_AdatbazisEdit.h"
#include "core/ui/Tfrm_AdatbazisNyitBDE.h"
#include "core/ui/Tfrm_AdatbazisokBDE.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <optional>

using namespace orvix;
using namespace orvix::ui;

namespace {

const QString kSection = QStringLiteral("Adatbazis");

// The list window with scripted edits: each takes the next queued name and
// folder (std::nullopt: the edit window is cancelled).
class ScriptedListWindow : public Tfrm_AdatbazisokBDE {
public:
    using Tfrm_AdatbazisokBDE::Tfrm_AdatbazisokBDE;
    std::deque<std::optional<std::pair<QString, QString>>> edits;
    int opened = 0; // edit windows opened
    QString editedFolder;        // the folder the last edit window was opened with
    QString offeredBackup;       // the name the backup's save dialog offered
    QString backupFile;          // what the save dialog answers
    QString archiveFile;         // what the restore's open dialog answers
    QString restoreFolder;       // what the restore's folder dialog answers

protected:
    QString chooseBackupFile(const QString& offered) override {
        offeredBackup = offered;
        return backupFile;
    }
    QString chooseArchiveFile() override { return archiveFile; }
    QString chooseRestoreFolder() override { return restoreFolder; }
    bool editEntry(QString& name, QString& folder, bool) override {
        ++opened;
        editedFolder = folder;
        if (edits.empty())
            return false;
        const auto next = edits.front();
        edits.pop_front();
        if (!next)
            return false;
        name = next->first;
        folder = next->second;
        return true;
    }
};

QAction* action(QWidget* window, const char* name) {
    auto* a = window->findChild<QAction*>(QString::fromLatin1(name));
    Q_ASSERT(a);
    return a;
}

} // namespace

class DbWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_program;
    // Every message box as "caption: text"; questions take the queued answers (none left: "Nem").
    std::unique_ptr<ScopedMessageInterceptor> m_interceptor;
    QStringList m_messages;
    std::deque<bool> m_answers;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    void makeDir(const QString& p) const { QVERIFY(QDir().mkpath(p)); }
    // Replaces every ConStr key with the given "key=value" pairs and saves the ini.
    void writeIni(const QStringList& keys) {
        for (int i = 1; i <= kMaxDatabases; ++i)
            app().ini.removeKey(kSection, QStringLiteral("ConStr%1").arg(i));
        for (const QString& kv : keys)
            app().ini.setValue(kSection, kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        QVERIFY(app().ini.save());
    }
    // The ConStr values of the ini file as written on disk, "key=value".
    QStringList savedKeys() const {
        IniFile ini(app().ini.path());
        QStringList out;
        for (int i = 1; i <= kMaxDatabases; ++i) {
            const QString key = QStringLiteral("ConStr%1").arg(i);
            if (ini.hasKey(kSection, key))
                out << key + QLatin1Char('=') + ini.value(kSection, key);
        }
        return out;
    }

private Q_SLOTS:
    void init() {
        m_messages.clear();
        m_answers.clear();
        m_interceptor = std::make_unique<ScopedMessageInterceptor>([this](const MessageRequest& r) {
            m_messages << r.caption + QStringLiteral(": ") + r.text;
            if (m_answers.empty())
                return Dialogs::Answer::No;
            const bool yes = m_answers.front();
            m_answers.pop_front();
            return yes ? Dialogs::Answer::Yes : Dialogs::Answer::No;
        });
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_program = path(QStringLiteral("program"));
        makeDir(m_program);
        app().folders.program = m_program;
        app().folders.work = m_dir->path();
        app().ini.load(app().folders.iniPath());
        // The current directory must play no part in resolving a relative folder.
        QDir::setCurrent(m_dir->path());
    }

    void cleanup() {
        m_interceptor.reset();
        m_dir.reset();
    }

    void choiceOk_data() {
        QTest::addColumn<QString>("folderText"); // "@" stands for the temporary directory
        QTest::addColumn<QString>("create");     // folder made before pressing OK, "" for none
        QTest::addColumn<bool>("accepted");

        QTest::newRow("existing folder") << "@/Data"
                                         << "@/Data" << true;
        QTest::newRow("missing folder") << "@/Data"
                                        << "" << false;
        QTest::newRow("a file, not a folder") << "@/Orvix_Szamla.ini"
                                              << "" << false;
        QTest::newRow("relative, under the program folder") << "Adat2"
                                                            << "@/program/Adat2" << true;
        QTest::newRow("relative, only under the current directory") << "Adat2"
                                                                    << "@/Adat2" << false;
        QTest::newRow("no folder in the entry") << ""
                                                << "" << false;
    }

    void choiceOk() {
        QFETCH(QString, folderText);
        QFETCH(QString, create);
        QFETCH(bool, accepted);
        folderText.replace(QLatin1Char('@'), m_dir->path());
        writeIni({});
        if (!create.isEmpty())
            makeDir(create.replace(QLatin1Char('@'), m_dir->path()));

        // The entry tested is the second one; the first one's folder is missing.
        const QStringList names{QStringLiteral("1. Teszt"), QStringLiteral("2. Éles")};
        const QStringList entries{formatDatabaseEntry(names[0], path(QStringLiteral("nincs"))),
                                  formatDatabaseEntry(names[1], folderText)};
        Tfrm_AdatbazisNyitBDE window(names, entries);
        window.show();
        QCOMPARE(window.currentIndex(), 0);
        window.setCurrentIndex(1);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);

        if (accepted) {
            QVERIFY(m_messages.isEmpty());
            QCOMPARE(window.result(), int(QDialog::Accepted));
            QCOMPARE(window.chosenIndex(), 1);
            QVERIFY(!window.isVisible());
        } else {
            QCOMPARE(m_messages, QStringList{QStringLiteral("Hiba: Nem létező adatbázis mappa")});
            QCOMPARE(window.chosenIndex(), -1);
            QVERIFY(window.isVisible());
        }
    }

    void choiceDoubleClickSkipsTest() {
        const QStringList names{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
        QStringList entries;
        for (const QString& n : names)
            entries << formatDatabaseEntry(n, path(QStringLiteral("nincs_") + n));
        Tfrm_AdatbazisNyitBDE window(names, entries);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QListWidget* list = window.list();
        const QRect rect = list->visualItemRect(list->item(2));
        // A double click is a click followed by the second press.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(window.chosenIndex(), 2);
    }

    void chooseDatabaseWindowResult_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expected");
        QTest::newRow("OK") << "BitBtn1" << 1;
        QTest::newRow("Mégsem") << "BitBtn2" << -1;
    }

    void chooseDatabaseWindowResult() {
        QFETCH(QString, button);
        QFETCH(int, expected);
        makeDir(path(QStringLiteral("Data")));
        const QStringList names{QStringLiteral("A"), QStringLiteral("B")};
        const QStringList entries{formatDatabaseEntry(names[0], path(QStringLiteral("nincs"))),
                                  formatDatabaseEntry(names[1], path(QStringLiteral("Data")))};
        QString caption;
        QTimer::singleShot(0, this, [&] {
            auto* window = qobject_cast<Tfrm_AdatbazisNyitBDE*>(QApplication::activeModalWidget());
            QVERIFY(window);
            caption = window->windowTitle();
            window->setCurrentIndex(1);
            window->findChild<QPushButton*>(button)->click();
        });
        QCOMPARE(chooseDatabaseWindow(nullptr, QStringLiteral("Választás"), names, entries), expected);
        QCOMPARE(caption, QStringLiteral("Választás"));
    }

    void editWindowValidation_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("error"); // empty: accepted

        QTest::newRow("filled in") << "  Éles  "
                                   << " /adat/eles "
                                   << "";
        QTest::newRow("no name") << ""
                                 << "/adat"
                                 << "A megjelenített név nem lehet üres.";
        QTest::newRow("blank name") << "   "
                                    << "/adat"
                                    << "A megjelenített név nem lehet üres.";
        QTest::newRow("no folder") << "Éles"
                                   << ""
                                   << "Az elérési útvonal nem lehet üres.";
        QTest::newRow("separator in the name") << "Éles;régi"
                                               << "/adat"
                                               << "A megjelenített név nem tartalmazhat pontosvesszőt (;).";
        QTest::newRow("separator in the folder") << "Éles"
                                                 << "/adat;x"
                                                 << "Az elérési útvonal nem tartalmazhat pontosvesszőt (;).";
    }

    void editWindowValidation() {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QFETCH(QString, error);
        Tfrm_AdatbazisEdit window;
        window.show();
        window.nameEdit()->setText(name);
        window.folderEdit()->setText(folder);
        const bool ok = window.tryAccept();
        QCOMPARE(ok, error.isEmpty());
        if (ok) {
            QVERIFY(m_messages.isEmpty());
            QCOMPARE(window.name(), name.trimmed());
            QCOMPARE(window.folder(), folder.trimmed());
            QCOMPARE(window.result(), int(QDialog::Accepted));
        } else {
            QCOMPARE(m_messages, QStringList{QStringLiteral("Hiba: ") + error});
            QVERIFY(window.isVisible());
        }
    }

    void listCloseWritesGridOrder_data() {
        QTest::addColumn<QStringList>("ini");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");

        const QStringList gaps{QStringLiteral("ConStr2=Csiga;/c;"), QStringLiteral("ConStr5=Ábel;/b;"),
                               QStringLiteral("ConStr9=Cukor;/a;")};
        QTest::newRow("gaps collapse")
            << gaps << QStringList{}
            << QStringList{"ConStr1=Csiga;/c;", "ConStr2=Ábel;/b;", "ConStr3=Cukor;/a;"};
        QTest::newRow("sorted by name, Hungarian order")
            << gaps << QStringList{"sort 0"}
            << QStringList{"ConStr1=Ábel;/b;", "ConStr2=Cukor;/a;", "ConStr3=Csiga;/c;"};
        QTest::newRow("sorted by folder")
            << gaps << QStringList{"sort 1"}
            << QStringList{"ConStr1=Cukor;/a;", "ConStr2=Ábel;/b;", "ConStr3=Csiga;/c;"};
        QTest::newRow("new row at the end")
            << gaps << QStringList{"new Új;/uj"}
            << QStringList{"ConStr1=Csiga;/c;", "ConStr2=Ábel;/b;", "ConStr3=Cukor;/a;", "ConStr4=Új;/uj;"};
        QTest::newRow("new row into the sorted order")
            << gaps << QStringList{"sort 0", "new Bolt;/d"}
            << QStringList{"ConStr1=Ábel;/b;", "ConStr2=Bolt;/d;", "ConStr3=Cukor;/a;", "ConStr4=Csiga;/c;"};
        QTest::newRow("new row cancelled")
            << gaps << QStringList{"new -"}
            << QStringList{"ConStr1=Csiga;/c;", "ConStr2=Ábel;/b;", "ConStr3=Cukor;/a;"};
        QTest::newRow("edited with F2")
            << gaps << QStringList{"select 1", "edit Ábel 2;/b2"}
            << QStringList{"ConStr1=Csiga;/c;", "ConStr2=Ábel 2;/b2;", "ConStr3=Cukor;/a;"};
        QTest::newRow("edited by double click")
            << gaps << QStringList{"dblclick 2 Ara;/a"}
            << QStringList{"ConStr1=Csiga;/c;", "ConStr2=Ábel;/b;", "ConStr3=Ara;/a;"};
        QTest::newRow("edit moves the row in the sorted order")
            << gaps << QStringList{"sort 0", "select 0", "edit Zsák;/b"}
            << QStringList{"ConStr1=Cukor;/a;", "ConStr2=Csiga;/c;", "ConStr3=Zsák;/b;"};
        QTest::newRow("deleted") << gaps << QStringList{"select 1", "delete yes"}
                                 << QStringList{"ConStr1=Csiga;/c;", "ConStr2=Cukor;/a;"};
        QTest::newRow("delete refused")
            << gaps << QStringList{"select 1", "delete no"}
            << QStringList{"ConStr1=Csiga;/c;", "ConStr2=Ábel;/b;", "ConStr3=Cukor;/a;"};
        QTest::newRow("every row deleted")
            << QStringList{"ConStr3=X;/x;"} << QStringList{"delete yes"} << QStringList{};
    }

    void listCloseWritesGridOrder() {
        QFETCH(QStringList, ini);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        writeIni(ini);

        ScriptedListWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const QString& step : steps) {
            const QString verb = step.section(QLatin1Char(' '), 0, 0);
            QString arg = step.section(QLatin1Char(' '), 1);
            auto queueEdit = [&](const QString& text) {
                if (text == QLatin1String("-"))
                    window.edits.push_back(std::nullopt);
                else
                    window.edits.push_back(std::make_pair(text.section(QLatin1Char(';'), 0, 0),
                                                          text.section(QLatin1Char(';'), 1)));
            };
            if (verb == QLatin1String("sort")) {
                // A click on the column title.
                auto* header = window.grid()->horizontalHeader();
                const int column = arg.toInt();
                const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                                header->height() / 2);
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
                QCOMPARE(window.sortColumn(), column);
            } else if (verb == QLatin1String("select")) {
                window.setCurrentRow(arg.toInt());
            } else if (verb == QLatin1String("new")) {
                queueEdit(arg);
                QTest::keyClick(window.grid(), Qt::Key_Insert);
            } else if (verb == QLatin1String("edit")) {
                queueEdit(arg);
                QTest::keyClick(window.grid(), Qt::Key_F2);
            } else if (verb == QLatin1String("dblclick")) {
                const int row = arg.section(QLatin1Char(' '), 0, 0).toInt();
                queueEdit(arg.section(QLatin1Char(' '), 1));
                const QRect rect = window.grid()->visualRect(window.model()->index(row, 0));
                QTest::mouseClick(window.grid()->viewport(), Qt::LeftButton, {}, rect.center());
                QTest::mouseDClick(window.grid()->viewport(), Qt::LeftButton, {}, rect.center());
            } else if (verb == QLatin1String("delete")) {
                m_answers.push_back(arg == QLatin1String("yes"));
                QTest::keyClick(window.grid(), Qt::Key_Delete, Qt::ControlModifier);
                QCOMPARE(m_messages.value(m_messages.size() - 1),
                         QStringLiteral("Megerősítés: Valóban töröljem az adatbázist a listából?"));
            }
            QVERIFY2(window.edits.empty(), qPrintable(step + QStringLiteral(": no edit window opened")));
        }
        // Nothing is written before the window closes.
        QCOMPARE(savedKeys(), ini);
        QTest::keyClick(window.grid(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        QCOMPARE(savedKeys(), expected);
    }

    void listReportsIniWriteFailure() {
        writeIni({QStringLiteral("ConStr1=A;/a;")});
        // The ini now lives under a "folder" that is a plain file: it cannot be written.
        app().ini.load(path(QStringLiteral("Orvix_Szamla.ini/Orvix_Szamla.ini")));
        app().ini.setValue(kSection, QStringLiteral("ConStr1"), QStringLiteral("A;/a;"));
        ScriptedListWindow window;
        action(&window, "aBezar")->trigger();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.at(0).startsWith(QStringLiteral("Hiba: A beállítások mentése sikertelen")),
                 qPrintable(m_messages.at(0)));
    }

    void listTeszt_data() {
        QTest::addColumn<QString>("folderText"); // "@" stands for the temporary directory
        QTest::addColumn<QString>("create");
        QTest::addColumn<QString>("message");

        QTest::newRow("existing") << "@/Data"
                                  << "@/Data"
                                  << "Üzenet: Adatbázis mappa elérhető";
        QTest::newRow("missing") << "@/Data"
                                 << ""
                                 << "Hiba: Nem létező adatbázis mappa";
        QTest::newRow("relative, under the program folder") << "Adat2"
                                                            << "@/program/Adat2"
                                                            << "Üzenet: Adatbázis mappa elérhető";
        QTest::newRow("relative, only under the current directory") << "Adat2"
                                                                    << "@/Adat2"
                                                                    << "Hiba: Nem létező adatbázis mappa";
    }

    void listTeszt() {
        QFETCH(QString, folderText);
        QFETCH(QString, create);
        QFETCH(QString, message);
        folderText.replace(QLatin1Char('@'), m_dir->path());
        if (!create.isEmpty())
            makeDir(create.replace(QLatin1Char('@'), m_dir->path()));
        writeIni({QStringLiteral("ConStr1=Másik;/nincs;"),
                  QStringLiteral("ConStr2=") + formatDatabaseEntry(QStringLiteral("Teszt"), folderText)});
        ScriptedListWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setCurrentRow(1);
        QTest::keyClick(window.grid(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(m_messages, QStringList{message});
    }

    // "Bizt.mentés" with an archive folder that does not exist: the message,
    // the work folder's Archiv is made and offered with the day's name, and
    // LastArchive is written once the archive is made.
    void listBackup() {
        const QString folder = path(QStringLiteral("Adat"));
        {
            Database db(QStringLiteral("backup"));
            data::createDataFolder(db, folder);
        }
        writeIni({QStringLiteral("ConStr1=") + formatDatabaseEntry(QStringLiteral("Adat"), folder)});
        app().config.archive = path(QStringLiteral("nincs/ilyen"));
        ScriptedListWindow window;
        const QString archiveFolder = QDir(app().folders.work).filePath(QStringLiteral("Archiv"));
        const QString offered =
            QDir(archiveFolder).filePath(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + ".zip");
        window.backupFile = offered;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setCurrentRow(0);
        QVERIFY(action(&window, "aArchival")->isEnabled());
        action(&window, "aArchival")->trigger();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(QStringLiteral("Nem létező mentési útvonal, alapértelmezés "
                                                             "visszaállítva.")),
                 qPrintable(m_messages.first()));
        QCOMPARE(window.offeredBackup, offered);
        QVERIFY(QFileInfo::exists(offered));
        QCOMPARE(app().config.archive, archiveFolder);
        QCOMPARE(IniFile(app().ini.path()).value(QStringLiteral("Archive"), QStringLiteral("LastArchive")),
                 QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd")));

        // Restored into a new folder and offered for the list (answered yes).
        window.archiveFile = offered;
        window.restoreFolder = path(QStringLiteral("Vissza"));
        window.edits.push_back(std::make_pair(QStringLiteral("Visszaállított"), window.restoreFolder));
        m_messages.clear();
        m_answers = {true};
        action(&window, "aRestore")->trigger();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(window.editedFolder, window.restoreFolder);
        QVERIFY(Database::isDataFolder(window.restoreFolder));
        QCOMPARE(window.model()->rowCount(), 2);

        // Over an existing data folder: refused, nothing added.
        m_messages.clear();
        window.restoreFolder = folder;
        action(&window, "aRestore")->trigger();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(QStringLiteral("már van adatbázis")), qPrintable(m_messages.first()));
        QCOMPARE(window.model()->rowCount(), 2);
    }

    void listRefusesMoreThan25() {
        QStringList keys;
        for (int i = 1; i <= kMaxDatabases; ++i)
            keys << QStringLiteral("ConStr%1=N%1;/d%1;").arg(i);
        writeIni(keys);
        ScriptedListWindow window;
        window.edits.push_back(std::make_pair(QStringLiteral("Huszonhatodik"), QStringLiteral("/x")));
        action(&window, "aUj")->trigger();
        QCOMPARE(m_messages,
                 QStringList{QStringLiteral("Hiba: Legfeljebb 25 adatbázis szerepelhet a listában.")});
        QCOMPARE(window.opened, 0);
        QCOMPARE(window.model()->rowCount(), kMaxDatabases);
    }

    void listStatusAndHighlight() {
        writeIni({QStringLiteral("ConStr1=B;/a;"), QStringLiteral("ConStr2=A;/c;"),
                  QStringLiteral("ConStr3=C;/b;")});
        ScriptedListWindow window;
        auto* position = window.findChild<QLabel*>(QStringLiteral("lblPozicio"));
        QVERIFY(position);
        QCOMPARE(position->text(), QStringLiteral("3: 1"));
        window.setCurrentRow(2);
        QCOMPARE(position->text(), QStringLiteral("3: 3"));

        // The current row stays on its entry through a sort; the sorted column is highlighted.
        window.sortByColumn(1);
        QCOMPARE(position->text(), QStringLiteral("3: 2"));
        QCOMPARE(window.model()->item(window.currentRow(), 0)->text(), QStringLiteral("C"));
        const QColor highlight(255, 255, 185);
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(window.model()->item(row, 1)->background().color(), highlight);
            QVERIFY(window.model()->item(row, 0)->data(Qt::BackgroundRole).isNull());
        }
        window.sortByColumn(0);
        QCOMPARE(window.model()->item(0, 0)->background().color(), highlight);
        QVERIFY(window.model()->item(0, 1)->data(Qt::BackgroundRole).isNull());

        // With a row selected the backup and the restore are there.
        QVERIFY(action(&window, "aArchival")->isEnabled());
        QVERIFY(action(&window, "aRestore")->isEnabled());
    }
};

QTEST_MAIN(DbWindowsTest)
#include "dbwindows_test.moc"
