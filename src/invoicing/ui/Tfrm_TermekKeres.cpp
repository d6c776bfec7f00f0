#include "invoicing/ui/Tfrm_TermekKeres.h"

#include "common/Database.h"
#include "core/ui/ListWindow.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_TermekKeres");

} // namespace

Tfrm_TermekKeres::Tfrm_TermekKeres(Database& db, SearchTarget target, QWidget* parent, Dialogs* dialogs)
    : QDialog(parent), m_db(db), m_target(target), m_dialogs(this, dialogs) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Termék keresése"));

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));

    // "Keresés"
    auto* searchPage = new QWidget(m_pages);
    auto* prompt = new QLabel(QStringLiteral("Keresendő szöveg"), searchPage);
    m_text = new QLineEdit(searchPage);
    m_text->setObjectName(QStringLiteral("eSzoveg"));
    prompt->setBuddy(m_text);
    auto* group = new QGroupBox(QStringLiteral(" Módszer "), searchPage);
    group->setObjectName(QStringLiteral("rgModszer"));
    auto* groupLayout = new QVBoxLayout(group);
    const QString captions[] = {QStringLiteral("Bárhol előforduló (cikkszámban is)"),
                                QStringLiteral("A mező elején (csak megnevezésben)"),
                                QStringLiteral("A mezővel teljesen egyező (csak megnevezésben)")};
    for (int i = 0; i < 3; ++i) {
        m_methods[i] = new QRadioButton(captions[i], group);
        m_methods[i]->setObjectName(QStringLiteral("rbModszer%1").arg(i + 1));
        groupLayout->addWidget(m_methods[i]);
    }
    m_methods[0]->setChecked(true);
    auto* searchButton = new QPushButton(QStringLiteral("Keres"), searchPage);
    searchButton->setObjectName(QStringLiteral("bKeres"));
    searchButton->setDefault(true);
    auto* closeSearch = new QPushButton(QStringLiteral("Bezár"), searchPage);
    closeSearch->setObjectName(QStringLiteral("bBezar1"));
    auto* searchButtons = new QHBoxLayout;
    searchButtons->addStretch();
    searchButtons->addWidget(searchButton);
    searchButtons->addWidget(closeSearch);
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addWidget(prompt);
    searchLayout->addWidget(m_text);
    searchLayout->addWidget(group);
    searchLayout->addStretch();
    searchLayout->addLayout(searchButtons);
    m_pages->addTab(searchPage, QStringLiteral("Keresés"));

    // "Eredmény"
    auto* resultPage = new QWidget(m_pages);
    m_model = new QSqlQueryModel(this);
    m_grid = makeListGrid(resultPage, m_model);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_found = new QPushButton(QStringLiteral("Megvan"), resultPage);
    m_found->setObjectName(QStringLiteral("bMegvan"));
    m_found->setEnabled(false);
    auto* closeResult = new QPushButton(QStringLiteral("Bezár"), resultPage);
    closeResult->setObjectName(QStringLiteral("bBezar2"));
    auto* resultButtons = new QHBoxLayout;
    resultButtons->addStretch();
    resultButtons->addWidget(m_found);
    resultButtons->addWidget(closeResult);
    auto* resultLayout = new QVBoxLayout(resultPage);
    resultLayout->addWidget(m_grid, 1);
    resultLayout->addLayout(resultButtons);
    m_pages->addTab(resultPage, QStringLiteral("Eredmény"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);

    connect(searchButton, &QPushButton::clicked, this, &Tfrm_TermekKeres::search);
    connect(closeSearch, &QPushButton::clicked, this, &QDialog::reject);
    connect(closeResult, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_found, &QPushButton::clicked, this, &Tfrm_TermekKeres::acceptCurrent);
    connect(m_grid, &QTableView::doubleClicked, this, &Tfrm_TermekKeres::acceptCurrent);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &Tfrm_TermekKeres::sortByColumn);

    resize(430, 330);
    setupWindow(this, kWindowName, false, false);
    m_text->setFocus();
}

Tfrm_TermekKeres::~Tfrm_TermekKeres() = default;

void Tfrm_TermekKeres::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // At the bottom right corner of the main window.
    if (m_placed || !parentWidget())
        return;
    m_placed = true;
    const QWidget* main = parentWidget()->window();
    while (main->parentWidget())
        main = main->parentWidget()->window();
    const QRect frame = main->frameGeometry();
    move(frame.right() - frameGeometry().width(), frame.bottom() - frameGeometry().height());
}

QRadioButton* Tfrm_TermekKeres::methodButton(SearchMethod method) const {
    return m_methods[int(method) - 1];
}

SearchMethod Tfrm_TermekKeres::method() const {
    for (int i = 0; i < 3; ++i)
        if (m_methods[i]->isChecked())
            return SearchMethod(i + 1);
    return SearchMethod::Anywhere;
}

int Tfrm_TermekKeres::resultCount() const {
    while (m_model->canFetchMore())
        m_model->fetchMore();
    return m_model->rowCount();
}

bool Tfrm_TermekKeres::runQuery() {
    const QStringList lines = detailedSearchQuery(m_target, method(), m_text->text(), m_order);
    QSqlQuery q(m_db.sql());
    if (!q.exec(lines.join(QLatin1Char('\n')))) {
        m_dialogs->error(q.lastError().text());
        m_model->clear();
        return false;
    }
    m_model->setQuery(std::move(q));
    const QStringList titles = detailedSearchTitles(m_target);
    m_model->setHeaderData(1, Qt::Horizontal, titles.at(0));
    m_model->setHeaderData(2, Qt::Horizontal, titles.at(1));
    m_grid->setColumnHidden(0, true);
    m_grid->setColumnWidth(1, m_target == SearchTarget::Products ? 110 : 220);
    if (m_model->rowCount() > 0)
        m_grid->setCurrentIndex(m_model->index(0, 1));
    return m_model->rowCount() > 0;
}

bool Tfrm_TermekKeres::search() {
    m_order.clear();
    if (!runQuery() || m_model->rowCount() == 0) {
        m_found->setEnabled(false);
        m_dialogs->info(kSearchFailedMessage);
        return false;
    }
    m_found->setEnabled(true);
    m_pages->setCurrentIndex(1);
    m_grid->setFocus();
    return true;
}

void Tfrm_TermekKeres::sortByColumn(int column) {
    const QStringList fields = detailedSearchFields(m_target);
    if (column < 1 || column > fields.size() || m_model->rowCount() == 0)
        return;
    const QVariant current = currentKey();
    m_order = fields.at(column - 1);
    runQuery();
    for (int row = 0; current.isValid(); ++row) {
        while (row >= m_model->rowCount() && m_model->canFetchMore())
            m_model->fetchMore();
        if (row >= m_model->rowCount())
            break;
        if (m_model->data(m_model->index(row, 0)) == current) {
            m_grid->setCurrentIndex(m_model->index(row, 1));
            break;
        }
    }
}

QVariant Tfrm_TermekKeres::currentKey() const {
    const QModelIndex index = m_grid->currentIndex();
    if (!index.isValid())
        return {};
    return m_model->data(m_model->index(index.row(), 0));
}

void Tfrm_TermekKeres::acceptCurrent() {
    const QVariant key = currentKey();
    if (!key.isValid() || !m_found->isEnabled())
        return;
    m_chosen = key;
    accept();
}

std::optional<QVariant> searchProductOrCustomer(QWidget* parent, Database& db, SearchTarget target) {
    Tfrm_TermekKeres window(db, target, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.chosen();
}

} // namespace orvix::ui
