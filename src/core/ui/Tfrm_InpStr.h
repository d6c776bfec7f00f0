// The text input window: caption, prompt and one text field.
#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;

namespace orvix::ui {

class Tfrm_InpStr : public QDialog {
    Q_OBJECT

public:
    Tfrm_InpStr(const QString& caption, const QString& prompt, const QString& initial,
                QWidget* parent = nullptr);

    QString text() const;
    QLineEdit* edit() const { return m_edit; }

private:
    QLabel* m_prompt = nullptr;
    QLineEdit* m_edit = nullptr;
};

// The typed text, or std::nullopt when cancelled.
std::optional<QString> inputStringWindow(QWidget* parent, const QString& caption, const QString& prompt,
                                         const QString& initial = {});

} // namespace orvix::ui
