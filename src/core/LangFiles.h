// The language files of printed invoices: Lang/lang01.ini (first language,
// "Számla: angol") and Lang/lang02.ini (second language, "Számla: más nyelv")
// in the work folder. Each holds one section [lang] with key=text lines: the
// free texts str1 … str7 and one key per label of the invoice layout whose
// value replaces the label's caption when printing in that language.
#pragma once

#include <QList>
#include <QString>

namespace orvix {

struct LangRow {
    QString key;
    QString text;
    bool operator==(const LangRow&) const = default;
};
using LangRows = QList<LangRow>;

inline constexpr int kLanguageCount = 2;

// The "Lang" subfolder of the work folder.
QString langFolder(const QString& workFolder);
// Language 1 gives lang01.ini, language 2 lang02.ini.
QString langFilePath(const QString& workFolder, int language);

// The rows of a language file's text; the section header is dropped, as are
// blank lines and lines with nothing before "=" (the print never reads them).
// A line without "=" is a key without text.
LangRows parseLangText(const QString& text);
// Reads a language file (UTF-8, or cp1250 as written by older versions). A
// missing file gives no rows; a file that exists but cannot be read gives no
// rows and the reason in error.
LangRows loadLangFile(const QString& path, QString* error = nullptr);

// The rows "Generál (frissít)" adds: the free texts str1 … str7 and
// every translatable label of the invoice layout with its Hungarian caption,
// each only when its key (compared without regard to case) is not yet there.
LangRows missingLangRows(const LangRows& rows);
// Appends the missing rows; existing rows are never changed. Returns the count added.
int generateLangRows(LangRows& rows);

// The file contents: "[lang]" and the rows, UTF-8 with CR LF line ends.
QByteArray langFileBytes(const LangRows& rows);
// Replaces the file with the rows, creating the Lang folder when missing.
// A row that would not read back as written (an empty key, "=" or a line
// break in its key, a line break in its text) changes nothing and gives the
// reason in error.
bool saveLangFile(const QString& path, const LangRows& rows, QString* error = nullptr);

} // namespace orvix
