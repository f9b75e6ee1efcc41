#include "practice/PracticePanel.h"

namespace kovu {

PracticePanel::PracticePanel(FormContext& ctx, QWidget* parent) : QFrame(parent), m_ctx(ctx) {
    setObjectName("pan1");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setGeometry(1, 1, 792, 547);
    imgTx = makeControl<TImage>(this, "imgTx", 15, 235, 400, 300);
    imgTx->setStretch(true);
    butKs = makeControl<QPushButton>(this, "butKs", 430, 468, 94, 68);
    butKs->setText("开 始");
    hide();
}

void PracticePanel::RecordDesignGeometry() {
    for (QWidget* w : findChildren<QWidget*>()) {
        if (!w->objectName().isEmpty()) m_ctx.state.Design.insert(w->objectName(), w->geometry());
    }
}

void PracticePanel::LayoutPracticePanel() {
    const int s = m_ctx.state.LayoutScale;
    for (auto it = m_ctx.state.Design.constBegin(); it != m_ctx.state.Design.constEnd(); ++it) {
        QWidget* w = findChild<QWidget*>(it.key());
        if (!w) continue;
        const QRect& r = it.value();
        w->setGeometry(r.left() * s / 100, r.top() * s / 100, r.width() * s / 100, r.height() * s / 100);
    }
    const QRect d(1, 1, 792, 547);
    setGeometry(d.left() * s / 100, 1, d.width() * s / 100,
                m_ctx.form.formHeight() - m_ctx.state.CaptionAllowance - 53);
}

}  // namespace kovu
