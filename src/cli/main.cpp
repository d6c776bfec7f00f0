#include "core/CommandLine.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return orvix::runCommandLine(QCoreApplication::arguments());
}
