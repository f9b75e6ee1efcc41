#include <gtest/gtest.h>

#include <random>
#include <set>

#include "platform/Gbk.h"
#include "practice/Arithmetic.h"

using namespace kovu;

namespace {

// A drawing source that replays scripted values (modulo n), as the random source does in tests.
struct Script {
    std::vector<int> values;
    size_t at = 0;
    std::vector<int> bounds;
    int operator()(int n) {
        bounds.push_back(n);
        return n <= 0 ? 0 : values.at(at++) % n;
    }
};

}  // namespace

TEST(ArithmeticRules, TypesTheirCodesNamesAndLargestDigits) {
    const QStringList codes = {"110", "120", "220", "111", "211", "221", "112"};
    const QStringList names = {"一位数加法",   "一二位数加法", "二位数加法", "一位数减法",
                               "二一位数减法", "二位数减法",   "一位数乘法"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(TypeCode(i), codes[i]) << i;
        EXPECT_EQ(TypeName(i), names[i]) << i;
    }
    EXPECT_EQ(TypeCode(7), "");
    EXPECT_EQ(TypeCode(-1), "");
    // The chosen largest digit counts for the one-digit types only; none chosen gives 0.
    EXPECT_EQ(MaxDigit("110", 4), 5);
    EXPECT_EQ(MaxDigit("111", 0), 1);
    EXPECT_EQ(MaxDigit("112", 8), 9);
    EXPECT_EQ(MaxDigit("112", -1), 0);
    EXPECT_EQ(MaxDigit("120", 2), 9);
    EXPECT_EQ(MaxDigit("221", -1), 9);
    EXPECT_TRUE(usesCountingPictures("110"));
    EXPECT_TRUE(usesCountingPictures("111"));
    EXPECT_FALSE(usesCountingPictures("112"));
    EXPECT_EQ(operatorSign("220"), "+");
    EXPECT_EQ(operatorSign("211"), "-");
    EXPECT_EQ(operatorSign("112"), "＊");
}

TEST(ArithmeticRules, DrawingOperands) {
    // One-digit types draw a and b below the bound; largest digit 1 gives 0 - 0 every time.
    Script one{{3, 4}};
    const Operands o = DrawOperands("110", 5, std::ref(one));
    EXPECT_EQ(o.a, 3);
    EXPECT_EQ(o.b, 4);
    EXPECT_EQ(one.bounds, (std::vector<int>{5, 5}));
    std::mt19937 gen(7);
    auto real = [&](int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(gen); };
    for (int i = 0; i < 200; ++i) {
        const Operands z = DrawOperands("111", MaxDigit("111", 0), real);
        EXPECT_EQ(z.a, 0);
        EXPECT_EQ(z.b, 0);
    }
    // A subtraction is swapped so that it never goes below 0.
    Script sub{{2, 6}};
    const Operands s = DrawOperands("111", 9, std::ref(sub));
    EXPECT_EQ(s.a, 6);
    EXPECT_EQ(s.b, 2);
    // A two-digit operand redraws a tens digit of 0, then takes its units digit.
    Script two{{0, 1, 0, 3, 7, 5}};
    const Operands t = DrawOperands("221", 9, std::ref(two));
    EXPECT_EQ(t.a, 37);
    EXPECT_EQ(t.b, 15);
    // 一二位数加法 has the one-digit operand first, 二一位数减法 the two-digit one.
    Script mixed{{4, 2, 6}};
    const Operands m = DrawOperands("120", 9, std::ref(mixed));
    EXPECT_EQ(m.a, 4);
    EXPECT_EQ(m.b, 26);
    // 二位数减法 over many draws: never negative, never a 9 in either place, 10 to 88.
    std::set<int> seen;
    for (int i = 0; i < 3000; ++i) {
        const Operands d = DrawOperands("221", 9, real);
        ASSERT_GE(d.a - d.b, 0);
        for (int v : {d.a, d.b}) {
            ASSERT_GE(v, 10);
            ASSERT_LE(v, 88);
            ASSERT_NE(v % 10, 9);
            ASSERT_NE(v / 10, 9);
            seen.insert(v);
        }
    }
    EXPECT_TRUE(seen.count(10) && seen.count(88));
    EXPECT_EQ(seen.size(), 72u);  // tens 1..8 times units 0..8
}

TEST(ArithmeticRules, QuestionAndRecordTextsAndCarryMarks) {
    EXPECT_EQ(questionText("110", {3, 5}), "3 + 5 = ");
    EXPECT_EQ(recordText("110", {3, 5}, "7"), "3 + 5 = 7");
    EXPECT_EQ(questionText("112", {6, 7}), "6 ＊ 7 = ");
    EXPECT_EQ(resultOf("112", {6, 7}), 42);
    EXPECT_EQ(resultOf("221", {42, 17}), 25);
    EXPECT_EQ(resultOf("220", {27, 15}), 42);
    // Units 7 and 5 carry; 42 - 17 borrows; neither without a two-digit operand.
    EXPECT_TRUE(needsCarryMark("220", {27, 15}));
    EXPECT_FALSE(needsCarryMark("220", {21, 15}));
    EXPECT_TRUE(needsCarryMark("120", {5, 25}));
    EXPECT_TRUE(needsCarryMark("221", {42, 17}));
    EXPECT_FALSE(needsCarryMark("221", {47, 12}));
    EXPECT_TRUE(needsCarryMark("211", {40, 1}));
    EXPECT_FALSE(needsCarryMark("110", {7, 5}));
    EXPECT_FALSE(needsCarryMark("111", {3, 7}));
}

TEST(ArithmeticRules, AnswerConversion) {
    EXPECT_EQ(parseWholeNumber("8"), 8);
    EXPECT_EQ(parseWholeNumber("0"), 0);
    EXPECT_EQ(parseWholeNumber(" 12 "), 12);
    EXPECT_EQ(parseWholeNumber("-3"), -3);
    EXPECT_EQ(parseWholeNumber("+5"), 5);
    EXPECT_EQ(parseWholeNumber("2147483647"), 2147483647);
    for (const char* bad : {"abc", "8a", " ", "-", "+", "3.5", "1 2", "2147483648", "99999999999", "0x10"})
        EXPECT_FALSE(parseWholeNumber(QString::fromUtf8(bad)).has_value()) << bad;
    EXPECT_FALSE(parseWholeNumber("８").has_value());
}

TEST(ArithmeticRules, MultiplicationTableAndRhymes) {
    EXPECT_EQ(mnemonicLine(1), "1 * 1 = 1 ");
    EXPECT_EQ(mnemonicLine(2), "1 * 2 = 2 ");
    EXPECT_EQ(mnemonicLine(3), "2 * 2 = 4 ");
    EXPECT_EQ(mnemonicLine(4), "1 * 3 = 3 ");
    EXPECT_EQ(mnemonicLine(36), "8 * 8 = 64");
    EXPECT_EQ(mnemonicLine(37), "1 * 9 =  9");
    EXPECT_EQ(mnemonicLine(38), "2 * 9 = 18");
    EXPECT_EQ(mnemonicLine(45), "9 * 9 = 81");
    EXPECT_EQ(mnemonicLine(46), "");
    EXPECT_EQ(mnemonicRhyme(1), "一一得一  ");
    EXPECT_EQ(mnemonicRhyme(15), "五五二十五");
    EXPECT_EQ(mnemonicRhyme(37), "一九得九  ");
    EXPECT_EQ(mnemonicRhyme(45), "九九八十一");
    for (int k = 1; k <= kMnemonicLines; ++k) {
        EXPECT_EQ(mnemonicLine(k).size(), 10) << k;
        EXPECT_EQ(gbk::byteLength(mnemonicRhyme(k)), 10) << k;
    }
    EXPECT_EQ(mnemonicRhyme(46), "");
    // Every product line agrees with its rhyme's position in the table.
    EXPECT_EQ(mnemonicLine(28), "7 * 7 = 49");
    EXPECT_EQ(mnemonicRhyme(28), "七七四十九");
}

TEST(ArithmeticRules, CountingPictureFrames) {
    const CountFrames add = countFrames({3, 4}, false);
    EXPECT_EQ(add.firstShown, 3);
    EXPECT_EQ(add.secondShown, 4);
    EXPECT_EQ(add.shpT1.left(), 220);
    EXPECT_EQ(add.shpT1.width(), 92);
    EXPECT_EQ(add.shpT2.left(), 328);
    EXPECT_EQ(add.shpT2.width(), 124);
    const CountFrames sub = countFrames({7, 3}, true);
    EXPECT_EQ(sub.firstShown, 7);
    EXPECT_EQ(sub.secondShown, 0);
    EXPECT_EQ(sub.shpT1.left(), 100);
    EXPECT_EQ(sub.shpT1.width(), 212);
    EXPECT_EQ(sub.shpT3.left(), 220);
    EXPECT_EQ(sub.shpT3.width(), 92);
    // The three rightmost pictures of the first operand lie inside the hatching.
    for (int k = 1; k <= 3; ++k) {
        EXPECT_GE(firstPictureLeft(k), sub.shpT3.left());
        EXPECT_LE(firstPictureLeft(k) + kCountPictureSize, sub.shpT3.right() + 1);
    }
    EXPECT_LT(firstPictureLeft(4), sub.shpT3.left());
    // A 0 operand has an empty frame.
    EXPECT_EQ(countFrames({0, 5}, false).shpT1.width(), 0);
    EXPECT_EQ(countFrames({4, 0}, false).shpT2.width(), 0);
    EXPECT_EQ(countFrames({4, 0}, true).shpT3.width(), 0);
    // Scaled as s * value div 100.
    EXPECT_EQ(scaledRect(add.shpT1, 128), QRect(281, 192, 117, 42));
}

TEST(ArithmeticRules, PlacesOfQuestionLabelsCrossesAndScorePanel) {
    auto find = [](const QList<LabelPlace>& list, const QString& name) {
        for (const LabelPlace& p : list)
            if (p.name == name) return p;
        ADD_FAILURE() << name.toStdString();
        return LabelPlace{};
    };
    const QList<LabelPlace> py = questionLabelPlaces(Kind::Pinyin, 800);
    EXPECT_EQ(find(py, "lbl1").left, 20);
    EXPECT_EQ(find(py, "lbl2").left, 67);
    EXPECT_EQ(find(py, "lbl3").left, 110);
    EXPECT_EQ(find(py, "lbl4").left, 163);
    EXPECT_EQ(find(py, "lbl4").family, "仿宋_GB2312");
    EXPECT_EQ(find(py, "lblYd").left, 180);
    EXPECT_TRUE(find(py, "lblYd").leftIsFinal);
    EXPECT_EQ(find(py, "lblSs").left, 246);
    EXPECT_EQ(find(py, "edtJg").width, 345);
    EXPECT_EQ(find(py, "lbl5").shown, 1);
    const QList<LabelPlace> en = questionLabelPlaces(Kind::English, 1024);
    EXPECT_EQ(find(en, "lbl2").shown, 0);
    EXPECT_EQ(find(en, "lblYd").width, 400);
    EXPECT_EQ(find(en, "lblSs").left, 20);
    const QList<LabelPlace> ar = questionLabelPlaces(Kind::Arithmetic, 1024);
    EXPECT_EQ(find(ar, "lbl1").left, 1024 * 100 / 434);
    EXPECT_EQ(find(ar, "lbl3").height, 3);
    EXPECT_EQ(find(ar, "lblYd").left, 283);
    EXPECT_FALSE(find(ar, "lblYd").leftIsFinal);
    EXPECT_EQ(find(ar, "edtJg").width, 170);
    EXPECT_EQ(find(ar, "lbl5").shown, 0);

    EXPECT_EQ(testCrossOverQuestion({20, 9}, 100), QRect(137, 21, 64, 72));
    EXPECT_EQ(reviewCrossOverQuestion({20, 9}, 100), QRect(112, 21, 64, 72));
    EXPECT_EQ(crossOverColumn({164, 127}, 100), QRect(176, 131, 22, 24));
    EXPECT_EQ(testCrossOverQuestion({25, 11}, 128), QRect(25 + 121 + 92 - 50, 11 + 15, 92 - 10, 92));
    const CarryMarkPlace c = carryMarkPlace(1024, 128);
    EXPECT_EQ(c.left, 253);
    EXPECT_EQ(c.top, 190);
    EXPECT_EQ(c.fontSize, 17);

    const ScorePanelPlace p = scorePanelPlace(684, 600, 8);
    EXPECT_EQ(p.panCj, QRect(144, 2, 540, 538));
    EXPECT_EQ(p.dbgCj, QSize(512, 492));
    EXPECT_EQ(p.titleWidth, 533);
    EXPECT_EQ(p.closeLeft, 521);
    EXPECT_EQ(scoreTableOf("s"), "sscj");
    EXPECT_EQ(scoreTableOf("p"), "pycj");
    EXPECT_EQ(scoreTableOf("y"), "yycj");
    EXPECT_EQ(scoreTableOf("x"), "yycj");
}

TEST(ArithmeticRules, SessionSummaries) {
    EXPECT_EQ(arithmeticSessionSummary("算术练习条件设置", "一位数加法", 5, true),
              "算术练习： 一位数加法 最大数字：5 (测验)");
    EXPECT_EQ(arithmeticSessionSummary("算术练习条件设置", "二位数减法", 9, false),
              "算术练习： 二位数减法 最大数字：9 (复习)");
    EXPECT_EQ(itemSessionSummary("拼音练习条件设置", "1.语文一年级", "001.第一课", true),
              "拼音练习：《语文一年级-第一课》 (测验)");
    EXPECT_EQ(kindOf("拼音"), Kind::Pinyin);
    EXPECT_EQ(kindOf("英语"), Kind::English);
    EXPECT_EQ(kindOf("算术"), Kind::Arithmetic);
}

namespace {

// Every pair of operands DrawOperands can give for a type and bound, found by running it over
// every sequence of draws (a tens digit drawn as 0 again and again is cut short by a 1).
std::set<std::pair<int, int>> drawablePairs(const QString& type, int maxDigit) {
    std::set<std::pair<int, int>> out;
    std::vector<int> choice;
    for (;;) {
        std::vector<int> bounds;
        size_t k = 0;
        auto random = [&](int n) {
            const bool deep = k >= 6;
            bounds.push_back(deep || n <= 0 ? 1 : n);
            if (k >= choice.size()) choice.push_back(0);
            const int v = n <= 0 ? 0 : deep ? std::min(1, n - 1) : choice[k];
            ++k;
            return v;
        };
        const Operands o = DrawOperands(type, maxDigit, random);
        out.insert({o.a, o.b});
        choice.resize(k);
        int i = static_cast<int>(k) - 1;
        while (i >= 0 && choice[i] + 1 >= bounds[i]) --i;
        if (i < 0) return out;
        ++choice[i];
        choice.resize(i + 1);
    }
}

}  // namespace

TEST(ArithmeticRules, WhichSumsTheChosenConditionsCouldHaveAsked) {
    // Telling cases: the largest digit 8 draws digits 0 to 7; places and operation count.
    EXPECT_TRUE(operandsOfSum("110", 8, "3+4"));
    EXPECT_EQ(operandsOfSum("110", 8, "7+0")->a, 7);
    EXPECT_EQ(operandsOfSum("110", 8, "7+0")->b, 0);
    EXPECT_FALSE(operandsOfSum("110", 8, "8+1"));   // 8 is not drawn below 8
    EXPECT_FALSE(operandsOfSum("110", 8, "3-1"));   // another kind of sum
    EXPECT_FALSE(operandsOfSum("110", 8, "12+5"));  // a two-digit operand
    EXPECT_FALSE(operandsOfSum("110", 8, "03+4"));  // not the log's form
    EXPECT_FALSE(operandsOfSum("110", 8, "3 + 4"));
    EXPECT_FALSE(operandsOfSum("110", 8, "3+4 "));
    EXPECT_FALSE(operandsOfSum("110", 8, ""));
    EXPECT_TRUE(operandsOfSum("120", 9, "3+45"));
    EXPECT_FALSE(operandsOfSum("120", 9, "45+3"));   // the two-digit operand comes second
    EXPECT_FALSE(operandsOfSum("220", 9, "19+20"));  // units digit 9
    EXPECT_FALSE(operandsOfSum("220", 9, "90+10"));  // tens digit 9
    EXPECT_FALSE(operandsOfSum("220", 9, "5+10"));
    EXPECT_TRUE(operandsOfSum("111", 5, "4-4"));
    EXPECT_FALSE(operandsOfSum("111", 5, "2-4"));  // never below 0
    EXPECT_TRUE(operandsOfSum("211", 9, "80-8"));
    EXPECT_FALSE(operandsOfSum("221", 9, "10-11"));
    EXPECT_TRUE(operandsOfSum("112", 9, "3×7"));
    EXPECT_FALSE(operandsOfSum("112", 9, "3*7"));
    EXPECT_FALSE(operandsOfSum("112", 9, "3+7"));
    // No largest digit chosen: random(0) gives 0, so only 0 and 0.
    EXPECT_TRUE(operandsOfSum("112", 0, "0×0"));
    EXPECT_FALSE(operandsOfSum("112", 0, "1×0"));
    EXPECT_FALSE(operandsOfSum("", 8, "3+4"));

    // Exactly the sums the drawing can give, for every type and some bounds, with their operands.
    const QStringList signs = {"+", "-", "×"};
    for (int type = 0; type < kArithmeticTypeCount; ++type) {
        const QString code = TypeCode(type);
        for (int bound : {0, 1, 3, 8, 9}) {
            const std::set<std::pair<int, int>> drawable = drawablePairs(code, bound);
            ASSERT_FALSE(drawable.empty());
            for (int a = 0; a < 100; ++a)
                for (int b = 0; b < 100; ++b)
                    for (const QString& sign : signs) {
                        const QString item = QString::number(a) + sign + QString::number(b);
                        const bool expected = item == sumItem(code, {a, b}) && drawable.count({a, b}) == 1;
                        const std::optional<Operands> o = operandsOfSum(code, bound, item);
                        ASSERT_EQ(o.has_value(), expected)
                            << code.toStdString() << " " << bound << " " << item.toStdString();
                        if (o) EXPECT_TRUE(o->a == a && o->b == b);
                    }
        }
    }
}
