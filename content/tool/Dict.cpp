#include <iconv.h>

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

#include "Build.h"
#include "Rules.h"
#include "Source.h"
#include "platform/Errors.h"

namespace kovu::content {

namespace {

// A tone-marked reading ("hǎo", "lǜ", "ńg") as pinyin letters and tone digit ("hao3", "lv4", "ng2").
QString plainReading(const QString& marked, bool* ok) {
    const QString d = marked.normalized(QString::NormalizationForm_D);
    QString letters;
    int tone = 0;
    *ok = true;
    for (QChar c : d) {
        switch (c.unicode()) {
            case 0x0304:
                tone = 1;
                break;
            case 0x0301:
                tone = 2;
                break;
            case 0x030C:
                tone = 3;
                break;
            case 0x0300:
                tone = 4;
                break;
            case 0x0308:  // ü is typed as v
                if (letters.endsWith('u'))
                    letters[letters.size() - 1] = 'v';
                else
                    *ok = false;
                break;
            case 0x0302:
                break;  // ê is typed as e
            default:
                if (c >= 'a' && c <= 'z')
                    letters += c;
                else
                    *ok = false;
        }
    }
    return tone ? letters + QString::number(tone) : letters;
}

// The Unicode character of a two-byte GB2312 code, or an empty text for an unassigned code.
QString fromGb2312(iconv_t cd, unsigned char b1, unsigned char b2) {
    char in[2] = {char(b1), char(b2)};
    char out[8];
    char* ip = in;
    char* op = out;
    size_t il = 2, ol = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1)) return {};
    return QString::fromUtf8(out, int(op - out));
}

}  // namespace

int convertDictionary(const QString& goFile, const QString& outFile) {
    QFile in(goFile);
    if (!in.open(QIODevice::ReadOnly)) fail("cannot read " + goFile);
    static const QRegularExpression lineRe("^\\s*0x([0-9A-Fa-f]+):\\s*\"([^\"]*)\",");
    QHash<uint, QString> source;
    int lineNo = 0;
    while (!in.atEnd()) {
        ++lineNo;
        const QString l = QString::fromUtf8(in.readLine());
        const auto m = lineRe.match(l);
        if (m.hasMatch()) source.insert(m.captured(1).toUInt(nullptr, 16), m.captured(2));
    }
    if (source.isEmpty()) fail(goFile + " holds no pinyin entries");

    iconv_t cd = iconv_open("UTF-8", "GB2312");
    if (cd == reinterpret_cast<iconv_t>(-1)) fail("iconv knows no GB2312");
    QStringList lines;
    lines << "# The character dictionary yefc: every GB2312 character (levels 1 and 2) with its readings,"
          << "# most common first; pinyin letters with the tone digit, no digit for the neutral tone, ü as v."
          << "# Converted by \"kovu_content dict\" from pinyin_dict.go of go-pinyin (MIT licence, see "
             "README.md)."
          << "# 汉字 | 拼音 ...";
    int count = 0;
    for (int b1 = 0xB0; b1 <= 0xF7; ++b1) {
        for (int b2 = 0xA1; b2 <= 0xFE; ++b2) {
            const QString ch = fromGb2312(cd, b1, b2);
            if (ch.isEmpty()) continue;
            const uint cp = ch.toUcs4().value(0);
            if (!source.contains(cp)) {
                iconv_close(cd);
                fail(QString("%1 (U+%2) has no reading in %3").arg(ch).arg(cp, 4, 16).arg(goFile));
            }
            QStringList readings;
            for (const QString& marked : source.value(cp).split(',', Qt::SkipEmptyParts)) {
                bool ok = false;
                const QString r = plainReading(marked.trimmed(), &ok);
                if (!ok || !checkDictionaryReading(r).isEmpty()) {
                    iconv_close(cd);
                    fail(QString("%1: the reading \"%2\" cannot be written as pinyin letters")
                             .arg(ch, marked));
                }
                if (!readings.contains(r)) readings << r;
            }
            lines << ch + " | " + readings.join(' ');
            ++count;
        }
    }
    iconv_close(cd);
    QSaveFile out(outFile);
    if (!out.open(QIODevice::WriteOnly)) fail("cannot write " + outFile);
    out.write((lines.join('\n') + '\n').toUtf8());
    if (!out.commit()) fail("cannot write " + outFile);
    return count;
}

}  // namespace kovu::content
