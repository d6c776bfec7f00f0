// The text of a produced PDF file as pdftotext extracts it, for checking
// printed output.
#pragma once

#include <QString>

namespace orvix::test {

// The text of every page; with layout the columns keep their places on the
// line. Empty when the file cannot be read (the test then fails on content).
QString pdfText(const QString& path, bool layout = true);
// The page count pdfinfo reports; -1 when it cannot tell.
int pdfPageCount(const QString& path);
// The text with every run of blanks made one space (column gaps vary).
QString squeezed(const QString& text);

} // namespace orvix::test
