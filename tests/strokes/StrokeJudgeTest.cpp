// The stroke data file as the build writes it, and the stroke judge over every character it holds.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <random>
#include <tuple>

#include "TestSupport.h"
#include "strokes/StrokeData.h"
#include "strokes/StrokeJudge.h"

using namespace kovu;
using namespace kovu::strokes;
using namespace kovu::test;

namespace {

// The 6 763 characters of GB2312: rows 16 to 87, cells 1 to 94, row 55 ending at cell 89.
QList<char32_t> gb2312Characters() {
    QList<char32_t> out;
    QStringDecoder gb("GB18030");
    for (int row = 0xB0; row <= 0xF7; ++row) {
        for (int cell = 0xA1; cell <= 0xFE; ++cell) {
            if (row == 0xD7 && cell > 0xF9) continue;
            const char bytes[2] = {char(row), char(cell)};
            const QString s = gb.decode(QByteArray(bytes, 2));
            out << s.toUcs4().value(0);
        }
    }
    return out;
}

const StrokeFile& builtFile() {
    static StrokeFile f;
    if (!f.isOpen()) EXPECT_TRUE(f.open(KOVU_STROKE_FILE));
    return f;
}

Character strokesOf(const QString& c) {
    std::optional<Character> ch = builtFile().character(c.toUcs4().value(0));
    EXPECT_TRUE(ch.has_value()) << c.toStdString();
    return ch.value_or(Character{});
}

QString name(char32_t c, qsizetype stroke) {
    return QString::fromUcs4(&c, 1) + QStringLiteral(" stroke ") + QString::number(stroke + 1);
}

// What the judge measured, for a failure's message.
std::string measured(const StrokeVerdict& v) {
    const StrokeMeasures& m = v.measures;
    return QStringLiteral(" mean %1 start %2 end %3 angle %4 shape %5 length %6")
        .arg(m.meanDistance)
        .arg(m.startDistance)
        .arg(m.endDistance)
        .arg(m.directionAngle)
        .arg(m.shapeDistance)
        .arg(m.lengthRatio)
        .toStdString();
}

// A drag along the median as a hand makes it: a point every few units, each a little off.
QList<QPointF> shakyDrag(const QList<QPointF>& median, std::mt19937& rng, double shake) {
    std::uniform_real_distribution<double> off(-shake, shake);
    const int n = std::max(6, int(polylineLength(median) / 8));
    QList<QPointF> out;
    for (int i = 0; i < n; ++i) out << pointAlong(median, double(i) / (n - 1)) + QPointF(off(rng), off(rng));
    return out;
}

}  // namespace

TEST(StrokeData, TheBuiltFileHoldsEveryGb2312CharacterAndRefusesDamage) {
    const StrokeFile& f = builtFile();
    ASSERT_TRUE(f.isOpen());
    const QList<char32_t> gb = gb2312Characters();
    ASSERT_EQ(gb.size(), 6763);
    EXPECT_EQ(f.count(), 6763);
    for (char32_t c : gb) EXPECT_TRUE(f.holds(c)) << QString::fromUcs4(&c, 1).toStdString();
    EXPECT_FALSE(f.holds(U'a'));
    EXPECT_FALSE(f.character(U'龘').has_value());
    EXPECT_LE(QFile(KOVU_STROKE_FILE).size(), 8 * 1024 * 1024);

    // 十: a horizontal from left to right, then a vertical downwards (y grows down the screen),
    // each median inside its own outline.
    const Character shi = strokesOf("十");
    ASSERT_EQ(shi.size(), 2);
    EXPECT_GT(shi[0].median.back().x() - shi[0].median.front().x(), 500);
    EXPECT_GT(shi[1].median.back().y() - shi[1].median.front().y(), 500);
    for (const Stroke& s : shi) EXPECT_TRUE(s.outline.contains(pointAlong(s.median, 0.5)));
    EXPECT_EQ(strokesOf("我").size(), 7);

    // The licence lies beside the file.
    EXPECT_TRUE(fileBytes(QString(KOVU_STROKE_FILE).replace(kStrokeFileName, kStrokeLicenceName))
                    .contains("ARPHIC PUBLIC LICENSE"));

    // Damage: a missing file, a cut one, a wrong magic, an index past the end; a character whose
    // bytes are spoilt reads as not held while the others still read.
    QTemporaryDir dir;
    const QByteArray good = fileBytes(KOVU_STROKE_FILE);
    const auto written = [&dir](const QString& n, const QByteArray& b) {
        QFile out(dir.filePath(n));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(b);
        return dir.filePath(n);
    };
    StrokeFile bad;
    EXPECT_FALSE(bad.open(dir.filePath("none.dat")));
    EXPECT_FALSE(bad.open(written("cut.dat", good.left(good.size() / 2))));
    EXPECT_FALSE(bad.isOpen());
    QByteArray magic = good;
    magic[0] = 'X';
    EXPECT_FALSE(bad.open(written("magic.dat", magic)));
    EXPECT_FALSE(bad.open(written("empty.dat", QByteArray())));
    QByteArray spoilt = good;
    for (qsizetype i = spoilt.size() / 2; i < spoilt.size() / 2 + 4000; ++i) spoilt[i] = char(i * 7);
    ASSERT_TRUE(bad.open(written("spoilt.dat", spoilt)));
    int unreadable = 0;
    for (char32_t c : gb) unreadable += bad.character(c).has_value() ? 0 : 1;
    EXPECT_GT(unreadable, 0);
    EXPECT_LT(unreadable, 20);
    EXPECT_TRUE(bad.character(U'十').has_value());

    // The library takes the first sound candidate, and only when first asked.
    StrokeLibrary lib({dir.filePath("cut.dat"), KOVU_STROKE_FILE});
    EXPECT_FALSE(lib.opened());
    ASSERT_TRUE(lib.character("十").has_value());
    EXPECT_EQ(lib.character("十")->size(), 2);
    EXPECT_FALSE(lib.character("").has_value());
    StrokeLibrary none({dir.filePath("magic.dat")});
    EXPECT_EQ(none.file(), nullptr);
    EXPECT_FALSE(none.character("十").has_value());
}

TEST(StrokeJudge, EveryCharactersMediansAreAcceptedInOrderAndRefusedReversed) {
    const StrokeFile& f = builtFile();
    ASSERT_EQ(f.count(), 6763);
    std::mt19937 rng(20261209);
    int strokes = 0;
    for (char32_t c : gb2312Characters()) {
        const std::optional<Character> ch = f.character(c);
        ASSERT_TRUE(ch.has_value());
        for (qsizetype i = 0; i < ch->size(); ++i) {
            const QList<QPointF>& median = ch->at(i).median;
            QList<QPointF> reversed(median.rbegin(), median.rend());
            EXPECT_TRUE(judgeStroke(median, median).accepted) << name(c, i).toStdString();
            EXPECT_FALSE(judgeStroke(reversed, median).accepted) << name(c, i).toStdString();
            const StrokeVerdict shaky = judgeStroke(shakyDrag(median, rng, 6), median);
            EXPECT_TRUE(shaky.accepted) << name(c, i).toStdString() << measured(shaky);
            ++strokes;
        }
    }
    EXPECT_EQ(strokes, 71826);

    // 一's stroke where 丨 is expected, and the other way round.
    const Character yi = strokesOf("一"), gun = strokesOf("丨");
    ASSERT_EQ(yi.size(), 1);
    ASSERT_EQ(gun.size(), 1);
    EXPECT_FALSE(judgeStroke(yi[0].median, gun[0].median).accepted);
    EXPECT_FALSE(judgeStroke(gun[0].median, yi[0].median).accepted);
    // A stroke drawn where its parallel neighbour stands is not that neighbour: 三's three lines,
    // 目's inner ones and its bottom.
    for (const auto& [c, from, to] : {std::tuple{"三", 0, 2}, {"目", 2, 4}}) {
        const Character ch = strokesOf(c);
        for (int i = from; i <= to; ++i)
            for (int j = from; j <= to; ++j)
                EXPECT_EQ(judgeStroke(ch[i].median, ch[j].median).accepted, i == j)
                    << c << " " << i << " at " << j;
    }
}

TEST(StrokeJudge, EachMeasureRefusesOnItsOwn) {
    // A horizontal median of 600 units; each drawing breaks one limit only.
    const QList<QPointF> median{{200, 500}, {500, 500}, {800, 500}};
    const StrokeLimits& k = kChildLimits;
    EXPECT_TRUE(judgeStroke({{210, 510}, {790, 495}}, median).accepted);
    // Off the median by more than the mean distance (ends inside their limit).
    const double far = k.meanDistance * k.leniency;
    const StrokeVerdict arch = judgeStroke({{200, 500}, {500, 500 - 2.2 * far}, {800, 500}}, median);
    EXPECT_GT(arch.measures.meanDistance, far);
    EXPECT_FALSE(arch.accepted);
    // Started too far from the median's start: a shortened drawing.
    const StrokeVerdict late =
        judgeStroke({{200 + 1.1 * k.endDistance * k.leniency, 500}, {800, 500}}, median);
    EXPECT_GT(late.measures.startDistance, k.endDistance * k.leniency);
    EXPECT_FALSE(late.accepted);
    // Too short, too long and backwards.
    EXPECT_FALSE(judgeStroke({{200, 500}, {400, 500}}, median).accepted);
    EXPECT_FALSE(judgeStroke({{200, 500}, {500, 500}, {200, 500}, {500, 500}, {800, 500}}, median).accepted);
    const StrokeVerdict back = judgeStroke({{800, 500}, {200, 500}}, median);
    EXPECT_NEAR(back.measures.directionAngle, 180, 1e-6);
    EXPECT_FALSE(back.accepted);
    // A zigzag over the median keeps its ends and its mean distance but not its shape.
    QList<QPointF> zig;
    for (int i = 0; i <= 12; ++i) zig << QPointF(200 + 50 * i, i % 2 ? 560 : 440);
    zig.front() = {200, 500};
    zig.back() = {800, 500};
    const StrokeVerdict z =
        judgeStroke(zig, median, {.leniency = 1, .meanDistance = 200, .lengthFactor = 10});
    EXPECT_GT(z.measures.shapeDistance, k.shapeDistance);
    EXPECT_FALSE(z.accepted);
    // A click is no stroke.
    EXPECT_FALSE(judgeStroke({{200, 500}}, median).accepted);
    EXPECT_FALSE(judgeStroke({{200, 500}, {200, 500}}, median).accepted);

    // The parts: resampling keeps the ends and spaces points evenly; the Fréchet distance of a line
    // to itself is 0 and to a copy moved by 30 units is 30.
    const QList<QPointF> r = resampled(median, 7);
    ASSERT_EQ(r.size(), 7);
    EXPECT_EQ(r.front(), median.front());
    EXPECT_EQ(r.back(), median.back());
    EXPECT_NEAR(r[1].x(), 300, 1e-9);
    EXPECT_DOUBLE_EQ(frechetDistance(r, r), 0);
    QList<QPointF> moved;
    for (const QPointF& p : r) moved << p + QPointF(0, 30);
    EXPECT_NEAR(frechetDistance(r, moved), 30, 1e-9);
    EXPECT_NEAR(polylineLength(normalised(moved)), polylineLength(normalised(r)), 1e-9);
    EXPECT_NEAR(distanceToPolyline({500, 540}, median), 40, 1e-9);
}
