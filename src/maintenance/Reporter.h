// What a maintenance run tells the person running it: the status line, the
// progress bar, the warning and error boxes of the window, or the lines of
// the command line. Every step that changed something is also logged.
#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace orvix::maintenance {

class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void status(const QString& text) { (void)text; }
    virtual void progress(int value, int maximum) {
        (void)value;
        (void)maximum;
    }
    // A warning box of the run; the run goes on.
    virtual void warning(const QString& text) { (void)text; }
    // An error of one table that the run reports and then goes on.
    virtual void error(const QString& text) { (void)text; }
    // One step done, for the log of the run.
    virtual void step(const QString& text) { (void)text; }
};

// A run that stopped: the step it was at and the engine's (or the tool's) text.
// Nothing of the run was kept.
class MaintenanceError : public std::runtime_error {
public:
    MaintenanceError(const QString& step, const QString& text)
        : std::runtime_error((step + QStringLiteral(": ") + text).toStdString()), m_step(step), m_text(text) {}
    const QString& step() const { return m_step; }
    const QString& text() const { return m_text; }
    // "Hiba a(z) … lépésnél:" followed by the text, for the error box.
    QString message() const;

private:
    QString m_step;
    QString m_text;
};

inline const QString kNoFolder = QStringLiteral("Nem létező adatbázis mappa.");

} // namespace orvix::maintenance
