#include "core/ui/WindowDialogs.h"

#include "core/ui/QtDialogs.h"

namespace orvix::ui {

WindowDialogs::WindowDialogs(QWidget* window, Dialogs* given) : m_given(given), m_dialogs(given) {
    if (!m_dialogs) {
        m_own = std::make_unique<QtDialogs>(window);
        m_dialogs = m_own.get();
    }
}

WindowDialogs::~WindowDialogs() = default;

} // namespace orvix::ui
