// The number input window: a money amount, or a quantity (whole numbers only
// for some units; optionally no more than the free quantity).
#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;

namespace orvix::ui {

class Tfrm_Inp : public QDialog {
    Q_OBJECT

public:
    // The limit that means "no limit".
    static constexpr double kNoLimit = -9999;

    enum class Kind {
        Money,   // shown with the money format (formatft)
        Quantity // shown with the quantity format (formatdb), "### ### ##0" for whole numbers
    };

    Tfrm_Inp(Kind kind, const QString& caption, const QString& prompt, double initial, bool wholeOnly = false,
             double limit = kNoLimit, QWidget* parent = nullptr);

    // "OK": converts the typed text (spaces removed; empty is 0) and checks
    // it. A text that is no number, a fraction where whole numbers are
    // required or a quantity above the limit is refused with an error, and
    // the window stays open with the focus in the field.
    bool tryAccept();

    // The accepted value.
    double value() const { return m_value; }
    QLineEdit* edit() const { return m_edit; }
    // The "Szabad: " line; hidden without a limit.
    QLabel* limitLabel() const { return m_limitLabel; }

protected:
    virtual void showError(const QString& text);

private:
    void refuse(const QString& text);

    Kind m_kind;
    bool m_wholeOnly;
    double m_limit;
    double m_value = 0;
    QLabel* m_prompt = nullptr;
    QLineEdit* m_edit = nullptr;
    QLabel* m_limitLabel = nullptr;
};

// The money amount typed, or std::nullopt when cancelled.
std::optional<double> inputNumberWindow(QWidget* parent, const QString& caption, const QString& prompt,
                                        double initial);
// The quantity typed, or std::nullopt when cancelled.
std::optional<double> inputQuantityWindow(QWidget* parent, const QString& caption, const QString& prompt,
                                          double initial, bool wholeOnly, double limit = Tfrm_Inp::kNoLimit);

} // namespace orvix::ui
