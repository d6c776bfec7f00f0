// Deflating on every core: the joined pieces inflate to the very bytes they
// came from, with their CRC, whatever the number of workers, and repeats
// across block boundaries still compress; an archive of a large file passes
// an independent unzip.
#include "core/Archive.h"
#include "core/ParallelDeflate.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <zlib.h>

using namespace orvix;

namespace {

QByteArray inflateRaw(const DeflatedData& d) {
    QByteArray stream;
    for (const QByteArray& p : d.pieces)
        stream += p;
    z_stream s{};
    inflateInit2(&s, -MAX_WBITS);
    QByteArray out(qsizetype(d.size) + 1, Qt::Uninitialized);
    s.next_in = reinterpret_cast<Bytef*>(stream.data());
    s.avail_in = uInt(stream.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    const int rc = inflate(&s, Z_FINISH);
    out.resize(qsizetype(s.total_out));
    const bool whole = rc == Z_STREAM_END && s.avail_in == 0;
    inflateEnd(&s);
    return whole ? out : QByteArray("not one whole stream");
}

// Text that repeats at distances that cross the 1 MiB blocks, mixed with noise.
QByteArray sample(qsizetype size) {
    QRandomGenerator random(42);
    QByteArray out;
    out.reserve(size);
    const QByteArray line = QByteArrayLiteral("Árvíztűrő tükörfúrógép Kft.;1138 Budapest;12345678-2-43;");
    while (out.size() < size) {
        if (random.bounded(4) == 0)
            for (int i = 0; i < 64; ++i)
                out += char(random.bounded(256));
        else
            out += line;
    }
    out.resize(size);
    return out;
}

} // namespace

class ParallelDeflateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data() {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<int>("threads");
        QTest::newRow("empty") << qsizetype(0) << 2;
        QTest::newRow("one byte") << qsizetype(1) << 2;
        QTest::newRow("exactly one block") << qsizetype(1 << 20) << 2;
        QTest::newRow("one byte past a block") << qsizetype((1 << 20) + 1) << 3;
        QTest::newRow("several blocks, one worker") << qsizetype(3 * (1 << 20) + 12345) << 1;
        QTest::newRow("several blocks, many workers") << qsizetype(3 * (1 << 20) + 12345) << 8;
    }
    void roundTrip() {
        QFETCH(qsizetype, size);
        QFETCH(int, threads);
        const QByteArray data = sample(size);
        const DeflatedData d = deflateData(data, 9, threads);
        QCOMPARE(d.size, quint64(size));
        QCOMPARE(inflateRaw(d), data);
        QCOMPARE(d.crc, quint32(crc32(0L, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()))));
        quint64 compressed = 0;
        for (const QByteArray& p : d.pieces)
            compressed += quint64(p.size());
        QCOMPARE(d.compressedSize, compressed);
        if (size > (1 << 20)) {
            // The same bytes whatever the workers, and hardly worse than one piece.
            QCOMPARE(deflateData(data, 9, 1).pieces, d.pieces);
            const QByteArray whole = qCompress(data, 9);
            QVERIFY2(double(compressed) < 1.05 * double(whole.size()),
                     qPrintable(QStringLiteral("%1 / %2").arg(compressed).arg(whole.size())));
        }
    }

    void archiveOfALargeFilePassesUnzip() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("adat"));
        QDir().mkpath(folder);
        QFile big(QDir(folder).filePath(QStringLiteral("nagy.bin")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write(sample(2 * (1 << 20) + 777));
        big.close();
        const QString zip = dir.filePath(QStringLiteral("a.zip"));
        QCOMPARE(archiveDataFolder(folder, zip), std::nullopt);
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-t"), zip});
        QVERIFY(unzip.waitForFinished(60000));
        const QByteArray tested = unzip.readAllStandardOutput();
        QVERIFY2(unzip.exitCode() == 0 && tested.contains("No errors detected"), tested.constData());
        const QString restored = dir.filePath(QStringLiteral("vissza"));
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-q"), zip, QStringLiteral("-d"), restored});
        QVERIFY(unzip.waitForFinished(60000));
        QFile back(QDir(restored).filePath(QStringLiteral("nagy.bin")));
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(back.readAll(), sample(2 * (1 << 20) + 777));
    }
};

QTEST_GUILESS_MAIN(ParallelDeflateTest)
#include "paralleldeflate_test.moc"
