#include "practice/ItemRules.h"

#include <unicode/stringoptions.h>
#include <unicode/ustring.h>

#include <QRegularExpression>
#include <algorithm>

namespace kovu {

namespace {

QString foldedWord(const QString& word) {
    const QString composed = word.normalized(QString::NormalizationForm_C);
    const auto* src = reinterpret_cast<const UChar*>(composed.utf16());
    UErrorCode err = U_ZERO_ERROR;
    const int32_t need =
        u_strFoldCase(nullptr, 0, src, static_cast<int32_t>(composed.size()), U_FOLD_CASE_DEFAULT, &err);
    if (err != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(err)) return composed.toCaseFolded();
    QString folded(need, Qt::Uninitialized);
    err = U_ZERO_ERROR;
    u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), need, src, static_cast<int32_t>(composed.size()),
                  U_FOLD_CASE_DEFAULT, &err);
    if (U_FAILURE(err)) return composed.toCaseFolded();
    // Folding can leave a letter and its accent apart: composed again, as the other side is.
    return folded.normalized(QString::NormalizationForm_C);
}

}  // namespace

bool sameWordIgnoringCase(const QString& a, const QString& b) { return foldedWord(a) == foldedWord(b); }

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
