#include "core/CoreCommands.h"
#include "invoicing/DocumentCommands.h"
#include "masters/MasterCommands.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Each subsystem adds its table of commands here.
    return orvix::cli::runCommandLine(
        {&orvix::coreCommands(), &orvix::masterCommands(), &orvix::documentCommands()},
        QCoreApplication::arguments());
}
