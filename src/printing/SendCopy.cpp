#include "printing/SendCopy.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/TextUtil.h"
#include "invoicing/Documents.h"

#include <QDir>
#include <QSqlQuery>

namespace orvix {

SendCopyResult sendElectronicCopy(Database& db, Dialogs& dialogs, const PrintSetup& setup, PrintTarget& target,
                                  qint64 document, const MailComposer& compose) {
    SendCopyResult result;
    QSqlQuery q = db.select(
        QStringLiteral("SELECT konyvelve, kuldve, prntip, szlaszam, ugyfel, storno, fa FROM szla WHERE szla=?"),
        {document});
    if (!q.next()) {
        dialogs.error(QStringLiteral("Nincs ilyen bizonylat: %1").arg(document));
        return result;
    }
    const bool posted = isYes(q.value(0).toString().trimmed());
    const bool sent = varInt(q.value(1), 0) != 0;
    const QString kind = q.value(2).toString().trimmed();
    const qint64 number = varInt(q.value(3), 0);
    const qint64 customer = varInt(q.value(4), 0);
    PrintRequest request;
    request.szla = document;
    request.storno = q.value(5).toString().trimmed();
    request.fa = isYes(q.value(6).toString().trimmed());
    request.nyomtat = true;
    request.pdf = true;
    q.finish();

    if (!posted) {
        dialogs.error(kSendNotPosted);
        return result;
    }
    if (sent) {
        dialogs.error(kAlreadySent);
        return result;
    }
    if (const QString problem = pdfPrinterProblem(setup); !problem.isEmpty()) {
        dialogs.error(kNoPdfPrinter + QLatin1Char('\n') + problem);
        return result;
    }
    if (SzlaNyomtat(db, dialogs, setup, target, request) < 1) {
        result.outcome = SendCopyOutcome::Failed;
        return result;
    }
    result.pdfPath = QDir(setup.settings.printerutv).filePath(electronicCopyName(kind, number));

    const QString email = CustomerEmail(db, customer);
    if (email.isEmpty()) {
        // Without an address the copy stays unsent; the user learns where
        // the PDF is instead of nothing happening.
        dialogs.warning(QStringLiteral("Az ügyfélnek nincs e-mail címe, a bizonylat nem lett elküldve.\n"
                                       "A PDF másolat: %1")
                            .arg(QDir::toNativeSeparators(result.pdfPath)));
        result.outcome = SendCopyOutcome::NoAddress;
        return result;
    }
    result.message.recipient = email;
    result.message.subject = kCopySubject;
    result.message.body = kCopySubject;
    result.message.attachment = result.pdfPath;
    if (!compose || !compose(result.message)) {
        result.outcome = SendCopyOutcome::NotSent;
        return result;
    }
    db.execSql(QStringLiteral("UPDATE szla SET kuldve=? WHERE szla=?;"), {true, document});
    result.outcome = SendCopyOutcome::Sent;
    return result;
}

} // namespace orvix
