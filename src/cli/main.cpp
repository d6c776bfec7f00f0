#include "cash/CashCommands.h"
#include "core/ArchiveCommands.h"
#include "core/CoreCommands.h"
#include "core/ExportCommands.h"
#include "core/SettingsCommands.h"
#include "exports/AccountingCommands.h"
#include "exports/AuditCommands.h"
#include "invoicing/DocumentCommands.h"
#include "invoicing/PostingCommands.h"
#include "invoicing/RegisterCommands.h"
#include "masters/MasterCommands.h"
#include "masters/VatCommands.h"
#include "printing/PrintCommands.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    // Printing to PDF measures and embeds fonts, which needs a GUI application;
    // the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Before the application exists: its construction already warns (about
    // the runtime folder, say), and no Qt diagnostic belongs on the terminal.
    orvix::cli::silenceQtMessages();
    QGuiApplication app(argc, argv);
    // Each subsystem adds its table of commands here.
    return orvix::cli::endCommandLine(
        orvix::cli::runCommandLine({&orvix::coreCommands(), &orvix::archiveCommands(), &orvix::settingsCommands(), &orvix::masterCommands(), &orvix::vatCommands(), &orvix::documentCommands(),
                                    &orvix::postingCommands(), &orvix::registerCommands(), &orvix::printCommands(),
                                    &orvix::cashCommands(), &orvix::exportCommands(), &orvix::auditCommands(), &orvix::accountingCommands()},
                                   QCoreApplication::arguments()));
}
