#include "common/IniFile.h"

#include "common/Codepage.h"

#include <QFile>
#include <QSaveFile>

namespace orvix {

IniFile::IniFile(const QString& path) { load(path); }

void IniFile::load(const QString& path) {
    m_path = path;
    m_sections.clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QString text = decodeUtf8OrCp1250(f.readAll());
    Section* current = nullptr;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            current = &section(trimmed.mid(1, trimmed.size() - 2).trimmed());
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || !current)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1);
        bool found = false;
        for (Entry& e : current->entries) {
            if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
                found = true; // the first occurrence wins, as with the Windows profile API
                break;
            }
        }
        if (!found)
            current->entries.push_back({key, value});
    }
}

bool IniFile::save() const { return saveAs(m_path); }

bool IniFile::saveAs(const QString& path) const {
    if (path.isEmpty())
        return false;
    QByteArray out;
    for (const Section& s : m_sections) {
        out += '[' + s.name.toUtf8() + "]\r\n";
        for (const Entry& e : s.entries)
            out += e.key.toUtf8() + '=' + e.value.toUtf8() + "\r\n";
        out += "\r\n";
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(out);
    return f.commit();
}

const IniFile::Section* IniFile::findSection(const QString& name) const {
    for (const Section& s : m_sections)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

IniFile::Section& IniFile::section(const QString& name) {
    for (Section& s : m_sections)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return s;
    m_sections.push_back({name, {}});
    return m_sections.back();
}

bool IniFile::hasKey(const QString& sectionName, const QString& key) const {
    if (const Section* s = findSection(sectionName))
        for (const Entry& e : s->entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

QString IniFile::value(const QString& sectionName, const QString& key, const QString& defaultValue) const {
    if (const Section* s = findSection(sectionName))
        for (const Entry& e : s->entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return e.value;
    return defaultValue;
}

int IniFile::intValue(const QString& sectionName, const QString& key, int defaultValue) const {
    bool ok;
    const int v = value(sectionName, key).trimmed().toInt(&ok);
    return ok ? v : defaultValue;
}

bool IniFile::boolValue(const QString& sectionName, const QString& key, bool defaultValue) const {
    bool ok;
    const int v = value(sectionName, key).trimmed().toInt(&ok);
    return ok ? v != 0 : defaultValue;
}

void IniFile::setValue(const QString& sectionName, const QString& key, const QString& value) {
    Section& s = section(sectionName);
    for (Entry& e : s.entries) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = value;
            return;
        }
    }
    s.entries.push_back({key, value});
}

void IniFile::setInt(const QString& sectionName, const QString& key, int value) {
    setValue(sectionName, key, QString::number(value));
}

void IniFile::setBool(const QString& sectionName, const QString& key, bool value) {
    setValue(sectionName, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::removeKey(const QString& sectionName, const QString& key) {
    for (Section& s : m_sections) {
        if (s.name.compare(sectionName, Qt::CaseInsensitive) != 0)
            continue;
        std::erase_if(s.entries, [&](const Entry& e) { return e.key.compare(key, Qt::CaseInsensitive) == 0; });
    }
}

QStringList IniFile::sections() const {
    QStringList names;
    for (const Section& s : m_sections)
        names << s.name;
    return names;
}

QStringList IniFile::keys(const QString& sectionName) const {
    QStringList names;
    if (const Section* s = findSection(sectionName))
        for (const Entry& e : s->entries)
            names << e.key;
    return names;
}

} // namespace orvix
