#include "core/ui/Tfrm_InpStr.h"

#include "core/ui/WindowSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_InpStr");
constexpr int kFieldWidth = 300;
} // namespace

Tfrm_InpStr::Tfrm_InpStr(const QString& caption, const QString& prompt, const QString& initial,
                         QWidget* parent)
    : QDialog(parent) {
    setObjectName(kWindowName);
    setWindowTitle(caption);
    setModal(true);

    m_prompt = new QLabel(prompt, this);
    m_prompt->setObjectName(QStringLiteral("Label1"));
    m_prompt->setWordWrap(true);
    m_edit = new QLineEdit(initial, this);
    m_edit->setObjectName(QStringLiteral("Edit1"));
    m_edit->setMinimumWidth(kFieldWidth);
    m_edit->selectAll();
    m_prompt->setBuddy(m_edit);

    layOutPromptWindow(this, m_prompt, m_edit);

    m_edit->setFocus();
    setupWindow(this, kWindowName, false);
}

QString Tfrm_InpStr::text() const {
    return m_edit->text();
}

std::optional<QString> inputStringWindow(QWidget* parent, const QString& caption, const QString& prompt,
                                         const QString& initial) {
    Tfrm_InpStr window(caption, prompt, initial, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.text();
}

} // namespace orvix::ui
