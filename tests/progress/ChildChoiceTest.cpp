// The child is chosen on each conditions screen; the choice is stored at once and the answers of a
// test go to that child.
#include <gtest/gtest.h>

#include "ProgressFixture.h"

using namespace kovu;
using namespace kovu::test;

namespace {

// Every visible control of the conditions panel's strip and of the kind's own panel that the
// child's label or box would cover.
void expectWholeAndAlone(ConditionsPanel* panTj, const std::string& where) {
    for (QWidget* mine : {static_cast<QWidget*>(panTj->lblXs), static_cast<QWidget*>(panTj->cboXs)}) {
        ASSERT_TRUE(mine->isVisible()) << where;
        EXPECT_TRUE(panTj->rect().contains(mine->geometry())) << where;
        EXPECT_LE(mine->sizeHint().width(), mine->width()) << mine->objectName().toStdString() << where;
        for (QWidget* other : panTj->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (other == panTj->lblXs || other == panTj->cboXs || !other->isVisible()) continue;
            EXPECT_FALSE(mine->geometry().intersects(other->geometry()))
                << mine->objectName().toStdString() << " covers " << other->objectName().toStdString()
                << where;
        }
    }
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
