#include <gtest/gtest.h>

#include "PracticeFixture.h"

using namespace kovu;
using namespace kovu::test;

namespace {

int shownCount(const QList<TImage*>& pictures) {
    int n = 0;
    for (TImage* p : pictures) n += p->isVisible() ? 1 : 0;
    return n;
}

}  // namespace

TEST(ArithmeticExercise, CountingPicturesAndTheirFrames) {
    PracticeScreen s({/*type*/ 0, /*maxDigit*/ 9, /*picture*/ 0});
    s.openConditions();
    s.test();
    s.start({3, 4});
    PracticePanel* p = s.pan1;
    ASSERT_EQ(p->lblSs->text(), "3 + 4 = ");
    EXPECT_EQ(shownCount(p->imgT), 3);
    EXPECT_TRUE(p->imgT.at(2)->isVisible());
    EXPECT_FALSE(p->imgT.at(3)->isVisible());
    EXPECT_EQ(shownCount(p->imgP), 4);
    EXPECT_TRUE(p->imgP.at(3)->isVisible());
    EXPECT_TRUE(p->shpT1->isVisible());
    EXPECT_EQ(p->shpT1->x(), 220);
    EXPECT_EQ(p->shpT1->width(), 92);
    EXPECT_TRUE(p->shpT2->isVisible());
    EXPECT_EQ(p->shpT2->x(), 328);
    EXPECT_EQ(p->shpT2->width(), 124);
    EXPECT_FALSE(p->shpT3->isVisible());
    EXPECT_FALSE(p->lbl1->isVisible());
    EXPECT_FALSE(p->lbl4->isVisible());
    // Every frame lies around its pictures.
    EXPECT_LE(p->shpT1->x(), p->imgT.at(2)->x());
    EXPECT_GE(p->shpT1->geometry().right(), p->imgT.at(0)->geometry().right());
    EXPECT_GE(p->shpT2->geometry().right(), p->imgP.at(3)->geometry().right());
    // A wrong answer takes the pictures away.
    s.answer("6");
    EXPECT_EQ(shownCount(p->imgT) + shownCount(p->imgP), 0);
    EXPECT_FALSE(p->shpT1->isVisible());
    // A sum with a 0 operand has an empty frame for it.
    s.next({0, 2});
    EXPECT_TRUE(p->shpT1->isVisible());
    EXPECT_EQ(p->shpT1->width(), 0);
    EXPECT_EQ(shownCount(p->imgT), 0);
    EXPECT_EQ(shownCount(p->imgP), 2);
    s.click(p->butFh);

    // Subtraction: 7 - 3 hatches the three rightmost pictures of the first operand.
    s.choose(s.panSs->rgp1, 3);
    s.start({7, 3});
    ASSERT_EQ(p->lblSs->text(), "7 - 3 = ");
    EXPECT_EQ(shownCount(p->imgT), 7);
    EXPECT_EQ(shownCount(p->imgP), 0);
    EXPECT_EQ(p->shpT1->geometry(), QRect(100, 150, 212, 33));
    EXPECT_TRUE(p->shpT3->isVisible());
    EXPECT_EQ(p->shpT3->x(), 220);
    EXPECT_EQ(p->shpT3->width(), 92);
    EXPECT_EQ(p->shpT3->brushStyle(), TShape::Brush::FDiagonal);
    EXPECT_FALSE(p->shpT2->isVisible());
    s.answer("4");
    EXPECT_EQ(s.rows(), QStringList({"1|7 - 3 = 4|100|100"}));
    s.click(p->butFh);

    // 不显示例图 hides them in a test, but the review always shows them.
    s.click(s.panTj->chkLt);
    s.start({5, 2});
    EXPECT_EQ(p->lblSs->text(), "5 - 2 = ");
    EXPECT_EQ(shownCount(p->imgT) + shownCount(p->imgP), 0);
    EXPECT_FALSE(p->shpT1->isVisible());
    EXPECT_FALSE(p->shpT3->isVisible());
    s.click(p->butFh);
    s.review();
    s.start({5, 2});
    EXPECT_EQ(p->edtJg->text(), "3");
    EXPECT_EQ(shownCount(p->imgT), 5);
    EXPECT_TRUE(p->shpT3->isVisible());
}

TEST(ArithmeticExercise, ColumnFormWithCarryMarkAndTheRightResultAfterAWrongAnswer) {
    PracticeScreen s({/*type*/ 2});
    s.openConditions();
    s.test();
    s.start({2, 1, 7, 5});  // 27 + 15
    PracticePanel* p = s.pan1;
    EXPECT_EQ(p->lbl1->text(), "27");
    EXPECT_EQ(p->lbl2->text(), "+15");
    EXPECT_TRUE(p->lbl3->isVisible());
    EXPECT_EQ(p->lbl3->height(), 3);
    EXPECT_EQ(p->lbl4->text(), "");
    EXPECT_FALSE(p->lblJ1->isVisible());
    EXPECT_EQ(shownCount(p->imgT), 0);
    s.answer("32");
    EXPECT_EQ(p->lblJg->text(), "算错了！");
    EXPECT_EQ(p->lbl4->text(), "42");
    EXPECT_TRUE(p->lbl4->isVisible());
    EXPECT_TRUE(p->lblJ1->isVisible());
    EXPECT_EQ(p->lblJ1->text(), "1");
    EXPECT_EQ(p->lblYd->text(), "应 = 42");
    EXPECT_EQ(s.rows(), QStringList({"1|27 + 15 = 32|0|0"}));
    // The next question clears the column's result and the mark.
    s.next({2, 1, 1, 5});  // 21 + 15: no carry
    EXPECT_EQ(p->lbl4->text(), "");
    EXPECT_FALSE(p->lblJ1->isVisible());
    EXPECT_FALSE(p->lblYd->isVisible());
    s.answer("36");
    EXPECT_FALSE(p->lblJ1->isVisible());
    EXPECT_EQ(p->lblCj->text(), "50");
    s.click(p->butFh);

    // 一二位数加法 shows the one-digit operand first, 二一位数减法 the two-digit one.
    s.choose(s.panSs->rgp1, 1);
    s.start({4, 2, 6});
    EXPECT_EQ(p->lblSs->text(), "4 + 26 = ");
    EXPECT_EQ(p->lbl2->text(), "+26");
    s.answer("30");
    EXPECT_TRUE(p->lblJ1->isVisible());
    s.click(p->butFh);
    s.choose(s.panSs->rgp1, 4);
    s.start({3, 8, 5});
    EXPECT_EQ(p->lblSs->text(), "35 - 8 = ");
    s.answer("27");
    EXPECT_TRUE(p->lblJ1->isVisible());
    EXPECT_EQ(s.rows(), QStringList({"1|35 - 8 = 27|100|100"}));
}

TEST(ArithmeticExercise, MultiplicationTestLaysCrossesOverTheAsterisks) {
    PracticeScreen s({/*type*/ 6, /*maxDigit*/ 9});
    s.openConditions();
    s.test();
    s.start({6, 7});
    PracticePanel* p = s.pan1;
    EXPECT_EQ(p->lblSs->text(), "6 ＊ 7 = ");
    EXPECT_EQ(p->lbl2->text(), "＊7");
    EXPECT_TRUE(p->imgCh->isVisible());
    EXPECT_TRUE(p->imgC1->isVisible());
    EXPECT_EQ(p->imgCh->geometry(), QRect(p->lblSs->x() + 95 + 72 - 50, p->lblSs->y() + 12, 64, 72));
    EXPECT_EQ(p->imgC1->geometry(), QRect(p->lbl2->x() + 12, p->lbl2->y() + 4, 22, 24));
    s.answer("42");
    EXPECT_EQ(s.rows(), QStringList({"1|6 ＊ 7 = 42|100|100"}));
    // Largest digit 3: every factor below 3.
    s.click(p->butFh);
    s.choose(s.panSs->rgp2, 2);
    s.platform.draws.clear();
    s.click(s.panTj->bitQd);
    for (int i = 0; i < 30; ++i) {
        const QStringList parts = p->lblSs->text().split(' ');
        ASSERT_GE(parts.size(), 3);
        EXPECT_LT(parts.at(0).toInt(), 3);
        EXPECT_LT(parts.at(2).toInt(), 3);
        s.answer("0");
        s.next();
    }
}

TEST(ArithmeticExercise, MultiplicationReviewStepsThroughTheTable) {
    PracticeScreen s({/*type*/ 6, /*maxDigit*/ 9});
    s.openConditions();
    s.review();
    s.start();
    PracticePanel* p = s.pan1;
    EXPECT_EQ(p->lblSs->text(), "1 * 1 = 1 ");
    EXPECT_EQ(p->lblYd->text(), "口诀：一一得一  ");
    EXPECT_TRUE(p->lblYd->isVisible());
    EXPECT_FALSE(p->edtJg->isVisible());
    EXPECT_FALSE(p->lbl1->isVisible());
    EXPECT_TRUE(p->imgCh->isVisible());
    EXPECT_EQ(p->imgCh->geometry(), QRect(p->lblSs->x() + 20 + 72, p->lblSs->y() + 12, 64, 72));
    EXPECT_TRUE(p->butKs->isEnabled());
    QStringList lines{p->lblSs->text()};
    for (int k = 2; k <= 45; ++k) {
        pressEnter(p->butKs);
        lines << p->lblSs->text();
    }
    EXPECT_EQ(lines.at(3), "1 * 3 = 3 ");
    EXPECT_EQ(lines.at(36), "1 * 9 =  9");
    EXPECT_EQ(p->lblSs->text(), "9 * 9 = 81");
    EXPECT_EQ(p->lblYd->text(), "口诀：九九八十一");
    EXPECT_TRUE(s.platform.dlg().log.empty());
    // After line 45 the review asks; Cancel stays on line 45 and asks again next time.
    s.platform.dlg().answer(MsgResult::Cancel);
    pressEnter(p->butKs);
    ASSERT_EQ(s.platform.dlg().log.size(), 1u);
    const LoggedMessage& m = s.platform.dlg().log.front();
    EXPECT_EQ(m.title, "操作提示");
    EXPECT_EQ(m.text, "一位乘法复习已经完成，如果再重新复习一遍，\n\n请按《确定》；否则按《取消》。");
    EXPECT_EQ(m.icon, MsgIcon::Question);
    EXPECT_EQ(m.buttons, MsgButtons::OkCancel);
    EXPECT_EQ(p->lblSs->text(), "9 * 9 = 81");
    EXPECT_EQ(p->arithmetic().MnemonicIndex, 45);
    // OK starts again at line 1.
    s.platform.dlg().answer(MsgResult::Ok);
    pressEnter(p->butKs);
    EXPECT_EQ(s.platform.dlg().log.size(), 2u);
    EXPECT_EQ(p->lblSs->text(), "1 * 1 = 1 ");
    EXPECT_EQ(p->lblYd->text(), "口诀：一一得一  ");
    pressEnter(p->butKs);
    EXPECT_EQ(p->lblSs->text(), "1 * 2 = 2 ");
    EXPECT_TRUE(s.rows().isEmpty());

    // A test after the table review has its answer box again.
    s.click(p->butFh);
    s.test();
    s.start({6, 7});
    EXPECT_TRUE(p->edtJg->isVisible());
    EXPECT_FALSE(p->lblYd->isVisible());
    s.answer("42");
    EXPECT_EQ(p->lblJg->text(), "算对了！");
    EXPECT_EQ(s.rows(), QStringList({"1|6 ＊ 7 = 42|100|100"}));
}
