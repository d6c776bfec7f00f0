#include "core/ui/Tfrm_Nyelv.h"

#include "core/AppContext.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/WindowSupport.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const char* const kPageNames[kLanguageCount] = {"tsAngol", "tsMas"};
const char* const kGridNames[kLanguageCount] = {"gridAngol", "gridMas"};

QString pageCaption(int page) {
    return page == 0 ? QStringLiteral("Számla: angol") : QStringLiteral("Számla: más nyelv");
}

QAction* makeAction(QWidget* owner, const char* name, const QString& caption, const QKeySequence& key,
                    const QString& hint = {}) {
    auto* a = new QAction(caption, owner);
    a->setObjectName(QLatin1String(name));
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    if (!hint.isEmpty()) {
        a->setStatusTip(hint);
        a->setToolTip(hint);
    }
    owner->addAction(a);
    return a;
}

} // namespace

Tfrm_Nyelv::Tfrm_Nyelv(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tfrm_Nyelv"));
    setWindowTitle(QStringLiteral("Nyelvi file szerkesztés"));
    resize(640, 520);

    m_aGeneral = makeAction(this, "aGeneral", QStringLiteral("Generál (frissít)"), QKeySequence(Qt::Key_F5),
                            QStringLiteral("Nyelvi file generálása"));
    m_aMentes = makeAction(this, "aMentes", QStringLiteral("Mentés"), QKeySequence(Qt::CTRL | Qt::Key_S),
                           QStringLiteral("Elment"));
    m_aBezar = makeAction(this, "aBezar", QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape));
    connect(m_aGeneral, &QAction::triggered, this, &Tfrm_Nyelv::generate);
    connect(m_aMentes, &QAction::triggered, this, &Tfrm_Nyelv::save);
    connect(m_aBezar, &QAction::triggered, this, &Tfrm_Nyelv::closeWindow);

    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("ToolBar1"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolbar->addAction(m_aGeneral);
    toolbar->addAction(m_aMentes);
    toolbar->addAction(m_aBezar);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pcNyelv"));
    for (int page = 0; page < kLanguageCount; ++page) {
        auto* tab = new QWidget;
        tab->setObjectName(QLatin1String(kPageNames[page]));
        auto* grid = new QTableWidget(0, 2, tab);
        grid->setObjectName(QLatin1String(kGridNames[page]));
        grid->setHorizontalHeaderLabels({QStringLiteral("Mező"), QStringLiteral("Szöveg")});
        grid->verticalHeader()->hide();
        grid->setSelectionBehavior(QAbstractItemView::SelectItems);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
        grid->horizontalHeader()->resizeSection(0, 160);
        grid->horizontalHeader()->setStretchLastSection(true);
        auto* layout = new QVBoxLayout(tab);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(grid);
        m_grids[page] = grid;
        m_pages->addTab(tab, pageCaption(page));
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setMenuBar(toolbar);
    layout->addWidget(m_pages);

    const QString work = app().folders.work;
    for (int page = 0; page < kLanguageCount; ++page) {
        QString error;
        setRows(page, loadLangFile(langFilePath(work, page + 1), &error));
        if (!error.isEmpty())
            errorBox(this, error);
    }

    // Enter belongs to the cell being typed in: the window has no other fields.
    setupWindow(this, objectName(), true, false);
}

LangRows Tfrm_Nyelv::rows(int page) const {
    LangRows result;
    const QTableWidget* g = grid(page);
    for (int r = 0; r < g->rowCount(); ++r) {
        const QTableWidgetItem* key = g->item(r, 0);
        const QTableWidgetItem* text = g->item(r, 1);
        result.append({key ? key->text() : QString(), text ? text->text() : QString()});
    }
    return result;
}

void Tfrm_Nyelv::setRows(int page, const LangRows& rows) {
    grid(page)->setRowCount(0);
    appendRows(page, rows);
}

void Tfrm_Nyelv::appendRows(int page, const LangRows& rows) {
    QTableWidget* g = grid(page);
    for (const LangRow& row : rows) {
        const int r = g->rowCount();
        g->insertRow(r);
        // The key names a label of the printed invoice: only its text is translated.
        auto* key = new QTableWidgetItem(row.key);
        key->setFlags(key->flags() & ~Qt::ItemIsEditable);
        g->setItem(r, 0, key);
        g->setItem(r, 1, new QTableWidgetItem(row.text));
    }
}

void Tfrm_Nyelv::generate() {
    const int page = m_pages->currentIndex();
    appendRows(page, missingLangRows(rows(page)));
}

void Tfrm_Nyelv::save() {
    // A text still being typed in a cell counts as typed: the cell is left as with Enter.
    for (QTableWidget* g : m_grids) {
        if (QWidget* editor = g->indexWidget(g->currentIndex())) {
            QMetaObject::invokeMethod(g, "commitData", Q_ARG(QWidget*, editor));
            QMetaObject::invokeMethod(
                g, "closeEditor", Q_ARG(QWidget*, editor),
                Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
        }
    }
    const QString work = app().folders.work;
    for (int page = 0; page < kLanguageCount; ++page) {
        QString error;
        if (!saveLangFile(langFilePath(work, page + 1), rows(page), &error)) {
            m_pages->setCurrentIndex(page);
            errorBox(this, pageCaption(page) + QStringLiteral(": ") + error);
            return;
        }
    }
}

void Tfrm_Nyelv::closeWindow() {
    // Esc in a cell being typed in cancels the typing, as in every grid,
    // instead of closing the window and losing what was typed on the pages.
    QTableWidget* g = grid(m_pages->currentIndex());
    if (QWidget* editor = g->indexWidget(g->currentIndex())) {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(editor, &esc);
        return;
    }
    reject();
}

} // namespace orvix::ui
