// Orvix_Szamla_Upd: with a command, runs it on the command line; without
// arguments, opens the maintenance window.
#include "maintenance/UpdCommands.h"
#include "maintenance/ui/Tfrm_Upd_Main.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        QStringList args = QCoreApplication::arguments();
        args.removeFirst();
        return orvix::maintenance::runCommand(args, out, err);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvix Számla - adatbázis karbantartás"));
    orvix::maintenance::ui::Tfrm_Upd_Main window(QCoreApplication::applicationDirPath());
    window.show();
    return QApplication::exec();
}
