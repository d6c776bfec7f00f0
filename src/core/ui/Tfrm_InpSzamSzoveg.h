// The number-and-text input window: a number field and a text field, each
// with its prompt, and optionally a third prompt with a second text field.
#pragma once

#include "core/Dialogs.h"

#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;

namespace orvix::ui {

class Tfrm_InpSzamSzoveg : public QDialog {
    Q_OBJECT

public:
    // prompt3 empty: no third field.
    Tfrm_InpSzamSzoveg(const QString& caption, const QString& prompt1, const QString& prompt2,
                       const NumberAndText& initial, const QString& prompt3 = {}, QWidget* parent = nullptr);

    // "OK": a number field that does not convert gives "Nem megfelelő érték."
    // and the focus goes back to it; the window stays open.
    bool tryAccept();

    // The accepted values.
    NumberAndText values() const { return m_result; }
    QLineEdit* numberEdit() const { return m_number; }
    QLineEdit* textEdit() const { return m_text1; }
    // nullptr without a third prompt.
    QLineEdit* secondTextEdit() const { return m_text2; }

protected:
    virtual void showError(const QString& text);

private:
    NumberAndText m_result;
    QLineEdit* m_number = nullptr;
    QLineEdit* m_text1 = nullptr;
    QLineEdit* m_text2 = nullptr;
};

// The number and texts typed, or std::nullopt when cancelled.
std::optional<NumberAndText> inputNumberTextWindow(QWidget* parent, const QString& caption,
                                                   const QString& prompt1, const QString& prompt2,
                                                   const NumberAndText& initial, const QString& prompt3 = {});

} // namespace orvix::ui
