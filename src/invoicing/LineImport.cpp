#include "invoicing/LineImport.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/TextUtil.h"
#include "invoicing/LineEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStringList>

#include <cmath>

namespace orvix {

namespace {

// One record as read: the code and the texts of its values (a null text
// when the value is not given).
struct RawRecord {
    QString code;
    QString quantity;
    QString price;
    bool incomplete = false; // the text ended before its values
};

QStringList textLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

std::vector<RawRecord> readRecords(const QStringList& lines, const ImportOptions& options) {
    std::vector<RawRecord> records;
    if (options.semicolon) {
        for (const QString& line : lines) {
            RawRecord r;
            r.code = field(line, QLatin1Char(';'), 1);
            if (options.quantity)
                r.quantity = field(line, QLatin1Char(';'), 2);
            // The price is the third value also without a quantity.
            if (options.price)
                r.price = field(line, QLatin1Char(';'), 3);
            records.push_back(r);
        }
        return records;
    }
    const int size = 1 + (options.quantity ? 1 : 0) + (options.price ? 1 : 0);
    for (int i = 0; i < lines.size(); i += size) {
        RawRecord r;
        r.code = lines.at(i);
        int next = i + 1;
        if (options.quantity)
            r.quantity = lines.value(next++);
        if (options.price)
            r.price = lines.value(next++);
        r.incomplete = next > lines.size();
        records.push_back(r);
    }
    return records;
}

} // namespace

std::optional<double> importNumber(const QString& text) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

ImportResult ImportLines(Database& db, Dialogs& dialogs, const LineDocument& doc, const QString& text,
                         const ImportOptions& options, const QDate& today,
                         const std::function<void(int)>& progress) {
    if (doc.posted)
        throw DocumentError(kPostedDocumentMessage);
    ImportResult result;
    const std::vector<RawRecord> records = readRecords(textLines(text), options);
    if (records.empty())
        return result;

    const auto stop = [&](const QString& message) {
        result.stopped = true;
        result.message = message;
    };

    // One transaction: a stop keeps the lines before it (committed below),
    // a killed program leaves none of them.
    Database::Transaction tr(db);
    int number =
        int(db.queryInt(QStringLiteral("SELECT MAX(sor) FROM szla_sor WHERE szla=?;"), 0, {doc.key}));
    // The document's sums as the lines come, so that the line that would
    // take them beyond what a document holds stops the import.
    DocumentTotals totals;
    {
        QSqlQuery q = db.select(
            QStringLiteral("SELECT SUM(netto*db), SUM(afa*db), SUM(brutto*db) FROM szla_sor WHERE szla=?;"),
            {doc.key});
        if (q.next())
            totals = {varFloat(q.value(0), 0), varFloat(q.value(1), 0), varFloat(q.value(2), 0)};
    }
    for (const RawRecord& record : records) {
        // Quotes around a code (as some programs write them) fold to blanks.
        const QString code = foldCode(record.code).trimmed();
        if (record.incomplete) {
            stop(QStringLiteral("Az utolsó tétel hiányos (cikkszám: %1): a mennyisége vagy az ára hiányzik.")
                     .arg(code));
            break;
        }
        double quantity = 1;
        double price = 0;
        bool bad = false;
        for (const auto& [raw, target] :
             {std::pair{record.quantity, &quantity}, std::pair{record.price, &price}}) {
            if (raw.trimmed().isEmpty())
                continue;
            const std::optional<double> value = importNumber(raw);
            if (!value) {
                stop(QStringLiteral("\"%1\" nem érvényes szám (cikkszám: %2).").arg(raw.trimmed(), code));
                bad = true;
                break;
            }
            *target = *value;
        }
        if (bad)
            break;
        if (!LookupProduct(db, code)) {
            stop(unknownProductMessage(code));
            break;
        }
        // Each line in a savepoint of its own: a line the document cannot
        // hold leaves nothing behind.
        Database::Transaction line(db);
        UnitAmounts unit;
        try {
            ImportLine(db, dialogs, doc, number + 1, code, price, quantity, today, &unit);
        } catch (const DocumentError& e) {
            stop(e.text());
            break;
        }
        const DocumentTotals next{totals.netto + unit.net * quantity, totals.afa + unit.vat * quantity,
                                  totals.brutto + unit.gross * quantity};
        if (const auto problem = TotalsProblem(next.netto, next.afa, next.brutto)) {
            stop(QStringLiteral("%1 (cikkszám: %2)").arg(*problem, code));
            break;
        }
        line.commit();
        totals = next;
        ++number;
        ++result.added;
        if (progress)
            progress(result.added);
    }
    RecomputeTotals(db, doc.key);
    tr.commit();
    if (result.stopped)
        dialogs.error(result.message);
    return result;
}

std::optional<QString> MoveImportedFile(const QString& path, const QString& folder) {
    const QFileInfo source(path);
    if (folder.trimmed().isEmpty())
        return QStringLiteral("Nincs megadva, hová kerüljön a beolvasott fájl.");
    const QDir target(folder);
    if (!target.exists())
        return QStringLiteral("A mappa nem létezik: %1").arg(QDir::toNativeSeparators(folder));
    const QString destination = target.filePath(source.fileName());
    if (QFileInfo(destination).absoluteFilePath() == source.absoluteFilePath())
        return std::nullopt;
    if (QFileInfo::exists(destination))
        return QStringLiteral("A fájl nem helyezhető át, mert a mappában már van ilyen nevű fájl: %1")
            .arg(QDir::toNativeSeparators(destination));
    if (QFile::rename(path, destination))
        return std::nullopt;
    // Another drive: copy, then remove the original.
    if (QFile::copy(path, destination)) {
        if (QFile::remove(path))
            return std::nullopt;
        QFile::remove(destination);
    }
    return QStringLiteral("A fájl nem helyezhető át ide: %1").arg(QDir::toNativeSeparators(destination));
}

} // namespace orvix
