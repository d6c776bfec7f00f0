// The start of the program on real folders: work folder rule, ini migration
// and seeding, database choice, ini values in and out, field patches of older
// data folders and the settings record.
#include "ScriptedDialogs.h"
#include "TestFolders.h"
#include "common/Codepage.h"
#include "common/DatabaseList.h"
#include "common/IniFile.h"
#include "core/Startup.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;
using orvix::test::ScriptedDialogs;
using orvix::test::TempDataFolder;

namespace {

QString readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_program;

private Q_SLOTS:
    void init();
    void iniFileRules();
    void workFolderRule();
    void freshInstallSeedsTwoFolders();
    void oldPathKeyIsMigrated();
    void gapsAndRelativeFolders();
    void configDefaultsAndWriteOrder();
    void startCancelledOrOpened();
    void folderWithoutDatabaseAsksBeforeCreating();
    void fieldPatchesBringOldFolderUpToDate_data();
    void fieldPatchesBringOldFolderUpToDate();
    void fieldPatchStoppedHalfWayIsRedone();
    void handOverFlagTakenFromSentMark();
    void settingsRecord();
    void olderFolderGetsItsIndexes();
    void zentraFolderIsCheckedAtStart_data();
    void zentraFolderIsCheckedAtStart();
};

void StartupTest::init() {
    QVERIFY(m_tmp.isValid());
    static int n = 0;
    const QString base = m_tmp.filePath(QString::number(++n));
    m_program = base + QStringLiteral("/program");
    QDir().mkpath(m_program);
    qputenv("XDG_DATA_HOME", (base + QStringLiteral("/xdg")).toUtf8());
}

void StartupTest::iniFileRules() {
    const QString path = m_program + QStringLiteral("/x.ini");
    // Written by an older version in the Central-European code page, with
    // keys in another letter case.
    writeFile(path, encodeCodepage(QStringLiteral("[ADATBAZIS]\r\nconstr1=1. Éles adatbázis;D:\\Adat;\r\n"
                                                  "[Defaults]\r\nFontSize=12\r\nSHImpQty=0\r\n"),
                                   Codepage::Cp1250));
    IniFile ini(path);
    QCOMPARE(ini.value(QStringLiteral("Adatbazis"), QStringLiteral("ConStr1")),
             QStringLiteral("1. Éles adatbázis;D:\\Adat;"));
    QCOMPARE(ini.intValue(QStringLiteral("defaults"), QStringLiteral("fontsize"), 9), 12);
    QCOMPARE(ini.boolValue(QStringLiteral("Defaults"), QStringLiteral("SHImpQty"), true), false);
    QCOMPARE(ini.boolValue(QStringLiteral("Defaults"), QStringLiteral("Missing"), true), true);
    ini.setBool(QStringLiteral("defaults"), QStringLiteral("shimpqty"), true);
    ini.setValue(QStringLiteral("Új"), QStringLiteral("Kulcs"), QStringLiteral("árvíztűrő"));
    QVERIFY(ini.save());
    const QString text = readFile(path);
    QVERIFY(text.contains(QStringLiteral("[ADATBAZIS]\r\nconstr1=1. Éles adatbázis;")));
    QVERIFY(text.contains(QStringLiteral("SHImpQty=1")));
    QVERIFY(text.contains(QStringLiteral("[Új]\r\nKulcs=árvíztűrő")));
    QCOMPARE(IniFile(path).value(QStringLiteral("új"), QStringLiteral("kulcs")), QStringLiteral("árvíztűrő"));
}

void StartupTest::workFolderRule() {
    const Folders f = locateFolders(m_program);
    QCOMPARE(f.work, QDir::cleanPath(QString::fromUtf8(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Orvix_Szamla")));
    QVERIFY(QFileInfo(f.work).isDir());
    writeFile(m_program + QStringLiteral("/Orvix_Szamla.ini"), "[Defaults]\r\n");
    QCOMPARE(locateFolders(m_program).work, QDir::cleanPath(m_program));
    QCOMPARE(locateFolders(m_program).iniPath(), m_program + QStringLiteral("/Orvix_Szamla.ini"));
}

void StartupTest::freshInstallSeedsTwoFolders() {
    const Folders f = locateFolders(m_program);
    IniFile ini(f.iniPath());
    migrateDatabaseList(ini, f.work);
    const auto list = readDatabaseList(IniFile(f.iniPath()));
    QCOMPARE(int(list.size()), 2);
    QCOMPARE(list[0].name, QStringLiteral("1. Teszt adatbázis"));
    QCOMPARE(list[0].folder, f.work + QStringLiteral("/Data"));
    QCOMPARE(list[1].name, QStringLiteral("2. Éles adatbázis"));
    QCOMPARE(list[1].folder, f.work + QStringLiteral("/Data_eles"));
    // Both exist as new data folders holding every table.
    for (const auto& e : list) {
        QVERIFY(Database::isDataFolder(e.folder));
        Database db(QStringLiteral("check"));
        db.open(e.folder);
        QVERIFY(db.hasTable(QStringLiteral("szla")));
        QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM cikkszam"), -1), 0);
    }
    // A second start changes nothing.
    const QString before = readFile(f.iniPath());
    IniFile again(f.iniPath());
    migrateDatabaseList(again, f.work);
    QCOMPARE(readFile(f.iniPath()), before);
}

void StartupTest::oldPathKeyIsMigrated() {
    const Folders f = locateFolders(m_program);
    writeFile(f.iniPath(), "[database]\r\npath=D:\\X\r\n");
    IniFile ini(f.iniPath());
    migrateDatabaseList(ini, f.work);
    const IniFile saved(f.iniPath());
    QCOMPARE(saved.value(QStringLiteral("Adatbazis"), QStringLiteral("ConStr1")),
             QStringLiteral("1. Éles adatbázis;D:\\X;"));
    QVERIFY(!saved.hasKey(QStringLiteral("database"), QStringLiteral("path")));
    QVERIFY(!QFileInfo(f.work + QStringLiteral("/Data")).exists());
}

void StartupTest::gapsAndRelativeFolders() {
    const Folders f = locateFolders(m_program);
    writeFile(f.iniPath(), "[Adatbazis]\r\nConStr3=Harmadik;Adat2;\r\n");
    IniFile ini(f.iniPath());
    migrateDatabaseList(ini, f.work);
    const auto list = readDatabaseList(ini);
    QCOMPARE(int(list.size()), 3);
    QCOMPARE(list[0].name, QStringLiteral("1. Teszt adatbázis"));
    QCOMPARE(list[2].name, QStringLiteral("Harmadik"));
    QCOMPARE(list[2].position, 3);
    QCOMPARE(resolveDataFolder(list[2].folder, m_program), m_program + QStringLiteral("/Adat2"));
    QCOMPARE(resolveDataFolder(QStringLiteral("/srv/adat"), m_program), QStringLiteral("/srv/adat"));

    // Writing back renumbers without gaps, in the given order.
    std::vector<DatabaseEntry> reordered = {list[2], list[0]};
    writeDatabaseList(ini, reordered);
    QCOMPARE(ini.value(QStringLiteral("Adatbazis"), QStringLiteral("ConStr1")), QStringLiteral("Harmadik;Adat2;"));
    QVERIFY(ini.value(QStringLiteral("Adatbazis"), QStringLiteral("ConStr2")).startsWith(QStringLiteral("1. Teszt")));
    QVERIFY(!ini.hasKey(QStringLiteral("Adatbazis"), QStringLiteral("ConStr3")));
}

void StartupTest::configDefaultsAndWriteOrder() {
    const Folders f = locateFolders(m_program);
    writeFile(m_program + QStringLiteral("/logo.bmp"), "BM");
    IniFile ini(f.iniPath());
    ini.setInt(QStringLiteral("Defaults"), QStringLiteral("FontSize"), 40);
    ini.setValue(QStringLiteral("Defaults"), QStringLiteral("Pic2"), m_program + QStringLiteral("/nincs.bmp"));
    AppConfig c = readConfig(ini, f);
    QCOMPARE(c.archive, f.work + QStringLiteral("/Archiv"));
    QCOMPARE(c.fontSize, kMaxFontSize);
    QCOMPARE(c.pic1, m_program + QStringLiteral("/logo.bmp"));
    QVERIFY(c.pic2.isEmpty()); // a missing picture file clears the key
    QCOMPARE(c.width, 770);
    QCOMPARE(c.height, 550);
    QVERIFY(c.atvet);
    QVERIFY(c.shImpQty);
    QVERIFY(!c.shImpPrice);

    IniFile out(m_program + QStringLiteral("/out.ini"));
    writeConfig(out, c);
    QVERIFY(out.save());
    const QStringList order = {QStringLiteral("[Printers]"), QStringLiteral("SzallLev="), QStringLiteral("Egyeb="),
                               QStringLiteral("[Szamla]"),   QStringLiteral("Atvet=1"),   QStringLiteral("[Konyvelo]"),
                               QStringLiteral("[Defaults]"), QStringLiteral("SHImpQty=1"), QStringLiteral("Pic2="),
                               QStringLiteral("[Database]"), QStringLiteral("Archive="),   QStringLiteral("[Screen]"),
                               QStringLiteral("STop=0")};
    const QString text = readFile(out.path());
    int at = 0;
    for (const QString& piece : order) {
        const int found = text.indexOf(piece, at);
        QVERIFY2(found >= 0, qPrintable(piece));
        at = found;
    }
    QVERIFY(text.contains(QStringLiteral("FontSize=22")));
    QVERIFY(text.contains(QStringLiteral("KEmil=")));
    // The new-customer defaults are read but never written.
    QVERIFY(!text.contains(QStringLiteral("tblugyfel")));
}

void StartupTest::startCancelledOrOpened() {
    {
        AppContext ctx;
        Database db(QStringLiteral("start1"));
        ScriptedDialogs dialogs;
        dialogs.answers = {QVariant()}; // cancel the choice
        QCOMPARE(startUp(ctx, db, dialogs, m_program), StartupResult::Cancelled);
        QVERIFY(!db.isOpen());
        QCOMPARE(dialogs.askedOf(QStringLiteral("chooseDatabase")),
                 QStringList{kChooseDatabaseCaption + QStringLiteral(" | 1. Teszt adatbázis,2. Éles adatbázis")});
    }
    AppContext ctx;
    Database db(QStringLiteral("start2"));
    ScriptedDialogs dialogs;
    dialogs.answers = {0};
    QCOMPARE(startUp(ctx, db, dialogs, m_program), StartupResult::Opened);
    QVERIFY(db.isOpen());
    QCOMPARE(ctx.db, &db);
    QCOMPARE(ctx.folders.data, ctx.folders.work + QStringLiteral("/Data"));
    QCOMPARE(ctx.user.name, QStringLiteral("rendszergazda"));
    QVERIFY(ctx.user.rendszergazda && ctx.user.iras);
    db.execSql(QStringLiteral("UPDATE tulajdonos SET tulajdonos = 'Próba Kft.'"));
    QCOMPARE(mainCaption(db), QStringLiteral("Orvix Számla: [Próba Kft.]"));
    ctx.config.fontSize = 14;
    shutDown(ctx);
    QVERIFY(!db.isOpen());
    QCOMPARE(IniFile(ctx.folders.iniPath()).intValue(QStringLiteral("Defaults"), QStringLiteral("FontSize"), 0), 14);
}

// A Zentra folder that does not exist switches the feed off for the run,
// after "Nem létező Zentra adatbázis"; an existing one keeps it on.
void StartupTest::zentraFolderIsCheckedAtStart_data() {
    QTest::addColumn<bool>("folderExists");
    QTest::newRow("folder exists") << true;
    QTest::newRow("folder missing") << false;
}

void StartupTest::zentraFolderIsCheckedAtStart() {
    QFETCH(bool, folderExists);
    const QString zentra = m_tmp.filePath(QStringLiteral("zentra"));
    if (folderExists)
        QDir().mkpath(zentra);
    {
        AppContext ctx;
        Database db(QStringLiteral("zentra1"));
        ScriptedDialogs dialogs;
        dialogs.answers = {0};
        QCOMPARE(startUp(ctx, db, dialogs, m_program), StartupResult::Opened);
        db.execSql(QStringLiteral("UPDATE beallit SET vanzentra='I', evautvonal=?"), {zentra});
        shutDown(ctx);
    }
    AppContext ctx;
    Database db(QStringLiteral("zentra2"));
    ScriptedDialogs dialogs;
    dialogs.answers = {0};
    QCOMPARE(startUp(ctx, db, dialogs, m_program), StartupResult::Opened);
    QCOMPARE(ctx.settings.vanzentra, folderExists);
    QCOMPARE(dialogs.askedOf(QStringLiteral("error")),
             folderExists ? QStringList() : QStringList{QStringLiteral("Nem létező Zentra adatbázis")});
    // The setting itself stays as it was.
    QCOMPARE(db.queryText(QStringLiteral("SELECT vanzentra FROM beallit"), QString()), QStringLiteral("I"));
    shutDown(ctx);
    QDir(zentra).removeRecursively();
}

void StartupTest::folderWithoutDatabaseAsksBeforeCreating() {
    const Folders f = locateFolders(m_program);
    const QString empty = m_program + QStringLiteral("/Ures");
    QDir().mkpath(empty);
    writeFile(f.iniPath(), QStringLiteral("[Adatbazis]\r\nConStr1=Üres;%1;\r\n").arg(empty).toUtf8());
    {
        AppContext ctx;
        Database db(QStringLiteral("ask1"));
        ScriptedDialogs dialogs;
        dialogs.answers = {0, false};
        QCOMPARE(startUp(ctx, db, dialogs, m_program), StartupResult::Cancelled);
        QCOMPARE(dialogs.askedOf(QStringLiteral("question")).size(), 1);
        QVERIFY(!QFile::exists(Database::databaseFile(empty))); // nothing silently created
    }
    AppContext ctx;
    Database db(QStringLiteral("ask2"));
    ScriptedDialogs dialogs;
    dialogs.answers = {0, true};
    QCOMPARE(startUp(ctx, db, dialogs, m_program), StartupResult::Opened);
    QVERIFY(db.hasTable(QStringLiteral("beallit")));
    QCOMPARE(ctx.settings.szlabetu, QStringLiteral("SA"));
}

void StartupTest::fieldPatchesBringOldFolderUpToDate_data() {
    QTest::addColumn<QString>("kata");
    QTest::addColumn<QString>("tkata");
    QTest::newRow("not a small taxpayer") << "N" << "N";
    QTest::newRow("small taxpayer") << "I" << "I";
}

void StartupTest::fieldPatchesBringOldFolderUpToDate() {
    QFETCH(QString, kata);
    QFETCH(QString, tkata);
    TempDataFolder t(QStringLiteral("patch"));
    Database& db = t.db;
    // Make it an older folder: the recent fields are missing.
    const std::pair<const char*, const char*> dropped[] = {
        {"cikkszam", "neta"},       {"szla", "neta"},         {"beallit", "penzforgelsz"}, {"szla", "adoment_hiv"},
        {"szla", "penzforgelsz"},   {"szla", "tkata"},        {"minta_sor", "megjegyzes"}};
    for (const auto& [table, field] : dropped)
        db.execSql(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(QLatin1String(table), QLatin1String(field)));
    db.execSql(QStringLiteral("UPDATE beallit SET kata = ?"), {kata});
    db.execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam, fa) VALUES ('S', 1, 'I')"));
    db.execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam, fa) VALUES ('S', 2, 'N')"));
    db.execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev) VALUES ('A1', 'Alma')"));

    applyFieldPatches(db);
    for (const auto& [table, field] : dropped)
        QVERIFY2(db.hasField(QLatin1String(table), QLatin1String(field)), field);
    QCOMPARE(db.fieldInfo(QStringLiteral("minta_sor"), QStringLiteral("megjegyzes")).width, 255);
    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE tkata = ?"), 0, {tkata}), 2);
    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE neta = 'N' AND penzforgelsz = 'N' "
                                        "AND adoment_hiv = 'N'"),
                         0),
             2);
    QCOMPARE(db.queryText(QStringLiteral("SELECT neta FROM cikkszam"), QString()), QStringLiteral("N"));
    QCOMPARE(db.queryText(QStringLiteral("SELECT penzforgelsz FROM beallit"), QString()), QStringLiteral("N"));

    // A current folder is left as it is.
    db.execSql(QStringLiteral("UPDATE szla SET tkata = 'X'"));
    applyFieldPatches(db);
    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE tkata = 'X'"), 0), 2);
}

// A folder without the hand-over flag: documents marked sent until now may
// have been handed over, so they keep counting as handed over; the e-mail
// mark itself stays.
void StartupTest::handOverFlagTakenFromSentMark() {
    TempDataFolder t(QStringLiteral("handover"));
    Database& db = t.db;
    db.execSql(QStringLiteral("ALTER TABLE szla DROP COLUMN atadva"));
    db.execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam, kuldve) VALUES ('S', 1, TRUE), ('S', 2, FALSE), "
                              "('S', 3, NULL)"));
    applyFieldPatches(db);
    QCOMPARE(db.fieldInfo(QStringLiteral("szla"), QStringLiteral("atadva")).type, QStringLiteral("BOOLEAN"));
    QCOMPARE(db.fillItems(QStringLiteral("SELECT atadva || '/' || COALESCE(kuldve, '-') FROM szla ORDER BY szlaszam")),
             (QStringList{"1/1", "0/0", "0/-"}));
}

// A start stopped between adding a field and filling it must not leave an
// added but empty field, which the next start would take as patched.
void StartupTest::fieldPatchStoppedHalfWayIsRedone() {
    TempDataFolder t(QStringLiteral("patch_stop"));
    Database& db = t.db;
    const std::pair<const char*, const char*> dropped[] = {
        {"cikkszam", "neta"}, {"szla", "neta"}, {"szla", "adoment_hiv"}, {"szla", "tkata"}};
    for (const auto& [table, field] : dropped)
        db.execSql(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(QLatin1String(table), QLatin1String(field)));
    db.execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam, fa) VALUES ('S', 1, 'N')"));
    db.execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev) VALUES ('A1', 'Alma')"));
    // The filling of the documents fails, as a start killed at that moment.
    db.execSql(QStringLiteral("CREATE TRIGGER megall BEFORE UPDATE ON szla BEGIN SELECT RAISE(ABORT, 'leállítva'); END"));
    QVERIFY_THROWS_EXCEPTION(DbError, applyFieldPatches(db));
    QVERIFY(!db.inTransaction());
    for (const auto& [table, field] : dropped)
        QVERIFY2(!db.hasField(QLatin1String(table), QLatin1String(field)), field);

    db.execSql(QStringLiteral("DROP TRIGGER megall"));
    applyFieldPatches(db);
    QCOMPARE(db.queryText(QStringLiteral("SELECT neta FROM cikkszam"), QString()), QStringLiteral("N"));
    QCOMPARE(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE neta = 'N' AND adoment_hiv = 'N' "
                                        "AND tkata = 'N'"),
                         0),
             1);
}

void StartupTest::settingsRecord() {
    TempDataFolder t(QStringLiteral("settings"));
    Database& db = t.db;
    db.execSql(QStringLiteral("UPDATE beallit SET indulszla = NULL, szlabetu = '', amtm = NULL, szlacikkszam = 'N', "
                              "vangari = 'I', vanmentes = '', formatft = '### ##0.00', afa1 = 18"));
    Settings s = loadSettings(db);
    QCOMPARE(s.indulszla, 1);
    QCOMPARE(s.szlabetu, QStringLiteral("SA"));
    QCOMPARE(s.amtm, QStringLiteral("AM"));
    QVERIFY(s.szlacikkszam); // on for "N"
    QVERIFY(s.vangari);
    QVERIFY(!s.vanmentes);   // an empty flag is off
    QCOMPARE(s.formatft, QStringLiteral("### ##0.00"));
    QCOMPARE(s.afa1, 18.0);
    db.execSql(QStringLiteral("UPDATE beallit SET indulszla = 0, szlacikkszam = 'I', amtm = 'XY'"));
    s = loadSettings(db);
    QCOMPARE(s.indulszla, 1);
    QVERIFY(!s.szlacikkszam);
    QCOMPARE(s.amtm, QStringLiteral("XY"));
    db.execSql(QStringLiteral("UPDATE beallit SET indulszla = 120"));
    QCOMPARE(loadSettings(db).indulszla, 120);
}

// An older folder lacks indexes of the catalogue: the start makes them, and
// when documents already share a number it warns, naming the numbers, and
// opens the folder all the same.
void StartupTest::olderFolderGetsItsIndexes() {
    const Folders f = locateFolders(m_program);
    const QString folder = m_program + QStringLiteral("/Regi");
    {
        Database old(QStringLiteral("older"));
        data::createDataFolder(old, folder);
        old.execSql(QStringLiteral("DROP INDEX idx_szla_szlaszam"));
        old.execSql(QStringLiteral("DROP INDEX idx_szla_ugyfel_nev"));
        old.execSql(QStringLiteral("DROP INDEX idx_ugyfel_nev"));
        old.execSql(
            QStringLiteral("INSERT INTO szla (prntip, szlaszam) VALUES ('S', 31), ('J', 31), ('S', 32)"));
    }
    writeFile(f.iniPath(), QStringLiteral("[Adatbazis]\r\nConStr1=Régi;%1;\r\n").arg(folder).toUtf8());
    AppContext ctx;
    Database db(QStringLiteral("older2"));
    ScriptedDialogs dialogs;
    dialogs.answers = {0};
    QCOMPARE(startUp(ctx, db, dialogs, m_program), StartupResult::Opened);
    const QStringList warnings = dialogs.askedOf(QStringLiteral("warning"));
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings.first().contains(QStringLiteral("Ismétlődő sorszámok: 00031 (2 bizonylat)")),
             qPrintable(warnings.first()));
    const auto present = [&](const char* name) {
        return db.queryInt(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name=?"), 0,
                           {QLatin1String(name)}) == 1;
    };
    QVERIFY(present("idx_szla_ugyfel_nev"));
    QVERIFY(present("idx_ugyfel_nev"));
    QVERIFY(!present("idx_szla_szlaszam"));
}

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
