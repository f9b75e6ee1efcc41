// The stroke data file and a character's encoded strokes from any bytes: a file is written from the
// input and opened as the program opens its data file, every character it claims is read, and the
// input is also decoded as one character. Nothing may crash or read outside the bytes, a character
// read must have sane strokes, and a decoded character encodes back to a form that decodes alike.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "strokes/StrokeData.h"

using namespace kovu::strokes;

namespace {

void checkCharacter(const Character& c) {
    for (const Stroke& s : c) {
        FUZZ_CHECK(s.median.size() < 100000);
        for (const QPointF& p : s.median) FUZZ_CHECK(p.x() == p.x() && p.y() == p.y());  // no NaN
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (silenceQtMessages(), true);
    (void)quiet;
    static QTemporaryDir dir;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    if (std::optional<Character> c = decodeCharacter(bytes)) checkCharacter(*c);

    const QString path = dir.filePath("kovu-strokes.dat");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(bytes);
    }
    StrokeFile file;
    if (file.open(path)) {
        const QList<char32_t> held = file.characters();
        FUZZ_CHECK(held.size() == file.count());
        for (qsizetype i = 1; i < held.size(); ++i) FUZZ_CHECK(held[i - 1] < held[i]);
        for (char32_t c : held.mid(0, 64))
            if (std::optional<Character> ch = file.character(c)) checkCharacter(*ch);
        FUZZ_CHECK(!file.holds(0x10FFFF + 1) || held.contains(0x10FFFF + 1));
    }
    return 0;
}
