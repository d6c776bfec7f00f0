// The archive of a large data folder and its restore: how long each takes,
// and the size of the archive next to the folder's. The archive must take
// under 30 s for a folder of 300 000 documents.
//
//   archive_bench DIR [WORK]
//
// DIR is only read (the database through a read-only snapshot); the archive
// and the restored folder go into WORK, by default a temporary folder that is
// removed afterwards.
#include "core/Archive.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

using namespace orvix;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        out << "Használat: archive_bench DIR [WORK]\n";
        return 2;
    }
    QTemporaryDir temp;
    const QString work = args.size() > 2 ? args.at(2) : temp.path();
    QDir().mkpath(work);
    const QString zip = QDir(work).filePath(QStringLiteral("bench.zip"));
    const QString restored = QDir(work).filePath(QStringLiteral("restored"));
    QDir(restored).removeRecursively();

    qint64 folderSize = 0;
    for (const QFileInfo& f : QDir(args.at(1)).entryInfoList(QDir::Files))
        folderSize += f.size();

    QElapsedTimer timer;
    timer.start();
    if (const auto error = archiveDataFolder(args.at(1), zip)) {
        out << "Hiba: " << *error << "\n";
        return 1;
    }
    const double archiveSeconds = timer.elapsed() / 1000.0;
    timer.restart();
    if (const auto error = restoreArchive(zip, restored)) {
        out << "Hiba: " << *error << "\n";
        return 1;
    }
    const double restoreSeconds = timer.elapsed() / 1000.0;
    out << QStringLiteral("mappa %1 MB, archívum %2 MB\n")
               .arg(folderSize / 1048576.0, 0, 'f', 1)
               .arg(QFileInfo(zip).size() / 1048576.0, 0, 'f', 1);
    out << QStringLiteral("archiválás %1 s (határ 30 s: %2)\n")
               .arg(archiveSeconds, 0, 'f', 1)
               .arg(archiveSeconds < 30 ? QStringLiteral("tartja") : QStringLiteral("TÚLLÉPI"));
    out << QStringLiteral("visszaállítás ellenőrzéssel %1 s\n").arg(restoreSeconds, 0, 'f', 1);
    return archiveSeconds < 30 ? 0 : 1;
}
