// The start picture: a borderless, always-on-top 600 × 200 window in the
// middle of the desktop; after one second it fades out and frees itself.
#pragma once

#include <QWidget>

class QTimer;

namespace orvix {

class Tfrm_Splash : public QWidget {
    Q_OBJECT

public:
    explicit Tfrm_Splash(QWidget* parent = nullptr);
    // Shows the window; one second later the fade starts.
    void showAndFade();
    int opacityLevel() const { return m_level; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fadeStep();

    QTimer* m_fade = nullptr;
    int m_level = 255;
};

} // namespace orvix
