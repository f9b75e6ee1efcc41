#include "speech/SpeechRules.h"

#include <QStringList>

namespace kovu {

QString spokenReading(const QString& pinyin, const QString& tone) {
    QString letters = pinyin.trimmed().toLower();
    letters.replace(QChar(0x00FC), 'v');  // ü
    const QString t = tone.trimmed();
    return letters + (t.isEmpty() || t == "0" ? QStringLiteral("5") : t);
}

QString chineseNumber(int n) {
    static const QString digits = QStringLiteral("零一二三四五六七八九");
    if (n < 0) return QStringLiteral("负") + chineseNumber(-n);
    if (n < 10) return digits.at(n);
    if (n < 20) return QStringLiteral("十") + (n % 10 ? QString(digits.at(n % 10)) : QString());
    if (n < 100) return QString(digits.at(n / 10)) + "十" + (n % 10 ? QString(digits.at(n % 10)) : QString());
    if (n < 1000) {
        const int rest = n % 100;
        QString out = QString(digits.at(n / 100)) + "百";
        if (rest == 0) return out;
        if (rest < 10) return out + "零" + digits.at(rest);
        // 110 is 一百一十, not 一百十.
        return out + (rest < 20 ? QStringLiteral("一") + chineseNumber(rest) : chineseNumber(rest));
    }
    return QString::number(n);
}

namespace {

QString opWord(QChar op) {
    if (op == '-') return QStringLiteral("减");
    if (op == QChar(0x00D7) || op == QChar(0xFF0A) || op == '*' || op == 'x') return QStringLiteral("乘");
    return QStringLiteral("加");
}

}  // namespace

QString spokenSum(int a, QChar op, int b) {
    return chineseNumber(a) + opWord(op) + chineseNumber(b) + "等于几";
}

QString spokenSumWithResult(int a, QChar op, int b, int result) {
    return chineseNumber(a) + opWord(op) + chineseNumber(b) + "等于" + chineseNumber(result);
}

}  // namespace kovu
