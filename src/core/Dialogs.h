// What the logic may ask the user in the middle of an operation. The windows
// implement it with message boxes and input windows (QtDialogs); the tests
// with a scripted implementation that answers from a list and records what
// was asked.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace orvix {

// Fixed captions of the message boxes.
inline const QString kCaptionError = QStringLiteral("Hiba");
inline const QString kCaptionWarning = QStringLiteral("Figyelmeztetés");
inline const QString kCaptionInfo = QStringLiteral("Üzenet");
inline const QString kCaptionConfirm = QStringLiteral("Megerősítés");
inline const QString kCaptionQuestion = QStringLiteral("Kérdés");

struct Period {
    QDate from;
    QDate to;
};

struct MonthPeriod {
    QString from; // "yyyy.mm" as typed
    QString to;
};

struct NumberAndText {
    double number = 0;
    QString text1;
    QString text2;
};

class Dialogs {
public:
    enum class Answer { Yes, No, Cancel };
    // How the text input shows what is typed: as it is, or hidden behind
    // placeholder characters (passwords).
    enum class Echo { Normal, Password };

    virtual ~Dialogs() = default;

    // Message boxes: "Hiba", "Figyelmeztetés", "Üzenet".
    virtual void error(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
    virtual void info(const QString& text) = 0;
    // Yes/No question with the caller's caption; true for Yes.
    virtual bool question(const QString& caption, const QString& text) = 0;
    // Yes/No/Cancel question.
    virtual Answer question3(const QString& caption, const QString& text) = 0;

    // Input windows; std::nullopt when cancelled.
    virtual std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                             const QString& initial = {}, const QString& mask = {},
                                             Echo echo = Echo::Normal) = 0;
    virtual std::optional<double> inputNumber(const QString& caption, const QString& prompt, double initial) = 0;
    // Quantity: wholeOnly demands an integer; limit -9999 means no limit.
    virtual std::optional<double> inputQuantity(const QString& caption, const QString& prompt, double initial,
                                                bool wholeOnly, double limit = -9999) = 0;
    // Number and one or two texts (prompt3 empty: no third field).
    virtual std::optional<NumberAndText> inputNumberText(const QString& caption, const QString& prompt1,
                                                         const QString& prompt2, const NumberAndText& initial,
                                                         const QString& prompt3 = {}) = 0;
    virtual std::optional<Period> inputPeriod(const QString& caption, const Period& initial) = 0;
    virtual std::optional<MonthPeriod> inputMonthPeriod(const QString& caption, const MonthPeriod& initial) = 0;

    // The database choice: display names and their full ini entries; the
    // index chosen, or -1 when cancelled.
    virtual int chooseDatabase(const QString& caption, const QStringList& names, const QStringList& entries) = 0;
};

} // namespace orvix
