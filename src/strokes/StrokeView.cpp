#include "strokes/StrokeView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTouchEvent>
#include <algorithm>

#include "strokes/StrokeJudge.h"

namespace kovu::strokes {

const QColor StrokeView::kOutlineColour{218, 218, 218};
const QColor StrokeView::kMissColour{230, 0, 0};
const QColor StrokeView::kHintColour{255, 150, 40};

namespace {

// The widest the stroke is on either side of its median, so the growing line covers the whole
// stroke across and no more.
double halfWidth(const Stroke& s) {
    double widest = 8;
    for (int i = 0; i < s.outline.elementCount(); ++i) {
        const QPainterPath::Element e = s.outline.elementAt(i);
        widest = std::max(widest, distanceToPolyline(QPointF(e.x, e.y), s.median));
    }
    return widest + 4;
}

// The median from its start to the point at fraction of its length.
QPainterPath partOfMedian(const QList<QPointF>& median, double fraction) {
    const double target = std::clamp(fraction, 0.0, 1.0) * polylineLength(median);
    QPainterPath path(median.front());
    double walked = 0;
    for (qsizetype i = 1; i < median.size(); ++i) {
        const QLineF seg(median.at(i - 1), median.at(i));
        if (walked + seg.length() >= target) {
            path.lineTo(seg.length() > 0 ? seg.pointAt((target - walked) / seg.length()) : seg.p2());
            break;
        }
        path.lineTo(seg.p2());
        walked += seg.length();
    }
    return path;
}

// The rice-paper grid a child writes in: the square, its middle lines and its diagonals.
void paintGrid(QPainter& p, const QRectF& square) {
    p.fillRect(square, Qt::white);
    QPen pen(QColor(240, 190, 190), 1, Qt::DashLine);
    p.setPen(pen);
    p.drawLine(QPointF(square.left(), square.center().y()), QPointF(square.right(), square.center().y()));
    p.drawLine(QPointF(square.center().x(), square.top()), QPointF(square.center().x(), square.bottom()));
    p.drawLine(square.topLeft(), square.bottomRight());
    p.drawLine(square.topRight(), square.bottomLeft());
    pen.setStyle(Qt::SolidLine);
    pen.setColor(QColor(220, 120, 120));
    p.setPen(pen);
    p.drawRect(square.adjusted(0.5, 0.5, -0.5, -0.5));
}

QRectF squareOf(const QRectF& area) {
    const double side = std::min(area.width(), area.height());
    return QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
}

}  // namespace

QTransform boxTransform(const QRectF& area) {
    const QRectF sq = squareOf(area);
    const double k = sq.width() / kBoxSize;
    return QTransform(k, 0, 0, k, sq.left(), sq.top());
}

void paintGrowingStroke(QPainter& p, const Stroke& s, double progress, const QColor& colour) {
    if (progress <= 0 || s.median.size() < 2) return;
    if (progress >= 1) {
        p.fillPath(s.outline, colour);
        return;
    }
    p.save();
    p.setClipPath(s.outline, Qt::IntersectClip);
    // A flat end: nothing of the stroke ahead of the point reached is drawn.
    QPen pen(colour, 2 * halfWidth(s), Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    p.strokePath(partOfMedian(s.median, progress), pen);
    p.restore();
}

void paintStrokeFrame(QPainter& p, const Character& c, const QRectF& area, int stroke, double progress,
                      const QColor& colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setTransform(boxTransform(area), true);
    for (int i = 0; i < c.size() && i <= stroke; ++i)
        paintGrowingStroke(p, c.at(i), i < stroke ? 1.0 : progress, colour);
    p.restore();
}

StrokeView::StrokeView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_AcceptTouchEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer.setInterval(16);
    connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
}

void StrokeView::setCharacter(std::optional<Character> c, const QColor& colour) {
    m_character = c.value_or(Character{});
    m_colour = colour;
    m_mode = m_character.isEmpty() ? Mode::Empty : Mode::Shown;
    m_resumeTracing = false;
    m_traced = 0;
    m_misses = 0;
    m_hint = false;
    m_drawing = false;
    m_drawn.clear();
    m_missed.clear();
    updateTimer();
    update();
}

void StrokeView::animate() {
    if (m_character.isEmpty()) return;
    if (m_mode == Mode::Tracing) m_resumeTracing = true;
    if (m_mode != Mode::Animating && m_mode != Mode::Tracing) m_resumeTracing = false;
    m_drawing = false;
    m_drawn.clear();
    m_mode = Mode::Animating;
    m_clock.start();
    showAnimationAt(0);
    updateTimer();
}

void StrokeView::trace() {
    if (m_character.isEmpty()) return;
    setCharacter(m_character, m_colour);
    m_mode = Mode::Tracing;
    update();
}

void StrokeView::holdAnimationAt(int ms) {
    if (m_mode != Mode::Animating) return;
    m_timer.stop();
    showAnimationAt(ms);
}

void StrokeView::showAnimationAt(int ms) {
    const int total = kStrokeMillis * int(m_character.size());
    if (ms >= total) {
        m_animStroke = int(m_character.size()) - 1;
        m_animProgress = 1;
        m_mode = m_resumeTracing ? Mode::Tracing : Mode::Shown;
        m_resumeTracing = false;
        updateTimer();
    } else {
        m_animStroke = std::max(0, ms) / kStrokeMillis;
        m_animProgress = double(std::max(0, ms) % kStrokeMillis) / kStrokeMillis;
    }
    update();
}

void StrokeView::tick() {
    if (m_mode == Mode::Animating) showAnimationAt(int(m_clock.elapsed()));
    if (m_hint) update();
}

void StrokeView::updateTimer() {
    const bool run = m_mode == Mode::Animating || (m_mode == Mode::Tracing && m_hint);
    if (run && !m_timer.isActive()) m_timer.start();
    if (!run) m_timer.stop();
}

QPointF StrokeView::toBox(QPointF widgetPoint) const {
    return boxTransform(QRectF(rect())).inverted().map(widgetPoint);
}

QPointF StrokeView::toWidget(QPointF boxPoint) const { return boxTransform(QRectF(rect())).map(boxPoint); }

void StrokeView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRectF area(rect());
    paintGrid(p, squareOf(area));
    if (m_character.isEmpty()) return;
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (m_mode) {
        case Mode::Animating:
            paintStrokeFrame(p, m_character, area, m_animStroke, m_animProgress, m_colour);
            return;
        case Mode::Shown:
        case Mode::Traced:
            paintStrokeFrame(p, m_character, area, int(m_character.size()), 1, m_colour);
            return;
        case Mode::Tracing:
            break;
        case Mode::Empty:
            return;
    }
    p.setTransform(boxTransform(area));
    // The strokes still to trace under those traced, where they cross.
    for (qsizetype i = m_traced; i < m_character.size(); ++i)
        p.fillPath(m_character.at(i).outline, kOutlineColour);
    for (qsizetype i = 0; i < m_traced; ++i) p.fillPath(m_character.at(i).outline, m_colour);
    if (m_hint && m_traced < m_character.size()) {
        const qint64 t = m_hintClock.elapsed() % (kHintMillis + kHintMillis / 3);
        paintGrowingStroke(p, m_character.at(m_traced), std::min(1.0, double(t) / kHintMillis), kHintColour);
    }
    const auto drawLine = [&p](const QList<QPointF>& line, const QColor& c) {
        if (line.size() < 2) return;
        p.setPen(QPen(c, 28, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(line.constData(), int(line.size()));
    };
    drawLine(m_missed, kMissColour);
    drawLine(m_drawn, m_colour);
}

void StrokeView::beginDrawing(QPointF at) {
    if (m_mode != Mode::Tracing || m_traced >= m_character.size()) return;
    m_drawing = true;
    m_drawn = {toBox(at)};
    update();
}

void StrokeView::continueDrawing(QPointF at) {
    if (!m_drawing) return;
    const QPointF p = toBox(at);
    if (p != m_drawn.back()) m_drawn << p;
    update();
}

void StrokeView::endDrawing() {
    if (!m_drawing) return;
    m_drawing = false;
    const QList<QPointF> drawn = std::exchange(m_drawn, {});
    if (drawn.size() < 2) {  // a tap, not a stroke
        update();
        return;
    }
    const bool accepted = judgeStroke(drawn, m_character.at(m_traced).median).accepted;
    if (accepted) {
        ++m_traced;
        m_misses = 0;
        m_hint = false;
        if (m_traced == m_character.size()) m_mode = Mode::Traced;
    } else {
        ++m_misses;
        m_missed = drawn;
        const int generation = ++m_missGeneration;
        QTimer::singleShot(kMissMillis, this, [this, generation] {
            if (generation != m_missGeneration) return;
            m_missed.clear();
            update();
        });
        if (m_misses >= kMissesBeforeHint && !m_hint) {
            m_hint = true;
            m_hintClock.start();
        }
    }
    updateTimer();
    update();
    Q_EMIT strokeJudged(accepted);
    if (accepted && m_mode == Mode::Traced) Q_EMIT traced();
}

void StrokeView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) beginDrawing(e->position());
}

void StrokeView::mouseMoveEvent(QMouseEvent* e) {
    if (e->buttons() & Qt::LeftButton) continueDrawing(e->position());
}

void StrokeView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        continueDrawing(e->position());
        endDrawing();
    }
}

bool StrokeView::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd: {
            auto* t = static_cast<QTouchEvent*>(e);
            if (t->points().isEmpty()) return true;
            const QPointF at = t->points().first().position();
            if (e->type() == QEvent::TouchBegin)
                beginDrawing(at);
            else
                continueDrawing(at);
            if (e->type() == QEvent::TouchEnd) endDrawing();
            e->accept();
            return true;
        }
        case QEvent::TouchCancel:
            m_drawing = false;
            m_drawn.clear();
            update();
            return true;
        default:
            return QWidget::event(e);
    }
}

}  // namespace kovu::strokes
