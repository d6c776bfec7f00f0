// The text labels of the design 1 invoice layout: the key under which a
// language file translates each label and its built-in Hungarian caption.
// The invoice print and the language-file generation read this one table.
#pragma once

#include <QString>
#include <vector>

namespace orvix {

// Labels whose caption is filled in when printing (the exemption mark, the
// reverse-charge text) carry this tag; they are not offered for translation.
inline constexpr int kLabelFilledAtPrint = 999;

struct InvoiceLabel {
    const char* key;
    QString caption;
    int tag = 0;
};

// In layout order.
const std::vector<InvoiceLabel>& design1Labels();

// The Hungarian caption of a design 1 label; empty for an unknown key.
QString design1Caption(const QString& key);

} // namespace orvix
