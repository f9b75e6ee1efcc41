// The child is chosen on each conditions screen; the choice is stored at once and the answers of a
// test go to that child.
#include <gtest/gtest.h>

#include "ProgressFixture.h"

using namespace kovu;
using namespace kovu::test;

namespace {

// A control of the conditions screens: shown, whole inside its panel, its text fitting, and
// covering no other visible control of that panel.
void expectWholeAndAlone(QWidget* mine, const std::string& where) {
    const std::string name = mine->objectName().toStdString();
    ASSERT_TRUE(mine->isVisible()) << name << where;
    QWidget* panel = mine->parentWidget();
    EXPECT_TRUE(panel->rect().contains(mine->geometry())) << name << where;
    EXPECT_LE(mine->sizeHint().width(), mine->width()) << name << where;
    for (QWidget* other : panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other == mine || !other->isVisible()) continue;
        EXPECT_FALSE(mine->geometry().intersects(other->geometry()))
            << name << " covers " << other->objectName().toStdString() << where;
    }
}

// The child's label and box, with the kind's own controls of the mistakes.
void expectWholeAndAlone(ConditionsPanel* panTj, const std::string& where) {
    for (QWidget* mine : {static_cast<QWidget*>(panTj->lblXs), static_cast<QWidget*>(panTj->cboXs)})
        expectWholeAndAlone(mine, where);
    if (panTj->panSs->isVisible()) expectWholeAndAlone(panTj->chkCt, where);
    if (panTj->panPy->isVisible()) expectWholeAndAlone(panTj->panPy->spbCt, where);
}

}  // namespace

TEST(ChildChoice, EveryConditionsScreenListsTheChildrenAndStoresTheChoice) {
    for (const QSize screen : {QSize(640, 480), QSize(800, 600), QSize(1920, 1080)}) {
        ProgressScreen s;
        s.platform.screen = screen;
        {
            auto c = openDb(s.folder.db());
            c->exec("INSERT INTO yexs (编号, 姓名) VALUES (5, '乐乐'), (3, 'Amy')");
        }
        const std::string at = " at " + std::to_string(screen.width());
        s.openConditions();
        if (screen.width() > 800) s.panTj->chkPm->setChecked(true);
        expectWholeAndAlone(s.panTj, " (arithmetic)" + at);
        EXPECT_EQ(itemTexts(s.panTj->cboXs), (QStringList{"小朋友", "Amy", "乐乐"}));
        EXPECT_EQ(s.panTj->cboXs->currentText(), QStringLiteral("小朋友"));
        chooseFromCombo(s.panTj->cboXs, QStringLiteral("乐乐"));
        EXPECT_EQ(openDb(s.folder.db())->scalar("SELECT 值 FROM yepz WHERE 名称 = '当前学生'").toString(),
                  "5");

        // The other screens show the choice; a test's answers are the chosen child's.
        s.openPinyin();
        expectWholeAndAlone(s.panTj, " (pinyin)" + at);
        EXPECT_EQ(s.panTj->cboXs->currentText(), QStringLiteral("乐乐"));
        chooseFromCombo(s.panTj->cboXs, "Amy");
        s.openEnglish();
        expectWholeAndAlone(s.panTj, " (English)" + at);
        EXPECT_EQ(s.panTj->cboXs->currentText(), QStringLiteral("Amy"));
        s.test();
        s.start({0});
        s.answer("x");
        EXPECT_EQ(answerRows(s.folder.db()).value(0).section('|', 0, 0), "3") << at;
        EXPECT_TRUE(s.platform.dlg().log.empty()) << s.platform.dlg().texts().join(" / ").toStdString();
    }
}
