#pragma once

#include <QColor>
#include <QList>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

// The rules of the arithmetic exercise and of the practice-screen layout that need no widget:
// types and their codes, drawing the operands, the multiplication table with its rhymes, the
// counting-picture frames, the answer conversion and the places of the question labels.
namespace kovu {

// The seven types of sum, by the item index of rgp1.
inline constexpr int kArithmeticTypeCount = 7;

// Three characters: digits of the first operand, digits of the second, operation ("0" add,
// "1" subtract, "2" multiply). Empty for an index outside 0..6.
QString TypeCode(int typeIndex);
// The type's name as the session summary shows it, e.g. "一位数加法".
QString TypeName(int typeIndex);
// Bound of every random digit: the chosen largest digit for the one-digit types, else 9.
// rgp2Index is the item index of rgp2 (-1 when none is chosen, which gives 0).
int MaxDigit(const QString& typeCode, int rgp2Index);
// True for the two types shown with counting pictures ("110" and "111").
bool usesCountingPictures(const QString& typeCode);
// "+", "-" or "＊" (the full-width asterisk) for the operation of a type code.
QString operatorSign(const QString& typeCode);

struct Operands {
    int a = 0;
    int b = 0;
};

// Draws one question: random(n) gives a whole number from 0 to n - 1. A two-digit operand takes a
// tens digit of at least 1 and then a units digit, both below maxDigit; a subtraction never goes
// below 0.
Operands DrawOperands(const QString& typeCode, int maxDigit, const std::function<int(int)>& random);
// The right result of a, b under the type's operation.
int resultOf(const QString& typeCode, const Operands& o);
// "a + b = ", the one-line question.
QString questionText(const QString& typeCode, const Operands& o);
// The sum in the one form the answer log keeps it in, whatever the type: "3+4", "12-5", "3×7".
QString sumItem(const QString& typeCode, const Operands& o);
// The operands of a sum in that form when a question of the type, with that bound of the digits,
// could have been it as DrawOperands draws: the type's operation, each operand with as many digits
// as its place asks (a tens digit from 1), every digit below maxDigit, a difference not below 0.
// nullopt when it could not, and for a text that is not a sum in that form ("03+4", "3 + 4").
std::optional<Operands> operandsOfSum(const QString& typeCode, int maxDigit, const QString& item);
// The line of a score record: "a + b = " followed by the given result text.
QString recordText(const QString& typeCode, const Operands& o, const QString& result);
// Whether the column form shows the carry or borrow mark: only when either operand has two digits;
// an addition whose units digits reach 10, a subtraction whose first units digit is the smaller.
bool needsCarryMark(const QString& typeCode, const Operands& o);

// The answer as a whole number; nullopt when the text is not one (letters, a blank, a sign alone,
// a number beyond the integer range). Leading and trailing blanks are allowed around a number.
std::optional<int> parseWholeNumber(const QString& text);

// The multiplication table: 45 lines for a from 1 to b, b from 1 to 9.
inline constexpr int kMnemonicLines = 45;
// The k-th line (1..45), ten characters, e.g. "1 * 1 = 1 ", line 37 "1 * 9 =  9".
QString mnemonicLine(int k);
// The k-th rhyme in five double-byte places, e.g. "一一得一  " and "九九八十一".
QString mnemonicRhyme(int k);

// The frames and counts of the counting pictures for a, b, in design numbers (scale 100).
struct CountFrames {
    QRect shpT1;  // around the first operand's pictures
    QRect shpT2;  // around the second operand's pictures (addition)
    QRect shpT3;  // hatching over the pictures taken away (subtraction)
    int firstShown = 0;
    int secondShown = 0;
    bool subtract = false;
};
// Design tops and sizes of the counting pictures and their frames.
inline constexpr int kCountPictureTop = 152;
inline constexpr int kCountPictureSize = 29;
inline constexpr int kCountFrameTop = 150;
inline constexpr int kCountFrameHeight = 33;
inline constexpr int kCountFrameSecondLeft = 328;
// Design left of the k-th (1..9) picture of the first operand (right to left) and of the second.
int firstPictureLeft(int k);
int secondPictureLeft(int k);
CountFrames countFrames(const Operands& o, bool subtract);

// Integer layout arithmetic: value * scale div 100.
inline int scaled(int value, int scale) { return value * scale / 100; }
QRect scaledRect(const QRect& design, int scale);

// The cross pictures laid over the asterisks, in pixels of the laid-out screen.
QRect testCrossOverQuestion(QPoint lblSsPos, int scale);
QRect reviewCrossOverQuestion(QPoint lblSsPos, int scale);
QRect crossOverColumn(QPoint lbl2Pos, int scale);

// Where the carry mark lblJ1 goes: left from the window width, top and font from the scale.
struct CarryMarkPlace {
    int left = 0;
    int top = 0;
    int fontSize = 14;
};
CarryMarkPlace carryMarkPlace(int layoutWidth, int scale);

// The kinds of practice of the practice screen.
enum class Kind { Arithmetic, Pinyin, English };
// 算术, 拼音 or 英语; anything else counts as arithmetic.
Kind kindOf(const QString& practiceKind);

// One question label as the session arranges it for a kind.
struct LabelPlace {
    QString name;
    int left = 0;              // design left, or the final left when leftIsFinal
    bool leftIsFinal = false;  // lefts computed from the window width are not scaled again
    int top = 0;               // design values, scaled by the layout
    int width = 0;             // -1: the label sizes itself to its text
    int height = 0;
    QString family;
    int fontSize = 0;          // at scale 100
    int shown = -1;            // 1 shown, 0 hidden, -1 left as it is
    int bold = -1;             // 1 bold, 0 regular, -1 left as it is
    QColor colour;             // text colour; invalid: left as it is
    Qt::Alignment align = {};  // empty: left as it is
};
// The colour of the third typeface of a pinyin question: the light blue of an active caption's
// gradient.
inline const QColor kGradientCaption{166, 202, 240};
// The places of lbl1..lbl5, lblYd, lblSs and edtJg for a kind at window width layoutWidth.
QList<LabelPlace> questionLabelPlaces(Kind kind, int layoutWidth);

// Status panel 1 of a running session.
QString arithmeticSessionSummary(const QString& conditionsTitle, const QString& typeName, int maxDigit,
                                 bool test);
QString itemSessionSummary(const QString& conditionsTitle, const QString& textbook, const QString& lesson,
                           bool test);

// Where the score panel goes and how large its parts are, for the answer button butCj's left and
// the form's outer height.
struct ScorePanelPlace {
    QRect panCj;
    QSize dbgCj;
    int titleWidth = 0;
    int closeLeft = 0;
};
ScorePanelPlace scorePanelPlace(int butCjLeft, int formHeight, int captionAllowance);

// Score-record table of a kind letter: "p" pycj, "s" sscj, anything else yycj.
QString scoreTableOf(const QString& kindLetter);

}  // namespace kovu
