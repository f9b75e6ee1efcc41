#include "platform/Controls.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "platform/Errors.h"

namespace kovu {

TImage::TImage(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void TImage::setPicture(const QImage& image) {
    m_image = image;
    update();
}

void TImage::clearPicture() {
    m_image = QImage();
    update();
}

void TImage::setStretch(bool on) {
    m_stretch = on;
    update();
}

QImage readPictureFile(const QString& path) {
    QImage img;
    if (!QFile::exists(path)) fail(QStringLiteral("找不到文件 %1。").arg(path));
    if (!img.load(path)) fail(QStringLiteral("图片文件 %1 不能读出。").arg(path));
    return img;
}

void TImage::loadFromFile(const QString& path) { setPicture(readPictureFile(path)); }

void TImage::paintEvent(QPaintEvent*) {
    if (m_image.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (m_stretch)
        p.drawImage(rect(), m_image);
    else
        p.drawImage(QPoint(0, 0), m_image);
}

void TImage::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) m_pressed = true;
    Q_EMIT mousePressed();
}

void TImage::mouseReleaseEvent(QMouseEvent* e) {
    Q_EMIT mouseReleased();
    const bool inside = rect().contains(e->position().toPoint());
    if (m_pressed && e->button() == Qt::LeftButton && inside) {
        m_pressed = false;
        Q_EMIT clicked();
    }
    m_pressed = false;
}

void TImage::mouseMoveEvent(QMouseEvent*) { Q_EMIT mouseMoved(); }

TBevel::TBevel(QWidget* parent) : QFrame(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setRaised(true);
}

void TBevel::setRaised(bool raised) {
    m_raised = raised;
    setFrameStyle(QFrame::Panel | (raised ? QFrame::Raised : QFrame::Sunken));
    setLineWidth(1);
}

TShape::TShape(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QPen pen(m_pen);
    pen.setWidth(m_penWidth);
    p.setPen(pen);
    Qt::BrushStyle bs = Qt::SolidPattern;
    switch (m_style) {
        case Brush::Solid:
            bs = Qt::SolidPattern;
            break;
        case Brush::Clear:
            bs = Qt::NoBrush;
            break;
        case Brush::DiagCross:
            bs = Qt::DiagCrossPattern;
            break;
        case Brush::BDiagonal:
            bs = Qt::BDiagPattern;
            break;
        case Brush::FDiagonal:
            bs = Qt::FDiagPattern;
            break;
        case Brush::Cross:
            bs = Qt::CrossPattern;
            break;
    }
    p.setBrush(QBrush(m_brush, bs));
    const int half = m_penWidth / 2;
    QRect r = rect().adjusted(half, half, -half - (m_penWidth % 2), -half - (m_penWidth % 2));
    if (m_rounded)
        p.drawRoundedRect(r, 8, 8);
    else
        p.drawRect(r);
}

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent), m_group(new QButtonGroup(this)) {
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::idClicked, this, [this](int) { Q_EMIT clicked(); });
}

void TRadioGroup::setItems(const QStringList& items) {
    qDeleteAll(m_buttons);
    m_buttons.clear();
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items.at(i), this);
        b->setObjectName(objectName() + QString::number(i));
        m_group->addButton(b, i);
        m_buttons << b;
        b->show();
    }
    relayout();
}

QStringList TRadioGroup::items() const {
    QStringList out;
    for (auto* b : m_buttons) out << b->text();
    return out;
}

void TRadioGroup::setColumns(int columns) {
    m_columns = columns < 1 ? 1 : columns;
    relayout();
}

int TRadioGroup::itemIndex() const { return m_group->checkedId(); }

void TRadioGroup::setItemIndex(int index) {
    if (index < 0 || index >= count()) {
        m_group->setExclusive(false);
        for (auto* b : m_buttons) b->setChecked(false);
        m_group->setExclusive(true);
        return;
    }
    m_buttons.at(index)->setChecked(true);
}

void TRadioGroup::click(int index) {
    if (index < 0 || index >= count()) return;
    setItemIndex(index);
    Q_EMIT clicked();
}

void TRadioGroup::resizeEvent(QResizeEvent* e) {
    QGroupBox::resizeEvent(e);
    relayout();
}

void TRadioGroup::relayout() {
    if (m_buttons.isEmpty()) return;
    const int rows = (count() + m_columns - 1) / m_columns;
    const int top = title().isEmpty() ? 4 : fontMetrics().height() + 2;
    const int h = height() - top - 4;
    const int w = width() - 8;
    const int rowH = rows > 0 ? h / rows : h;
    const int colW = w / m_columns;
    for (int i = 0; i < count(); ++i) {
        const int col = i / rows;
        const int row = i % rows;
        m_buttons.at(i)->setGeometry(6 + col * colW, top + row * rowH, colW - 2, rowH);
    }
}

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {}

void TStatusBar::setPanelCount(int n) {
    m_panels.resize(n);
    update();
}

void TStatusBar::setPanelWidth(int i, int width) {
    if (i < 0 || i >= panelCount()) return;
    m_panels[i].width = width;
    update();
}

void TStatusBar::setPanelText(int i, const QString& text) {
    if (i < 0 || i >= panelCount()) return;
    m_panels[i].text = text;
    update();
}

void TStatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    int x = 0;
    for (int i = 0; i < panelCount(); ++i) {
        const bool last = i == panelCount() - 1;
        const int w = last ? width() - x : m_panels.at(i).width;
        QRect r(x, 1, w - 2, height() - 2);
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                   m_panels.at(i).text);
        x += w;
    }
}

void setBackground(QWidget* w, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    pal.setColor(QPalette::Base, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void setTextColor(QWidget* w, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::Text, color);
    pal.setColor(QPalette::ButtonText, color);
    w->setPalette(pal);
}

void setFontOf(QWidget* w, const QString& family, int pointSize, bool bold) {
    QFont f(family);
    f.setPointSize(pointSize > 0 ? pointSize : 1);
    f.setBold(bold);
    w->setFont(f);
}

QLabel* makeLabel(QWidget* parent, const char* name, int left, int top, int width, const QString& text) {
    auto* l = makeControl<QLabel>(parent, name, left, top, width, 18);
    l->setText(text);
    return l;
}

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

WaitCursor::WaitCursor(QWidget* w) : m_w(w) { m_w->setCursor(Qt::WaitCursor); }

WaitCursor::~WaitCursor() {
    if (m_w)
        m_w->unsetCursor();
    else
        QApplication::restoreOverrideCursor();
}

}  // namespace kovu
