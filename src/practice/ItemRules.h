#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The rules of the pinyin and English exercises that need no widget.
namespace kovu {

// The right answers of a question joined in row order: "hang或xing", "apple或apples".
QString joinAlternatives(const QStringList& answers);
// The line of a score record: the question, " = " and what the child typed ("好 = hao").
QString itemRecordText(const QString& question, const QString& typed);
// The tone deduction of a pinyin test from the text of its box: a whole number from 0 to 100,
// blanks around it allowed; nullopt for anything else.
std::optional<int> parseToneDeduction(const QString& text);
// The text of the score box after a wrong tone: "-" and the deduction ("-0", "-15").
QString toneDeductionText(int deduction);
// Whether a typed English word is the stored one, letter case aside: both compared in Unicode's
// full case folding after composition, so "CAFÉ" is "café" and "STRASSE" is "straße".
bool sameWordIgnoringCase(const QString& a, const QString& b);
// A tone as the tone box takes it: one digit from 0 to 4.
bool isToneDigit(const QString& text);

// The next row of a review over rowCount rows standing at current (0-based, -1 for none):
// fromStart begins at the first row. nullopt when the end is reached (or there is no row), where
// the review asks whether to start again.
std::optional<int> nextReviewRow(int current, int rowCount, bool fromStart);

// The left of the answer box: 8 pixels right of the question, but never so far that the box
// leaves the question area of the given width.
int answerBoxLeft(int questionRight, int boxWidth, int areaWidth);

// The position of a window of the given size centred on a screen.
int centredOffset(int screen, int window);

// The practice window's scale and width for a session: 100 at 800 pixels; filling the screen,
// the largest scale at which the 4:3 window fits both ways (a screen narrower than 800 pixels
// takes its own width).
struct PracticeSize {
    int scale = 100;
    int width = 800;
};
PracticeSize practiceSize(bool fitScreen, int screenWidth, int screenHeight);

}  // namespace kovu
