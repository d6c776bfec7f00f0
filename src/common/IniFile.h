// A Windows profile file: bracketed section lines and key=value lines.
// Sections and keys are matched without regard to case and keep the spelling
// and order in which they were first written; booleans are 1 and 0. The file
// is written as UTF-8; one written by an older version in cp1250 is still read.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace orvix {

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(const QString& path);

    // Reads the file; a missing file gives an empty profile.
    void load(const QString& path);
    // Writes the whole profile atomically (a temporary file renamed over it).
    bool save() const;
    bool saveAs(const QString& path) const;
    QString path() const { return m_path; }

    bool hasKey(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    int intValue(const QString& section, const QString& key, int defaultValue) const;
    // "1"/"0"; any other number counts as true, a text that is no number gives the default.
    bool boolValue(const QString& section, const QString& key, bool defaultValue) const;

    void setValue(const QString& section, const QString& key, const QString& value);
    void setInt(const QString& section, const QString& key, int value);
    void setBool(const QString& section, const QString& key, bool value);
    void removeKey(const QString& section, const QString& key);

    QStringList sections() const;
    QStringList keys(const QString& section) const;

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    const Section* findSection(const QString& name) const;
    Section& section(const QString& name);

    QString m_path;
    std::vector<Section> m_sections;
};

} // namespace orvix
