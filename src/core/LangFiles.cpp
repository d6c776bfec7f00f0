#include "core/LangFiles.h"

#include "common/Codepage.h"
#include "core/InvoiceLabels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace orvix {

namespace {

const QString kSection = QStringLiteral("[lang]");

// The free texts the invoice print uses, with their Hungarian starting values.
const LangRows& startingTexts() {
    static const LangRows rows = {
        {QStringLiteral("str1"), QStringLiteral("egységár")},
        {QStringLiteral("str2"), QStringLiteral("érték")},
        {QStringLiteral("str3"), QStringLiteral("készült")},
        {QStringLiteral("str4"), QStringLiteral("példányban:")},
    };
    return rows;
}

bool hasKey(const LangRows& rows, const QString& key) {
    for (const LangRow& row : rows)
        if (row.key.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool hasLineBreak(const QString& s) {
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// Why the row cannot be written so that it reads back the same; empty when it can.
QString rowProblem(const LangRow& row) {
    const QString key = row.key.trimmed();
    if (key.isEmpty())
        return QStringLiteral("Üres mezőnév a(z) \"%1\" szöveg mellett.").arg(row.text);
    if (hasLineBreak(key) || key.contains(QLatin1Char('=')))
        return QStringLiteral("Hibás mezőnév: \"%1\" (nem tartalmazhat egyenlőségjelet és sortörést).")
            .arg(key);
    if (hasLineBreak(row.text))
        return QStringLiteral("A(z) \"%1\" mező szövege nem tartalmazhat sortörést.").arg(key);
    return {};
}

} // namespace

QString langFolder(const QString& workFolder) {
    return QDir(workFolder).filePath(QStringLiteral("Lang"));
}

QString langFilePath(const QString& workFolder, int language) {
    return QDir(langFolder(workFolder))
        .filePath(QStringLiteral("lang%1.ini").arg(language, 2, 10, QLatin1Char('0')));
}

LangRows parseLangText(const QString& text) {
    LangRows rows;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')))
            continue; // the section header
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            rows.append({trimmed, QString()});
        else if (const QString key = line.left(eq).trimmed(); !key.isEmpty())
            rows.append({key, line.mid(eq + 1)}); // a line without key is never read when printing
    }
    return rows;
}

LangRows loadLangFile(const QString& path, QString* error) {
    if (error)
        error->clear();
    QFile f(path);
    if (!f.exists())
        return {};
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("A(z) %1 nyelvi file nem olvasható: %2")
                         .arg(QDir::toNativeSeparators(path), f.errorString());
        return {};
    }
    return parseLangText(decodeUtf8OrCp1250(f.readAll()));
}

LangRows missingLangRows(const LangRows& rows) {
    LangRows added;
    const auto addIfMissing = [&](const QString& key, const QString& text) {
        if (!hasKey(rows, key) && !hasKey(added, key))
            added.append({key, text});
    };
    for (const LangRow& row : startingTexts())
        addIfMissing(row.key, row.text);
    for (const InvoiceLabel& label : design1Labels())
        if (label.tag != kLabelFilledAtPrint)
            addIfMissing(QString::fromLatin1(label.key), label.caption);
    return added;
}

int generateLangRows(LangRows& rows) {
    const LangRows added = missingLangRows(rows);
    rows.append(added);
    return int(added.size());
}

QByteArray langFileBytes(const LangRows& rows) {
    QByteArray out = kSection.toUtf8() + "\r\n";
    for (const LangRow& row : rows)
        out += row.key.trimmed().toUtf8() + '=' + row.text.toUtf8() + "\r\n";
    return out;
}

bool saveLangFile(const QString& path, const LangRows& rows, QString* error) {
    const auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    for (const LangRow& row : rows)
        if (const QString problem = rowProblem(row); !problem.isEmpty())
            return fail(problem);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("A(z) %1 mappa nem hozható létre.").arg(QDir::toNativeSeparators(folder)));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("A(z) %1 nyelvi file nem írható: %2")
                        .arg(QDir::toNativeSeparators(path), f.errorString()));
    f.write(langFileBytes(rows));
    if (!f.commit())
        return fail(QStringLiteral("A(z) %1 nyelvi file nem írható: %2")
                        .arg(QDir::toNativeSeparators(path), f.errorString()));
    if (error)
        error->clear();
    return true;
}

} // namespace orvix
