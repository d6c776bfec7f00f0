// The report engine of every printout: a report is a description (page size
// and margins in millimetres, bands with their items, the rows and the
// report-wide values); layOut() places it once over the rows (page breaks,
// groups and their sums, growing bands, the page count) and the laid-out
// pages are painted with QPainter onto any paged device: a PDF file, a
// printer or the preview window.
//
// Every length is in millimetres; item rectangles are relative to the top
// left corner of their band, whose left edge is the page's left margin.
#pragma once

#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QPageSize>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace orvix::report {

// The type family every report uses; DejaVu is embedded into PDF files, so
// the text stays selectable and the Hungarian letters print everywhere.
inline const QString kSansFamily = QStringLiteral("DejaVu Sans");
inline const QString kCondensedFamily = QStringLiteral("DejaVu Sans Condensed");

enum class Align { Left, Center, Right };

struct TextStyle {
    double pointSize = 8;
    bool bold = false;
    bool italic = false;
    QString family = kSansFamily;
    bool operator==(const TextStyle&) const = default;
};

struct Item {
    enum class Kind { Text, Line, Frame, Fill, Picture };
    Kind kind = Kind::Text;
    QRectF rect; // within the band; a line runs from the top left to the bottom right corner
    // Text items: the constant text, or the value of field (the row's field,
    // else the report-wide value). "{page}" and "{pages}" in a text become
    // the page number and the page count.
    QString text;
    QString field;
    // Sum of this field over the rows of the band's group (group footers) or
    // over every row (summary, page footer).
    QString sumOf;
    // Number picture (see formatFloat) for numeric values.
    QString format;
    Align align = Align::Left;
    TextStyle style;
    // Wraps within the item's width; the band grows to hold it. A text that
    // does not wrap is set in a smaller size until it fits.
    bool wrap = false;
    // Printed only when this field of the row (or report) is not empty.
    QString printIf;
    double lineWidth = 0.2;
    QColor color = Qt::black; // line, frame and fill colour
    QImage picture;           // scaled into rect, keeping its proportions
};

struct Band {
    enum class Kind { PageHeader, Title, ColumnHeader, GroupHeader, Detail, GroupFooter, Summary, PageFooter };
    Kind kind = Kind::Detail;
    double height = 0;
    std::vector<Item> items;
    // Printed only when this field of the row (detail and group bands) or of
    // the report values (the other bands) is not empty.
    QString printIf;
    // Group bands: the field whose change starts a new group.
    QString groupKey;
};

struct Report {
    QString title; // the print job's name
    QPageSize pageSize = QPageSize(QPageSize::A4);
    QMarginsF margins{10, 10, 10, 10};
    // One page as long as its content (receipt roll); pageSize gives the width.
    bool continuous = false;
    std::vector<Band> bands;
    std::vector<QVariantMap> rows;
    QVariantMap values;

    // Adds a band and returns it for its items.
    Band& add(Band::Kind kind, double height, const QString& printIf = {});
};

// Item helpers for short report descriptions.
Item text(const QRectF& rect, const QString& constant, const TextStyle& style = {}, Align align = Align::Left);
Item field(const QRectF& rect, const QString& name, const TextStyle& style = {}, Align align = Align::Left);
Item line(double x1, double y1, double x2, double y2, double width = 0.2);
Item frame(const QRectF& rect, double width = 0.2);
Item fill(const QRectF& rect, const QColor& color);
Item picture(const QRectF& rect, const QImage& image);

// One item placed on a page: everything resolved, positions in millimetres
// from the page's top left corner.
struct PlacedItem {
    Item::Kind kind = Item::Kind::Text;
    QRectF rect;
    QString text;
    Align align = Align::Left;
    TextStyle style;
    bool wrap = false;
    double lineWidth = 0.2;
    QColor color = Qt::black;
    QImage picture;
};

struct Page {
    std::vector<PlacedItem> items;
};

// A laid-out report: its pages, ready to paint.
struct Document {
    QString title;
    QSizeF pageSize; // millimetres
    std::vector<Page> pages;
    int pageCount() const { return int(pages.size()); }
    // Every text of a page in placing order (for checks).
    QStringList texts(int page) const;
};

Document layOut(const Report& report);

// Paints the pages with a painter already begun on the device; the device
// gets a new page between pages.
void paint(const Document& doc, QPainter& painter, QPagedPaintDevice& device);

// Writes the documents one after the other into one PDF file (each copy of a
// print is a document). False with the reason in error when the file cannot
// be written; nothing is left behind then.
bool writePdf(const std::vector<Document>& docs, const QString& path, QString* error = nullptr);

// Prints a document on a printer set up by the caller (name, copies); the
// page size and job name come from the document.
bool printOn(const Document& doc, QPrinter& printer, QString* error = nullptr);

// The text as a value prints: numbers with the picture (or in the general
// form), dates as yyyy.MM.dd.
QString displayText(const QVariant& value, const QString& format = {});

} // namespace orvix::report
