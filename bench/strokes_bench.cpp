// The stroke order: judging one drawn stroke, reading one character from the data file, and one
// frame of the animation at 1440 x 1080. Counters give the file's size in MB.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <random>

#include "strokes/StrokeData.h"
#include "strokes/StrokeJudge.h"
#include "strokes/StrokeView.h"

namespace {

using namespace kovu::strokes;

const StrokeFile& strokeFile() {
    static StrokeFile f;
    if (!f.isOpen() && !f.open(KOVU_STROKE_FILE)) std::abort();
    return f;
}

// 我's longest stroke drawn as a hand drags it: a point every 8 units, a little off the median.
void BM_JudgeOneStroke(benchmark::State& state) {
    const Character wo = *strokeFile().character(U'我');
    const QList<QPointF>& median = wo.at(4).median;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> off(-6, 6);
    QList<QPointF> drawn;
    const int n = int(polylineLength(median) / 8);
    for (int i = 0; i < n; ++i)
        drawn << pointAlong(median, double(i) / (n - 1)) + QPointF(off(rng), off(rng));
    for (auto _ : state) benchmark::DoNotOptimize(judgeStroke(drawn, median).accepted);
    state.counters["points"] = double(drawn.size());
}
BENCHMARK(BM_JudgeOneStroke)->Unit(benchmark::kMicrosecond);

// Characters in turn, so no two reads in a row are of the same one.
void BM_ReadOneCharacter(benchmark::State& state) {
    const StrokeFile& f = strokeFile();
    const QList<char32_t> all = f.characters();
    qsizetype i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f.character(all.at(i)));
        i = (i + 97) % all.size();
    }
    state.counters["MB"] = QFileInfo(KOVU_STROKE_FILE).size() / 1048576.0;
}
BENCHMARK(BM_ReadOneCharacter)->Unit(benchmark::kMicrosecond);

// 赢 (17 strokes) in the middle of its tenth stroke: the stroke view at 1440 x 1080 paints its
// grid and the frame into a picture, as the screen asks it to at each tick.
void BM_AnimationFrame1440x1080(benchmark::State& state) {
    StrokeView view;
    view.resize(1440, 1080);
    view.setCharacter(strokeFile().character(U'赢'), QColor(0, 0, 128));
    view.animate();
    view.holdAnimationAt(9 * StrokeView::kStrokeMillis + StrokeView::kStrokeMillis / 2);
    QImage img(view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) view.render(&img);
    state.counters["strokes"] = double(view.character().size());
}
BENCHMARK(BM_AnimationFrame1440x1080)->Unit(benchmark::kMillisecond);

}  // namespace
