#include "core/CommandLine.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    // Printing to PDF measures and embeds fonts, which needs a GUI application;
    // the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return orvix::runCommandLine(QCoreApplication::arguments());
}
