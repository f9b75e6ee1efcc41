#include "practice/ArithmeticChoices.h"

#include "data/PictureStore.h"
#include "data/Query.h"
#include "data/Settings.h"
#include "platform/ErrorHandler.h"
#include "practice/ConditionsPanel.h"

namespace kovu {

void restoreChoice(TRadioGroup* group, int index) {
    if (index < 0 || index >= group->count()) {
        group->setItemIndex(-1);
        return;
    }
    if (group->itemIndex() != index) group->click(index);
}

ArithmeticChoices::ArithmeticChoices(FormContext& ctx, ConditionsPanel* conditions, QWidget* parent)
    : QFrame(parent), m_ctx(ctx), m_conditions(conditions) {
    setObjectName("panSs");
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setGeometry(641, 2, 488, 377);
    setAutoFillBackground(true);

    rgp1 = makeControl<TRadioGroup>(this, "rgp1", 10, 8, 190, 360);
    rgp1->setTitle("计算程度选择");
    rgp1->setItems({"一位数加法", "一二位数加法", "二位数加法", "一位数减法", "二一位数减法", "二位数减法",
                    "一位数乘法"});
    rgp2 = makeControl<TRadioGroup>(this, "rgp2", 210, 8, 268, 150);
    rgp2->setTitle("最大数字选择");
    rgp2->setColumns(2);
    rgp2->setItems({"1", "2", "3", "4", "5", "6", "7", "8", "9"});
    rgp2->setEnabled(false);
    rgp3 = makeControl<TRadioGroup>(this, "rgp3", 210, 166, 268, 202);
    rgp3->setTitle("例图图形选择");
    rgp3->setColumns(2);
    for (TRadioGroup* g : {rgp1, rgp2, rgp3}) setFontOf(g, "宋体", 12);

    connect(rgp1, &TRadioGroup::clicked, this, guarded([this] { rgp1Click(); }));
    connect(rgp2, &TRadioGroup::clicked, this, guarded([this] { rgp2Click(); }));
    connect(rgp3, &TRadioGroup::clicked, this, guarded([this] { rgp3Click(); }));
    hide();
}

void ArithmeticChoices::OpenArithmeticConditions() {
    Query& q = m_ctx.db.aquTp;
    // The usable example pictures: a number, a picture and a name.
    q.close();
    q.setSql("SELECT * FROM yetl");
    q.open();
    QStringList names;
    for (q.first(); !q.eof(); q.next()) {
        if (q.text("图号").isEmpty() || q.isNull(1)) continue;
        const QString name = q.text("图名");
        if (!name.isEmpty()) names << name;
    }
    q.close();
    rgp3->setItems(names);

    // The stored choices, set as the user would set them; read apart from the picture rows.
    Query& settings = m_ctx.db.aquCx;
    openSettingsRow(settings);
    const bool noPictures = settings.boolean("不显示例图");
    const int type = settings.integer("算术类型");
    const int digit = settings.integer("最大数字");
    const int picture = settings.integer("图例图片");
    settings.close();
    m_conditions->chkLt->setChecked(noPictures);
    m_conditions->RestoreMistakesFirst();
    restoreChoice(rgp1, type);
    restoreChoice(rgp2, digit - 1);
    restoreChoice(rgp3, picture);
}

void ArithmeticChoices::rgp1Click() {
    const int type = rgp1->itemIndex();
    m_conditions->chkLt->setEnabled(false);
    if (type == 0 || type == 3 || type == 6) {
        rgp2->setEnabled(true);
        if (type != 6) rgp3->setEnabled(true);
        m_conditions->chkLt->setEnabled(true);
    } else {
        // Two-digit sums need no further choice.
        m_conditions->bitQd->setEnabled(true);
        rgp2->setEnabled(false);
        rgp3->setEnabled(false);
    }
    // Multiplication has no counting pictures.
    if (type == 6) rgp3->setEnabled(false);
}

void ArithmeticChoices::rgp2Click() {
    if (rgp1->itemIndex() >= 0) m_conditions->bitQd->setEnabled(true);
}

void ArithmeticChoices::rgp3Click() {
    m_conditions->bitQd->setEnabled(true);
    const int i = rgp3->itemIndex();
    if (i < 0) return;
    LoadExamplePicture(m_ctx.db.aquTp, rgp3->items().at(i), m_countingPictures);
}

}  // namespace kovu
