#include "core/ParallelDeflate.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <thread>
#include <zlib.h>

namespace orvix {

namespace {

constexpr qsizetype kBlock = 1 << 20;  // uncompressed bytes per piece
constexpr qsizetype kWindow = 1 << 15; // the dictionary a piece starts with

// One piece: the block at `offset`, with the window before it as its
// dictionary; the last piece ends the stream, the others end on a byte
// boundary with an empty stored block (a sync flush).
QByteArray deflateBlock(const uchar* data, qsizetype total, qsizetype offset, int level, uLong& crc) {
    const qsizetype length = std::min(kBlock, total - offset);
    const bool last = offset + length >= total;
    z_stream s{};
    deflateInit2(&s, level, Z_DEFLATED, -MAX_WBITS, MAX_MEM_LEVEL, Z_DEFAULT_STRATEGY);
    if (offset > 0) {
        const qsizetype window = std::min(kWindow, offset);
        deflateSetDictionary(&s, data + offset - window, uInt(window));
    }
    QByteArray out;
    out.resize(qsizetype(deflateBound(&s, uLong(length))) + 16);
    s.next_in = const_cast<uchar*>(data + offset);
    s.avail_in = uInt(length);
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    deflate(&s, last ? Z_FINISH : Z_SYNC_FLUSH);
    out.resize(qsizetype(s.total_out));
    deflateEnd(&s);
    crc = crc32(0L, data + offset, uInt(length));
    return out;
}

DeflatedData deflateBytes(const uchar* data, qsizetype total, int level, int threads) {
    DeflatedData out;
    out.size = quint64(total);
    const qsizetype blocks = std::max<qsizetype>(1, (total + kBlock - 1) / kBlock);
    out.pieces.resize(size_t(blocks));
    std::vector<uLong> crcs(size_t(blocks), 0);
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (qsizetype b = next++; b < blocks; b = next++)
            out.pieces[size_t(b)] = deflateBlock(data, total, b * kBlock, level, crcs[size_t(b)]);
    };
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    threads = int(std::min<qsizetype>(threads, blocks));
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(work);
    work();
    for (std::thread& w : workers)
        w.join();
    uLong crc = crc32(0L, nullptr, 0);
    for (qsizetype b = 0; b < blocks; ++b) {
        crc = crc32_combine(crc, crcs[size_t(b)], z_off_t(std::min(kBlock, total - b * kBlock)));
        out.compressedSize += quint64(out.pieces[size_t(b)].size());
    }
    out.crc = quint32(crc);
    return out;
}

} // namespace

std::optional<QString> deflateFile(const QString& path, DeflatedData& out, int level, int threads) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    const qint64 size = file.size();
    if (size == 0) {
        out = deflateBytes(nullptr, 0, level, 1);
        return std::nullopt;
    }
    const uchar* data = file.map(0, size);
    if (!data)
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    out = deflateBytes(data, size, level, threads);
    file.unmap(const_cast<uchar*>(data));
    return std::nullopt;
}

DeflatedData deflateData(const QByteArray& data, int level, int threads) {
    return deflateBytes(reinterpret_cast<const uchar*>(data.constData()), data.size(), level, threads);
}

} // namespace orvix
