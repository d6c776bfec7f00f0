#include "printing/ui/PrintWindows.h"

#include "core/ui/QtDialogs.h"
#include "core/ui/Tfrm_Level.h"
#include "printing/SendCopy.h"
#include "core/ui/WindowSupport.h"
#include "invoicing/Documents.h"
#include "invoicing/ui/PrintHooks.h"

#include "common/Database.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace orvix::ui {

void PreviewTarget::preview(const report::Document& copy) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(copy.title);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(copy.pageSize, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPrintPreviewDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("Tfrm_Preview"));
    dialog.setWindowTitle(QStringLiteral("Nyomtatási kép - %1").arg(copy.title));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&copy](QPrinter* device) {
        QPainter painter(device);
        report::paint(copy, painter, *device);
    });
    setupWindow(&dialog, dialog.objectName(), true, false);
    dialog.exec();
}

void installDocumentPrinting() {
    DocumentPrintHooks& hooks = documentPrintHooks();
    hooks.preview = [](QWidget* parent, Database& db, qint64 document, bool fa) {
        QtDialogs dialogs(parent);
        PreviewTarget target(parent);
        try {
            PrintRequest request = documentPrintRequest(db, document, false);
            request.fa = fa;
            SzlaNyomtat(db, dialogs, printSetupFromApp(), target, request);
        } catch (const DocumentError& e) {
            dialogs.error(e.text());
        } catch (const DbError& e) {
            dialogs.error(e.text());
        }
    };
    hooks.sendCopy = [](QWidget* parent, Database& db, qint64 document, const std::function<void(qint64)>& sent) {
        QtDialogs dialogs(parent);
        PreviewTarget target(parent);
        try {
            const SendCopyResult r = sendElectronicCopy(db, dialogs, printSetupFromApp(), target, document,
                                                        [parent](const MailMessage& m) { return ShowMailWindow(parent, m); });
            if (r.outcome == SendCopyOutcome::Sent && sent)
                sent(document);
        } catch (const DocumentError& e) {
            dialogs.error(e.text());
        } catch (const DbError& e) {
            dialogs.error(e.text());
        }
    };
    hooks.print = [](QWidget* parent, Database& db, qint64 document, const std::function<void(qint64)>& counted) {
        QtDialogs dialogs(parent);
        PreviewTarget target(parent);
        try {
            printDocument(db, dialogs, printSetupFromApp(), target, document, counted);
        } catch (const DocumentError& e) {
            dialogs.error(e.text());
        } catch (const DbError& e) {
            dialogs.error(e.text());
        }
    };
}

} // namespace orvix::ui
