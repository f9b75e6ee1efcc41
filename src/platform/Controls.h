#pragma once

#include <QButtonGroup>
#include <QColor>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QList>
#include <QRadioButton>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

// Small controls that behave like the ones the screens were designed with: a picture box that
// can stretch and be clicked, a bevel, a shape, a radio group with an item index and a status bar
// with fixed-width panels.
namespace kovu {

// Makes the self-drawn controls readable by assistive technology (screen readers such as Orca):
// a picture box is a button when something listens to its clicks, otherwise a graphic, with its
// accessible name and description; a status bar shows each panel as a text of its own. Run by
// the controls themselves; calling it again does nothing.
void installAccessibleControls();

// Creates a child widget with both its objectName and geometry set.
template <typename W, typename... Args>
W* makeControl(QWidget* parent, const char* name, int left, int top, int width, int height, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(left, top, width, height);
    return w;
}

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);
    void setPicture(const QImage& image);
    const QImage& picture() const { return m_image; }
    bool hasPicture() const { return !m_image.isNull(); }
    void clearPicture();
    void setStretch(bool on);
    bool stretch() const { return m_stretch; }
    void setTransparent(bool on) {
        m_transparent = on;
        update();
    }
    // A picture button drawn faded while it is disabled (others, such as a preview that is only
    // kept from taking clicks, look the same either way).
    void setFadedWhenDisabled(bool on) {
        m_fadeDisabled = on;
        update();
    }
    // Whether something listens to its clicks: then it is a button.
    bool isClickable() const;
    // Loads a picture file (BMP or JPEG by its name); raises an error when it cannot.
    void loadFromFile(const QString& path);

Q_SIGNALS:
    void clicked();
    void mouseMoved();
    void mousePressed();
    void mouseReleased();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;

private:
    QImage m_image;
    bool m_stretch = false;
    bool m_transparent = false;
    bool m_pressed = false;
    bool m_fadeDisabled = false;
};

class TBevel : public QFrame {
    Q_OBJECT
public:
    explicit TBevel(QWidget* parent = nullptr);
    void setRaised(bool raised);
    bool isRaised() const { return m_raised; }

private:
    bool m_raised = true;
};

class TShape : public QWidget {
    Q_OBJECT
public:
    enum class Brush { Solid, Clear, DiagCross, BDiagonal, FDiagonal, Cross };
    explicit TShape(QWidget* parent = nullptr);
    void setPenColor(const QColor& c) {
        m_pen = c;
        update();
    }
    void setPenWidth(int w) {
        m_penWidth = w;
        update();
    }
    void setBrushColor(const QColor& c) {
        m_brush = c;
        update();
    }
    QColor brushColor() const { return m_brush; }
    void setBrushStyle(Brush b) {
        m_style = b;
        update();
    }
    Brush brushStyle() const { return m_style; }
    void setRounded(bool r) {
        m_rounded = r;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_pen = Qt::black;
    int m_penWidth = 1;
    QColor m_brush = Qt::white;
    Brush m_style = Brush::Solid;
    bool m_rounded = false;
};

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget* parent = nullptr);
    void setItems(const QStringList& items);
    QStringList items() const;
    int count() const { return static_cast<int>(m_buttons.size()); }
    void setColumns(int columns);
    int itemIndex() const;
    // Sets the checked item without a click (-1 clears); use click() to run the handler as a click would.
    void setItemIndex(int index);
    // Checks the item and emits clicked, as a user's click does.
    void click(int index);
    QRadioButton* button(int index) const { return m_buttons.value(index); }

Q_SIGNALS:
    void clicked();

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void relayout();
    QList<QRadioButton*> m_buttons;
    QButtonGroup* m_group;
    int m_columns = 1;
};

class TStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);
    void setPanelCount(int n);
    int panelCount() const { return static_cast<int>(m_panels.size()); }
    void setPanelWidth(int i, int width);
    int panelWidth(int i) const { return m_panels.value(i).width; }
    void setPanelText(int i, const QString& text);
    QString panelText(int i) const { return m_panels.value(i).text; }
    // Where panel i lies in the bar (the last one reaches the right edge).
    QRect panelRect(int i) const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    struct Panel {
        int width = 50;
        QString text;
    };
    QList<Panel> m_panels;
};

// A label with its text, 18 pixels high.
QLabel* makeLabel(QWidget* parent, const char* name, int left, int top, int width, const QString& text);

// The wait cursor while a handler works, put back on every way out: over the whole application, or
// over one widget (a button that works).
class WaitCursor {
public:
    WaitCursor();
    explicit WaitCursor(QWidget* w);
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    QWidget* m_w = nullptr;
};

// Fills a widget's background with a colour (panels and labels with a colour of their own).
// The picture of a file; raises when the file is missing or does not decode.
QImage readPictureFile(const QString& path);

void setBackground(QWidget* w, const QColor& color);
void setTextColor(QWidget* w, const QColor& color);
// Font of a control: family and point size.
void setFontOf(QWidget* w, const QString& family, int pointSize, bool bold = false);

}  // namespace kovu
