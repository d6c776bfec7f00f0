// The HTML page of a list: the grid's visible columns with their titles,
// widths and alignment, the display texts of its rows, optional group rows
// and a totals row. The page is written in the Windows-1250 code page its
// meta line declares; cell texts have "&", "<" and ">" written as entities,
// and a character the code page lacks as a numeric character reference.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

namespace orvix {

enum class HtmlAlign { Left, Right, Center };

struct HtmlColumn {
    QString field;  // the field the column shows; a column without one is left out
    QString title;
    double width = 0; // in the grid's units (pixels)
    HtmlAlign align = HtmlAlign::Left;
    // The display format of the column's sum (a picture of formatFloat);
    // empty: the general number form.
    QString sumFormat;
    bool numeric = false; // an integer or float field (others sum in the general form)
};

// What one export writes.
struct HtmlList {
    QString title;
    QString subtitle;
    QString groupField; // empty: no group rows
    QString sumList;    // up to 50 field names separated by ";"
    QVector<HtmlColumn> columns;
    double gridWidth = 0;
    int rowCount = 0;
    // The display text of a field of a row (the group field need not be a column).
    std::function<QString(int row, const QString& field)> text;
    // The value of a field of a row, summed for the sum list.
    std::function<QVariant(int row, const QString& field)> value;
};

// "&", "<" and ">" as entities.
QString htmlEscaped(const QString& text);

// The page's lines. now: the time printed at its foot; progress is called
// every 10 rows with the rows done.
QStringList htmlPageLines(const HtmlList& list, const QDateTime& now, const QString& programTitle,
                          const std::function<void(int rowsDone)>& progress = {});

// The lines in Windows-1250 with CR LF line ends; characters outside the code
// page as "&#N;".
QByteArray htmlPageBytes(const QStringList& lines);

// Writes the page, creating its folder when missing; the Hungarian error text
// on failure, empty on success.
QString writeHtmlPage(const QString& path, const QStringList& lines);

// The proposed file: folder + the title made file-name safe + ".htm"
// ("Kiadott számlák" gives kiadott-sz_ml_k.htm).
QString htmlFileProposal(const QString& folder, const QString& title);

// The title of the program in the page's last line.
inline const QString kHtmlProgramTitle = QStringLiteral("Orvix Számla");

} // namespace orvix
