// The document print as the register and the invoice editor reach it. The
// print itself belongs to a subsystem built on top of invoicing; the program
// installs it here at start, and the windows offer "Nyomtat" and "Nyomtatási
// kép" only when it is installed.
#pragma once

#include <QtGlobal>
#include <functional>

class QWidget;

namespace orvix {
class Database;
}

namespace orvix::ui {

struct DocumentPrintHooks {
    // The preview of a document; fa: in reverse-charge form.
    std::function<void(QWidget* parent, Database& db, qint64 document, bool fa)> preview;
    // Prints a document (refused when it is not posted); counted is called
    // with the document after each copy counted in nyomtatva.
    std::function<void(QWidget* parent, Database& db, qint64 document, const std::function<void(qint64)>& counted)>
        print;
    // "Küldés": the electronic copy of a posted document written as PDF and
    // mailed to its customer; sent is called with the document once it is
    // marked sent.
    std::function<void(QWidget* parent, Database& db, qint64 document, const std::function<void(qint64)>& sent)>
        sendCopy;
};

DocumentPrintHooks& documentPrintHooks();

} // namespace orvix::ui
