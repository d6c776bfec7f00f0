#include "masters/ui/Tfrm_Afakulcs.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/Locale.h"
#include "core/ui/WindowSupport.h"
#include "masters/VatChange.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace orvix::ui {

Tfrm_Afakulcs::Tfrm_Afakulcs(Database& db, Dialogs& dialogs, std::function<void()> changed, QWidget* parent)
    : QDialog(parent), m_db(db), m_dialogs(dialogs), m_changed(std::move(changed)) {
    setObjectName(QStringLiteral("Tfrm_Afakulcs"));
    setWindowTitle(QStringLiteral("Áfa kulcsok kezelése"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_current = new QComboBox(this);
    m_current->setObjectName(QStringLiteral("cbJelenlegi"));
    m_new = new QLineEdit(this);
    m_new->setObjectName(QStringLiteral("eUj"));
    form->addRow(QStringLiteral("Jelenlegi áfa kulcs"), m_current);
    form->addRow(QStringLiteral("Új áfa kulcs"), m_new);
    layout->addLayout(form);
    auto* method = new QGroupBox(QStringLiteral("Módszer"), this);
    auto* methodLayout = new QVBoxLayout(method);
    m_keepNet = new QRadioButton(QStringLiteral("Nettó ár marad (bruttó ár változni fog)"), method);
    m_keepGross = new QRadioButton(QStringLiteral("Bruttó ár marad (nettó ár csökkenni, vagy növekedni fog)"), method);
    m_keepNet->setChecked(true);
    methodLayout->addWidget(m_keepNet);
    methodLayout->addWidget(m_keepGross);
    layout->addWidget(method);
    m_inUse = new QStandardItemModel(0, 2, this);
    m_inUse->setHorizontalHeaderLabels({QStringLiteral("áfakulcs"), QStringLiteral("hány cikkben?")});
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("gKulcsok"));
    m_grid->setModel(m_inUse);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_grid->verticalHeader()->hide();
    layout->addWidget(m_grid, 1);
    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton(QStringLiteral("Áfa kulcs beállítása"), this);
    apply->setObjectName(QStringLiteral("bBeallit"));
    auto* close = new QPushButton(QStringLiteral("Bezár"), this);
    close->setObjectName(QStringLiteral("bBezar"));
    buttons->addWidget(apply);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(apply, &QPushButton::clicked, this, &Tfrm_Afakulcs::apply);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    reload();
    setupWindow(this, objectName(), false);
}

void Tfrm_Afakulcs::reload() {
    const QVariant chosen = m_current->currentData();
    m_current->clear();
    for (const double rate : productVatRates(m_db))
        m_current->addItem(vatRateText(rate), rate);
    const int again = m_current->findData(chosen);
    if (again >= 0)
        m_current->setCurrentIndex(again);
    m_inUse->removeRows(0, m_inUse->rowCount());
    for (const VatRateUse& use : productVatRatesInUse(m_db)) {
        auto* rate = new QStandardItem(vatRateText(use.rate));
        auto* count = new QStandardItem(formatFloat(QStringLiteral("### ### ##0"), use.products));
        rate->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_inUse->appendRow({rate, count});
    }
}

void Tfrm_Afakulcs::apply() {
    if (m_current->currentIndex() < 0) {
        m_dialogs.error(QStringLiteral("Nincs cikk a cikktörzsben."));
        return;
    }
    try {
        changeVatRate(m_db, m_current->currentData().toDouble(), m_new->text(),
                      m_keepGross->isChecked() ? VatKeep::Gross : VatKeep::Net);
    } catch (const VatChangeError& e) {
        m_dialogs.error(e.text());
        return;
    } catch (const DbError& e) {
        m_dialogs.error(e.text());
        return;
    }
    reload();
    if (m_changed)
        m_changed();
}

} // namespace orvix::ui
