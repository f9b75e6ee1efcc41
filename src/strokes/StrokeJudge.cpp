#include "strokes/StrokeJudge.h"

#include <QLineF>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace kovu::strokes {

namespace {

constexpr int kSamples = 24;
// A hand's tremor: the drawing is resampled every kStep units and each point averaged with
// kSmoothing neighbours on either side before it is measured, the ends kept where they are.
constexpr double kStep = 8;
constexpr int kSmoothing = 2;
// The shape of a stroke shorter than this (a dot) is compared at this size, so that a tremor
// does not count as a wrong shape.
constexpr double kSmallestShape = 40;

QList<QPointF> smoothed(const QList<QPointF>& drawing) {
    double len = 0;
    for (qsizetype i = 1; i < drawing.size(); ++i)
        len +=
            std::hypot(drawing.at(i).x() - drawing.at(i - 1).x(), drawing.at(i).y() - drawing.at(i - 1).y());
    if (drawing.size() < 2 || len <= 0) return drawing;
    const QList<QPointF> line = resampled(drawing, std::clamp(int(len / kStep) + 2, 2, 2048));
    QList<QPointF> out = line;
    const qsizetype n = line.size();
    for (qsizetype i = 1; i + 1 < n; ++i) {
        const qsizetype r = std::min<qsizetype>({kSmoothing, i, n - 1 - i});
        QPointF sum;
        for (qsizetype j = i - r; j <= i + r; ++j) sum += line.at(j);
        out[i] = sum / double(2 * r + 1);
    }
    return out;
}

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

double segmentDistance(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / len2, 0.0, 1.0) : 0.0;
    return distance(p, a + t * ab);
}

// The angle in degrees between two directions.
double angleBetween(QPointF u, QPointF v) {
    const double nu = std::hypot(u.x(), u.y()), nv = std::hypot(v.x(), v.y());
    if (nu == 0 || nv == 0) return 180;
    const double c = std::clamp(QPointF::dotProduct(u, v) / (nu * nv), -1.0, 1.0);
    return std::acos(c) * 180 / std::numbers::pi;
}

// The direction of a line: from its start to its end, or, when it comes back near its start
// (a hook, a loop), the mean of the directions of its steps, each as a unit vector compared in turn.
double directionAngle(const QList<QPointF>& drawn, const QList<QPointF>& median) {
    const double chord = distance(median.front(), median.back());
    if (chord >= 0.25 * polylineLength(median))
        return angleBetween(drawn.back() - drawn.front(), median.back() - median.front());
    double sum = 0;
    const int steps = int(drawn.size()) - 1;
    for (int i = 0; i < steps; ++i)
        sum += angleBetween(drawn.at(i + 1) - drawn.at(i), median.at(i + 1) - median.at(i));
    return steps > 0 ? sum / steps : 180;
}

}  // namespace

double polylineLength(const QList<QPointF>& line) {
    double len = 0;
    for (qsizetype i = 1; i < line.size(); ++i) len += distance(line.at(i - 1), line.at(i));
    return len;
}

QPointF pointAlong(const QList<QPointF>& line, double fraction) {
    if (line.isEmpty()) return {};
    const double target = std::clamp(fraction, 0.0, 1.0) * polylineLength(line);
    double walked = 0;
    for (qsizetype i = 1; i < line.size(); ++i) {
        const double step = distance(line.at(i - 1), line.at(i));
        if (walked + step >= target && step > 0)
            return line.at(i - 1) + (line.at(i) - line.at(i - 1)) * ((target - walked) / step);
        walked += step;
    }
    return line.back();
}

QList<QPointF> resampled(const QList<QPointF>& line, int n) {
    QList<QPointF> out;
    if (line.isEmpty()) return out;
    const double total = polylineLength(line);
    out.reserve(n);
    out << line.front();
    if (total <= 0) {
        while (out.size() < n) out << line.front();
        return out;
    }
    const double step = total / (n - 1);
    double walked = 0;  // length up to line[i - 1]
    qsizetype i = 1;
    for (int k = 1; k < n - 1; ++k) {
        const double target = k * step;
        while (i < line.size() - 1 && walked + distance(line.at(i - 1), line.at(i)) < target) {
            walked += distance(line.at(i - 1), line.at(i));
            ++i;
        }
        const double seg = distance(line.at(i - 1), line.at(i));
        const double t = seg > 0 ? std::clamp((target - walked) / seg, 0.0, 1.0) : 0.0;
        out << line.at(i - 1) + (line.at(i) - line.at(i - 1)) * t;
    }
    out << line.back();
    return out;
}

QList<QPointF> normalised(const QList<QPointF>& line) {
    QPointF centre;
    for (const QPointF& p : line) centre += p;
    centre /= double(std::max<qsizetype>(1, line.size()));
    double spread = 0;
    for (const QPointF& p : line) spread += distance(p, centre);
    spread = std::max(spread / double(std::max<qsizetype>(1, line.size())), kSmallestShape);
    QList<QPointF> out;
    out.reserve(line.size());
    for (const QPointF& p : line) out << (spread > 0 ? (p - centre) / spread : QPointF());
    return out;
}

double distanceToPolyline(QPointF p, const QList<QPointF>& line) {
    if (line.size() == 1) return distance(p, line.front());
    double best = INFINITY;
    for (qsizetype i = 1; i < line.size(); ++i)
        best = std::min(best, segmentDistance(p, line.at(i - 1), line.at(i)));
    return best;
}

double frechetDistance(const QList<QPointF>& a, const QList<QPointF>& b) {
    const qsizetype n = a.size(), m = b.size();
    if (n == 0 || m == 0) return INFINITY;
    std::vector<double> row(m), prev(m);
    for (qsizetype i = 0; i < n; ++i) {
        for (qsizetype j = 0; j < m; ++j) {
            const double d = distance(a.at(i), b.at(j));
            double reach;
            if (i == 0 && j == 0)
                reach = d;
            else if (i == 0)
                reach = std::max(row[j - 1], d);
            else if (j == 0)
                reach = std::max(prev[0], d);
            else
                reach = std::max(std::min({prev[j], prev[j - 1], row[j - 1]}), d);
            row[j] = reach;
        }
        std::swap(row, prev);
    }
    return prev[m - 1];
}

StrokeVerdict judgeStroke(const QList<QPointF>& drawing, const QList<QPointF>& median,
                          const StrokeLimits& limits) {
    StrokeVerdict v;
    const QList<QPointF> drawn = smoothed(drawing);
    const double drawnLength = polylineLength(drawn);
    const double medianLength = polylineLength(median);
    if (drawn.size() < 2 || drawnLength <= 0 || median.size() < 2 || medianLength <= 0) return v;
    const QList<QPointF> d = resampled(drawn, kSamples);
    const QList<QPointF> m = resampled(median, kSamples);
    StrokeMeasures& s = v.measures;
    for (const QPointF& p : d) s.meanDistance += distanceToPolyline(p, median);
    s.meanDistance /= d.size();
    s.startDistance = distance(drawn.front(), median.front());
    s.endDistance = distance(drawn.back(), median.back());
    s.directionAngle = directionAngle(d, m);
    s.shapeDistance = frechetDistance(normalised(d), normalised(m));
    s.lengthRatio = drawnLength / medianLength;

    const double k = limits.leniency;
    const double longest = std::max(drawnLength, medianLength),
                 shortest = std::min(drawnLength, medianLength);
    const bool lengthFits = longest - shortest <= limits.lengthAllowance * k ||
                            longest <= shortest * (1 + (limits.lengthFactor - 1) * k);
    v.accepted = s.meanDistance <= limits.meanDistance * k && s.startDistance <= limits.endDistance * k &&
                 s.endDistance <= limits.endDistance * k &&
                 s.directionAngle <= std::min(limits.directionAngle * k, 89.0) &&
                 s.shapeDistance <= limits.shapeDistance * k && lengthFits;
    return v;
}

}  // namespace kovu::strokes
