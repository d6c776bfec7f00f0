// "Küldés" of the register: the electronic copy of a posted document written
// as PDF through the PDF printer, then handed to the mail addressed to the
// customer; the document is marked sent (kuldve) once the mail went.
#pragma once

#include "core/Mail.h"
#include "printing/InvoicePrint.h"

#include <QString>
#include <functional>

namespace orvix {

class Database;
class Dialogs;

inline const QString kSendNotPosted = QStringLiteral("Bizonylat még nincs könyvelve");
inline const QString kAlreadySent = QStringLiteral("Bizonylat már el lett küldve");
inline const QString kCopySubject = QStringLiteral("Elektronikus számlamásolat küldés");

enum class SendCopyOutcome {
    Refused,   // not posted, already sent, or no PDF printer: nothing written
    Failed,    // the PDF could not be written
    NoAddress, // the PDF was written; the customer has no e-mail address
    NotSent,   // the PDF was written; the mail was cancelled or failed
    Sent       // the mail went and the document is marked sent
};

struct SendCopyResult {
    SendCopyOutcome outcome = SendCopyOutcome::Refused;
    QString pdfPath; // the copy's file, once written
    MailMessage message;
};

// Shows or sends the message; true when it went (the composition window was
// accepted and the hand-over succeeded).
using MailComposer = std::function<bool(const MailMessage& message)>;

// The whole action. Refusals and failures are told through dialogs.
SendCopyResult sendElectronicCopy(Database& db, Dialogs& dialogs, const PrintSetup& setup, PrintTarget& target,
                                  qint64 document, const MailComposer& compose);

} // namespace orvix
