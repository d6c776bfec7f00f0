#include "invoicing/RegisterCommands.h"

#include "common/Database.h"
#include "core/Settings.h"
#include "invoicing/PagedTableModel.h"
#include "invoicing/Register.h"

#include <QDateTime>
#include <QDir>

namespace orvix {

using namespace cli;

namespace {

const QString kHtmlExport = QStringLiteral("html-export");
const QString kList = QStringLiteral("--list");
const QString kOut = QStringLiteral("--out");
// The share of a narrow mark column in the grid.
constexpr double kMarkWidth = 0.03;

QString help() {
    return QStringLiteral(
        "Használat: Orvix_Szamla_Cli html-export DIR --list products|customers|documents --out FILE\n"
        "\n"
        "A főablak egy listáját (termékek, vevők, kiadott számlák) HTML oldalba írja úgy,\n"
        "ahogy a \"Html export\" írja (windows-1250 kódlap), a lista első rendezésében.\n"
        "\n"
        "Kapcsolók:\n"
        "  --list L     products, customers vagy documents (kötelező)\n"
        "  --out FILE   a kiírt HTML fájl (kötelező); a mappája létrejön, ha nincs");
}

int runHtmlExport(const Arguments& args) {
    QString folder;
    if (const auto error = folderArgument(args, kHtmlExport, folder))
        return badArguments(kHtmlExport, *error);
    const QString name = args.value(kList);
    const QStringList names{QStringLiteral("products"), QStringLiteral("customers"), QStringLiteral("documents")};
    const int list = int(names.indexOf(name));
    if (list < 0)
        return badArguments(kHtmlExport,
                            QStringLiteral("a --list értéke products, customers vagy documents lehet, nem \"%1\".")
                                .arg(name));
    const QString out = args.value(kOut);
    if (out.trimmed().isEmpty())
        return badArguments(kHtmlExport, QStringLiteral("hiányzik a --out FILE: a HTML fájl neve."));
    Database db(QStringLiteral("cli"));
    try {
        db.open(folder);
        const Settings settings = loadSettings(db);
        const std::unique_ptr<PagedTableModel> model = makeListModel(db, list, settings);
        const RegisterListDef& def = registerList(list);
        model->setOrder(def.orderField, def.orderDescending);
        QString failure;
        QObject::connect(model.get(), &PagedTableModel::queryFailed, [&failure](const QString& t) { failure = t; });
        const HtmlList page = registerHtmlList(list, *model, settings);
        const QStringList lines = htmlPageLines(page, QDateTime::currentDateTime(), kHtmlProgramTitle);
        if (!failure.isEmpty()) {
            printError(failure);
            return Failed;
        }
        if (const QString error = writeHtmlPage(out, lines); !error.isEmpty()) {
            printError(error);
            return Failed;
        }
        print(QStringLiteral("%1: %2 sor").arg(QDir::toNativeSeparators(out)).arg(page.rowCount));
        return Success;
    } catch (const DbError& e) {
        printError(e.text());
        return Failed;
    }
}

} // namespace

HtmlList registerHtmlList(int list, PagedTableModel& model, const Settings& settings, bool reload) {
    static const char* const titles[3] = {"Cikktörzs", "Ügyfelek", "Kiadott számlák"};
    const RegisterListDef& def = registerList(list);
    HtmlList page;
    page.title = QString::fromUtf8(titles[list]);
    page.gridWidth = 1.0;
    if (reload)
        model.reload();
    page.rowCount = model.rowCount();
    for (int c = 0; c < def.columns.size(); ++c) {
        const ListColumn& column = def.columns.at(c);
        HtmlColumn h;
        h.field = column.field;
        h.title = column.caption;
        const double w = c < def.widths.size() ? def.widths.at(c) : 0.0;
        h.width = w > 0 ? w : kMarkWidth;
        // From the column's format: an empty list keeps its headings' alignment.
        const int a = int(columnAlignment(column.format));
        h.align = (a & Qt::AlignRight) ? HtmlAlign::Right : (a & Qt::AlignHCenter) ? HtmlAlign::Center : HtmlAlign::Left;
        h.numeric = column.format == ColumnFormat::Money || column.format == ColumnFormat::Number ||
                    column.format == ColumnFormat::Zero5;
        if (column.format == ColumnFormat::Money)
            h.sumFormat = settings.formatft.isEmpty() ? QStringLiteral("### ### ##0") : settings.formatft;
        page.columns << h;
    }
    PagedTableModel* m = &model;
    page.text = [m](int row, const QString& field) {
        const int column = m->columnOf(field);
        if (column >= 0 && m->columns().at(column).format == ColumnFormat::Mark)
            return m->value(row, field).toString().trimmed();
        if (column >= 0)
            return m->data(m->index(row, column), Qt::DisplayRole).toString();
        return m->displayText(m->value(row, field), ColumnFormat::Text);
    };
    page.value = [m](int row, const QString& field) { return m->value(row, field); };
    return page;
}

const CommandTable& registerCommands() {
    static const CommandTable table{{kHtmlExport, QStringLiteral("DIR --list LIST --out FILE"),
                                     QStringLiteral("a főablak egy listája HTML oldalba"), help(),
                                     {{kList, kOut}, {}, {}},
                                     runHtmlExport}};
    return table;
}

} // namespace orvix
