// The printing windows of the program: the print preview of a laid-out
// report, and the document print of the register and the invoice editor.
#pragma once

#include "printing/InvoicePrint.h"

class QWidget;

namespace orvix::ui {

// Shows each copy in the print preview window ("Nyomtatási kép"), from which
// it can also be printed.
class PreviewTarget : public PrintTarget {
public:
    explicit PreviewTarget(QWidget* parent) : m_parent(parent) {}
    void preview(const report::Document& copy) override;

private:
    QWidget* m_parent;
};

// Installs "Nyomtatási kép" and "Nyomtat" of the register and the editor.
void installDocumentPrinting();

} // namespace orvix::ui
