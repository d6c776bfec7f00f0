#include "printing/Report.h"

#include "core/Locale.h"
#include "core/TextUtil.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <cmath>
#include <limits>
#include <map>
#include <memory>

namespace orvix::report {

namespace {

constexpr double kMmPerInch = 25.4;
// Texts are measured on an image of this resolution, so that the layout does
// not depend on the device it is painted on later.
constexpr int kMeasureDpi = 1200;
constexpr double kSmallestShrunkSize = 4.0;

QFont fontOf(const TextStyle& style) {
    QFont font(style.family);
    font.setPointSizeF(style.pointSize);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setKerning(false);
    // Any letter spacing keeps the shaper from joining "fi" and "fl" into
    // ligature glyphs, which would come out of the PDF as other characters.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.02);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

QPaintDevice* measureDevice() {
    static QImage image = [] {
        QImage img(1, 1, QImage::Format_Mono);
        const int dotsPerMeter = int(std::lround(kMeasureDpi / 0.0254));
        img.setDotsPerMeterX(dotsPerMeter);
        img.setDotsPerMeterY(dotsPerMeter);
        return img;
    }();
    return &image;
}

// Font metrics per style, in pixels of the measuring device.
const QFontMetricsF& metricsOf(const TextStyle& style) {
    struct Key {
        TextStyle style;
        bool operator<(const Key& o) const {
            return std::tie(style.family, style.pointSize, style.bold, style.italic) <
                   std::tie(o.style.family, o.style.pointSize, o.style.bold, o.style.italic);
        }
    };
    static std::map<Key, std::unique_ptr<QFontMetricsF>> cache;
    auto it = cache.find(Key{style});
    if (it == cache.end())
        it = cache.emplace(Key{style}, std::make_unique<QFontMetricsF>(fontOf(style), measureDevice())).first;
    return *it->second;
}

double pxToMm(double px) {
    return px * kMmPerInch / kMeasureDpi;
}
double mmToPx(double mm) {
    return mm * kMeasureDpi / kMmPerInch;
}

int alignFlags(Align a) {
    switch (a) {
    case Align::Center:
        return Qt::AlignHCenter;
    case Align::Right:
        return Qt::AlignRight;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft;
}

// Height of a wrapped text set in the width.
double wrappedHeight(const TextStyle& style, double widthMm, const QString& text) {
    if (text.isEmpty())
        return 0;
    const QFontMetricsF& fm = metricsOf(style);
    // Most texts fit on one line: no text layout needed for them.
    if (!text.contains(QLatin1Char('\n')) && fm.horizontalAdvance(text) <= mmToPx(widthMm))
        return pxToMm(fm.height());
    const QRectF r = fm.boundingRect(QRectF(0, 0, mmToPx(widthMm), 1e9),
                                                   Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return pxToMm(r.height());
}

double textWidth(const TextStyle& style, const QString& text) {
    return pxToMm(metricsOf(style).horizontalAdvance(text));
}

bool isEmptyValue(const QVariant& v) {
    return v.isNull() || !v.isValid() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty());
}

class Layouter {
public:
    explicit Layouter(const Report& report) : r(report) {
        for (const Band& b : r.bands) {
            switch (b.kind) {
            case Band::Kind::PageHeader:
                pageHeaders.push_back(&b);
                break;
            case Band::Kind::Title:
                titles.push_back(&b);
                break;
            case Band::Kind::ColumnHeader:
                columnHeaders.push_back(&b);
                break;
            case Band::Kind::GroupHeader:
                if (!groupKeys.contains(b.groupKey))
                    groupKeys << b.groupKey;
                break;
            case Band::Kind::Detail:
                details.push_back(&b);
                break;
            case Band::Kind::GroupFooter:
                if (!groupKeys.contains(b.groupKey))
                    groupKeys << b.groupKey;
                break;
            case Band::Kind::Summary:
                summaries.push_back(&b);
                break;
            case Band::Kind::PageFooter:
                pageFooters.push_back(&b);
                break;
            }
            for (const Item& item : b.items)
                if (!item.sumOf.isEmpty() && !summed.contains(item.sumOf))
                    summed << item.sumOf;
        }
        groupSums.resize(groupKeys.size());
        const QSizeF size = r.pageSize.size(QPageSize::Millimeter);
        width = size.width();
        height = size.height();
        left = r.margins.left();
        top = r.margins.top();
        bottom = r.continuous ? std::numeric_limits<double>::max() : height - r.margins.bottom();
        for (const Band* b : pageFooters)
            if (printed(*b, nullptr))
                footerHeight += b->height;
    }

    Document run() {
        doc.title = r.title;
        startPage();
        const QVariantMap* previous = nullptr;
        for (const QVariantMap& row : r.rows) {
            int changed = previous ? firstChangedGroup(*previous, row) : 0;
            if (previous && changed < groupKeys.size())
                closeGroups(changed, *previous);
            if (!previous || changed < groupKeys.size())
                openGroups(previous ? changed : 0, row);
            accumulate(row);
            for (const Band* b : details)
                if (printed(*b, &row))
                    place(*b, &row, -1);
            previous = &row;
        }
        if (previous)
            closeGroups(0, *previous);
        for (const Band* b : summaries)
            if (printed(*b, nullptr))
                place(*b, nullptr, -1);
        endPage();
        numberPages();
        return std::move(doc);
    }

private:
    const Report& r;
    Document doc;
    std::vector<const Band*> pageHeaders, titles, columnHeaders, details, summaries, pageFooters;
    QStringList groupKeys;
    QStringList summed;
    std::vector<QHash<QString, double>> groupSums;
    QHash<QString, double> reportSums;
    double width = 0, height = 0, left = 0, top = 0, bottom = 0;
    double footerHeight = 0;
    double y = 0;
    double bodyStart = 0; // where the first band after the page's headers goes

    QVariant valueOf(const QString& name, const QVariantMap* row) const {
        if (row) {
            const auto it = row->constFind(name);
            if (it != row->constEnd())
                return *it;
        }
        return r.values.value(name);
    }

    bool printed(const Band& b, const QVariantMap* row) const {
        return b.printIf.isEmpty() || !isEmptyValue(valueOf(b.printIf, row));
    }

    int firstChangedGroup(const QVariantMap& a, const QVariantMap& b) const {
        for (int i = 0; i < groupKeys.size(); ++i)
            if (a.value(groupKeys.at(i)) != b.value(groupKeys.at(i)))
                return i;
        return int(groupKeys.size());
    }

    void openGroups(int from, const QVariantMap& row) {
        for (int level = from; level < groupKeys.size(); ++level) {
            groupSums[size_t(level)].clear();
            for (const Band& b : r.bands)
                if (b.kind == Band::Kind::GroupHeader && b.groupKey == groupKeys.at(level) && printed(b, &row))
                    place(b, &row, level);
        }
    }

    void closeGroups(int to, const QVariantMap& lastRow) {
        for (int level = int(groupKeys.size()) - 1; level >= to; --level)
            for (const Band& b : r.bands)
                if (b.kind == Band::Kind::GroupFooter && b.groupKey == groupKeys.at(level) && printed(b, &lastRow))
                    place(b, &lastRow, level);
    }

    void accumulate(const QVariantMap& row) {
        for (const QString& f : summed) {
            const double v = varFloat(row.value(f), 0);
            reportSums[f] += v;
            for (auto& sums : groupSums)
                sums[f] += v;
        }
    }

    QString textOf(const Item& item, const QVariantMap* row, int level) const {
        if (!item.sumOf.isEmpty()) {
            const double sum = level >= 0 ? groupSums[size_t(level)].value(item.sumOf) : reportSums.value(item.sumOf);
            return displayText(sum, item.format);
        }
        if (!item.field.isEmpty())
            return displayText(valueOf(item.field, row), item.format);
        return item.text;
    }

    double measuredHeight(const Band& b, const QVariantMap* row, int level) const {
        double h = b.height;
        for (const Item& item : b.items) {
            if (item.kind != Item::Kind::Text || !item.wrap)
                continue;
            if (!item.printIf.isEmpty() && isEmptyValue(valueOf(item.printIf, row)))
                continue;
            const double needed = item.rect.top() + wrappedHeight(item.style, item.rect.width(), textOf(item, row, level));
            h = std::max(h, needed + 0.3);
        }
        return h;
    }

    void startPage() {
        doc.pages.emplace_back();
        y = top;
        for (const Band* b : pageHeaders)
            if (printed(*b, nullptr))
                put(*b, nullptr, -1, b->height);
        if (doc.pages.size() == 1)
            for (const Band* b : titles)
                if (printed(*b, nullptr))
                    put(*b, nullptr, -1, measuredHeight(*b, nullptr, -1));
        for (const Band* b : columnHeaders)
            if (printed(*b, nullptr))
                put(*b, nullptr, -1, b->height);
        bodyStart = y;
    }

    void endPage() {
        double footerTop = r.continuous ? y : height - r.margins.bottom() - footerHeight;
        y = footerTop;
        for (const Band* b : pageFooters)
            if (printed(*b, nullptr))
                put(*b, nullptr, -1, b->height);
        if (r.continuous)
            height = y + r.margins.bottom();
    }

    void place(const Band& b, const QVariantMap* row, int level) {
        const double h = measuredHeight(b, row, level);
        if (y + h > bottom - footerHeight + 1e-9 && y > bodyStart + 1e-9) {
            endPage();
            startPage();
        }
        put(b, row, level, h);
    }

    void put(const Band& b, const QVariantMap* row, int level, double bandHeight) {
        Page& page = doc.pages.back();
        for (const Item& item : b.items) {
            if (!item.printIf.isEmpty() && isEmptyValue(valueOf(item.printIf, row)))
                continue;
            PlacedItem p;
            p.kind = item.kind;
            p.rect = item.rect.translated(left, y);
            p.align = item.align;
            p.style = item.style;
            p.wrap = item.wrap;
            p.lineWidth = item.lineWidth;
            p.color = item.color;
            if (item.kind == Item::Kind::Text) {
                p.text = textOf(item, row, level);
                if (p.text.isEmpty())
                    continue;
                if (item.wrap) {
                    p.rect.setHeight(std::max(item.rect.height(),
                                              wrappedHeight(item.style, item.rect.width(), p.text)));
                } else {
                    // Set smaller until it fits: a long name or a big amount
                    // is never cut off.
                    const double w = textWidth(p.style, p.text);
                    if (w > p.rect.width() && w > 0)
                        p.style.pointSize =
                            std::max(kSmallestShrunkSize, p.style.pointSize * p.rect.width() / w * 0.98);
                }
            } else if (item.kind == Item::Kind::Picture) {
                if (item.picture.isNull())
                    continue;
                p.picture = item.picture;
            }
            page.items.push_back(std::move(p));
        }
        y += bandHeight;
    }

    void numberPages() {
        doc.pageSize = QSizeF(width, height);
        const QString count = QString::number(doc.pages.size());
        for (size_t i = 0; i < doc.pages.size(); ++i) {
            const QString number = QString::number(i + 1);
            for (PlacedItem& p : doc.pages[i].items)
                if (p.kind == Item::Kind::Text && p.text.contains(QLatin1Char('{'))) {
                    p.text.replace(QLatin1String("{page}"), number);
                    p.text.replace(QLatin1String("{pages}"), count);
                }
        }
    }
};

QPageSize pageSizeOf(const Document& doc) {
    return QPageSize(doc.pageSize, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

} // namespace

Band& Report::add(Band::Kind kind, double height, const QString& printIf) {
    Band b;
    b.kind = kind;
    b.height = height;
    b.printIf = printIf;
    bands.push_back(std::move(b));
    return bands.back();
}

Item text(const QRectF& rect, const QString& constant, const TextStyle& style, Align align) {
    Item i;
    i.rect = rect;
    i.text = constant;
    i.style = style;
    i.align = align;
    return i;
}

Item field(const QRectF& rect, const QString& name, const TextStyle& style, Align align) {
    Item i = text(rect, QString(), style, align);
    i.field = name;
    return i;
}

Item line(double x1, double y1, double x2, double y2, double width) {
    Item i;
    i.kind = Item::Kind::Line;
    i.rect = QRectF(QPointF(x1, y1), QPointF(x2, y2));
    i.lineWidth = width;
    return i;
}

Item frame(const QRectF& rect, double width) {
    Item i;
    i.kind = Item::Kind::Frame;
    i.rect = rect;
    i.lineWidth = width;
    return i;
}

Item fill(const QRectF& rect, const QColor& color) {
    Item i;
    i.kind = Item::Kind::Fill;
    i.rect = rect;
    i.color = color;
    return i;
}

Item picture(const QRectF& rect, const QImage& image) {
    Item i;
    i.kind = Item::Kind::Picture;
    i.rect = rect;
    i.picture = image;
    return i;
}

QStringList Document::texts(int page) const {
    QStringList out;
    if (page < 0 || page >= pageCount())
        return out;
    for (const PlacedItem& p : pages[size_t(page)].items)
        if (p.kind == Item::Kind::Text)
            out << p.text;
    return out;
}

Document layOut(const Report& report) {
    return Layouter(report).run();
}

void paint(const Document& doc, QPainter& painter, QPagedPaintDevice& device) {
    const double dpiX = painter.device()->logicalDpiX();
    const double dpiY = painter.device()->logicalDpiY();
    const auto px = [&](const QRectF& mm) {
        return QRectF(mm.x() * dpiX / kMmPerInch, mm.y() * dpiY / kMmPerInch, mm.width() * dpiX / kMmPerInch,
                      mm.height() * dpiY / kMmPerInch);
    };
    TextStyle currentStyle;
    std::unique_ptr<QFontMetricsF> metrics;
    for (size_t n = 0; n < doc.pages.size(); ++n) {
        if (n > 0)
            device.newPage();
        for (const PlacedItem& p : doc.pages[n].items) {
            const QRectF rect = px(p.rect);
            switch (p.kind) {
            case Item::Kind::Text: {
                if (!(p.style == currentStyle) || !metrics) {
                    currentStyle = p.style;
                    const QFont font = fontOf(p.style);
                    painter.setFont(font);
                    metrics = std::make_unique<QFontMetricsF>(font, painter.device());
                }
                painter.setPen(Qt::black);
                if (p.wrap) {
                    painter.drawText(rect, alignFlags(p.align) | Qt::AlignTop | Qt::TextDontClip | Qt::TextWordWrap,
                                     p.text);
                    break;
                }
                // One line: placed by its measured width, without a text
                // layout per item.
                const double w = metrics->horizontalAdvance(p.text);
                double x = rect.left();
                if (p.align == Align::Right)
                    x = rect.right() - w;
                else if (p.align == Align::Center)
                    x = rect.center().x() - w / 2;
                painter.drawText(QPointF(x, rect.top() + metrics->ascent()), p.text);
                break;
            }
            case Item::Kind::Line:
                painter.setPen(QPen(p.color, p.lineWidth * dpiX / kMmPerInch));
                painter.drawLine(rect.topLeft(), rect.bottomRight());
                break;
            case Item::Kind::Frame:
                painter.setPen(QPen(p.color, p.lineWidth * dpiX / kMmPerInch));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(rect);
                break;
            case Item::Kind::Fill:
                painter.fillRect(rect, p.color);
                break;
            case Item::Kind::Picture: {
                const QSizeF fitted = QSizeF(p.picture.size()).scaled(rect.size(), Qt::KeepAspectRatio);
                painter.drawImage(QRectF(rect.topLeft(), fitted), p.picture);
                break;
            }
            }
        }
    }
}

bool writePdf(const std::vector<Document>& docs, const QString& path, QString* error) {
    if (docs.empty()) {
        if (error)
            *error = QStringLiteral("Nincs mit kiírni.");
        return false;
    }
    const bool existed = QFileInfo::exists(path);
    // Written beside the target first, so that a failed or interrupted run
    // leaves no half-written file under the final name.
    const QString partial = path + QStringLiteral(".part");
    bool ok = true;
    {
        // The PDF writer only warns when it cannot open its file.
        QFile probe(partial);
        if (!probe.open(QIODevice::WriteOnly)) {
            if (error)
                *error = QStringLiteral("A PDF fájl nem írható: %1").arg(path);
            return false;
        }
    }
    {
        QPdfWriter writer(partial);
        writer.setResolution(600);
        writer.setTitle(docs.front().title);
        writer.setCreator(QStringLiteral("Orvix Számla"));
        writer.setPageSize(pageSizeOf(docs.front()));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&writer)) {
            ok = false;
        } else {
            for (size_t i = 0; i < docs.size(); ++i) {
                if (i > 0) {
                    writer.setPageSize(pageSizeOf(docs[i]));
                    writer.newPage();
                }
                paint(docs[i], painter, writer);
            }
            ok = painter.end();
        }
    }
    if (ok) {
        if (existed)
            QFile::remove(path);
        ok = QFile::rename(partial, path);
    }
    if (!ok) {
        QFile::remove(partial);
        if (error)
            *error = QStringLiteral("A PDF fájl nem írható: %1").arg(path);
    }
    return ok;
}

bool printOn(const Document& doc, QPrinter& printer, QString* error) {
    printer.setDocName(doc.title);
    printer.setFullPage(true);
    printer.setPageSize(pageSizeOf(doc));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error = QStringLiteral("A nyomtató nem érhető el: %1").arg(printer.printerName());
        return false;
    }
    paint(doc, painter, printer);
    return painter.end();
}

QString displayText(const QVariant& value, const QString& format) {
    if (isEmptyValue(value))
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return formatFloat(format, value.toDouble());
    case QMetaType::QDate:
        return formatDate(value.toDate());
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy.MM.dd hh:mm:ss"));
    default:
        break;
    }
    return value.toString();
}

} // namespace orvix::report
