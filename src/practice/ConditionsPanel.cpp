#include "practice/ConditionsPanel.h"

namespace kovu {

ConditionsPanel::ConditionsPanel(FormContext& ctx, QWidget* parent) : QFrame(parent), m_ctx(ctx) {
    setObjectName("panTj");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setGeometry(640, 44, 630, 384);

    shpNr = makeControl<TShape>(this, "shpNr", 4, 4, 130, 40);
    shpNr->setBrushColor(Qt::green);
    shpNr->setRounded(true);
    lblNr = makeControl<QLabel>(this, "lblNr", 6, 6, 126, 36);
    lblNr->setAlignment(Qt::AlignCenter);
    lblNr->setWordWrap(true);
    setFontOf(lblNr, "黑体", 11, true);

    rgpNr = makeControl<TRadioGroup>(this, "rgpNr", 4, 50, 130, 46);
    rgpNr->setColumns(2);
    rgpNr->setItems({"复习", "测验"});
    rgpNr->setItemIndex(0);

    chkPm = makeControl<QCheckBox>(this, "chkPm", 8, 104, 126, 20);
    chkPm->setText("自动充满屏幕");
    chkLt = makeControl<QCheckBox>(this, "chkLt", 8, 128, 126, 20);
    chkLt->setText("不显示例图");
    chkSd = makeControl<QCheckBox>(this, "chkSd", 8, 152, 126, 20);
    chkSd->setText("练习中标注声调");
    chkPx = makeControl<QCheckBox>(this, "chkPx", 8, 176, 126, 20);
    chkPx->setText("排序");
    lbl03 = makeControl<QLabel>(this, "lbl03", 8, 202, 126, 36);
    lbl03->setText("声调标注  错误扣分：");
    lbl03->setWordWrap(true);
    cboKf = makeControl<QComboBox>(this, "cboKf", 8, 240, 80, 24);
    cboKf->setEditable(true);
    cboKf->addItems({"0", "5", "15", "20", "25", "30", "35", "40", "45", "50"});

    bitQd = makeControl<QPushButton>(this, "bitQd", 8, 318, 122, 52);
    bitQd->setText("开始复习(&Q)");
    setFontOf(bitQd, "黑体", 11, true);
    setTextColor(bitQd, Qt::darkGreen);
    bitQd->setEnabled(false);

    panSs = makeControl<QFrame>(this, "panSs", 641, 2, 488, 377);
    panSs->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panSs->hide();
    panPy = makeControl<QFrame>(this, "panPy", 138, 2, 488, 377);
    panPy->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panPy->hide();
    hide();
}

}  // namespace kovu
