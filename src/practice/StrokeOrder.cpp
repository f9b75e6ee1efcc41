#include "practice/StrokeOrder.h"

#include <QFrame>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>

#include "platform/Controls.h"
#include "platform/ErrorHandler.h"
#include "practice/Captions.h"
#include "practice/PracticePanel.h"
#include "speech/SpeechRules.h"
#include "strokes/StrokeView.h"

namespace kovu {

namespace {

// The button's picture: a brush over the three strokes of a character, in colour or greyed.
QImage buttonPicture(bool enabled) {
    QImage img(96, 96, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor ink = enabled ? QColor(0, 0, 128) : QColor(160, 160, 160);
    const QColor brush = enabled ? QColor(200, 40, 40) : QColor(190, 190, 190);
    p.setPen(QPen(enabled ? QColor(0, 128, 128) : QColor(180, 180, 180), 4));
    p.setBrush(enabled ? QColor(255, 250, 220) : QColor(240, 240, 240));
    p.drawRoundedRect(QRectF(3, 3, 90, 90), 16, 16);
    // 十 in two strokes, the second still growing, with its arrow.
    p.setPen(QPen(ink, 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 42), QPointF(66, 42));
    p.drawLine(QPointF(43, 20), QPointF(43, 60));
    p.setPen(QPen(brush, 4, Qt::DashLine, Qt::RoundCap));
    p.drawLine(QPointF(43, 62), QPointF(43, 78));
    QPainterPath arrow;
    arrow.moveTo(35, 74);
    arrow.lineTo(51, 74);
    arrow.lineTo(43, 86);
    arrow.closeSubpath();
    p.fillPath(arrow, brush);
    // The brush, slanting down to the strokes.
    p.setPen(QPen(brush, 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(82, 16), QPointF(62, 50));
    p.setPen(QPen(ink, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(62, 50), QPointF(57, 60));
    return img;
}

}  // namespace

StrokeOrder::StrokeOrder(PracticePanel& frame)
    : QObject(&frame),
      m_frame(frame),
      m_library(strokes::StrokeLibrary::candidatesFor(frame.context().state.ProgramFolder)) {
    // Under the speaker imgLd in the top right corner, where no question text reaches.
    imgBs = makeControl<TImage>(frame.pan2, "imgBs", 716, 40, 30, 30);
    imgBs->setStretch(true);
    imgBs->setAccessibleName(QStringLiteral("笔顺"));
    imgBs->setToolTip(QStringLiteral("笔顺 (F3)"));
    imgBs->setCursor(Qt::PointingHandCursor);
    setButtonEnabled(false);
    imgBs->hide();

    strokeView = new strokes::StrokeView(&frame);
    strokeView->setObjectName("strokeView");
    strokeView->hide();

    m_f3 = new QShortcut(QKeySequence(Qt::Key_F3), &frame);
    m_f3->setContext(Qt::WidgetWithChildrenShortcut);
    connect(m_f3, &QShortcut::activated, this, guarded([this] { imgBsClick(); }));
    connect(imgBs, &TImage::clicked, this, guarded([this] { imgBsClick(); }));
    connect(strokeView, &strokes::StrokeView::traced, this, guarded([this] { strokeTraced(); }));
}

void StrokeOrder::setButtonEnabled(bool on) {
    imgBs->setEnabled(on);
    imgBs->setPicture(buttonPicture(on));
}

void StrokeOrder::sessionStarted(bool pinyin, bool test, bool tracing) {
    m_pinyin = pinyin;
    m_tracing = pinyin && !test && tracing;
    m_caption.clear();
    strokeView->setCharacter(std::nullopt, QColor());
    strokeView->hide();
    setButtonEnabled(false);
    imgBs->setVisible(pinyin);
    imgBs->raise();
}

void StrokeOrder::itemShown(const QString& character) {
    if (!m_pinyin) return;
    // The character in the question's own colour.
    const QColor colour = m_frame.lblSs->palette().color(QPalette::WindowText);
    strokeView->setCharacter(m_library.character(character), colour);
    setButtonEnabled(strokeView->hasCharacter());
    if (!m_tracing) {
        strokeView->hide();
        return;
    }
    // The last character was traced: the message line of the review is back.
    if (m_frame.lblJg->text() == kTracedCaption)
        m_frame.setVerdict(m_caption, captions::kAskColour);
    else
        m_caption = m_frame.lblJg->text();
    if (strokeView->hasCharacter()) {
        layout();
        strokeView->trace();
        strokeView->show();
        strokeView->raise();
    } else {
        strokeView->hide();
    }
}

void StrokeOrder::pictureShown() {
    if (!m_tracing) strokeView->hide();
}

void StrokeOrder::layout() { strokeView->setGeometry(m_frame.imgTx->geometry()); }

void StrokeOrder::imgBsClick() {
    if (!imgBs->isVisible() || !imgBs->isEnabled() || !strokeView->hasCharacter()) return;
    layout();
    strokeView->show();
    strokeView->raise();
    strokeView->animate();
}

void StrokeOrder::strokeTraced() {
    m_frame.setVerdict(kTracedCaption, captions::kRightColour);
    m_frame.speak({{SpeechVoice::Chinese, kSpokenRight}});
    m_frame.lblT0->setText(captions::kNextHint);
    m_frame.butKs->setEnabled(true);
    m_frame.butKs->setFocus();
}

}  // namespace kovu
