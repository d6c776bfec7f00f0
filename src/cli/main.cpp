#include "core/CommandLine.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    orvix::silenceQtMessages();
    return orvix::endCommandLine(orvix::runCommandLine(QCoreApplication::arguments()));
}
