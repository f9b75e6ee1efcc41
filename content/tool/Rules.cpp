#include "Rules.h"

#include <QRegularExpression>
#include <QTextDocument>

#include "platform/Errors.h"
#include "platform/Gbk.h"
#include "platform/ImageCodec.h"

namespace kovu::content {

QString checkTextbookNumber(const QString& number) {
    if (number.size() != 1 || number < "1" || number > "9")
        return "textbook number \"" + number + "\" is not one digit 1 to 9";
    return {};
}

QString checkLessonNumber(const QString& number, const QSet<QString>& textbooks) {
    static const QRegularExpression re("^[1-9][0-9][0-9]$");
    if (!re.match(number).hasMatch()) return "lesson number \"" + number + "\" is not three digits";
    if (number.mid(1) == "00") return "lesson number \"" + number + "\" has the sequence 00";
    if (!textbooks.contains(number.left(1)))
        return "lesson number \"" + number + "\" does not start with an existing textbook";
    return {};
}

QString checkItemNumber(const QString& number, const QSet<QString>& lessons) {
    if (number.isEmpty() || number.size() % 3 != 0)
        return "item number \"" + number + "\" is not a multiple of 3 characters long";
    QSet<QString> seen;
    for (int i = 0; i < number.size(); i += 3) {
        const QString g = number.mid(i, 3);
        if (!lessons.contains(g))
            return "item number \"" + number + "\" names lesson " + g + ", which does not exist";
        if (seen.contains(g)) return "item number \"" + number + "\" names lesson " + g + " twice";
        seen.insert(g);
    }
    return {};
}

QString checkCharacter(const QString& character) {
    if (!gbk::isSingleDoubleByteChar(character))
        return "\"" + character + "\" is not exactly one double-byte GBK character";
    return {};
}

QString dictionaryReading(const QString& pinyin, const QString& tone) {
    return tone == "0" ? pinyin : pinyin + tone;
}

QString checkReading(const QString& character, const QString& pinyin, const QString& tone,
                     const Dictionary& dict) {
    static const QRegularExpression letters("^[a-z]+$");
    if (!letters.match(pinyin).hasMatch())
        return "pinyin \"" + pinyin + "\" is not small letters a to z (ü written as v)";
    if (tone.size() != 1 || tone < "0" || tone > "4") return "tone \"" + tone + "\" is not one digit 0 to 4";
    const auto it = dict.find(character);
    if (it == dict.end()) return "the dictionary does not hold " + character;
    const QString reading = dictionaryReading(pinyin, tone);
    if (!it->contains(reading))
        return "the dictionary does not hold " + character + " " + reading + " (it holds " + it->join(" ") +
               ")";
    return {};
}

QString checkEnglishWord(const QString& word) {
    static const QRegularExpression re("^[A-Za-z][A-Za-z' -]*$");
    if (!re.match(word).hasMatch())
        return "English word \"" + word +
               "\" holds characters other than letters, blanks, apostrophes and hyphens";
    if (word != word.trimmed() || word.contains("  "))
        return "English word \"" + word + "\" has stray blanks";
    return {};
}

QString checkMeaning(const QString& meaning) {
    if (meaning.isEmpty()) return "the Chinese meaning is empty";
    bool ok = false;
    gbk::encode(meaning, &ok);
    if (!ok) return "meaning \"" + meaning + "\" holds characters outside GBK";
    return {};
}

QString checkDictionaryReading(const QString& reading) {
    static const QRegularExpression re("^[a-z]+[1-4]?$");
    if (!re.match(reading).hasMatch())
        return "reading \"" + reading + "\" is not pinyin letters with an optional tone digit 1 to 4";
    return {};
}

QString checkPicture(const QByteArray& bytes, PictureFormat format, QSize max, bool exact, QSize* size) {
    if (bytes.isEmpty()) return "the picture is empty";
    QImage img;
    try {
        if (format == PictureFormat::Bitmap)
            img = decodeBitmap(bytes);
        else if (format == PictureFormat::Jpeg)
            img = decodeJpeg(bytes);
        else
            img.loadFromData(bytes, "PNG");
    } catch (const KovuError& e) {
        return QString("the picture does not decode as %1 (%2)").arg(formatName(format), e.message());
    }
    if (img.isNull()) return QString("the picture does not decode as %1").arg(formatName(format));
    if (size) *size = img.size();
    const QString got = QString("%1x%2").arg(img.width()).arg(img.height());
    if (exact && img.size() != max)
        return QString("the picture is %1, not %2x%3").arg(got).arg(max.width()).arg(max.height());
    if (!exact && max.isValid() && (img.width() > max.width() || img.height() > max.height()))
        return QString("the picture is %1, larger than %2x%3").arg(got).arg(max.width()).arg(max.height());
    return {};
}

const std::vector<ScreenRole>& screenRoles() {
    using F = PictureFormat;
    static const std::vector<ScreenRole> roles = {
        {"bz", F::Bitmap, 34, 34}, {"pi", F::Bitmap, 34, 34}, {"yi", F::Bitmap, 34, 34},
        {"fh", F::Bitmap, 34, 34}, {"su", F::Bitmap, 34, 34}, {"sz", F::Bitmap, 34, 34},
        {"bj", F::Jpeg, 400, 300}, {"ss", F::Jpeg, 400, 300}, {"py", F::Jpeg, 400, 300},
        {"yy", F::Jpeg, 400, 300}, {"zq", F::Jpeg, 400, 300}, {"cw", F::Jpeg, 400, 300},
        {"dh", F::Jpeg, 160, 133}, {"ch", F::Jpeg, 160, 133},
    };
    return roles;
}

const std::vector<FormRole>& formRoles() {
    using F = PictureFormat;
    static const std::vector<FormRole> roles = {
        {"imgBt.png", F::Png, 250, 34},  {"imgFm.jpg", F::Jpeg, 628, 390}, {"imgGb.png", F::Png, 34, 34},
        {"imgFx.jpg", F::Jpeg, 337, 99}, {"imgYd.png", F::Png, 309, 95},   {"imgCh.png", F::Png, 0, 0},
        {"imgC1.png", F::Png, 0, 0},     {"Image2.png", F::Png, 16, 16},   {"kovu.png", F::Png, 0, 0},
        {"imgLd.png", F::Png, 64, 64},
    };
    return roles;
}

const QStringList& manualHeadings() {
    static const QStringList h = {"目 录",
                                  "1 基本概况",
                                  "2 软件安装",
                                  "2.1 网上下载版",
                                  "2.2 建立快捷方式",
                                  "3 软件使用",
                                  "3.1 本软件的启动",
                                  "3.2 算术练习使用",
                                  "3.3 拼音练习使用",
                                  "3.4 英语练习使用",
                                  "4 软件设置",
                                  "4.1 更换图片",
                                  "4.2 录入生字",
                                  "4.3 录入单词",
                                  "4.4 压缩数据库",
                                  "5 使用帮助",
                                  "附注："};
    return h;
}

QString checkManual(const QString& richText) {
    QTextDocument doc;
    doc.setHtml(richText);
    const QString text = doc.toPlainText();
    const QString head = QString::fromUtf8(kManualHead), mark = QString::fromUtf8(kManualMark);
    const int headAt = text.indexOf(head);
    if (headAt < 0) return "the manual lacks the mark " + head;
    if (!text.left(headAt).trimmed().isEmpty())
        return "the mark " + head + " is not at the head of the manual";
    int last = headAt;
    for (const QString& h : manualHeadings()) {
        const int at = text.indexOf(h);
        if (at < 0) return "the manual lacks the heading \"" + h + "\"";
        if (at < last) return "the heading \"" + h + "\" first occurs before the heading that precedes it";
        // The heading stands on a line of its own.
        const int lineStart = text.lastIndexOf('\n', at) + 1;
        int lineEnd = text.indexOf('\n', at);
        if (lineEnd < 0) lineEnd = text.size();
        if (text.mid(lineStart, lineEnd - lineStart).trimmed() != h)
            return "the first \"" + h + "\" is not a heading line of its own";
        last = at;
    }
    const int markAt = text.indexOf(mark);
    if (markAt < 0) return "the manual lacks the mark " + mark;
    if (markAt < last) return "the mark " + mark + " stands before the last heading";
    return {};
}

}  // namespace kovu::content
