// The three invoice layouts as report descriptions over the values and rows
// the invoice print fills in (see InvoicePrint.cpp for the names).
#pragma once

#include "printing/Report.h"

#include <QHash>
#include <QImage>
#include <QString>

namespace orvix {

// The captions of the labels by label key, after marks and translation.
using LayoutCaptions = QHash<QString, QString>;

// A4 portrait: picture and title, issuer and customer boxes, line block of
// three rows, rate table with the payable amount, footer with page counts.
void addDesign1(report::Report& r, const LayoutCaptions& captions, const QImage& logo);
// A4 portrait in a page frame, the picture left of the issuer data.
void addDesign2(report::Report& r, const LayoutCaptions& captions, const QImage& logo);
// The receipt printer's narrow roll: one long page, footer texts at the end.
void addReceipt(report::Report& r, const LayoutCaptions& captions);

} // namespace orvix
