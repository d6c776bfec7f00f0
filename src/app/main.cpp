#include "cash/ui/CashWindows.h"
#include "core/AppContext.h"
#include "core/Locale.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/ScreenTexts.h"
#include "core/ui/WheelAsArrowKeys.h"
#include "core/ui/WindowSupport.h"
#include "exports/ui/AuditWindows.h"
#include "exports/ui/Tfrm_KSzlaKet.h"
#include "invoicing/ui/Tfrm_Main.h"
#include "printing/ui/PrintWindows.h"
#include "printing/ui/Tfrm_Beallitasok.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvix_Szamla"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvix Számla"));
    orvix::installHungarianLocale();
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Hungarian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    const QStringList args = QApplication::arguments();
    orvix::ui::setScreenTextExportRequested(args.size() > 1 && args.at(1) == QLatin1String("kiir"));
    orvix::ui::WheelAsArrowKeys::install();
    orvix::ui::installFocusPainter();

    orvix::ui::installDocumentPrinting();
    orvix::ui::installAuditExport();
    orvix::ui::installAccountingExport();
    orvix::QtDialogs dialogs(nullptr);
    orvix::Tfrm_Main window(dialogs, QApplication::applicationDirPath());
    orvix::ui::installCashBook(window);
    orvix::ui::installSettingsWindow(window);
    if (!window.startupEnded())
        window.show();
    return application.exec();
}
