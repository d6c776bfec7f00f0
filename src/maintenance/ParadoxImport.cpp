#include "maintenance/ParadoxImport.h"

#include "common/Codepage.h"
#include "common/Database.h"
#include "data/Schema.h"
#include "maintenance/Reindex.h"
#include "maintenance/Upgrade.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

// The library's header declares no C linkage of its own.
extern "C" {
#include <paradox.h>
}

#include <memory>
#include <vector>

namespace orvix::maintenance {

namespace {

struct PxError {
    QString text;
};

void onPxError(pxdoc_t* doc, int level, const char* msg, void* data) {
    (void)doc;
    if (level == PX_Warning)
        return;
    auto* error = static_cast<PxError*>(data);
    if (error && error->text.isEmpty())
        error->text = QString::fromLocal8Bit(msg);
}

// One open Paradox table.
class PxTable {
public:
    explicit PxTable(const QString& path) : m_path(path) {
        m_doc = PX_new3(onPxError, nullptr, nullptr, nullptr, &m_error);
        if (!m_doc)
            throw DbError(QStringLiteral("Nincs elég memória."));
        if (PX_open_file(m_doc, QFile::encodeName(path).constData()) < 0)
            throw DbError(m_error.text.isEmpty() ? QStringLiteral("A tábla nem nyitható meg.") : m_error.text);
        m_open = true;
        const QString memo = QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName();
        for (const QString& ext : {QStringLiteral(".MB"), QStringLiteral(".mb")})
            if (QFileInfo::exists(memo + ext)) {
                PX_set_blob_file(m_doc, QFile::encodeName(memo + ext).constData());
                break;
            }
    }
    ~PxTable() {
        if (m_open)
            PX_close(m_doc);
        if (m_doc)
            PX_delete(m_doc);
    }
    PxTable(const PxTable&) = delete;
    PxTable& operator=(const PxTable&) = delete;

    pxdoc_t* doc() { return m_doc; }
    PxError& error() { return m_error; }
    Codepage codepage() const {
        // Tables of the Windows program carry 1250; DOS-era ones 852.
        return m_doc->px_head->px_doscodepage == 1250 ? Codepage::Cp1250 : Codepage::Cp852;
    }

private:
    QString m_path;
    pxdoc_t* m_doc = nullptr;
    bool m_open = false;
    PxError m_error;
};

struct Column {
    QString name;     // the catalogue's spelling
    int offset = 0;   // in the record
    int length = 0;
    char type = 0;
    QString declaration;
};

QString declarationOf(const data::FieldDef& f, const pxfield_t& px) {
    switch (px.px_ftype) {
    case pxfAlpha:
        if (f.type == data::FieldType::Char || f.type == data::FieldType::VarChar)
            return QStringLiteral("%1(%2) COLLATE HU").arg(data::typeName(f.type)).arg(px.px_flen);
        return data::declaredType(f);
    case pxfShort:
    case pxfLong:
        return f.type == data::FieldType::AutoInc ? data::declaredType(f) : QStringLiteral("INT");
    case pxfAutoInc:
        return data::declaredType(f);
    default:
        return data::declaredType(f);
    }
}

QVariant readValue(PxTable& table, char* record, const Column& c) {
    pxdoc_t* doc = table.doc();
    char* at = record + c.offset;
    switch (c.type) {
    case pxfAlpha: {
        char* value = nullptr;
        const int r = PX_get_data_alpha(doc, at, c.length, &value);
        if (r <= 0 || !value)
            return QVariant(QMetaType(QMetaType::QString));
        QByteArray bytes(value);
        doc->free(doc, value);
        while (bytes.endsWith(' '))
            bytes.chop(1);
        return decodeCodepage(bytes, table.codepage());
    }
    case pxfDate: {
        long days = 0;
        if (PX_get_data_long(doc, at, c.length, &days) <= 0)
            return QVariant(QMetaType(QMetaType::QString));
        int y = 0, m = 0, d = 0;
        PX_SdnToGregorian(days + 1721425, &y, &m, &d);
        return QDate(y, m, d).toString(Qt::ISODate);
    }
    case pxfShort: {
        short v = 0;
        if (PX_get_data_short(doc, at, c.length, &v) <= 0)
            return QVariant(QMetaType(QMetaType::LongLong));
        return qlonglong(v);
    }
    case pxfLong:
    case pxfAutoInc: {
        long v = 0;
        if (PX_get_data_long(doc, at, c.length, &v) <= 0)
            return QVariant(QMetaType(QMetaType::LongLong));
        return qlonglong(v);
    }
    case pxfNumber:
    case 0x05: // currency
    case 0x15: // timestamp
    {
        double v = 0;
        if (PX_get_data_double(doc, at, c.length, &v) <= 0)
            return QVariant(QMetaType(QMetaType::Double));
        return v;
    }
    case pxfLogical: {
        char v = 0;
        if (PX_get_data_byte(doc, at, c.length, &v) <= 0)
            return QVariant(QMetaType(QMetaType::LongLong));
        return qlonglong(v ? 1 : 0);
    }
    case pxfMemoBLOb:
    case 0x0d: // binary
    case 0x0e: // formatted memo
    {
        int mod = 0, size = 0;
        char* value = nullptr;
        if (!PX_has_blob_file(doc) || PX_get_data_blob(doc, at, c.length, &mod, &size, &value) <= 0 || !value)
            return QVariant(QMetaType(QMetaType::QString));
        QByteArray bytes(value, size);
        doc->free(doc, value);
        while (bytes.endsWith('\0'))
            bytes.chop(1);
        return decodeCodepage(bytes, table.codepage());
    }
    default:
        return QVariant();
    }
}

// Creates the table in its old layout and copies every row. Returns the row count.
int copyTable(Database& db, const QString& path, const data::TableDef& def, ParadoxImportResult& result) {
    PxTable table(path);
    pxdoc_t* doc = table.doc();
    const int fieldCount = PX_get_num_fields(doc);
    pxfield_t* fields = PX_get_fields(doc);
    if (fieldCount <= 0 || !fields)
        throw DbError(QStringLiteral("A tábla mezőlistája nem olvasható."));
    std::vector<Column> columns;
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const QString name = QString::fromLatin1(fields[i].px_fname);
        const data::FieldDef* f = def.field(name);
        if (f) {
            bool twice = false;
            for (const Column& c : columns)
                twice = twice || c.name == QLatin1String(f->name);
            if (!twice)
                columns.push_back({QLatin1String(f->name), offset, fields[i].px_flen, fields[i].px_ftype,
                                   declarationOf(*f, fields[i])});
        } else {
            result.unknownFields << QStringLiteral("%1.%2").arg(QLatin1String(def.name), name);
        }
        offset += fields[i].px_flen;
    }
    if (columns.empty())
        throw DbError(QStringLiteral("A táblának nincs a program által ismert mezője."));
    // The catalogue's field order, then the key where every key field is there.
    std::vector<Column> ordered;
    for (const data::FieldDef& f : def.fields)
        for (const Column& c : columns)
            if (c.name == QLatin1String(f.name))
                ordered.push_back(c);
    QStringList defs, names, marks;
    bool autoinc = false;
    for (const Column& c : ordered) {
        defs << c.name + QLatin1Char(' ') + c.declaration;
        names << c.name;
        marks << QStringLiteral("?");
        autoinc = autoinc || c.declaration.contains(QLatin1String("AUTOINCREMENT"));
    }
    QStringList key;
    for (const char* k : def.primaryKey)
        key << QLatin1String(k);
    bool keyComplete = !key.isEmpty();
    for (const QString& k : key)
        keyComplete = keyComplete && std::any_of(ordered.begin(), ordered.end(),
                                                 [&](const Column& c) { return c.name == k; });
    if (!autoinc && keyComplete)
        defs << QStringLiteral("PRIMARY KEY (%1)").arg(key.join(QStringLiteral(", ")));
    db.execSql(QStringLiteral("CREATE TABLE %1 (\n  %2\n);").arg(QLatin1String(def.name), defs.join(QStringLiteral(",\n  "))));

    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3);")
                               .arg(QLatin1String(def.name), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    const int records = PX_get_num_records(doc);
    const int recordSize = PX_get_recordsize(doc);
    if (records < 0 || recordSize <= 0 || offset > recordSize)
        throw DbError(QStringLiteral("A tábla fejléce sérült."));
    std::vector<char> buffer(size_t(recordSize) + 16);
    for (int r = 0; r < records; ++r) {
        if (!PX_get_record(doc, r, buffer.data()) || !table.error().text.isEmpty())
            throw DbError(QStringLiteral("A(z) %1. sor nem olvasható.%2")
                              .arg(r + 1)
                              .arg(table.error().text.isEmpty() ? QString() : QLatin1Char('\n') + table.error().text));
        QVariantList values;
        values.reserve(int(ordered.size()));
        for (const Column& c : ordered)
            values << readValue(table, buffer.data(), c);
        db.execSql(insert, values);
    }
    if (!table.error().text.isEmpty())
        throw DbError(table.error().text);
    return records;
}

} // namespace

ParadoxImportResult importParadox(const QString& oldFolder, const QString& newFolder, Reporter& reporter) {
    ParadoxImportResult result;
    const QDir old(oldFolder);
    if (oldFolder.trimmed().isEmpty() || !old.exists())
        throw MaintenanceError(QString(), kNoFolder);
    if (newFolder.trimmed().isEmpty())
        throw MaintenanceError(QString(), QStringLiteral("Adja meg az új adatbázis mappáját."));
    if (Database::isDataFolder(newFolder))
        throw MaintenanceError(QString(), QStringLiteral("A mappában már van adatbázis: %1")
                                              .arg(QDir::toNativeSeparators(newFolder)));
    std::vector<std::pair<QString, const data::TableDef*>> known;
    for (const QFileInfo& file : old.entryInfoList(QDir::Files, QDir::Name)) {
        if (file.suffix().compare(QLatin1String("DB"), Qt::CaseInsensitive) != 0)
            continue;
        const data::TableDef* def = data::findTable(file.completeBaseName());
        if (def && !def->lookupOnly)
            known.emplace_back(file.absoluteFilePath(), def);
        else
            result.unknownTables << file.fileName();
    }
    if (known.empty())
        throw MaintenanceError(QString(), QStringLiteral("A mappában nincs a program által ismert Paradox tábla: %1")
                                              .arg(QDir::toNativeSeparators(oldFolder)));
    for (const QString& name : result.unknownTables)
        reporter.step(QStringLiteral("Ismeretlen tábla, kihagyva: ") + name);

    PX_boot();
    Database db(QStringLiteral("Orvix_Upd_Paradox"));
    try {
        db.create(newFolder, [&](Database& fresh) {
            {
                Database::Transaction tr(fresh);
                int done = 0;
                for (const auto& [path, def] : known) {
                    const QString fileName = QFileInfo(path).fileName();
                    reporter.status(QStringLiteral("Átvétel: ") + fileName);
                    reporter.progress(++done, int(known.size()));
                    try {
                        const int rows = copyTable(fresh, path, *def, result);
                        result.tables << QStringLiteral("%1: %2 sor").arg(QLatin1String(def->name)).arg(rows);
                        reporter.step(QStringLiteral("Átvéve: %1 (%2 sor)").arg(fileName).arg(rows));
                    } catch (const DbError& e) {
                        throw MaintenanceError(fileName, QStringLiteral("A(z) %1 tábla sérült vagy nem olvasható, az "
                                                                        "átvétel leállt.\n%2")
                                                             .arg(fileName, e.text()));
                    }
                }
                tr.commit();
            }
            Database::Transaction tr(fresh);
            upgradeSchema(fresh, reporter);
            const QStringList failed = rebuildIndexes(fresh, reporter);
            if (!failed.isEmpty())
                throw MaintenanceError(QStringLiteral("Index készítés"),
                                       QStringLiteral("Nem készíthető index: %1").arg(failed.join(QStringLiteral(", "))));
            tr.commit();
        });
    } catch (const DbError& e) {
        PX_shutdown();
        throw MaintenanceError(QStringLiteral("Új adatbázis"), e.text());
    } catch (...) {
        PX_shutdown();
        throw;
    }
    PX_shutdown();
    result.integrity = checkAndAnalyze(db, reporter);
    db.close();
    reporter.status(QString());
    return result;
}

} // namespace orvix::maintenance
