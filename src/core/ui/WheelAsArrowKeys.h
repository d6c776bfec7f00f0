// In the grids the mouse wheel moves the current row one row at a time: a
// wheel turn towards the user is Down, away from the user is Up.
#pragma once

#include <QObject>

namespace orvix::ui {

class WheelAsArrowKeys : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    // Installs one filter on the application.
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace orvix::ui
