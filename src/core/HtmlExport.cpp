#include "core/HtmlExport.h"

#include "common/Codepage.h"
#include "core/Locale.h"
#include "core/TextUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <cmath>

namespace orvix {

namespace {

QString alignPrefix(HtmlAlign a) {
    switch (a) {
    case HtmlAlign::Right: return QStringLiteral("<p align=\"right\">");
    case HtmlAlign::Center: return QStringLiteral("<p align=\"center\">");
    case HtmlAlign::Left: break;
    }
    return QString();
}

// The column's share of the grid width in whole per cents (halves to even).
QString widthPercent(double width, double gridWidth) {
    if (gridWidth <= 0)
        return QStringLiteral("0");
    return QString::number(qint64(std::nearbyint(width / gridWidth * 100.0)));
}

} // namespace

QString htmlEscaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('&'))
            out += QLatin1String("&amp;");
        else if (c == QLatin1Char('<'))
            out += QLatin1String("&lt;");
        else if (c == QLatin1Char('>'))
            out += QLatin1String("&gt;");
        else
            out += c;
    }
    return out;
}

QStringList htmlPageLines(const HtmlList& list, const QDateTime& now, const QString& programTitle,
                          const std::function<void(int)>& progress) {
    QVector<HtmlColumn> columns;
    for (const HtmlColumn& c : list.columns)
        if (!c.field.isEmpty())
            columns << c;
    QStringList sumFields;
    for (const QString& f : list.sumList.split(QLatin1Char(';'), Qt::SkipEmptyParts).mid(0, 50))
        sumFields << f.trimmed().toLower();
    QVector<double> sums(columns.size(), 0.0);

    QStringList l;
    const QString title = htmlEscaped(list.title);
    l << QStringLiteral("<html>") << QString() << QStringLiteral("<head>")
      << QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">")
      << QStringLiteral("<title>") + title + QStringLiteral("</title>")
      << QStringLiteral("<meta name=\"GENERATOR\" content=\"Kalimpa Bt. Dide2Zizo\">") << QStringLiteral("</head>")
      << QString() << QStringLiteral("<body>");
    l << QStringLiteral("<p><strong><font face=\"Verdana\" size=\"2\">") + title +
             QStringLiteral("</font></strong></p>");
    l << QStringLiteral("<p><strong><font face=\"Verdana\" size=\"1\">") + htmlEscaped(list.subtitle) +
             QStringLiteral("</font></strong></p>");
    l << QStringLiteral("<div align=\"center\"><center>") << QString()
      << QStringLiteral("<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" width=\"90%\">");

    const auto headerLikeRow = [&](const std::function<QString(int)>& cellText) {
        l << QStringLiteral("  <tr>");
        for (int i = 0; i < columns.size(); ++i)
            l << QStringLiteral("    <td width=\"") + widthPercent(columns.at(i).width, list.gridWidth) +
                     QStringLiteral("%\" bgcolor=\"#C0C0C0\"><font face=\"Verdana\" size=\"1\"><strong>") +
                     alignPrefix(columns.at(i).align) + cellText(i) + QStringLiteral("</strong></font></td>");
        l << QStringLiteral("  </tr>");
    };
    headerLikeRow([&](int i) { return htmlEscaped(columns.at(i).title); });

    QString previousGroup;
    for (int row = 0; row < list.rowCount; ++row) {
        if (!list.groupField.isEmpty()) {
            const QString group = list.text(row, list.groupField);
            if (group != previousGroup) {
                l << QStringLiteral("  <tr>")
                  << QStringLiteral("    <td width=\"95%\" colspan=\"11\" bgcolor=\"#EAEAEA\"><font face=\"Verdana\" "
                                    "size=\"1\"><strong>") +
                         htmlEscaped(group) + QStringLiteral("</strong></font></td>")
                  << QStringLiteral("  </tr>");
                previousGroup = group;
            }
        }
        l << QStringLiteral("  <tr>");
        for (int i = 0; i < columns.size(); ++i) {
            const HtmlColumn& c = columns.at(i);
            l << QStringLiteral("    <td width=\"") + widthPercent(c.width, list.gridWidth) +
                     QStringLiteral("%\"><font face=\"Verdana\" size=\"1\">") + alignPrefix(c.align) +
                     htmlEscaped(list.text(row, c.field)) + QStringLiteral("</font></td>");
            if (sumFields.contains(c.field.toLower()) && list.value)
                sums[i] += list.value(row, c.field).toDouble();
        }
        l << QStringLiteral("  </tr>");
        if (progress && (row + 1) % 10 == 0)
            progress(row + 1);
    }
    if (!sumFields.isEmpty())
        headerLikeRow([&](int i) {
            const HtmlColumn& c = columns.at(i);
            if (!sumFields.contains(c.field.toLower()))
                return QString();
            return htmlEscaped(formatFloat(c.numeric ? c.sumFormat : QString(), sums.at(i)));
        });

    l << QStringLiteral("</table>") << QStringLiteral("</center></div>") << QString();
    l << QStringLiteral("<p><font face=\"Verdana\" size=\"1\">Összesen %1 sor.</font></p>").arg(list.rowCount)
      << QString();
    l << QStringLiteral("<p><font face=\"Verdana\" size=\"1\">") +
             now.toString(QStringLiteral("yyyy.MM.dd hh:mm:ss")) + QStringLiteral("</font></p>")
      << QString();
    l << QStringLiteral("<p><font face=\"Courier New\" size=\"1\">") + htmlEscaped(programTitle) +
             QStringLiteral(" 1.0.0.1</font></p>")
      << QString() << QStringLiteral("</body>") << QStringLiteral("</html>");
    return l;
}

QByteArray htmlPageBytes(const QStringList& lines) {
    // The characters of the code page's upper half, read once.
    static const QSet<char32_t> upperHalf = [] {
        QByteArray bytes;
        for (int b = 0x80; b <= 0xFF; ++b)
            bytes.append(char(b));
        QSet<char32_t> set;
        for (const QChar c : decodeCodepage(bytes, Codepage::Cp1250))
            if (c.unicode() != 0xFFFD)
                set.insert(c.unicode());
        return set;
    }();
    const QString text = lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n");
    // Characters the code page lacks become numeric character references.
    QString page;
    page.reserve(text.size());
    const QList<uint> codePoints = text.toUcs4();
    for (const uint cp : codePoints) {
        if (cp < 128 || upperHalf.contains(char32_t(cp)))
            page += QChar(char16_t(cp));
        else
            page += QStringLiteral("&#%1;").arg(cp);
    }
    return encodeCodepage(page, Codepage::Cp1250);
}

QString writeHtmlPage(const QString& path, const QStringList& lines) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return QStringLiteral("A mappa nem hozható létre: %1").arg(QDir::toNativeSeparators(info.absolutePath()));
    QSaveFile file(path);
    const QByteArray bytes = htmlPageBytes(lines);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("A fájl nem írható: %1\n%2").arg(QDir::toNativeSeparators(path), file.errorString());
    return QString();
}

QString htmlFileProposal(const QString& folder, const QString& title) {
    return QDir(folder).filePath(safeFileName(title + QStringLiteral(".htm")));
}

} // namespace orvix
