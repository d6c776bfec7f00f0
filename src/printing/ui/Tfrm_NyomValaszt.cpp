#include "printing/ui/Tfrm_NyomValaszt.h"

#include "core/ui/WindowSupport.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const QStyle::StandardPixmap kPictures[] = {QStyle::SP_FileDialogContentsView, QStyle::SP_DialogSaveButton,
                                            QStyle::SP_FileDialogDetailedView, QStyle::SP_DirLinkIcon};

} // namespace

Tfrm_NyomValaszt::Tfrm_NyomValaszt(const QStringList& printers, const QString& printer, bool html, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Tfrm_NyomValaszt"));
    setWindowTitle(QStringLiteral("Nyomtatás típusa"));
    auto* box = new QGroupBox(QStringLiteral("Nyomtatás típusa"), this);
    box->setObjectName(QStringLiteral("RadioGroup1"));
    auto* boxLayout = new QVBoxLayout(box);
    m_group = new QButtonGroup(this);
    QStringList items{QStringLiteral("Nyomtatási kép"), QStringLiteral("Nyomtatás"), QStringLiteral("Excelbe (CSV)")};
    if (html)
        items << QStringLiteral("Html export");
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), box);
        m_group->addButton(button, i);
        boxLayout->addWidget(button);
    }
    m_group->button(0)->setChecked(true);

    m_picture = new QLabel(this);
    m_picture->setFixedSize(48, 48);
    m_picture->setAlignment(Qt::AlignCenter);

    m_printerCaption = new QLabel(QStringLiteral("Nyomtató"), this);
    m_printers = new QComboBox(this);
    m_printers->setObjectName(QStringLiteral("ComboBox1"));
    m_printers->addItems(printers);
    m_printerCaption->setBuddy(m_printers);
    const QString proposed = printer.isEmpty() && !printers.isEmpty() ? printers.first() : printer;
    const int at = m_printers->findText(proposed);
    if (at >= 0)
        m_printers->setCurrentIndex(at);

    auto* top = new QHBoxLayout;
    top->addWidget(box, 1);
    top->addWidget(m_picture, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_printerCaption);
    layout->addWidget(m_printers);
    const OkCancelButtons buttons = makeOkCancelButtons(this);
    layout->addLayout(buttons.row);

    connect(m_group, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            updatePrinterState();
    });
    updatePrinterState();
    setupWindow(this, objectName(), false);
}

int Tfrm_NyomValaszt::choice() const {
    return m_group->checkedId();
}

void Tfrm_NyomValaszt::setChoice(int choice) {
    if (QAbstractButton* b = m_group->button(choice))
        b->setChecked(true);
}

QString Tfrm_NyomValaszt::printer() const {
    return m_printers->currentText();
}

void Tfrm_NyomValaszt::updatePrinterState() {
    const int c = choice();
    const bool printing = c == Print;
    m_printers->setEnabled(printing);
    m_printerCaption->setEnabled(printing);
    if (c >= 0 && c < 4)
        m_picture->setPixmap(style()->standardIcon(kPictures[c]).pixmap(40, 40));
}

int NyomValaszt(QWidget* parent, QString& printer, bool html) {
    Tfrm_NyomValaszt dialog(QPrinterInfo::availablePrinterNames(), printer, html, parent);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    printer = dialog.printer();
    return dialog.choice();
}

} // namespace orvix::ui
