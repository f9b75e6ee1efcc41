#include "pictures/PicturePage.h"

#include "platform/Controls.h"

namespace kovu {

PicturePage::PicturePage(FormContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName("tasTp");
    spbYs = makeControl<QPushButton>(this, "spbYs", 420, 318, 96, 26);
    spbYs->setText(QStringLiteral("压缩数据库(&Y)"));
    spbKj = makeControl<QPushButton>(this, "spbKj", 520, 318, 96, 26);
    spbKj->setText(QStringLiteral("建快捷方式(&J)"));
}

}  // namespace kovu
