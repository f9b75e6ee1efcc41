#include "pictures/ConfirmPanel.h"

#include "platform/ImageCodec.h"
#include "platform/ErrorHandler.h"

namespace kovu {

const QString ConfirmPanel::kShortcutConfirm = QStringLiteral("确 定(&K)");
const QString ConfirmPanel::kShortcutCancel = QStringLiteral("取 消(&X)");

ConfirmPanel::ConfirmPanel(FormContext& ctx, QWidget* parent) : QFrame(parent), m_ctx(ctx) {
    setObjectName("panZc");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    setGeometry(142, 128, 356, 170);

    lblZ1 = makeControl<QLabel>(this, "lblZ1", 4, 4, 348, 20);
    setBackground(lblZ1, palette().color(QPalette::Highlight));
    Image2 = makeControl<TImage>(this, "Image2", 7, 6, 16, 16);
    Image2->setStretch(true);
    Image2->setPicture(decodeFormPicture(QStringLiteral("Image2.png")));
    lblZ0 = makeControl<QLabel>(this, "lblZ0", 4, 4, 348, 20);
    lblZ0->setAlignment(Qt::AlignCenter);
    setTextColor(lblZ0, Qt::white);
    butZc = makeControl<QPushButton>(this, "butZc", 332, 6, 18, 16);
    butZc->setText("X");
    butZc->setFocusPolicy(Qt::NoFocus);

    lblZc = makeControl<QLabel>(this, "lblZc", 30, 30, 240, 144);
    lblZc->setWordWrap(true);
    lblZc->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    grbCj = makeControl<QGroupBox>(this, "grbCj", 30, 130, 240, 44);
    grbCj->setTitle(QStringLiteral("裁剪方式选择"));
    rabCc = makeControl<QRadioButton>(grbCj, "rabCc", 16, 18, 100, 20);
    rabCc->setText(QStringLiteral("按原尺寸"));
    rabKg = makeControl<QRadioButton>(grbCj, "rabKg", 126, 18, 100, 20);
    rabKg->setText(QStringLiteral("按宽高比"));

    rgpKj = makeControl<TRadioGroup>(this, "rgpKj", 26, 36, 308, 58);
    rgpKj->setTitle(QStringLiteral("请选择设置快捷方式的位置"));
    rgpKj->setColumns(3);
    rgpKj->setItems({QStringLiteral("在桌面"), QStringLiteral("在快捷条"), QStringLiteral("在开始菜单")});

    spbKs = makeControl<QPushButton>(this, "spbKs", 49, 126, 84, 26);
    spbZb = makeControl<QPushButton>(this, "spbZb", 107, 190, 84, 26);
    spbQz = makeControl<QPushButton>(this, "spbQz", 226, 126, 84, 26);
    setTextColor(spbKs, Qt::red);
    setTextColor(spbZb, QColor(0, 128, 128));
    setTextColor(spbQz, Qt::blue);
    // A disabled button must look disabled, whatever its colour.
    for (QPushButton* b : {spbKs, spbZb, spbQz}) {
        QPalette pal = b->palette();
        pal.setColor(QPalette::Disabled, QPalette::ButtonText,
                     palette().color(QPalette::Disabled, QPalette::ButtonText));
        b->setPalette(pal);
    }

    connect(spbKs, &QPushButton::clicked, this, guarded([this] { spbKsClick(); }));
    connect(spbZb, &QPushButton::clicked, this, guarded([this] { spbZbClick(); }));
    connect(spbQz, &QPushButton::clicked, this, guarded([this] { spbQzClick(); }));
    connect(butZc, &QPushButton::clicked, this, guarded([this] { spbQzClick(); }));
    hide();
}

void ConfirmPanel::dispatch(QPushButton* button) {
    const QString caption = button->text();
    const bool shortcut = caption == kShortcutConfirm || caption == kShortcutCancel;
    const auto& action = shortcut ? shortcutAction : cropAction;
    if (action) action(caption);
}

void ConfirmPanel::spbKsClick() { dispatch(spbKs); }
void ConfirmPanel::spbZbClick() { dispatch(spbZb); }

void ConfirmPanel::spbQzClick() {
    // The "X" of the title bar acts as the third button does with its current caption.
    dispatch(spbQz);
}

}  // namespace kovu
