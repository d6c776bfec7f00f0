// The window "ÁFA tartalom": whether a new document is an ordinary or a
// reverse-charge document.
#pragma once

#include "invoicing/Documents.h"

#include <QDialog>
#include <optional>

class QRadioButton;

namespace orvix::ui {

class Tfrm_AfaTartalom : public QDialog {
    Q_OBJECT

public:
    explicit Tfrm_AfaTartalom(QWidget* parent = nullptr);

    // The second item, "Fordított adózás (FA)", is chosen.
    bool reverseCharge() const;
    QRadioButton* normalButton() const { return m_normal; }
    QRadioButton* reverseButton() const { return m_reverse; }

private:
    QRadioButton* m_normal = nullptr;
    QRadioButton* m_reverse = nullptr;
};

// The reverse-charge choice through the window.
class AfaTartalomChooser : public ReverseChargeChooser {
public:
    explicit AfaTartalomChooser(QWidget* parent = nullptr) : m_parent(parent) {}
    std::optional<bool> chooseReverseCharge() override;

private:
    QWidget* m_parent;
};

} // namespace orvix::ui
