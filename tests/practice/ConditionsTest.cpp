#include <gtest/gtest.h>

#include "PracticeFixture.h"

using namespace kovu;
using namespace kovu::test;

TEST(ArithmeticConditions, OpeningListsUsablePicturesAndRestoresTheStoredChoices) {
    PracticeScreen s({/*type*/ 3, /*maxDigit*/ 5, /*picture*/ 1});
    EXPECT_FALSE(s.panTj->isVisible());
    s.openConditions();
    EXPECT_TRUE(s.panTj->isVisible());
    EXPECT_TRUE(s.panSs->isVisible());
    EXPECT_EQ(s.panSs->x(), 138);
    EXPECT_EQ(s.form->statusText(1), " 《算术练习条件设置》");
    EXPECT_EQ(s.panTj->lblNr->text(), "算术练习条件设置");
    // Rows without a number, a picture or a name are never offered.
    EXPECT_EQ(s.panSs->rgp3->items(), QStringList({"苹果", "小鸭"}));
    EXPECT_EQ(s.panSs->rgp1->itemIndex(), 3);
    EXPECT_EQ(s.panSs->rgp2->itemIndex(), 4);
    EXPECT_EQ(s.panSs->rgp3->itemIndex(), 1);
    // The restored choices ran their handlers: subtraction enables digits and pictures, and the
    // picture is in all eighteen counting pictures.
    EXPECT_TRUE(s.panSs->rgp2->isEnabled());
    EXPECT_TRUE(s.panSs->rgp3->isEnabled());
    EXPECT_TRUE(s.panTj->chkLt->isEnabled());
    EXPECT_TRUE(s.panTj->bitQd->isEnabled());
    const QList<TImage*> pictures = s.pan1->countingPictures();
    ASSERT_EQ(pictures.size(), 18);
    for (TImage* p : pictures) {
        ASSERT_TRUE(p->hasPicture()) << p->objectName().toStdString();
        const QColor c = p->picture().pixelColor(50, 50);
        EXPECT_LT(c.red(), 40);
        EXPECT_GT(c.blue(), 200);  // 小鸭 is the blue one
    }
    // Choosing the other picture loads it everywhere.
    s.choose(s.panSs->rgp3, 0);
    EXPECT_GT(pictures.first()->picture().pixelColor(50, 50).red(), 200);
    EXPECT_GT(pictures.last()->picture().pixelColor(50, 50).red(), 200);

    // A second click closes the panel and clears the status panels.
    s.openConditions();
    EXPECT_FALSE(s.panTj->isVisible());
    EXPECT_EQ(s.form->statusText(1), "");
    EXPECT_TRUE(s.platform.dlg().log.empty());
}

TEST(ArithmeticConditions, StartButtonWaitsForAChoiceThatAllowsAStart) {
    // Nothing chosen: the stored type is cleared by an out-of-range value, no digit, no picture.
    PracticeScreen s({/*type*/ -1, 0, -1});
    s.openConditions();
    EXPECT_EQ(s.panSs->rgp1->itemIndex(), -1);
    EXPECT_EQ(s.panSs->rgp2->itemIndex(), -1);
    EXPECT_FALSE(s.panSs->rgp2->isEnabled());
    EXPECT_FALSE(s.panTj->bitQd->isEnabled());
    // A one-digit type alone does not allow a start; a largest digit does.
    s.choose(s.panSs->rgp1, 0);
    EXPECT_TRUE(s.panSs->rgp2->isEnabled());
    EXPECT_TRUE(s.panSs->rgp3->isEnabled());
    EXPECT_FALSE(s.panTj->bitQd->isEnabled());
    s.choose(s.panSs->rgp2, 4);
    EXPECT_TRUE(s.panTj->bitQd->isEnabled());

    // 一位数乘法 after 一位数加法 keeps the digits and greys out the pictures.
    s.choose(s.panSs->rgp1, 6);
    EXPECT_TRUE(s.panSs->rgp2->isEnabled());
    EXPECT_FALSE(s.panSs->rgp3->isEnabled());
    EXPECT_TRUE(s.panTj->chkLt->isEnabled());
    // 二位数加法 needs nothing more and greys out the rest.
    s.choose(s.panSs->rgp1, 2);
    EXPECT_TRUE(s.panTj->bitQd->isEnabled());
    EXPECT_FALSE(s.panSs->rgp2->isEnabled());
    EXPECT_FALSE(s.panSs->rgp3->isEnabled());
    EXPECT_FALSE(s.panTj->chkLt->isEnabled());
}

TEST(ArithmeticConditions, PicturesStartTheButtonAndNoPicturesIsStoredAtOnce) {
    PracticeScreen s({0, 0, -1});
    s.openConditions();
    EXPECT_EQ(s.panSs->rgp1->itemIndex(), 0);
    EXPECT_EQ(s.panSs->rgp2->itemIndex(), -1);  // 最大数字 0: no digit chosen
    EXPECT_FALSE(s.panTj->bitQd->isEnabled());
    s.choose(s.panSs->rgp3, 0);
    EXPECT_TRUE(s.panTj->bitQd->isEnabled());
    EXPECT_EQ(s.setting("不显示例图").toInt(), 0);
    // Ticking 不显示例图 clears the picture choice and stores the tick at once.
    s.click(s.panTj->chkLt);
    EXPECT_TRUE(s.panTj->chkLt->isChecked());
    EXPECT_EQ(s.panSs->rgp3->itemIndex(), -1);
    EXPECT_FALSE(s.panSs->rgp3->isEnabled());
    EXPECT_EQ(s.setting("不显示例图").toInt(), 1);
    // The practice then stores no picture.
    s.choose(s.panSs->rgp2, 2);
    s.start();
    EXPECT_EQ(s.setting("图例图片").toInt(), -1);
    EXPECT_EQ(s.setting("最大数字").toInt(), 3);
    EXPECT_EQ(s.setting("算术类型").toInt(), 0);
    s.click(s.pan1->butFh);
    // Unticking gives the pictures back, stored at once too.
    s.click(s.panTj->chkLt);
    EXPECT_TRUE(s.panSs->rgp3->isEnabled());
    EXPECT_EQ(s.setting("不显示例图").toInt(), 0);

    // Reopening restores the tick from the settings row.
    s.click(s.panTj->chkLt);
    s.openConditions();
    s.openConditions();
    EXPECT_TRUE(s.panTj->chkLt->isChecked());
    EXPECT_FALSE(s.panSs->rgp3->isEnabled());
    EXPECT_TRUE(s.panTj->bitQd->isEnabled());
}

TEST(ArithmeticConditions, AnEmptyPictureTableLeavesNoChoice) {
    PracticeScreen s({0, 3, 0}, /*examplePictures*/ false);
    s.openConditions();
    EXPECT_EQ(s.panSs->rgp3->count(), 0);
    EXPECT_EQ(s.panSs->rgp3->itemIndex(), -1);
    EXPECT_TRUE(s.platform.dlg().log.empty());
    // The largest digit still allows a start.
    EXPECT_TRUE(s.panTj->bitQd->isEnabled());
}

TEST(ArithmeticConditions, ReviewOrTestSetsTheStartButtonAndTheAnswerButton) {
    PracticeScreen s({2});
    s.openConditions();
    s.test();
    EXPECT_EQ(s.panTj->bitQd->text(), "开始测验(&Q)");
    EXPECT_EQ(s.panTj->bitQd->palette().color(QPalette::ButtonText), QColor(128, 0, 128));
    EXPECT_TRUE(s.pan1->butKs->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), s.panTj->bitQd);
    s.review();
    EXPECT_EQ(s.panTj->bitQd->text(), "开始复习(&Q)");
    EXPECT_EQ(s.panTj->bitQd->palette().color(QPalette::ButtonText), QColor(0, 128, 0));
    EXPECT_FALSE(s.pan1->butKs->isEnabled());
}
