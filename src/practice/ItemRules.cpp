#include "practice/ItemRules.h"

#include <QRegularExpression>
#include <algorithm>

namespace kovu {

QString joinAlternatives(const QStringList& answers) { return answers.join(QStringLiteral("或")); }

QString itemRecordText(const QString& question, const QString& typed) { return question + " = " + typed; }

std::optional<int> parseToneDeduction(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^\\s*(\\d{1,3})\\s*$"));
    const auto m = digits.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const int n = m.captured(1).toInt();
    if (n > 100) return std::nullopt;
    return n;
}

QString toneDeductionText(int deduction) { return QStringLiteral("-") + QString::number(deduction); }

bool isToneDigit(const QString& text) {
    return text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('4');
}

std::optional<int> nextReviewRow(int current, int rowCount, bool fromStart) {
    if (rowCount <= 0) return std::nullopt;
    if (fromStart) return 0;
    if (current + 1 < rowCount) return current + 1;
    return std::nullopt;
}

int answerBoxLeft(int questionRight, int boxWidth, int areaWidth) {
    const int wanted = questionRight + 8;
    return std::max(0, std::min(wanted, areaWidth - boxWidth - 2));
}

int centredOffset(int screen, int window) { return (screen - window) / 2; }

PracticeSize practiceSize(bool fitScreen, int screenWidth, int screenHeight) {
    if (!fitScreen) return {100, 800};
    if (screenWidth < 800) return {screenWidth / 8, screenWidth};
    const int scale = std::min(screenWidth / 8, screenHeight / 6);
    return {scale, scale * 8};
}

}  // namespace kovu
