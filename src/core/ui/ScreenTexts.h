// The "kiir" switch: a window writes its own texts into lang.ini of the work
// folder for translators (only keys that have no value yet).
#pragma once

#include <QString>

class QWidget;

namespace orvix::ui {

// Whether the program was started with the first argument "kiir".
bool screenTextExportRequested();
void setScreenTextExportRequested(bool on);
// Writes the window's texts into the given ini file when export was requested.
void maybeExportScreenTexts(QWidget* window);
// Writes the window's texts into the file unconditionally.
void exportScreenTexts(QWidget* window, const QString& iniPath);

} // namespace orvix::ui
