// Deflating a large file at the highest level on every processor core. The
// file is cut into blocks; each block is compressed on its own, with the
// 32 KiB before it as its dictionary, and ended on a byte boundary, so the
// pieces joined in order are one raw deflate stream that any unzip reads,
// compressed almost as tightly as in one piece.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace orvix {

struct DeflatedData {
    std::vector<QByteArray> pieces; // the raw deflate stream, in order
    quint32 crc = 0;                // CRC-32 of the uncompressed data
    quint64 size = 0;               // uncompressed bytes
    quint64 compressedSize = 0;     // bytes of all pieces
};

// Deflates the file at `level` (1..9) with `threads` workers (0: one per
// core). The error text when the file cannot be read.
std::optional<QString> deflateFile(const QString& path, DeflatedData& out, int level = 9, int threads = 0);

// The same for data in memory.
DeflatedData deflateData(const QByteArray& data, int level = 9, int threads = 0);

} // namespace orvix
