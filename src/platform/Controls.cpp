#include "platform/Controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>

#include "platform/ImageCodec.h"
#include "platform/Errors.h"

namespace kovu {

namespace {

// A picture box: a button (with the press action) when its clicks are listened to.
class AccessibleImage : public QAccessibleWidget {
public:
    explicit AccessibleImage(TImage* w) : QAccessibleWidget(w, QAccessible::Graphic) {}
    TImage* image() const { return static_cast<TImage*>(widget()); }
    bool isButton() const { return image()->isClickable(); }
    QAccessible::Role role() const override {
        return isButton() ? QAccessible::Button : QAccessible::Graphic;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return widget()->accessibleName();
        if (t == QAccessible::Description) return widget()->accessibleDescription();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return isButton() ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && isButton() && widget()->isEnabled()) Q_EMIT image()->clicked();
    }
};

// One panel of a status bar: its text, at its place.
class AccessibleStatusPanel : public QAccessibleInterface {
public:
    AccessibleStatusPanel(TStatusBar* bar, int index) : m_bar(bar), m_index(index) {}
    bool isValid() const override { return m_bar && m_index < m_bar->panelCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_bar ? m_bar->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_bar.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (!isValid() || t != QAccessible::Name) return QString();
        return m_bar->panelText(m_index).trimmed();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect r = m_bar->panelRect(m_index);
        return QRect(m_bar->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        s.invisible = !m_bar || !m_bar->isVisible();
        return s;
    }

private:
    QPointer<TStatusBar> m_bar;
    int m_index;
};

// A status bar with its panels as children. The panels' interfaces live as long as this one.
class AccessibleStatusBar : public QAccessibleWidget {
public:
    explicit AccessibleStatusBar(TStatusBar* w) : QAccessibleWidget(w, QAccessible::StatusBar) {}
    ~AccessibleStatusBar() override {
        for (QAccessible::Id id : m_panels) QAccessible::deleteAccessibleInterface(id);
    }
    TStatusBar* bar() const { return static_cast<TStatusBar*>(widget()); }
    int childCount() const override { return bar()->panelCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        while (m_panels.size() <= index)
            m_panels << QAccessible::registerAccessibleInterface(
                new AccessibleStatusPanel(bar(), static_cast<int>(m_panels.size())));
        return QAccessible::accessibleInterface(m_panels.at(index));
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        for (int i = 0; i < m_panels.size(); ++i)
            if (QAccessible::accessibleInterface(m_panels.at(i)) == c) return i;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i)
            if (child(i)->rect().contains(x, y)) return child(i);
        return nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return QStringLiteral("状态栏");
        return QAccessibleWidget::text(t);
    }

private:
    mutable QList<QAccessible::Id> m_panels;
};

QAccessibleInterface* accessibleControl(const QString& className, QObject* object) {
    if (className == QLatin1String("kovu::TImage")) return new AccessibleImage(static_cast<TImage*>(object));
    if (className == QLatin1String("kovu::TStatusBar"))
        return new AccessibleStatusBar(static_cast<TStatusBar*>(object));
    return nullptr;
}

}  // namespace

void installAccessibleControls() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleControl);
        return true;
    }();
    (void)installed;
}

TImage::TImage(QWidget* parent) : QWidget(parent) {
    installAccessibleControls();
    setMouseTracking(true);
}

bool TImage::isClickable() const { return isSignalConnected(QMetaMethod::fromSignal(&TImage::clicked)); }

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
    if (!QFile::exists(path)) fail(QStringLiteral("找不到文件 %1。").arg(path));
    try {
        return decodePictureAt(path);
    } catch (const KovuError&) {
        fail(QStringLiteral("图片文件 %1 不能读出。").arg(path));
    }
}

void TImage::loadFromFile(const QString& path) { setPicture(readPictureFile(path)); }

void TImage::paintEvent(QPaintEvent*) {
    if (m_image.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (m_fadeDisabled && !isEnabled()) p.setOpacity(0.3);
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

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) { installAccessibleControls(); }

QRect TStatusBar::panelRect(int i) const {
    int x = 0;
    for (int k = 0; k < panelCount(); ++k) {
        const int w = k == panelCount() - 1 ? width() - x : m_panels.at(k).width;
        if (k == i) return QRect(x, 0, w, height());
        x += w;
    }
    return {};
}

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
    if (m_panels.at(i).text == text) return;
    m_panels[i].text = text;
    update();
    // A screen reader follows what the panel says (the clock, the practice's summary).
    if (QAccessible::isActive()) {
        if (QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(this)) {
            if (QAccessibleInterface* panel = bar->child(i)) {
                QAccessibleEvent e(panel, QAccessible::NameChanged);
                QAccessible::updateAccessibility(&e);
            }
        }
    }
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
