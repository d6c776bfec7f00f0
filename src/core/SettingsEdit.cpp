#include "core/SettingsEdit.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "data/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

namespace orvix {

namespace {

const data::TableDef& settingsTable() {
    static const data::TableDef* table = data::findTable(QStringLiteral("beallit"));
    return *table;
}

const data::FieldDef* settingField(const QString& key) {
    for (const data::FieldDef& f : settingsTable().fields)
        if (f.type != data::FieldType::AutoInc && key.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

bool isFlag(const data::FieldDef& f) { return f.type == data::FieldType::Char && f.width == 1; }

// The lowest and highest whole number each numeric field takes.
QPair<qint64, qint64> numberRange(const QString& name) {
    if (name == QLatin1String("indulszla"))
        return {1, 999999999};
    if (name == QLatin1String("alappld"))
        return {0, 99};
    if (name == QLatin1String("szlaforma"))
        return {0, 1}; // Design 1 or Design 2
    return {0, 9999};
}

// The settings that name a folder of this machine.
bool isFolderSetting(const QString& name) {
    return name == QLatin1String("evautvonal") || name == QLatin1String("printerutv");
}

} // namespace

SettingValues settingValues(Database& db) {
    SettingValues values;
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM beallit ORDER BY beallit LIMIT 1"));
    const bool has = q.next();
    for (const data::FieldDef& f : settingsTable().fields) {
        if (f.type == data::FieldType::AutoInc)
            continue;
        const QVariant v = has ? q.value(QString::fromLatin1(f.name)) : QVariant();
        QString text = v.isNull() ? QString() : v.toString();
        if (f.type == data::FieldType::Float && !v.isNull())
            text = QString::number(v.toDouble(), 'g', 15);
        values.append({QString::fromLatin1(f.name), text});
    }
    return values;
}

std::optional<QString> checkSetting(const QString& key, const QString& value) {
    const data::FieldDef* f = settingField(key);
    if (!f)
        return QStringLiteral("Ismeretlen beállítás: %1").arg(key);
    const QString name = QString::fromLatin1(f->name);
    if (isFlag(*f)) {
        if (value != QLatin1String("I") && value != QLatin1String("N"))
            return QStringLiteral("A(z) %1 értéke I vagy N lehet, nem \"%2\".").arg(name, value);
        return std::nullopt;
    }
    switch (f->type) {
    case data::FieldType::Int:
    case data::FieldType::SmallInt: {
        bool ok = false;
        const qint64 n = value.trimmed().toLongLong(&ok);
        const auto [low, high] = numberRange(name);
        if (!ok)
            return QStringLiteral("A(z) %1 értéke egész szám kell legyen, nem \"%2\".").arg(name, value);
        if (n < low || n > high)
            return QStringLiteral("A(z) %1 értéke %2 és %3 között lehet, nem %4.").arg(name).arg(low).arg(high).arg(n);
        return std::nullopt;
    }
    case data::FieldType::Float: {
        bool ok = false;
        const double d = QString(value.trimmed()).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return QStringLiteral("A(z) %1 értéke szám kell legyen, nem \"%2\".").arg(name, value);
        if (d < 0 || d > 100)
            return QStringLiteral("A(z) %1 (ÁFA kulcs) 0 és 100 között lehet, nem %2.").arg(name, value);
        return std::nullopt;
    }
    default:
        break;
    }
    if (f->width > 0 && value.size() > f->width)
        return QStringLiteral("A(z) %1 legfeljebb %2 karakter lehet.").arg(name).arg(f->width);
    if (name == QLatin1String("amtm") && !value.isEmpty() && value != QLatin1String("AM"))
        return QStringLiteral("Az alanyi mentes betűjele üres vagy AM lehet, nem \"%1\".").arg(value);
    if (isFolderSetting(name) && !value.trimmed().isEmpty() && !QFileInfo(value.trimmed()).isDir())
        return QStringLiteral("Nem létező mappa (%1): %2").arg(name, QDir::toNativeSeparators(value.trimmed()));
    return std::nullopt;
}

std::optional<QString> saveSettings(Database& db, const SettingValues& changes) {
    for (const auto& [key, value] : changes) {
        if (const auto error = checkSetting(key, value))
            return error;
        // The default payment method reaches every new document and customer.
        if (key.compare(QLatin1String("alapfiztip"), Qt::CaseInsensitive) == 0 &&
            db.queryInt(QStringLiteral("SELECT COUNT(*) FROM fiztip WHERE fiztip = ?"), 0,
                        {value.trimmed().toLongLong()}) == 0)
            return QStringLiteral("Nem létező fizetési mód: %1").arg(value.trimmed());
    }
    if (changes.isEmpty())
        return std::nullopt;
    if (db.queryInt(QStringLiteral("SELECT COUNT(*) FROM beallit"), 0) == 0)
        return QStringLiteral("Az adatmappában nincs beállítás rekord (beallit); a karbantartó program pótolja.");
    Database::Transaction tx(db);
    for (const auto& [key, value] : changes) {
        const data::FieldDef* f = settingField(key);
        QVariant v = value;
        if (f->type == data::FieldType::Int || f->type == data::FieldType::SmallInt)
            v = value.trimmed().toLongLong();
        else if (f->type == data::FieldType::Float)
            v = QString(value.trimmed()).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
        db.execSql(QStringLiteral("UPDATE beallit SET %1 = ?").arg(QString::fromLatin1(f->name)), {v});
    }
    tx.commit();
    return std::nullopt;
}

IniSettings iniSettings(const AppConfig& config) {
    return {config.archive,     config.pic1,     config.pic2,     config.prnSzla,
            config.prnSzallLev, config.prnProforma, config.prnEgyeb, config.atvet};
}

std::optional<QString> checkIniSettings(const IniSettings& values) {
    // The archive folder is the program's own: a new one is made (as the
    // archive itself would make it), and refused only when it cannot be.
    const QString archive = values.archive.trimmed();
    if (!archive.isEmpty() && !QFileInfo(archive).isDir() && !QDir().mkpath(archive))
        return QStringLiteral("Nem létező archiválási mappa, és nem is hozható létre: %1")
            .arg(QDir::toNativeSeparators(archive));
    for (const QString& picture : {values.pic1, values.pic2})
        if (!picture.trimmed().isEmpty() && !QFileInfo(picture.trimmed()).isFile())
            return QStringLiteral("Nem létező képfájl: %1").arg(QDir::toNativeSeparators(picture.trimmed()));
    return std::nullopt;
}

void applyIniSettings(AppContext& ctx, const IniSettings& values) {
    AppConfig& c = ctx.config;
    c.archive = values.archive.trimmed();
    c.pic1 = values.pic1.trimmed();
    c.pic2 = values.pic2.trimmed();
    c.prnSzla = values.prnSzla;
    c.prnSzallLev = values.prnSzallLev;
    c.prnProforma = values.prnProforma;
    c.prnEgyeb = values.prnEgyeb;
    c.atvet = values.atvet;
    ctx.folders.archive = c.archive;
}

} // namespace orvix
