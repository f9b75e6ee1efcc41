#include "practice/Arithmetic.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

#include "platform/Gbk.h"

namespace kovu {

namespace {

// Three characters per type, in the order of rgp1.
const QString kTypeCodes = QStringLiteral("110120220111211221112");
// Ten GBK bytes per type name without its last character "法".
const QString kTypeNames =
    QStringLiteral("一位数加  一二位数加二位数加  一位数减  二一位数减二位数减  一位数乘  ");

bool twoDigits(const QString& typeCode, int place) {
    return typeCode.size() == 3 && typeCode.at(place) == '2';
}

QChar operation(const QString& typeCode) { return typeCode.size() == 3 ? typeCode.at(2) : QChar('0'); }

int unitsOf(int v) { return v % 10; }

}  // namespace

QString TypeCode(int typeIndex) {
    if (typeIndex < 0 || typeIndex >= kArithmeticTypeCount) return {};
    return kTypeCodes.mid(3 * typeIndex, 3);
}

QString TypeName(int typeIndex) {
    if (typeIndex < 0 || typeIndex >= kArithmeticTypeCount) return {};
    return gbk::byteMid(kTypeNames, 10 * typeIndex + 1, 10).trimmed() + QStringLiteral("法");
}

int MaxDigit(const QString& typeCode, int rgp2Index) {
    if (typeCode.startsWith(QStringLiteral("11"))) return rgp2Index + 1 < 0 ? 0 : rgp2Index + 1;
    return 9;
}

bool usesCountingPictures(const QString& typeCode) {
    return typeCode == QStringLiteral("110") || typeCode == QStringLiteral("111");
}

QString operatorSign(const QString& typeCode) {
    switch (operation(typeCode).unicode()) {
        case '1':
            return QStringLiteral("-");
        case '2':
            return QStringLiteral("＊");
        default:
            return QStringLiteral("+");
    }
}

Operands DrawOperands(const QString& typeCode, int maxDigit, const std::function<int(int)>& random) {
    Operands o;
    o.a = random(maxDigit);
    o.b = random(maxDigit);
    // A two-digit operand: a tens digit from 1, then a units digit. With fewer than two digits to
    // draw from no tens digit above 0 exists, so the drawing would never end; it keeps 0 then.
    auto widen = [&](int& v) {
        while (v == 0 && maxDigit > 1) v = random(maxDigit);
        v = 10 * v + random(maxDigit);
    };
    if (twoDigits(typeCode, 0)) widen(o.a);
    if (twoDigits(typeCode, 1)) widen(o.b);
    if (operation(typeCode) == '1' && o.a < o.b) std::swap(o.a, o.b);
    return o;
}

int resultOf(const QString& typeCode, const Operands& o) {
    switch (operation(typeCode).unicode()) {
        case '1':
            return o.a - o.b;
        case '2':
            return o.a * o.b;
        default:
            return o.a + o.b;
    }
}

QString questionText(const QString& typeCode, const Operands& o) {
    return recordText(typeCode, o, QString());
}

QString sumItem(const QString& typeCode, const Operands& o) {
    const QChar op = operation(typeCode);
    const QString sign = op == '1'   ? QStringLiteral("-")
                         : op == '2' ? QStringLiteral("×")
                                     : QStringLiteral("+");
    return QString::number(o.a) + sign + QString::number(o.b);
}

std::optional<Operands> operandsOfSum(const QString& typeCode, int maxDigit, const QString& item) {
    static const QRegularExpression form(QStringLiteral("^(0|[1-9]\\d{0,8})([+\\-×])(0|[1-9]\\d{0,8})$"));
    const QRegularExpressionMatch m = form.match(item);
    if (typeCode.size() != 3 || !m.hasMatch()) return std::nullopt;
    const Operands o{m.captured(1).toInt(), m.captured(3).toInt()};
    if (sumItem(typeCode, o) != item) return std::nullopt;
    // random(n) gives 0 for n below 1, so such a bound draws only 0.
    const int below = std::max(maxDigit, 1);
    auto drawable = [&](int v, bool two) {
        if (!two) return v < below;
        // Without a tens digit above 0 to draw, a two-digit operand stays 0.
        if (below == 1) return v == 0;
        return v >= 10 && v / 10 < below && v % 10 < below && v < 100;
    };
    if (!drawable(o.a, twoDigits(typeCode, 0)) || !drawable(o.b, twoDigits(typeCode, 1))) return std::nullopt;
    if (operation(typeCode) == '1' && o.a < o.b) return std::nullopt;
    return o;
}

QString recordText(const QString& typeCode, const Operands& o, const QString& result) {
    return QString::number(o.a) + " " + operatorSign(typeCode) + " " + QString::number(o.b) + " = " + result;
}

bool needsCarryMark(const QString& typeCode, const Operands& o) {
    if (!twoDigits(typeCode, 0) && !twoDigits(typeCode, 1)) return false;
    switch (operation(typeCode).unicode()) {
        case '0':
            return unitsOf(o.a) + unitsOf(o.b) >= 10;
        case '1':
            return unitsOf(o.a) < unitsOf(o.b);
        default:
            return false;
    }
}

std::optional<int> parseWholeNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    const int v = t.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return v;
}

QString mnemonicLine(int k) {
    if (k < 1 || k > kMnemonicLines) return {};
    if (k == 37) return QStringLiteral("1 * 9 =  9");
    int line = 0;
    for (int b = 1; b <= 9; ++b)
        for (int a = 1; a <= b; ++a)
            if (++line == k)
                return QStringLiteral("%1 * %2 = %3").arg(a).arg(b).arg(a * b).leftJustified(10, ' ');
    return {};
}

QString mnemonicRhyme(int k) {
    static const QStringList rhymes =
        QStringLiteral(
            "一一得一 一二得二 二二得四 一三得三 二三得六 三三得九 一四得四 二四得八 "
            "三四十二 四四十六 一五得五 二五一十 三五十五 四五二十 五五二十五 一六得六 "
            "二六十二 三六十八 四六二十四 五六三十 六六三十六 一七得七 二七十四 三七二十一 "
            "四七二十八 五七三十五 六七四十二 七七四十九 一八得八 二八十六 三八二十四 "
            "四八三十二 五八四十 六八四十八 七八五十六 八八六十四 一九得九 二九十八 "
            "三九二十七 四九三十六 五九四十五 六九五十四 七九六十三 八九七十二 九九八十一")
            .split(' ');
    if (k < 1 || k > rhymes.size()) return {};
    QString r = rhymes.at(k - 1);
    // Five double-byte places: a four-character rhyme takes two blanks for the fifth.
    while (gbk::byteLength(r) < 10) r += ' ';
    return r;
}

int firstPictureLeft(int k) { return 282 - 30 * (k - 1); }

int secondPictureLeft(int k) { return 330 + 30 * (k - 1); }

CountFrames countFrames(const Operands& o, bool subtract) {
    CountFrames f;
    f.subtract = subtract;
    f.firstShown = std::clamp(o.a, 0, 9);
    f.shpT1 = QRect(310 - 30 * o.a, kCountFrameTop, o.a == 0 ? 0 : 30 * o.a + 2, kCountFrameHeight);
    if (subtract) {
        f.shpT3 = QRect(310 - 30 * o.b, kCountFrameTop, o.b == 0 ? 0 : 30 * o.b + 2, kCountFrameHeight);
    } else {
        f.secondShown = std::clamp(o.b, 0, 9);
        f.shpT2 =
            QRect(kCountFrameSecondLeft, kCountFrameTop, o.b == 0 ? 0 : 30 * o.b + 4, kCountFrameHeight);
    }
    return f;
}

QRect scaledRect(const QRect& d, int s) {
    return {scaled(d.left(), s), scaled(d.top(), s), scaled(d.width(), s), scaled(d.height(), s)};
}

QRect testCrossOverQuestion(QPoint p, int s) {
    return {p.x() + scaled(95, s) + scaled(72, s) - 50, p.y() + scaled(12, s), scaled(72, s) - scaled(8, s),
            scaled(72, s)};
}

QRect reviewCrossOverQuestion(QPoint p, int s) {
    return {p.x() + scaled(20, s) + scaled(72, s), p.y() + scaled(12, s), scaled(72, s) - scaled(8, s),
            scaled(72, s)};
}

QRect crossOverColumn(QPoint p, int s) {
    return {p.x() + scaled(12, s), p.y() + scaled(4, s), scaled(24, s) - scaled(2, s), scaled(24, s)};
}

CarryMarkPlace carryMarkPlace(int layoutWidth, int s) {
    return {layoutWidth * 100 / 404, s * 149 / 100, s * 14 / 100};
}

Kind kindOf(const QString& practiceKind) {
    if (practiceKind == QStringLiteral("拼音")) return Kind::Pinyin;
    if (practiceKind == QStringLiteral("英语")) return Kind::English;
    return Kind::Arithmetic;
}

QList<LabelPlace> questionLabelPlaces(Kind kind, int W) {
    const QString song = QStringLiteral("宋体");
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignTop;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignTop;
    const QColor navy(0, 0, 128);
    QList<LabelPlace> out;
    if (kind == Kind::Arithmetic) {
        out << LabelPlace{"lbl1", W * 100 / 434, true, 96, 39, 33, song, 24, 1, 0, navy, right}
            << LabelPlace{"lbl2", W * 100 / 485, true, 127, 58, 33, song, 24, 1, 0, navy, right}
            << LabelPlace{"lbl3", W * 100 / 519, true, 158, 85, 3, song, 24, 1, 0, {}, right}
            << LabelPlace{"lbl4", W * 100 / 482, true, 162, 58, 33, song, 24, 1, 0, navy, right};
    } else {
        // The character in four typefaces, each in its own colour.
        const int shown = kind == Kind::Pinyin ? 1 : 0;
        out << LabelPlace{"lbl1", W * 100 / 4000,      true, 50, 30, 33, song, 24, shown,
                          1,      QColor(255, 0, 255), right}
            << LabelPlace{"lbl2",
                          W * 100 / 1194,
                          true,
                          50,
                          30,
                          33,
                          QStringLiteral("楷体_GB2312"),
                          24,
                          shown,
                          1,
                          QColor(0, 128, 128),
                          right}
            << LabelPlace{"lbl3", W * 100 / 727,    true, 50, 30, 33, QStringLiteral("黑体"), 24, shown,
                          1,      kGradientCaption, left}
            << LabelPlace{
                   "lbl4", W * 100 / 490,       true, 50, 30, 33, QStringLiteral("仿宋_GB2312"), 24, shown,
                   1,      QColor(128, 0, 128), right};
    }
    out << LabelPlace{"lbl5", 20, false, 28, 184, 16, song, 12, kind == Kind::Pinyin ? 1 : 0, -1, {}, {}};
    if (kind == Kind::Arithmetic)
        out << LabelPlace{"lblYd", 283, false, 130, 434, 53, song, 40, -1, -1, {}, {}};
    else
        out << LabelPlace{
            "lblYd", W * 100 / 444, true, 130, kind == Kind::Pinyin ? 434 : 400, 53, song, 40, -1, -1, {},
            {}};
    // The pinyin character and its answer are bold.
    const int bold = kind == Kind::Pinyin ? 1 : 0;
    out << LabelPlace{"lblSs", kind == Kind::Pinyin ? 246 : 20, false, 9, -1, 110, song, 72, -1, bold, {},
                      {}};
    out << LabelPlace{"edtJg", 0,    false, 9, kind == Kind::Arithmetic ? 170 : 345, 110, song, 72,
                      -1,      bold, {},    {}};
    return out;
}

QString arithmeticSessionSummary(const QString& title, const QString& typeName, int maxDigit, bool test) {
    return title.left(4) + QStringLiteral("： ") + typeName + QStringLiteral(" 最大数字：") +
           QString::number(maxDigit) + (test ? QStringLiteral(" (测验)") : QStringLiteral(" (复习)"));
}

QString itemSessionSummary(const QString& title, const QString& textbook, const QString& lesson, bool test) {
    return title.left(4) + QStringLiteral("：《") + textbook.mid(2) + "-" + lesson.mid(4) +
           QStringLiteral("》") + (test ? QStringLiteral(" (测验)") : QStringLiteral(" (复习)"));
}

ScorePanelPlace scorePanelPlace(int butCjLeft, int formHeight, int allowance) {
    ScorePanelPlace p;
    p.panCj = QRect(butCjLeft - 540, 2, 540, formHeight - allowance - 54);
    p.dbgCj = QSize(540 - 28, formHeight - allowance - 100);
    p.titleWidth = 540 - 7;
    p.closeLeft = 540 - 19;
    return p;
}

QString scoreTableOf(const QString& letter) {
    if (letter == QStringLiteral("p")) return QStringLiteral("pycj");
    if (letter == QStringLiteral("s")) return QStringLiteral("sscj");
    return QStringLiteral("yycj");
}

}  // namespace kovu
