// Data folders of older layouts, built from the catalogue by leaving out the
// tables and fields that later versions added and by narrowing the fields
// they widened; and a description of a folder's layout to compare with.
#pragma once

#include "common/Database.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace orvix::test {

struct OldLayout {
    QString name;
    QSet<QString> tables;            // tables left out
    QSet<QString> fields;            // "table.field" left out
    QMap<QString, QString> declared; // "table.field" -> an older declaration
};

// One layout per group of changes, and the oldest one lacking them all.
QList<OldLayout> oldLayouts();
OldLayout oldestLayout();

// Creates the folder with the layout and the starting rows the layout keeps.
void createOldFolder(Database& db, const QString& folder, const OldLayout& layout);

// Tables (the shipped lookup list aside), fields with their types and widths,
// primary keys and indexes (name, table, columns, order, uniqueness), one
// line each, sorted.
QStringList describeLayout(Database& db);
// Every row of every table as text, sorted.
QStringList dumpRows(Database& db);

} // namespace orvix::test
