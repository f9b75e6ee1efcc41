#include "WindowManager.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <vector>

namespace kovu::test {

namespace {

bool takesActivation(const QWidget* w) {
    const Qt::WindowType type = w->windowType();
    return type != Qt::ToolTip && type != Qt::SplashScreen && type != Qt::Desktop &&
           !w->testAttribute(Qt::WA_ShowWithoutActivating);
}

class WindowManager : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override {
        const QEvent::Type type = e->type();
        if (type != QEvent::Show && type != QEvent::Hide) return false;
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || !w->isWindow() || !takesActivation(w)) return false;
        std::erase_if(m_shown, [w](const QPointer<QWidget>& p) { return p.isNull() || p == w; });
        if (type == QEvent::Show) {
            m_shown.push_back(w);
            return false;
        }
        // Only the window holding the activation hands it on; the platform has already queued its
        // loss, so the request below lands after it.
        const QWindow* handle = w->windowHandle();
        const bool held = QApplication::activeWindow() == w ||
                          (handle && QGuiApplication::focusWindow() == handle) ||
                          w->windowType() == Qt::Popup;
        if (!held) return false;
        if (QWidget* next = successor(w)) {
            if (QWindow* h = next->windowHandle()) h->requestActivate();
        }
        return false;
    }

private:
    QWidget* successor(const QWidget* gone) const {
        if (QWidget* p = QApplication::activePopupWidget(); p && p != gone) return p;
        if (QWidget* m = QApplication::activeModalWidget(); m && m != gone && m->isVisible()) return m;
        for (auto it = m_shown.rbegin(); it != m_shown.rend(); ++it) {
            QWidget* w = *it;
            if (w && w != gone && w->isVisible() && w->windowType() != Qt::Popup) return w;
        }
        return nullptr;
    }

    std::vector<QPointer<QWidget>> m_shown;
};

}  // namespace

void emulateWindowManager() {
    static WindowManager* wm = nullptr;
    if (wm) return;
    wm = new WindowManager;
    qApp->installEventFilter(wm);
}

void settleFocus() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

void passThroughModalBox(const QString& title) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    QWidget* below = QApplication::activeWindow();
    QDialog box(below);
    box.setObjectName(QStringLiteral("scriptedModalBox"));
    box.setWindowTitle(title);
    box.setWindowModality(Qt::ApplicationModal);
    box.resize(120, 60);
    box.show();
    (void)QTest::qWaitFor([&] { return QApplication::activeWindow() == &box; }, 1000);
    box.hide();
    if (below) (void)QTest::qWaitFor([&] { return QApplication::activeWindow() == below; }, 1000);
    settleFocus();
}

}  // namespace kovu::test
