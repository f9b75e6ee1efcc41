#pragma once

#include <QList>
#include <QPointF>

namespace kovu::strokes {

// The limits a drawn stroke is held to, in units of the 1024-unit box (the shape in units of the
// normalised stroke), each multiplied by one leniency factor. A sure adult hand stays inside the
// limits with leniency 1; children's hands, a mouse and a finger on a small picture need more.
// Neighbouring parallel strokes lie 150 to 250 units apart (目, 三): with the children's leniency
// the mean distance stays under half the closest spacing, so a stroke drawn on its neighbour's
// place is refused.
struct StrokeLimits {
    double leniency = 1.6;
    // The mean distance of the drawing from the median.
    double meanDistance = 45;
    // The distance of the drawing's start from the median's start, and of the ends.
    double endDistance = 75;
    // The largest angle between the drawing's direction and the median's, in degrees.
    double directionAngle = 40;
    // The discrete Fréchet distance of the two after each is moved to its centre and scaled to
    // its own size.
    double shapeDistance = 0.22;
    // The drawing's length against the median's: at most this factor longer or shorter, beyond
    // an allowance for short strokes.
    double lengthFactor = 1.5;
    double lengthAllowance = 40;
};

// The limits the practice screen uses.
inline constexpr StrokeLimits kChildLimits{};

// What the judge measured of one drawing.
struct StrokeMeasures {
    double meanDistance = 0;
    double startDistance = 0;
    double endDistance = 0;
    double directionAngle = 0;
    double shapeDistance = 0;
    double lengthRatio = 0;
};

struct StrokeVerdict {
    bool accepted = false;
    StrokeMeasures measures;
};

// Judges a drawing (its points in drawing order, in the box's units) against the expected stroke's
// median. A drawing of fewer than two distinct points is never accepted.
StrokeVerdict judgeStroke(const QList<QPointF>& drawn, const QList<QPointF>& median,
                          const StrokeLimits& limits = kChildLimits);

// The parts of the judgement, for the judge and its tests.
double polylineLength(const QList<QPointF>& line);
// The line resampled to n points evenly spaced along it (n >= 2).
QList<QPointF> resampled(const QList<QPointF>& line, int n);
// The line moved to its centre and scaled so that its mean distance from the centre is 1 (a line
// smaller than a dot is scaled as a dot).
QList<QPointF> normalised(const QList<QPointF>& line);
double distanceToPolyline(QPointF p, const QList<QPointF>& line);
double frechetDistance(const QList<QPointF>& a, const QList<QPointF>& b);
// The point at a fraction (0 to 1) of the line's length.
QPointF pointAlong(const QList<QPointF>& line, double fraction);

}  // namespace kovu::strokes
