#include "practice/ConditionsPanel.h"

#include <QSignalBlocker>

#include "data/Preferences.h"
#include "data/Settings.h"
#include "platform/ErrorHandler.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ItemSelection.h"
#include "practice/StrokeOrder.h"
#include "progress/Children.h"

namespace kovu {

ConditionsPanel::ConditionsPanel(FormContext& ctx, QWidget* parent) : QFrame(parent), m_ctx(ctx) {
    setObjectName("panTj");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setGeometry(640, 44, 630, 384);
    // The panel lies over the front picture: it paints its own background.
    setAutoFillBackground(true);

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
    // Arithmetic only, where chkSd (pinyin only) would stand.
    chkCt = makeControl<QCheckBox>(this, "chkCt", 8, 152, 126, 20);
    chkCt->setText("错题优先");
    chkCt->hide();
    chkSd = makeControl<QCheckBox>(this, "chkSd", 8, 152, 126, 20);
    chkSd->setText("练习中标注声调");
    chkPx = makeControl<QCheckBox>(this, "chkPx", 8, 176, 126, 20);
    chkPx->setText("排序");
    // Pinyin only, beside 排序 (ShowTracing).
    chkMh = makeControl<QCheckBox>(this, "chkMh", 70, 176, 64, 20);
    chkMh->setText("描红");
    chkMh->hide();
    // Where each kind has room: moved by ShowReadAloud.
    chkLd = makeControl<QCheckBox>(this, "chkLd", 8, 176, 126, 20);
    chkLd->setText("朗读");
    lbl03 = makeControl<QLabel>(this, "lbl03", 8, 202, 126, 36);
    lbl03->setText("声调标注  错误扣分：");
    lbl03->setWordWrap(true);
    cboKf = makeControl<QComboBox>(this, "cboKf", 8, 240, 80, 24);
    cboKf->setEditable(true);
    cboKf->addItems({"0", "5", "15", "20", "25", "30", "35", "40", "45", "50"});

    // Who practises: the same for the three kinds, between their own choices and the start button.
    lblXs = makeControl<QLabel>(this, "lblXs", 8, 268, 126, 18);
    lblXs->setText("练习者：");
    cboXs = makeControl<QComboBox>(this, "cboXs", 8, 288, 122, 24);

    bitQd = makeControl<QPushButton>(this, "bitQd", 8, 318, 122, 52);
    bitQd->setText("开始复习(&Q)");
    setFontOf(bitQd, "黑体", 11, true);
    setTextColor(bitQd, Qt::darkGreen);
    bitQd->setEnabled(false);

    panSs = new ArithmeticChoices(ctx, this, this);
    panPy = new ItemSelection(ctx, this, this);
    hide();

    // A check box's click handler also runs when the program changes its state.
    connect(chkLt, &QCheckBox::toggled, this, guarded([this](bool) { chkLtClick(); }));
    connect(chkCt, &QCheckBox::toggled, this, guarded([this](bool) { chkCtClick(); }));
    connect(chkMh, &QCheckBox::toggled, this, guarded([this](bool) { chkMhClick(); }));
    connect(chkLd, &QCheckBox::toggled, this, guarded([this](bool) { chkLdClick(); }));
    connect(rgpNr, &TRadioGroup::clicked, this, guarded([this] { rgpNrClick(); }));
    connect(cboXs, &QComboBox::activated, this, guarded([this](int) { cboXsClick(); }));
}

void ConditionsPanel::ListChildren() {
    Connection& c = m_ctx.db.con1;
    const QList<Child> all = kovu::children(c);
    const int current = currentChild(c);
    cboXs->clear();
    for (const Child& child : all) {
        cboXs->addItem(child.name, child.id);
        if (child.id == current) cboXs->setCurrentIndex(cboXs->count() - 1);
    }
}

void ConditionsPanel::cboXsClick() {
    const QVariant id = cboXs->currentData();
    if (id.isValid()) setCurrentChild(m_ctx.db.con1, id.toInt());
}

void ConditionsPanel::setMistakeBook(MistakeBook* book) {
    m_mistakes = book;
    panPy->setMistakeBook(book);
}

void ConditionsPanel::chkCtClick() {
    storePreference(m_ctx.db.con1, kMistakesFirstSetting,
                    chkCt->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void ConditionsPanel::RestoreMistakesFirst() {
    const QSignalBlocker blocker(chkCt);
    chkCt->setChecked(preference(m_ctx.db.con1, kMistakesFirstSetting) == QStringLiteral("1"));
}

void ConditionsPanel::chkMhClick() {
    try {
        storePreference(m_ctx.db.con1, kTracingSetting,
                        chkMh->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    } catch (...) {
        // Not stored: the box shows what is.
        RestoreTracing();
        throw;
    }
}

void ConditionsPanel::ShowTracing(bool pinyin) {
    chkMh->setVisible(pinyin);
    // Both captions are short: 排序 leaves its row's right half to 描红.
    chkPx->resize(pinyin ? chkMh->x() - chkPx->x() - 2 : 126, chkPx->height());
}

void ConditionsPanel::RestoreTracing() {
    const QSignalBlocker blocker(chkMh);
    chkMh->setChecked(preference(m_ctx.db.con1, kTracingSetting) == QStringLiteral("1"));
    chkMh->setEnabled(!m_strokesAvailable || m_strokesAvailable());
}

void ConditionsPanel::chkLdClick() {
    storePreference(m_ctx.db.con1, kReadAloudSetting,
                    chkLd->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void ConditionsPanel::ShowReadAloud(int kind) {
    // Arithmetic below 错题优先, pinyin where 不显示图片 stands for the other two, English below 不显示图片.
    const int top = kind == 1 ? 176 : kind == 2 ? 128 : 152;
    chkLd->move(chkLd->x(), top);
    const QSignalBlocker blocker(chkLd);
    chkLd->setChecked(preference(m_ctx.db.con1, kReadAloudSetting) == QStringLiteral("1"));
}

void ConditionsPanel::chkLtClick() {
    const bool hide = chkLt->isChecked();
    if (hide) {
        panSs->rgp3->setItemIndex(-1);
        panSs->rgp3->setEnabled(false);
        bitQd->setEnabled(true);
    } else {
        panSs->rgp3->setEnabled(true);
    }
    storeSettings(m_ctx.db.aquFz, {{"不显示例图", hide}});
}

void ConditionsPanel::rgpNrClick() {
    const bool test = rgpNr->itemIndex() != 0;
    bitQd->setText(QStringLiteral("开始") + (test ? QStringLiteral("测验") : QStringLiteral("复习")) +
                   "(&Q)");
    setTextColor(bitQd, test ? QColor(128, 0, 128) : QColor(0, 128, 0));
    if (m_butKs) m_butKs->setEnabled(test);
    bitQd->setFocus();
}

}  // namespace kovu
