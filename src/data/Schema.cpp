#include "data/Schema.h"

#include "common/Database.h"

#include <QFile>
#include <QStringList>

static void initOrvixResources() { Q_INIT_RESOURCE(resources); }

namespace orvix::data {

const FieldDef* TableDef::field(const QString& fieldName) const {
    for (const FieldDef& f : fields)
        if (fieldName.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const TableDef* findTable(const QString& name) {
    for (const TableDef& t : catalogue())
        if (name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

int fieldWidth(const QString& table, const QString& field) {
    const TableDef* t = findTable(table);
    const FieldDef* f = t ? t->field(field) : nullptr;
    if (!f || (f->type != FieldType::Char && f->type != FieldType::VarChar))
        return 0;
    return f->width;
}

QString typeName(FieldType type) {
    switch (type) {
    case FieldType::AutoInc: return QStringLiteral("AUTOINC");
    case FieldType::Int: return QStringLiteral("INT");
    case FieldType::SmallInt: return QStringLiteral("SMALLINT");
    case FieldType::Float: return QStringLiteral("FLOAT");
    case FieldType::Char: return QStringLiteral("CHAR");
    case FieldType::VarChar: return QStringLiteral("VARCHAR");
    case FieldType::Date: return QStringLiteral("DATE");
    case FieldType::Boolean: return QStringLiteral("BOOLEAN");
    case FieldType::Memo: return QStringLiteral("MEMO");
    case FieldType::Text: return QStringLiteral("TEXT");
    }
    return {};
}

QString declaredType(const FieldDef& f) {
    switch (f.type) {
    case FieldType::AutoInc: return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case FieldType::Char: return QStringLiteral("CHAR(%1) COLLATE HU").arg(f.width);
    case FieldType::VarChar: return QStringLiteral("VARCHAR(%1) COLLATE HU").arg(f.width);
    // The declared name keeps the text affinity that MEMO alone would not give.
    case FieldType::Memo: return QStringLiteral("MEMO TEXT COLLATE HU");
    case FieldType::Text: return QStringLiteral("TEXT COLLATE HU");
    default: return typeName(f.type);
    }
}

QString createTableSql(const TableDef& t) {
    QStringList lines;
    lines << QStringLiteral("CREATE TABLE %1 (").arg(QLatin1String(t.name));
    bool autoincKey = false;
    QStringList defs;
    for (const FieldDef& f : t.fields) {
        defs << QStringLiteral("  %1 %2").arg(QLatin1String(f.name), declaredType(f));
        if (f.type == FieldType::AutoInc)
            autoincKey = true;
    }
    if (!autoincKey && !t.primaryKey.empty()) {
        QStringList keys;
        for (const char* k : t.primaryKey)
            keys << QLatin1String(k);
        defs << QStringLiteral("  PRIMARY KEY (%1)").arg(keys.join(QStringLiteral(", ")));
    }
    lines << defs.join(QStringLiteral(",\n"));
    lines << QStringLiteral(");");
    return lines.join(QLatin1Char('\n'));
}

QStringList createIndexSql(const TableDef& t) {
    QStringList out;
    for (const IndexDef& i : t.indexes)
        out << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4%5);")
                   .arg(i.unique ? QStringLiteral("UNIQUE ") : QString(), QLatin1String(i.name),
                        QLatin1String(t.name), QLatin1String(i.expression ? i.expression : i.field),
                        i.descending ? QStringLiteral(" DESC") : QString());
    return out;
}

QString addFieldSql(const TableDef& t, const FieldDef& f) {
    return QStringLiteral("ALTER TABLE %1 ADD %2 %3;").arg(QLatin1String(t.name), QLatin1String(f.name), declaredType(f));
}

std::vector<std::pair<QString, QString>> postcodeRows() {
    initOrvixResources();
    std::vector<std::pair<QString, QString>> rows;
    QFile f(QStringLiteral(":/orvix/irsz.csv"));
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (int i = 1; i < lines.size(); ++i) { // the first line names the columns
        const QString line = lines.at(i).trimmed();
        const int sep = line.indexOf(QLatin1Char(';'));
        if (sep <= 0)
            continue;
        rows.emplace_back(line.left(sep).trimmed(), line.mid(sep + 1).trimmed());
    }
    return rows;
}

void createSchema(Database& db) {
    Database::Transaction tr(db);
    for (const TableDef& t : catalogue()) {
        db.execSql(createTableSql(t));
        for (const QString& s : createIndexSql(t))
            db.execSql(s);
        for (const SeedRow& row : t.seeds) {
            QStringList marks;
            for (int i = 0; i < row.fields.size(); ++i)
                marks << QStringLiteral("?");
            db.execSql(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3);")
                           .arg(QLatin1String(t.name), row.fields.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                       row.values);
        }
    }
    if (findTable(QStringLiteral("irsz"))) {
        for (const auto& [code, town] : postcodeRows())
            db.execSql(QStringLiteral("INSERT INTO irsz (irsz, varos) VALUES (?, ?);"), {code, town});
    }
    tr.commit();
}

void createDataFolder(Database& db, const QString& folder) {
    // The database gets its name only once every table and seed row is in:
    // a folder either holds a whole data folder or none.
    db.create(folder, [](Database& fresh) { createSchema(fresh); });
}

QStringList missingTables(Database& db) {
    const QStringList present = db.tableNames();
    QStringList missing;
    for (const TableDef& t : catalogue())
        if (!t.lookupOnly && !present.contains(QLatin1String(t.name), Qt::CaseInsensitive))
            missing << QLatin1String(t.name);
    return missing;
}

} // namespace orvix::data
