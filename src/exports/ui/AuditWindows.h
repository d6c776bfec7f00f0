// The exports' windows as the program reaches them.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace orvix {
class Database;
}

namespace orvix::ui {

// Installs the register's two NAV actions (the audit export window).
void installAuditExport();

// Writes the rows of a query as a delimited text file chosen by the user
// (the register's "Excelbe"); chooseFile gives the file name, empty when
// cancelled. The one place the export grids hand their rows to a text file.
void exportQueryAsText(Database& db, const QString& select, const QString& suggestedName,
                       const std::function<QString(const QString& suggestedName)>& chooseFile);

} // namespace orvix::ui
