#include "core/Startup.h"

#include "common/Database.h"
#include "common/DatabaseList.h"
#include "core/Dialogs.h"
#include "core/Users.h"
#include "data/Indexes.h"
#include "data/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace orvix {

namespace {

QString inFolder(const QString& folder, const QString& name) { return QDir(folder).filePath(name); }

// When the printer key is empty, the system's selected printer is taken.
QString printerOrDefault(const QString& value) {
    if (!value.isEmpty())
        return value;
    return QPrinterInfo::defaultPrinterName();
}

QString existingFileOrEmpty(const QString& path) { return QFileInfo(path).isFile() ? path : QString(); }

} // namespace

Folders locateFolders(const QString& programFolder) {
    Folders f;
    f.program = QDir::cleanPath(programFolder);
    if (QFileInfo(inFolder(f.program, kIniFileName)).isFile()) {
        f.work = f.program;
    } else {
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        f.work = base.isEmpty() ? f.program : inFolder(base, QStringLiteral("Orvix_Szamla"));
    }
    QDir().mkpath(f.work);
    return f;
}

void migrateDatabaseList(IniFile& ini, const QString& workFolder) {
    const QString oldPath = ini.value(QStringLiteral("database"), QStringLiteral("path"));
    if (!oldPath.isEmpty()) {
        ini.setValue(QStringLiteral("Adatbazis"), QStringLiteral("ConStr1"),
                     formatDatabaseEntry(QStringLiteral("1. Éles adatbázis"), oldPath));
        ini.removeKey(QStringLiteral("database"), QStringLiteral("path"));
        ini.save();
        return;
    }
    if (!ini.value(QStringLiteral("Adatbazis"), QStringLiteral("ConStr1")).isEmpty())
        return;
    std::vector<QString> seeded;
    const QString test = inFolder(workFolder, QStringLiteral("Data"));
    ini.setValue(QStringLiteral("Adatbazis"), QStringLiteral("ConStr1"),
                 formatDatabaseEntry(QStringLiteral("1. Teszt adatbázis"), test));
    seeded.push_back(test);
    if (ini.value(QStringLiteral("Adatbazis"), QStringLiteral("ConStr2")).isEmpty()) {
        const QString live = inFolder(workFolder, QStringLiteral("Data_eles"));
        ini.setValue(QStringLiteral("Adatbazis"), QStringLiteral("ConStr2"),
                     formatDatabaseEntry(QStringLiteral("2. Éles adatbázis"), live));
        seeded.push_back(live);
    }
    ini.save();
    // A fresh install gets both folders as new data folders, so that the
    // choice window can be passed at all.
    for (const QString& folder : seeded) {
        if (Database::isDataFolder(folder))
            continue;
        Database db(QStringLiteral("orvix_seed"));
        data::createDataFolder(db, folder);
    }
}

AppConfig readConfig(const IniFile& ini, const Folders& folders) {
    AppConfig c;
    const QString db = QStringLiteral("database");
    const QString defaults = QStringLiteral("Defaults");
    const QString printers = QStringLiteral("Printers");
    const QString screen = QStringLiteral("Screen");
    c.archive = ini.value(db, QStringLiteral("archive"), inFolder(folders.work, QStringLiteral("Archiv")));
    c.atvet = ini.boolValue(QStringLiteral("Szamla"), QStringLiteral("Atvet"), true);
    c.prnSzallLev = printerOrDefault(ini.value(printers, QStringLiteral("SzallLev")));
    c.prnSzla = printerOrDefault(ini.value(printers, QStringLiteral("Szla")));
    c.prnProforma = printerOrDefault(ini.value(printers, QStringLiteral("Proforma")));
    c.prnEgyeb = printerOrDefault(ini.value(printers, QStringLiteral("Egyeb")));
    c.forintUtvonal = ini.value(QStringLiteral("Konyvelo"), QStringLiteral("ForintUtvonal"));
    c.shImpQty = ini.boolValue(defaults, QStringLiteral("SHImpQty"), true);
    c.shImpPrice = ini.boolValue(defaults, QStringLiteral("SHImpPrice"), false);
    c.shImpRend = ini.intValue(defaults, QStringLiteral("SHImpRend"), 0);
    c.shUjUtvonal = ini.value(defaults, QStringLiteral("SHUjUtvonal"));
    c.shAtnevez = ini.boolValue(defaults, QStringLiteral("SHAtnevez"), false);
    c.pic1 = existingFileOrEmpty(
        ini.value(defaults, QStringLiteral("Pic1"), inFolder(folders.program, QStringLiteral("logo.bmp"))));
    c.pic2 = existingFileOrEmpty(
        ini.value(defaults, QStringLiteral("Pic2"), inFolder(folders.program, QStringLiteral("logo2.bmp"))));
    c.html = ini.value(defaults, QStringLiteral("Html"), inFolder(folders.program, QStringLiteral("Html")));
    c.fontSize = std::clamp(ini.intValue(defaults, QStringLiteral("FontSize"), 9), kMinFontSize, kMaxFontSize);
    c.newCustomerAddress = ini.value(QStringLiteral("tblugyfel"), QStringLiteral("cim_cim.defaultvalue"));
    c.newCustomerName = ini.value(QStringLiteral("tblugyfel"), QStringLiteral("ugyfel_nev.defaultvalue"));
    c.cfLocfile = ini.value(defaults, QStringLiteral("CF_locfile"));
    c.cfHttp = ini.value(defaults, QStringLiteral("CF_http"));
    c.cfLocal = ini.value(defaults, QStringLiteral("CF_local"));
    c.left = ini.intValue(screen, QStringLiteral("Left"), 0);
    c.top = ini.intValue(screen, QStringLiteral("Top"), 0);
    c.width = ini.intValue(screen, QStringLiteral("Width"), 770);
    c.height = ini.intValue(screen, QStringLiteral("Height"), 550);
    c.sLeft = ini.intValue(screen, QStringLiteral("SLeft"), 0);
    c.sTop = ini.intValue(screen, QStringLiteral("STop"), 0);
    c.kEmil = ini.value(defaults, QStringLiteral("KEmil"));
    return c;
}

void writeConfig(IniFile& ini, const AppConfig& c) {
    const QString defaults = QStringLiteral("Defaults");
    const QString printers = QStringLiteral("Printers");
    const QString screen = QStringLiteral("Screen");
    ini.setValue(printers, QStringLiteral("SzallLev"), c.prnSzallLev);
    ini.setValue(printers, QStringLiteral("Szla"), c.prnSzla);
    ini.setValue(printers, QStringLiteral("Proforma"), c.prnProforma);
    ini.setValue(printers, QStringLiteral("Egyeb"), c.prnEgyeb);
    ini.setBool(QStringLiteral("Szamla"), QStringLiteral("Atvet"), c.atvet);
    ini.setValue(QStringLiteral("Konyvelo"), QStringLiteral("ForintUtvonal"), c.forintUtvonal);
    ini.setBool(defaults, QStringLiteral("SHImpQty"), c.shImpQty);
    ini.setBool(defaults, QStringLiteral("SHImpPrice"), c.shImpPrice);
    ini.setInt(defaults, QStringLiteral("SHImpRend"), c.shImpRend);
    ini.setValue(defaults, QStringLiteral("SHUjUtvonal"), c.shUjUtvonal);
    ini.setBool(defaults, QStringLiteral("SHAtnevez"), c.shAtnevez);
    ini.setValue(defaults, QStringLiteral("Pic1"), c.pic1);
    ini.setValue(defaults, QStringLiteral("Pic2"), c.pic2);
    ini.setValue(QStringLiteral("Database"), QStringLiteral("Archive"), c.archive);
    ini.setValue(defaults, QStringLiteral("Html"), c.html);
    ini.setInt(defaults, QStringLiteral("FontSize"), c.fontSize);
    ini.setValue(defaults, QStringLiteral("CF_locfile"), c.cfLocfile);
    ini.setValue(defaults, QStringLiteral("CF_http"), c.cfHttp);
    ini.setValue(defaults, QStringLiteral("CF_local"), c.cfLocal);
    ini.setInt(screen, QStringLiteral("Left"), c.left);
    ini.setInt(screen, QStringLiteral("Top"), c.top);
    ini.setInt(screen, QStringLiteral("Width"), c.width);
    ini.setInt(screen, QStringLiteral("Height"), c.height);
    ini.setInt(screen, QStringLiteral("SLeft"), c.sLeft);
    ini.setInt(screen, QStringLiteral("STop"), c.sTop);
    ini.setValue(defaults, QStringLiteral("KEmil"), c.kEmil);
}

namespace {

struct FieldPatch {
    const char* table;      // whose field list is tested
    const char* field;      // the field that is missing
    const char* addTable;   // table of the added field (catalogue gives the type)
    QStringList statements; // run after the field was added
};

// Adds one field with the type the catalogue gives it.
void addField(Database& db, const char* table, const char* field) {
    const data::TableDef* t = data::findTable(QLatin1String(table));
    const data::FieldDef* f = t ? t->field(QLatin1String(field)) : nullptr;
    if (!f)
        throw DbError(QStringLiteral("Ismeretlen mező: %1.%2").arg(QLatin1String(table), QLatin1String(field)));
    db.execSql(data::addFieldSql(*t, *f));
}

} // namespace

void applyFieldPatches(Database& db) {
    // Each table's field list is read once; the tests that follow use it even
    // after fields were added. Each patch adds its fields and fills them in
    // one transaction: a start stopped half-way leaves the field missing, so
    // that the next start patches it again, never an added but unfilled field.
    if (!db.hasField(QStringLiteral("cikkszam"), QStringLiteral("neta"))) {
        Database::Transaction tr(db);
        addField(db, "cikkszam", "neta");
        db.execSql(QStringLiteral("UPDATE cikkszam SET neta = 'N';"));
        if (!db.hasField(QStringLiteral("szla"), QStringLiteral("neta")))
            addField(db, "szla", "neta");
        db.execSql(QStringLiteral("UPDATE szla SET neta = 'N';"));
        tr.commit();
    }
    if (!db.hasField(QStringLiteral("beallit"), QStringLiteral("penzforgelsz"))) {
        Database::Transaction tr(db);
        addField(db, "beallit", "penzforgelsz");
        db.execSql(QStringLiteral("UPDATE beallit SET penzforgelsz = 'N';"));
        tr.commit();
    }
    const QStringList szlaFields = db.fieldNames(QStringLiteral("szla"));
    if (!szlaFields.contains(QStringLiteral("adoment_hiv"), Qt::CaseInsensitive)) {
        Database::Transaction tr(db);
        addField(db, "szla", "adoment_hiv");
        db.execSql(QStringLiteral("UPDATE szla SET adoment_hiv = 'N';"));
        tr.commit();
    }
    if (!szlaFields.contains(QStringLiteral("penzforgelsz"), Qt::CaseInsensitive)) {
        Database::Transaction tr(db);
        addField(db, "szla", "penzforgelsz");
        db.execSql(QStringLiteral("UPDATE szla SET penzforgelsz = 'N';"));
        tr.commit();
    }
    if (!szlaFields.contains(QStringLiteral("tkata"), Qt::CaseInsensitive)) {
        Database::Transaction tr(db);
        addField(db, "szla", "tkata");
        db.execSql(QStringLiteral("UPDATE szla SET tkata = CASE WHEN (SELECT MAX(kata) FROM beallit) = 'I' "
                                  "THEN 'I' ELSE 'N' END;"));
        tr.commit();
    }
    // The hand-over to the accounting program has its own flag; a folder
    // whose documents were marked in kuldve (e-mailed or handed over, the two
    // could not be told apart) keeps them as handed over, so that none is
    // handed over twice.
    if (!szlaFields.contains(QStringLiteral("atadva"), Qt::CaseInsensitive)) {
        Database::Transaction tr(db);
        addField(db, "szla", "atadva");
        db.execSql(QStringLiteral("UPDATE szla SET atadva = CASE WHEN kuldve THEN TRUE ELSE FALSE END;"));
        tr.commit();
    }
    if (!db.hasField(QStringLiteral("minta_sor"), QStringLiteral("megjegyzes"))) {
        Database::Transaction tr(db);
        addField(db, "minta_sor", "megjegyzes");
        db.execSql(QStringLiteral("UPDATE szla SET adoment_hiv = 'N' WHERE fa = 'I';"));
        db.execSql(QStringLiteral("UPDATE szla SET adoment_hiv = 'N' WHERE tkata = 'I';"));
        tr.commit();
    }
    // Passwords are kept as salted hashes in a field of their own.
    ensureUserHashField(db);
}

QString mainCaption(Database& db) {
    const QString owner = db.queryText(QStringLiteral("SELECT tulajdonos FROM tulajdonos;"), QString());
    return QStringLiteral("Orvix Számla: [") + owner.trimmed() + QLatin1Char(']');
}

bool openDataFolder(Database& db, const QString& folder, Dialogs& dialogs) {
    try {
        if (!Database::isDataFolder(folder)) {
            if (!dialogs.question(kCaptionQuestion,
                                  QStringLiteral("A(z) %1 mappában nincs adatbázis.\nLétrehozzak itt egy új, üres "
                                                 "adatbázist?")
                                      .arg(QDir::toNativeSeparators(folder))))
                return false;
            data::createDataFolder(db, folder);
            return true;
        }
        db.open(folder);
        return true;
    } catch (const DbError& e) {
        dialogs.error(QStringLiteral("Adatbázis megnyitása sikertelen\n") + e.text());
        return false;
    }
}

namespace {

void checkZentraFolder(AppContext& ctx, Dialogs& dialogs) {
    if (ctx.settings.vanzentra && !QFileInfo(ctx.settings.evautvonal).isDir()) {
        dialogs.error(QStringLiteral("Nem létező Zentra adatbázis"));
        ctx.settings.vanzentra = false;
    }
}

} // namespace

StartupResult startUp(AppContext& ctx, Database& db, Dialogs& dialogs, const QString& programFolder) {
    ctx.folders = locateFolders(programFolder);
    ctx.ini.load(ctx.folders.iniPath());
    try {
        migrateDatabaseList(ctx.ini, ctx.folders.work);
    } catch (const DbError& e) {
        dialogs.error(e.text());
    }

    const std::vector<DatabaseEntry> list = readDatabaseList(ctx.ini);
    QStringList names, entries;
    for (const DatabaseEntry& e : list) {
        names << e.name;
        entries << e.raw;
    }
    const int chosen = dialogs.chooseDatabase(kChooseDatabaseCaption, names, entries);
    if (chosen < 0 || chosen >= int(list.size()))
        return StartupResult::Cancelled;

    ctx.folders.data = resolveDataFolder(list[size_t(chosen)].folder, ctx.folders.program);
    ctx.config = readConfig(ctx.ini, ctx.folders);
    ctx.folders.archive = ctx.config.archive;

    if (!openDataFolder(db, ctx.folders.data, dialogs))
        return StartupResult::Cancelled;
    try {
        applyFieldPatches(db);
        // An older folder gets the indexes it lacks (the first start after an
        // upgrade builds them once). Document numbers are guarded by a unique
        // index; a folder whose numbers already repeat is warned about
        // instead of refused.
        for (const QString& warning : data::ensureIndexes(db).warnings)
            dialogs.warning(warning);
        ctx.settings = loadSettings(db);
    } catch (const DbError& e) {
        dialogs.error(QStringLiteral("Adatbázis megnyitása sikertelen\n") + e.text());
        db.close();
        return StartupResult::Cancelled;
    }
    checkZentraFolder(ctx, dialogs);
    ctx.user = CurrentUser{};
    ctx.db = &db;
    return StartupResult::Opened;
}

void reloadSettings(AppContext& ctx, Database& db, Dialogs& dialogs) {
    ctx.settings = loadSettings(db);
    checkZentraFolder(ctx, dialogs);
}

void shutDown(AppContext& ctx) {
    if (ctx.db)
        ctx.db->close();
    ctx.db = nullptr;
    writeConfig(ctx.ini, ctx.config);
    ctx.ini.save();
}

} // namespace orvix
