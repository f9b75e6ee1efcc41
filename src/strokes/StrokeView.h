#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QPointF>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "strokes/StrokeData.h"

class QPainter;

namespace kovu::strokes {

// The square of the 1024-unit box inside area, centred, as widget coordinates.
QTransform boxTransform(const QRectF& area);

// Draws stroke s grown to progress (0 to 1) along its median: a line as wide as the stroke,
// clipped to its outline, from the median's start to the point at that fraction of its length.
// At 1 the whole outline is filled. p is already transformed to box units.
void paintGrowingStroke(QPainter& p, const Stroke& s, double progress, const QColor& colour);

// One frame of the stroke order in area: the strokes before stroke whole, stroke grown to
// progress, the later ones not at all.
void paintStrokeFrame(QPainter& p, const Character& c, const QRectF& area, int stroke, double progress,
                      const QColor& colour);

// The picture area's stroke view: a character's strokes drawn one after another, or the
// character in light grey for the child to trace, each drawn stroke judged as it ends (mouse or
// touch alike).
class StrokeView : public QWidget {
    Q_OBJECT
public:
    enum class Mode { Empty, Animating, Shown, Tracing, Traced };
    // How long one stroke grows, a refused drawing stays red, and the hint takes along its median.
    static constexpr int kStrokeMillis = 500;
    static constexpr int kMissMillis = 600;
    static constexpr int kHintMillis = 900;
    // Misses on one stroke before its hint shows.
    static constexpr int kMissesBeforeHint = 3;

    explicit StrokeView(QWidget* parent = nullptr);

    // The character to show (nothing: the view is empty); stops what ran.
    void setCharacter(std::optional<Character> c, const QColor& colour);
    bool hasCharacter() const { return !m_character.isEmpty(); }
    const Character& character() const { return m_character; }
    // Draws the strokes from the first; again from the first while it runs. When tracing, the
    // tracing goes on where it was once the strokes are drawn.
    void animate();
    // The character's outline in light grey, waiting for its first stroke.
    void trace();
    Mode mode() const { return m_mode; }
    int strokesTraced() const { return m_traced; }
    int missesOnStroke() const { return m_misses; }
    bool hintShowing() const { return m_hint; }
    bool missShowing() const { return !m_missed.isEmpty(); }
    // Holds the animation at its frame ms after its start, until it is started again (a frame
    // past the end ends it).
    void holdAnimationAt(int ms);
    // The stroke growing and how far, while the animation runs.
    int animationStroke() const { return m_animStroke; }
    double animationProgress() const { return m_animProgress; }

    // Box units for a point of the widget, and back.
    QPointF toBox(QPointF widgetPoint) const;
    QPointF toWidget(QPointF boxPoint) const;

    // Colours of the outline to trace, a refused drawing and the hint.
    static const QColor kOutlineColour;
    static const QColor kMissColour;
    static const QColor kHintColour;

Q_SIGNALS:
    void strokeJudged(bool accepted);
    void traced();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    bool event(QEvent* e) override;

private:
    void tick();
    void showAnimationAt(int ms);
    void beginDrawing(QPointF at);
    void continueDrawing(QPointF at);
    void endDrawing();
    void updateTimer();

    Character m_character;
    QColor m_colour;
    Mode m_mode = Mode::Empty;
    bool m_resumeTracing = false;
    int m_animStroke = 0;
    double m_animProgress = 0;
    int m_traced = 0;
    int m_misses = 0;
    bool m_hint = false;
    bool m_drawing = false;
    QList<QPointF> m_drawn;   // the drawing under way, box units
    QList<QPointF> m_missed;  // the last refused drawing, while it shows
    int m_missGeneration = 0;
    QElapsedTimer m_clock;      // since the animation started
    QElapsedTimer m_hintClock;  // since the hint started
    QTimer m_timer;
};

}  // namespace kovu::strokes
