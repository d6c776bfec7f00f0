// Conversions between UTF-8 inside the program and the single-byte code pages
// of files exchanged with other programs.
#pragma once

#include <QByteArray>
#include <QString>

namespace orvix {

enum class Codepage { Cp1250, Cp852 };

QString decodeCodepage(const QByteArray& bytes, Codepage cp);
// Characters the code page lacks become the replacement byte.
QByteArray encodeCodepage(const QString& text, Codepage cp, char replacement = '?');
bool isValidUtf8(const QByteArray& bytes);
// A file written by this program (UTF-8, optional BOM) or by an older one (cp1250).
QString decodeUtf8OrCp1250(const QByteArray& bytes);

} // namespace orvix
