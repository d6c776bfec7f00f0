#include "exports/ui/Tfrm_NavEllenor_BDE.h"

#include "common/Database.h"
#include "core/ui/ListWindow.h"
#include "core/ui/Tfrm_Export.h"
#include "core/ui/WindowSupport.h"
#include "exports/ui/AuditWindows.h"
#include "exports/ui/QueryGridModel.h"
#include "invoicing/Register.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const char* const kTabTitles[] = {"Fej adatok", "Tételsorok", "Áfa összegzés", "Mind összegzés"};
const char* const kTextFiles[] = {"nav_fej.csv", "nav_tetelek.csv", "nav_afa.csv", "nav_osszesen.csv"};

QString defaultSaveFile(QWidget* parent, const QString& caption, const QString& suggestedName,
                        const QString& filter) {
    QString path = QFileDialog::getSaveFileName(parent, caption, QDir(userFilesFolder()).filePath(suggestedName), filter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + QFileInfo(suggestedName).suffix();
    return path;
}

} // namespace

Tfrm_NavEllenor_BDE::Tfrm_NavEllenor_BDE(Database& db, Dialogs& dialogs, const AuditSelection& selection,
                                         QWidget* parent)
    : QDialog(parent), m_db(db), m_dialogs(dialogs), m_selection(selection), m_today(QDate::currentDate()) {
    setObjectName(QStringLiteral("Tfrm_NavEllenor_BDE"));
    setWindowTitle(QStringLiteral("Nav ellenőrzés"));
    m_chooseSaveFile = [this](const QString& caption, const QString& name, const QString& filter) {
        return defaultSaveFile(this, caption, name, filter);
    };

    auto* layout = new QVBoxLayout(this);
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(bar);
    const auto add = [this, bar](const char* name, const char* text, const QKeySequence& key, void (Tfrm_NavEllenor_BDE::*slot)()) {
        QAction* a = addWindowAction(this, QLatin1String(name), QString::fromUtf8(text), key);
        bar->addAction(a);
        connect(a, &QAction::triggered, this, [this, slot] {
            try {
                (this->*slot)();
            } catch (const DbError& e) {
                m_dialogs.error(e.text());
            }
        });
    };
    add("aFrissit", "Frissít", QKeySequence(Qt::Key_F5), &Tfrm_NavEllenor_BDE::refresh);
    add("aIdoszak", "Időszak", {}, &Tfrm_NavEllenor_BDE::askPeriod);
    add("aSzamlaszam", "Számlaszám", {}, &Tfrm_NavEllenor_BDE::askNumbers);
    add("aExcelbe", "Excelbe...", QKeySequence(Qt::CTRL | Qt::Key_E), &Tfrm_NavEllenor_BDE::exportVisibleGrid);
    add("aXmlExport", "XML export", {}, &Tfrm_NavEllenor_BDE::exportXml);
    add("aBezar", "Bezár", QKeySequence(Qt::Key_Escape), &Tfrm_NavEllenor_BDE::reject);

    m_head = new QLabel(this);
    m_head->setObjectName(QStringLiteral("pnlFej"));
    m_head->setAlignment(Qt::AlignCenter);
    QFont bold = m_head->font();
    bold.setBold(true);
    m_head->setFont(bold);
    layout->addWidget(m_head);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl1"));
    for (int i = 0; i < 4; ++i) {
        m_models[size_t(i)] = new QueryGridModel(m_db, this);
        m_grids[size_t(i)] = makeListGrid(m_tabs, m_models[size_t(i)], QStringLiteral("DBGrid%1").arg(i + 1));
        m_tabs->addTab(m_grids[size_t(i)], QString::fromUtf8(kTabTitles[i]));
    }
    layout->addWidget(m_tabs, 1);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->hide();
    layout->addWidget(m_progress);
    layout->addWidget(makePositionStatusBar(this, m_position));

    resize(900, 600);
    setupWindow(this, objectName(), true, false);
    try {
        reselect(m_selection);
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
    }
}

void Tfrm_NavEllenor_BDE::reselect(const AuditSelection& selection) {
    m_selection = selection;
    m_head->setText(m_selection.caption());
    refresh();
}

void Tfrm_NavEllenor_BDE::refresh() {
    m_models[Headers]->setQuery(auditHeaderQuery(m_selection));
    m_models[Lines]->setQuery(auditLineQuery(m_selection));
    m_models[Rates]->setQuery(auditRateQuery(m_selection));
    m_models[Totals]->setQuery(auditTotalsQuery(m_selection));
    connect(m_grids[Headers]->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Tfrm_NavEllenor_BDE::updatePosition, Qt::UniqueConnection);
    if (m_models[Headers]->rowCount() > 0)
        m_grids[Headers]->setCurrentIndex(m_models[Headers]->index(0, 0));
    updatePosition();
}

void Tfrm_NavEllenor_BDE::updatePosition() {
    m_position->setText(recPosText(m_models[Headers]->rowCount(), m_grids[Headers]->currentIndex().row()));
}

void Tfrm_NavEllenor_BDE::askPeriod() {
    const QDate today = QDate::currentDate();
    if (const auto s = askAuditPeriod(m_dialogs, today, today))
        reselect(*s);
}

void Tfrm_NavEllenor_BDE::askNumbers() {
    if (const auto s = askAuditNumbers(m_db, m_dialogs))
        reselect(*s);
}

void Tfrm_NavEllenor_BDE::exportVisibleGrid() {
    const int shown = m_tabs->currentIndex();
    const QString select = m_models[size_t(shown)]->query();
    if (select.isEmpty())
        return;
    const QString fileName = QString::fromLatin1(kTextFiles[shown]);
    if (m_exportQuery)
        m_exportQuery(select, fileName);
    else
        exportQuery(this, m_db, select, fileName);
}

void Tfrm_NavEllenor_BDE::setBusy(bool busy) {
    m_tabs->setEnabled(!busy);
    for (QTableView* g : m_grids)
        g->setEnabled(!busy);
    m_progress->setVisible(busy);
}

void Tfrm_NavEllenor_BDE::exportXml() {
    const QString path =
        m_chooseSaveFile(QStringLiteral("XML export"), QStringLiteral("nav.xml"), QStringLiteral("XML file-ok (*.xml)"));
    if (path.isEmpty())
        return;
    m_tabs->setCurrentIndex(Headers);
    if (m_models[Headers]->rowCount() > 0)
        m_grids[Headers]->setCurrentIndex(m_models[Headers]->index(0, 0));
    m_progress->setRange(0, std::max(1, m_models[Headers]->rowCount()));
    m_progress->setValue(0);
    setBusy(true);
    std::optional<AuditExportResult> result;
    try {
        result = writeAuditXml(m_db, m_selection, path, m_today, [this](int done, int total) {
            if (done % 64 != 0 && done != total)
                return;
            m_progress->setMaximum(std::max(1, total));
            m_progress->setValue(done);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    } catch (const AuditError& e) {
        m_dialogs.error(e.text());
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
    }
    setBusy(false);
    try {
        refresh();
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
    }
    if (result && !result->leftOut.isEmpty())
        m_dialogs.warning(auditLeftOutMessage(*result));
}

} // namespace orvix::ui
