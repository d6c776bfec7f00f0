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

} // namespace orvix::ui
