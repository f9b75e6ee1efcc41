#include "platform/Gbk.h"

#include <iconv.h>

#include <cerrno>

namespace kovu::gbk {

QByteArray encode(const QString& text, bool* ok) {
    if (ok) *ok = true;
    if (text.isEmpty()) return {};
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (ok) *ok = false;
        return {};
    }
    QByteArray in = text.toUtf8();
    QByteArray out;
    out.resize(in.size() * 2 + 4);
    char* inp = in.data();
    size_t inLeft = static_cast<size_t>(in.size());
    char* outp = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    while (inLeft > 0) {
        size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
        if (r == static_cast<size_t>(-1)) {
            if (errno == EILSEQ || errno == EINVAL) {
                if (ok) *ok = false;
                // Skip one UTF-8 sequence and write a two-byte placeholder.
                unsigned char c = static_cast<unsigned char>(*inp);
                size_t skip = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
                if (skip > inLeft) skip = inLeft;
                inp += skip;
                inLeft -= skip;
                if (outLeft >= 2) {
                    *outp++ = '?';
                    *outp++ = '?';
                    outLeft -= 2;
                }
                continue;
            }
            break;
        }
    }
    iconv_close(cd);
    out.resize(static_cast<int>(outp - out.data()));
    return out;
}

int byteLength(const QString& text) { return encode(text).size(); }

bool isSingleDoubleByteChar(const QString& text) {
    bool ok = false;
    const QByteArray b = encode(text, &ok);
    // Both bytes at 0x80 or above: the Chinese characters of GB2312 and the like. The GBK
    // extension characters whose second byte is below 0x80 (such as 丂, 81 40) do not count.
    return ok && b.size() == 2 && static_cast<unsigned char>(b[0]) >= 0x80 &&
           static_cast<unsigned char>(b[1]) >= 0x80;
}

QString byteMid(const QString& text, int start, int count) {
    QString out;
    int pos = 1;  // byte position of the current character
    for (int i = 0; i < text.size();) {
        const int len = QChar::isHighSurrogate(text.at(i).unicode()) && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, len);
        const int bytes = byteLength(ch);
        const int endPos = pos + bytes - 1;
        if (endPos >= start && pos < start + count) out += ch;
        pos += bytes;
        i += len;
    }
    return out;
}

}  // namespace kovu::gbk
