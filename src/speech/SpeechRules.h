#pragma once

#include <QString>

namespace kovu {

// What is said, as plain texts for the voices.

// A reading of the character table as the Chinese voice reads it: ASCII pinyin with its tone digit
// ("hang2"); ü as v ("lv4"), the neutral tone (0) as 5.
QString spokenReading(const QString& pinyin, const QString& tone);
// A whole number in Chinese characters: 0 零, 12 十二, 20 二十, 105 一百零五.
QString chineseNumber(int n);
// A sum as the child hears it, never with + or =: "三加四等于几", "十二减五等于几", "三乘七等于几";
// with its result for a review: "三加四等于七". op is '+', '-' or '×' (also the full-width asterisk ＊ of the
// question).
QString spokenSum(int a, QChar op, int b);
QString spokenSumWithResult(int a, QChar op, int b, int result);

// The praise and the encouragement the verdict pictures show.
inline const QString kSpokenRight = QStringLiteral("真棒");
inline const QString kSpokenWrong = QStringLiteral("再想一想");

}  // namespace kovu
