// "Nyomtatás típusa": the choice between the preview, printing, the CSV
// export (and the HTML export on request) of a list report, with the printer
// for printing.
#pragma once

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLabel;
class QRadioButton;

namespace orvix::ui {

class Tfrm_NyomValaszt : public QDialog {
    Q_OBJECT

public:
    enum Choice { Preview = 0, Print = 1, Csv = 2, Html = 3 };

    // printers: the installed printers; printer: the one proposed (the first
    // installed one when empty); html adds "Html export".
    Tfrm_NyomValaszt(const QStringList& printers, const QString& printer, bool html, QWidget* parent = nullptr);

    int choice() const;
    void setChoice(int choice);
    QString printer() const;
    QComboBox* printerList() const { return m_printers; }
    QLabel* printerCaption() const { return m_printerCaption; }

private:
    void updatePrinterState();

    QButtonGroup* m_group = nullptr;
    QComboBox* m_printers = nullptr;
    QLabel* m_printerCaption = nullptr;
    QLabel* m_picture = nullptr;
};

// The dialog: the chosen index (0 "Nyomtatási kép", 1 "Nyomtatás", 2 "Excelbe
// (CSV)", 3 "Html export") or -1 when cancelled; on OK printer becomes the
// printer chosen.
int NyomValaszt(QWidget* parent, QString& printer, bool html);

} // namespace orvix::ui
