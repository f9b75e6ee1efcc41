#include <gtest/gtest.h>

#include "PracticeFixture.h"
#include "data/QueryModel.h"

using namespace kovu;
using namespace kovu::test;

namespace {

QColor background(QWidget* w) { return w->palette().color(QPalette::Window); }
QColor textColour(QWidget* w) { return w->palette().color(QPalette::WindowText); }

}  // namespace

TEST(PracticeSession, TestSessionScoresRecordsAndCyclesTheAnswerButton) {
    PracticeScreen s({/*type*/ 0, /*maxDigit*/ 9, /*picture*/ 0});
    s.openConditions();
    s.test();
    s.start({3, 5});
    PracticePanel* p = s.pan1;
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(s.form->formWidth(), 800);
    EXPECT_EQ(s.form->formHeight(), 600);
    EXPECT_EQ(s.form->statusText(1), "算术练习： 一位数加法 最大数字：9 (测验)");
    EXPECT_EQ(s.form->statusText(2), "开始:08:05:12");
    EXPECT_EQ(p->lblCj->text(), "0");
    EXPECT_EQ(p->lblJg->text(), "开始计算");
    EXPECT_EQ(background(p->lblJg), QColor(0, 255, 0));
    EXPECT_EQ(p->lblT0->text(), "用键盘输入答案后回车或确定");
    EXPECT_EQ(p->butKs->text(), "确定或回车");
    EXPECT_EQ(p->lblSs->text(), "3 + 5 = ");
    EXPECT_FALSE(p->imgFx->isVisible());
    EXPECT_TRUE(p->butCj->isEnabled());
    EXPECT_TRUE(s.rows().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), p->edtJg);
    // The answer box sits right of the question.
    EXPECT_EQ(p->edtJg->x(), p->lblSs->x() + p->lblSs->width() + 8);

    // Right.
    s.answer("8");
    EXPECT_EQ(p->lblJg->text(), "算对了！");
    EXPECT_EQ(background(p->lblJg), QColor(0, 255, 255));
    EXPECT_EQ(p->lblBc->text(), "100");
    EXPECT_EQ(textColour(p->lblBc), QColor(Qt::red));
    EXPECT_EQ(p->lblCj->text(), "100");
    EXPECT_EQ(p->lblTh->text(), "第1次");
    EXPECT_EQ(p->butKs->text(), "下题或回车");
    EXPECT_EQ(p->lblT0->text(), "请按回车或确定显示下题");
    EXPECT_TRUE(p->imgDh->isVisible());
    EXPECT_FALSE(p->lblYd->isVisible());
    EXPECT_EQ(s.rows(), QStringList({"1|3 + 5 = 8|100|100"}));

    // The next question: the button waits for a change of the answer box.
    s.next({2, 2});
    EXPECT_EQ(p->lblSs->text(), "2 + 2 = ");
    EXPECT_EQ(p->edtJg->text(), "");
    EXPECT_EQ(p->butKs->text(), "确定或回车");
    EXPECT_FALSE(p->butKs->isEnabled());
    EXPECT_FALSE(p->imgDh->isVisible());
    EXPECT_EQ(p->lblJg->text(), "开始计算");
    EXPECT_EQ(background(p->lblJg), QColor(0, 255, 0));
    s.answer("4");
    EXPECT_EQ(p->lblCj->text(), "100");
    EXPECT_EQ(p->lblTh->text(), "第2次");

    // Wrong: 3 + 5 = 7.
    s.next({3, 5});
    s.answer("7");
    EXPECT_EQ(p->lblJg->text(), "算错了！");
    EXPECT_EQ(background(p->lblJg), QColor(255, 255, 0));
    EXPECT_EQ(p->lblBc->text(), "0");
    EXPECT_EQ(textColour(p->lblBc), QColor(Qt::black));
    EXPECT_EQ(p->lblCj->text(), "66");
    EXPECT_EQ(textColour(p->lblCj), QColor(Qt::black));
    EXPECT_EQ(p->lblTh->text(), "第3次");
    EXPECT_TRUE(p->lblYd->isVisible());
    EXPECT_EQ(p->lblYd->text(), "应 = 8");
    EXPECT_EQ(s.rows(), QStringList({"1|3 + 5 = 8|100|100", "2|2 + 2 = 4|100|100", "3|3 + 5 = 7|0|66"}));
    EXPECT_EQ(p->AnsweredCount(), 3);
    EXPECT_EQ(p->ScoreTotal(), 200);
    // Enter while the verdict is shown makes one new question, never two.
    s.next({1, 1, 6, 6});
    EXPECT_EQ(p->lblSs->text(), "1 + 1 = ");
    EXPECT_EQ(s.rows().size(), 3);
    EXPECT_TRUE(s.platform.dlg().log.empty());

    // A second test session leaves only its own records.
    s.click(p->butFh);
    EXPECT_FALSE(p->isVisible());
    EXPECT_TRUE(s.panTj->isVisible());
    EXPECT_EQ(s.panSs->rgp1->itemIndex(), 0);
    EXPECT_EQ(s.form->formWidth(), 640);
    EXPECT_EQ(s.form->statusText(2), "");
    s.start({4, 4});
    s.answer("8");
    EXPECT_EQ(s.rows(), QStringList({"1|4 + 4 = 8|100|100"}));
    EXPECT_EQ(p->lblCj->text(), "100");
}

TEST(PracticeSession, BadAnswersAreRefusedAndLeaveTheQuestionOpen) {
    PracticeScreen s({/*type*/ 2});
    s.openConditions();
    s.test();
    s.start({2, 1, 7, 5});  // 27 + 15
    PracticePanel* p = s.pan1;
    ASSERT_EQ(p->lblSs->text(), "27 + 15 = ");
    // An empty answer box and Enter does nothing.
    pressEnter(p->edtJg);
    EXPECT_EQ(p->butKs->text(), "确定或回车");
    EXPECT_TRUE(s.platform.dlg().log.empty());
    for (const QString bad : {"abc", " ", "-", "99999999999", "4 2"}) {
        s.platform.dlg().clear();
        p->edtJg->clear();
        s.answer(bad);
        ASSERT_EQ(s.platform.dlg().log.size(), 1u) << bad.toStdString();
        const LoggedMessage& m = s.platform.dlg().log.front();
        EXPECT_TRUE(m.text.contains("不是一个整数")) << m.text.toStdString();
        EXPECT_TRUE(m.text.contains(bad)) << m.text.toStdString();
        EXPECT_EQ(m.icon, MsgIcon::Critical);
        // Nothing scored, nothing recorded, the result not given away.
        EXPECT_EQ(p->butKs->text(), "确定或回车");
        EXPECT_EQ(p->lbl4->text(), "");
        EXPECT_FALSE(p->lblJ1->isVisible());
        EXPECT_EQ(p->lblTh->text(), "");
        EXPECT_EQ(p->lblCj->text(), "0");
        EXPECT_EQ(p->lblJg->text(), "开始计算");
        EXPECT_EQ(p->AnsweredCount(), 0);
        EXPECT_TRUE(s.rows().isEmpty());
    }
    // The same question is still answered normally.
    p->edtJg->clear();
    s.answer("42");
    EXPECT_EQ(p->lblJg->text(), "算对了！");
    EXPECT_EQ(p->lbl4->text(), "42");
    EXPECT_TRUE(p->lblJ1->isVisible());
    EXPECT_EQ(s.rows(), QStringList({"1|27 + 15 = 42|100|100"}));
}

TEST(PracticeSession, ScorePanelListsTheRunningSessionReadOnly) {
    PracticeScreen s({0, 9, 0});
    s.openConditions();
    s.test();
    s.start({1, 2});
    PracticePanel* p = s.pan1;
    auto* model = qobject_cast<QueryModel*>(p->dbgCj->model());
    ASSERT_NE(model, nullptr);
    // Before the first answer the list is empty, with the score table's columns.
    s.click(p->butCj);
    EXPECT_TRUE(p->panCj->isVisible());
    EXPECT_EQ(p->butCj->text(), "关成绩(&C)");
    EXPECT_EQ(p->panCj->geometry(), QRect(684 - 540, 2, 540, 600 - 8 - 54));
    EXPECT_EQ(p->dbgCj->size(), QSize(512, 600 - 8 - 100));
    EXPECT_EQ(p->lblLc->text(), "算术练习成绩");
    EXPECT_EQ(model->rowCount(), 0);
    ASSERT_EQ(model->columnCount(), 5);
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "题目");
    EXPECT_EQ(p->dbgCj->editTriggers(), QAbstractItemView::NoEditTriggers);
    s.click(p->butCj);
    EXPECT_FALSE(p->panCj->isVisible());
    EXPECT_EQ(p->butCj->text(), "成绩(&C)");

    s.answer("3");
    s.next({2, 2});
    s.answer("5");
    s.click(p->butCj);
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), "1 + 2 = 3");
    EXPECT_EQ(model->data(model->index(1, 1)).toString(), "2 + 2 = 5");
    EXPECT_EQ(model->data(model->index(1, 3)).toInt(), 50);
    EXPECT_FALSE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    // The X closes it as well.
    s.click(p->butCh);
    EXPECT_FALSE(p->panCj->isVisible());
    EXPECT_EQ(p->butCj->text(), "成绩(&C)");
    EXPECT_EQ(QApplication::focusWidget(), p->edtJg);

    // Returning with the panel open and starting again closes it.
    s.click(p->butCj);
    ASSERT_TRUE(p->panCj->isVisible());
    EXPECT_EQ(model->rowCount(), 2);
    s.click(p->butFh);
    s.start({1, 1});
    EXPECT_FALSE(p->panCj->isVisible());
    EXPECT_EQ(p->butCj->text(), "成绩(&C)");
    EXPECT_EQ(model->rowCount(), 0);
}

TEST(PracticeSession, ReviewCoversTheScoreBoxAndRecordsNothing) {
    PracticeScreen s({/*type*/ 5});
    s.openConditions();
    s.test();
    s.start({4, 1, 2, 7});
    s.answer("25");
    ASSERT_EQ(s.rows().size(), 1);
    s.click(s.pan1->butFh);

    s.review();
    s.start({4, 1, 2, 7});
    PracticePanel* p = s.pan1;
    EXPECT_EQ(s.form->statusText(1), "算术练习： 二位数减法 最大数字：9 (复习)");
    EXPECT_TRUE(p->imgFx->isVisible());
    EXPECT_EQ(p->imgFx->geometry(), QRect(2, 2, p->pan3->width() - 4, p->pan3->height() - 4));
    EXPECT_FALSE(p->butCj->isEnabled());
    EXPECT_EQ(p->lblJg->text(), "算术复习");
    EXPECT_EQ(p->lblT0->text(), "请按回车或确定显示下题");
    EXPECT_FALSE(p->edtJg->hasFrame());
    EXPECT_EQ(QApplication::focusWidget(), p->butKs);
    // The first item with its answer: 42 - 17 = 25 with the borrow mark.
    EXPECT_EQ(p->lblSs->text(), "42 - 17 = ");
    EXPECT_EQ(p->edtJg->text(), "25");
    EXPECT_EQ(p->lbl1->text(), "42");
    EXPECT_EQ(p->lbl2->text(), "-17");
    EXPECT_EQ(p->lbl4->text(), "25");
    EXPECT_TRUE(p->lbl4->isVisible());
    EXPECT_TRUE(p->lblJ1->isVisible());
    // Enter on the focused answer button shows the next item, and the caption stays.
    s.platform.draws = {4, 1, 7, 2};  // 47 - 12: no borrow
    pressEnter(p->butKs);
    EXPECT_EQ(p->lblSs->text(), "47 - 12 = ");
    EXPECT_EQ(p->edtJg->text(), "35");
    EXPECT_FALSE(p->lblJ1->isVisible());
    EXPECT_EQ(p->butKs->text(), "确定或回车");
    // Nothing was recorded: the test session's record stays.
    EXPECT_EQ(s.rows(), QStringList({"1|42 - 17 = 25|100|100"}));
}

TEST(PracticeSession, WindowSizeAndLayoutFollowTheScreen) {
    // With 自动充满屏幕 on and a 1024-pixel screen: 1024 x 768 at scale 128.
    PracticeScreen s({0, 9, 0, false, /*fit*/ true});
    ASSERT_TRUE(s.panTj->chkPm->isChecked());
    s.openConditions();
    s.test();
    s.start({3, 4});
    PracticePanel* p = s.pan1;
    EXPECT_EQ(s.form->formWidth(), 1024);
    EXPECT_EQ(s.form->formHeight(), 768);
    EXPECT_EQ(s.form->state().LayoutScale, 128);
    EXPECT_EQ(s.form->state().LayoutWidth, 1024);
    EXPECT_EQ(p->butKs->geometry(), QRect(430 * 128 / 100, 468 * 128 / 100, 94 * 128 / 100, 68 * 128 / 100));
    EXPECT_EQ(p->pan2->geometry(), QRect(20, 25, 962, 256));
    EXPECT_EQ(p->imgTx->geometry(), QRect(19, 300, 512, 384));
    EXPECT_EQ(p->geometry(), QRect(1, 1, 792 * 128 / 100, 768 - 8 - 53));
    EXPECT_EQ(p->lblJg->font().pointSize(), 64 * 128 / 100);
    EXPECT_EQ(p->lblSs->font().pointSize(), 92);
    EXPECT_EQ(p->butKs->font().pointSize(), 15);
    EXPECT_EQ(p->lbl1->font().pointSize(), 30);
    EXPECT_EQ(p->lbl1->x(), 1024 * 100 / 434);
    EXPECT_EQ(p->lbl1->y(), 96 * 128 / 100);
    EXPECT_EQ(p->lblJ1->pos(), QPoint(1024 * 100 / 404, 128 * 149 / 100));
    // The counting frames at this scale.
    EXPECT_EQ(p->shpT1->geometry().left(), 128 * 220 / 100);
    EXPECT_EQ(p->shpT1->width(), 128 * 92 / 100);
    EXPECT_EQ(p->imgT.at(0)->geometry(), QRect(282 * 128 / 100, 152 * 128 / 100, 37, 37));

    // Fitting off: 800 x 600 at scale 100, and the layout goes back to its design places.
    s.click(p->butFh);
    s.click(s.panTj->chkPm);
    EXPECT_EQ(s.setting("自动适应屏幕").toInt(), 0);
    s.start({3, 4});
    EXPECT_EQ(s.form->formWidth(), 800);
    EXPECT_EQ(s.form->formHeight(), 600);
    EXPECT_EQ(s.form->state().LayoutScale, 100);
    EXPECT_EQ(p->butKs->geometry(), QRect(430, 468, 94, 68));
    EXPECT_EQ(p->imgTx->geometry(), QRect(15, 235, 400, 300));
    EXPECT_EQ(p->lblJg->font().pointSize(), 64);
    EXPECT_EQ(p->lbl1->x(), 800 * 100 / 434);
    EXPECT_EQ(p->shpT1->geometry(), QRect(220, 150, 92, 33));
}

TEST(PracticeSession, ExitEndsTheProgram) {
    PracticeScreen s({2});
    s.openConditions();
    s.start({1, 1, 1, 1});
    ASSERT_TRUE(s.form->isVisible());
    s.click(s.pan1->butTc);
    EXPECT_FALSE(s.form->isVisible());
}

TEST(PracticeSession, NarrowScreensPractiseAtTheScreenWidth) {
    FakePlatform platform;
    platform.screen = QSize(640, 480);
    TestFolder folder;
    folder.writeSmallDb();
    auto form = makeForm(platform, folder);
    form->show();
    ASSERT_TRUE(form->panTj->chkPm->isChecked());
    EXPECT_FALSE(form->panTj->chkPm->isEnabled());
    form->imgSsClick();
    form->panTj->panSs->rgp1->click(2);
    form->panTj->bitQd->click();
    EXPECT_EQ(form->formWidth(), 640);
    EXPECT_EQ(form->formHeight(), 480);
    EXPECT_EQ(form->state().LayoutScale, 80);
    EXPECT_EQ(form->pan1->butKs->geometry(), QRect(344, 374, 75, 54));
    EXPECT_EQ(form->pan1->lblSs->font().pointSize(), 57);
}

TEST(PracticeSession, AcceleratorsReturnAndStart) {
    PracticeScreen s({2});
    s.openConditions();
    s.test();
    s.platform.draws = {1, 1, 1, 1};
    QTest::keyClick(s.form.get(), Qt::Key_Q, Qt::AltModifier);
    QTRY_VERIFY(s.pan1->isVisible());
    EXPECT_EQ(s.pan1->lblSs->text(), "11 + 11 = ");
    QTest::keyClick(s.form.get(), Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(!s.pan1->isVisible());
    EXPECT_TRUE(s.panSs->isVisible());
    EXPECT_EQ(s.form->formWidth(), 640);
}

TEST(PracticeSession, ReviewRunsOnTheDeliveredDatabase) {
    FakePlatform platform;
    TestFolder folder;
    folder.copyDeliveredDb();
    auto form = makeForm(platform, folder);
    form->show();
    QTest::mouseClick(form->imgSs, Qt::LeftButton);
    TRadioGroup* rgp3 = form->panTj->panSs->rgp3;
    ASSERT_GE(rgp3->count(), 2);
    EXPECT_TRUE(rgp3->items().contains("苹果"));
    rgp3->click(1);
    ASSERT_TRUE(form->pan1->imgT.at(0)->hasPicture());
    EXPECT_EQ(form->pan1->imgT.at(0)->picture(), form->pan1->imgP.at(8)->picture());
    form->panTj->panSs->rgp1->click(0);
    form->panTj->panSs->rgp2->click(8);
    platform.draws = {2, 6};
    form->panTj->bitQd->click();
    EXPECT_EQ(form->pan1->lblSs->text(), "2 + 6 = ");
    EXPECT_EQ(form->pan1->edtJg->text(), "8");
    EXPECT_TRUE(form->pan1->imgTx->hasPicture());
    EXPECT_TRUE(platform.dlg().log.empty());
    auto c = openDb(folder.db());
    EXPECT_EQ(c->scalar("SELECT 图例图片 FROM yesz").toInt(), 1);
    EXPECT_EQ(c->scalar("SELECT 最大数字 FROM yesz").toInt(), 9);
}

TEST(PracticeSession, FailedWritesLeaveTheScreenTheCountersAndTheTablesAsTheyWere) {
    PracticeScreen s({/*type*/ 0, /*maxDigit*/ 9, /*picture*/ 0});
    PracticePanel* p = s.pan1;
    // Records of an earlier test, and a settings row that refuses to change.
    {
        auto c = openDb(s.folder.db());
        c->exec("INSERT INTO sscj (序号, 题目, 得分, 平均分, 时间) VALUES (1, '1 + 1 = 2', 100, 100, NULL)");
        c->exec("CREATE TRIGGER keep BEFORE UPDATE ON yesz BEGIN SELECT RAISE(ABORT, '设置被锁定'); END");
    }
    s.openConditions();
    s.choose(s.panSs->rgp2, 2);
    s.test();
    s.start({2, 1});
    ASSERT_EQ(s.platform.dlg().log.size(), 1u);
    EXPECT_TRUE(s.platform.dlg().log.front().text.contains("设置被锁定"));
    EXPECT_FALSE(p->isVisible());
    EXPECT_TRUE(s.panTj->isVisible());
    EXPECT_EQ(s.form->formWidth(), 640);
    EXPECT_EQ(s.rows(), QStringList({"1|1 + 1 = 2|100|100"}));
    EXPECT_EQ(s.setting("最大数字").toInt(), 9);

    // The settings can be written again; now the score record is refused once.
    {
        auto c = openDb(s.folder.db());
        c->exec("DROP TRIGGER keep");
        c->exec("CREATE TABLE refuse (n INTEGER)");
        c->exec("INSERT INTO refuse VALUES (1)");
        c->exec(
            "CREATE TRIGGER once BEFORE INSERT ON sscj WHEN (SELECT count(*) FROM refuse) > 0 "
            "BEGIN SELECT RAISE(ABORT, '成绩不能保存'); END");
    }
    s.platform.dlg().clear();
    s.start({2, 1});
    ASSERT_TRUE(p->isVisible());
    EXPECT_TRUE(s.rows().isEmpty());
    EXPECT_EQ(s.setting("最大数字").toInt(), 3);
    s.answer("3");
    ASSERT_EQ(s.platform.dlg().log.size(), 1u);
    EXPECT_TRUE(s.platform.dlg().log.front().text.contains("成绩不能保存"));
    // Nothing of the verdict: the question is still open, the counters have not moved.
    EXPECT_EQ(p->lblJg->text(), "开始计算");
    EXPECT_EQ(p->butKs->text(), "确定或回车");
    EXPECT_EQ(p->lblCj->text(), "0");
    EXPECT_EQ(p->lblTh->text(), "");
    EXPECT_EQ(p->AnsweredCount(), 0);
    EXPECT_FALSE(s.form->db().tabCj.isOpen());
    EXPECT_TRUE(s.rows().isEmpty());
    // Judged again once the table takes records.
    openDb(s.folder.db())->exec("DELETE FROM refuse");
    s.platform.dlg().clear();
    pressEnter(p->edtJg);
    EXPECT_TRUE(s.platform.dlg().log.empty());
    EXPECT_EQ(p->lblJg->text(), "算对了！");
    EXPECT_EQ(p->lblTh->text(), "第1次");
    EXPECT_EQ(s.rows(), QStringList({"1|2 + 1 = 3|100|100"}));
}
