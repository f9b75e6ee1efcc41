#pragma once

#include <QByteArray>
#include <QString>

namespace kovu::gbk {

// The program's texts were GBK: positions and lengths counted bytes, two per Chinese character.
// These helpers give those byte rules on Unicode text.

// Encodes to GBK; characters outside GBK make ok false.
QByteArray encode(const QString& text, bool* ok = nullptr);
// Number of GBK bytes (a character outside GBK counts as two).
int byteLength(const QString& text);
// True when text is exactly one double-byte GBK character.
bool isSingleDoubleByteChar(const QString& text);
// Characters from 1-based byte position start, count bytes, as Copy on a GBK string. A position
// inside a double-byte character starts at that character.
QString byteMid(const QString& text, int start, int count);

}  // namespace kovu::gbk
