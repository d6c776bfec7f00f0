// The messages of a window: the Dialogs its caller gave (tests give a
// scripted one), or, when none was given, the program's own boxes over the
// window.
#pragma once

#include "core/Dialogs.h"

#include <memory>

class QWidget;

namespace orvix::ui {

class QtDialogs;

class WindowDialogs {
public:
    WindowDialogs(QWidget* window, Dialogs* given);
    ~WindowDialogs();
    WindowDialogs(const WindowDialogs&) = delete;
    WindowDialogs& operator=(const WindowDialogs&) = delete;

    Dialogs& operator*() const { return *m_dialogs; }
    Dialogs* operator->() const { return m_dialogs; }
    Dialogs* get() const { return m_dialogs; }
    // What the caller gave (null: the program's own boxes), to be handed on
    // to the windows opened from this one.
    Dialogs* given() const { return m_given; }

private:
    std::unique_ptr<QtDialogs> m_own;
    Dialogs* m_given = nullptr;
    Dialogs* m_dialogs = nullptr;
};

} // namespace orvix::ui
