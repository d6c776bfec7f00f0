// The program's message boxes: error, warning, information and the two
// questions, with fixed captions and Hungarian buttons. Every box gives the
// focus back to the window (and field) that was active before it.
//
// A message interceptor can stand in for the boxes (window tests install one
// so that a modal box never blocks them); it receives what would be shown and
// answers the questions.
#pragma once

#include "core/Dialogs.h"

#include <QString>
#include <functional>

class QWidget;

namespace orvix::ui {

enum class MessageKind { Error, Warning, Info, Question, Question3 };

struct MessageRequest {
    MessageKind kind = MessageKind::Info;
    QString caption;
    QString text;
};

// Answer for a question (Yes/No/Cancel); ignored for the other kinds.
using MessageInterceptor = std::function<Dialogs::Answer(const MessageRequest&)>;

// Sets the interceptor (an empty one shows real boxes again); returns the previous one.
MessageInterceptor setMessageInterceptor(MessageInterceptor interceptor);

// Installs an interceptor for its lifetime and restores the previous one after.
class ScopedMessageInterceptor {
public:
    explicit ScopedMessageInterceptor(MessageInterceptor interceptor);
    ~ScopedMessageInterceptor();
    ScopedMessageInterceptor(const ScopedMessageInterceptor&) = delete;
    ScopedMessageInterceptor& operator=(const ScopedMessageInterceptor&) = delete;

private:
    MessageInterceptor m_previous;
};

// "Hiba", error icon, "OK".
void errorBox(QWidget* parent, const QString& text);
// "Figyelmeztetés", warning icon, "OK".
void warningBox(QWidget* parent, const QString& text);
// "Üzenet", information icon, "OK".
void infoBox(QWidget* parent, const QString& text);
// The caller's caption, question icon, "Igen"/"Nem"; true for "Igen".
bool questionBox(QWidget* parent, const QString& caption, const QString& text);
// The caller's caption, question icon, "Igen"/"Nem"/"Mégsem".
Dialogs::Answer questionBox3(QWidget* parent, const QString& caption, const QString& text);

} // namespace orvix::ui

namespace orvix {
using ui::errorBox;
using ui::infoBox;
using ui::questionBox;
using ui::questionBox3;
using ui::warningBox;
} // namespace orvix
