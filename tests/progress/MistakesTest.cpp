// The mistakes again: only the current child's mistakes chosen on the selection screens (spbCt),
// and an arithmetic test that asks the fitting mistakes first (chkCt).
#include <gtest/gtest.h>

#include <QSet>

#include "ProgressFixture.h"
#include "practice/Captions.h"

using namespace kovu;
using namespace kovu::test;

namespace {

// The child's number by name.
int childId(const QString& db, const QString& name) {
    return openDb(db)->scalar("SELECT 编号 FROM yexs WHERE 姓名 = ?", {name}).toInt();
}

}  // namespace

TEST(Mistakes, SpbCtChoosesExactlyTheCurrentChildsMistakes) {
    ProgressScreen s;
    const QString db = s.folder.db();
    const int own = childId(db, "小朋友");
    {
        auto c = openDb(db);
        c->exec("INSERT INTO yexs (编号, 姓名) VALUES (5, '乐乐'), (3, 'Amy')");
        // 小朋友: 行 wrong (both its readings are chosen then), 口 wrong and later right.
        addAnswer(*c, own, "p", 1, "行", 0, "xin");
        addAnswer(*c, own, "p", 1, "口", 0, "ko");
        addAnswer(*c, own, "p", 2, "口", 100, "kou");
        // 乐乐: 地 and 人 in pinyin; Amy: English only, 苹果 and 跑 wrong, 书 wrong then right.
        addAnswer(*c, 5, "p", 1, "地", 0);
        addAnswer(*c, 5, "p", 1, "人", 0);
        addAnswer(*c, 3, "y", 1, "苹果", 0);
        addAnswer(*c, 3, "y", 1, "跑", 0);
        addAnswer(*c, 3, "y", 1, "书", 0);
        addAnswer(*c, 3, "y", 2, "书", 100);
    }
    // A mistake made through the window: 天 answered wrong in a pinyin test.
    s.openPinyin();
    s.test();
    s.start({0});
    ASSERT_EQ(s.pan1->lblSs->text(), QStringLiteral("天"));
    s.answer("tan");
    s.back();
    ItemSelection* py = s.panTj->panPy;
    ASSERT_TRUE(py->spbCt->isVisible());
    EXPECT_EQ(py->spbCt->text(), QStringLiteral("错题(&W)"));
    auto c = openDb(db);
    const QStringList before = chosenRows(*c, "yepy");
    ASSERT_EQ(before, (QStringList{"天 tian", "长 chang", "长 zhang"}));
    const QStringList leftBefore = itemTexts(py->lstKt);
    const QStringList rightBefore = itemTexts(py->lstXz);

    // No: nothing changes.
    s.platform.dlg().answer(MsgResult::No);
    s.click(py->spbCt);
    ASSERT_EQ(s.platform.dlg().log.size(), 1u);
    EXPECT_EQ(s.platform.dlg().log[0].text, QStringLiteral("只选中小朋友的错题？"));
    EXPECT_EQ(s.platform.dlg().log[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(chosenRows(*c, "yepy"), before);
    EXPECT_EQ(itemTexts(py->lstXz), rightBefore);

    // Yes: exactly the rows of 天 and of 行 are chosen, and the right-hand list shows them.
    s.platform.dlg().clear();
    s.platform.dlg().answer(MsgResult::Yes);
    s.click(py->spbCt);
    EXPECT_EQ(s.platform.dlg().texts(), QStringList{QStringLiteral("只选中小朋友的错题？")});
    EXPECT_EQ(chosenRows(*c, "yepy"), (QStringList{"天 tian", "行 hang", "行 xing"}));
    EXPECT_EQ(itemTexts(py->lstXz), (QStringList{"天(tian 1)", "行(hang 2)", "行(xing 2)"}));
    EXPECT_EQ(py->lbl02->text(), QStringLiteral("课本中选中的文字(共3个)"));
    EXPECT_EQ(itemTexts(py->lstKt), leftBefore);
    EXPECT_TRUE(py->spbXc->isEnabled());
    EXPECT_TRUE(s.panTj->bitQd->isEnabled());
    EXPECT_EQ(c->scalar("SELECT count(*) FROM yepy WHERE 选中 IS NOT 0 AND 选中 IS NOT 1").toInt(), 0);

    // 乐乐's mistakes, while a write of the choice fails half-way: every flag stays as it was.
    chooseFromCombo(s.panTj->cboXs, QStringLiteral("乐乐"));
    c->exec(
        "CREATE TRIGGER no_choice BEFORE UPDATE OF 选中 ON yepy WHEN NEW.文字 = '人' BEGIN "
        "SELECT RAISE(ABORT, 'disk full'); END");
    s.platform.dlg().clear();
    s.platform.dlg().answer(MsgResult::Yes);
    s.click(py->spbCt);
    ASSERT_EQ(s.platform.dlg().log.size(), 2u);
    EXPECT_EQ(s.platform.dlg().log[0].text, QStringLiteral("只选中乐乐的错题？"));
    EXPECT_TRUE(s.platform.dlg().log[1].text.contains("disk full"));
    EXPECT_EQ(chosenRows(*c, "yepy"), (QStringList{"天 tian", "行 hang", "行 xing"}));
    EXPECT_EQ(itemTexts(py->lstXz), (QStringList{"天(tian 1)", "行(hang 2)", "行(xing 2)"}));
    c->exec("DROP TRIGGER no_choice");
    s.platform.dlg().clear();
    s.platform.dlg().answer(MsgResult::Yes);
    s.click(py->spbCt);
    EXPECT_EQ(chosenRows(*c, "yepy"), (QStringList{"地 di", "人 ren"}));
    EXPECT_EQ(itemTexts(py->lstXz), (QStringList{"地(di 4)", "人(ren 2)"}));

    // Amy has no pinyin mistakes: she is told so, asked nothing, and nothing changes.
    chooseFromCombo(s.panTj->cboXs, "Amy");
    s.platform.dlg().clear();
    s.click(py->spbCt);
    EXPECT_EQ(s.platform.dlg().texts(), QStringList{QStringLiteral("Amy现在没有错题。")});
    EXPECT_EQ(chosenRows(*c, "yepy"), (QStringList{"地 di", "人 ren"}));
    EXPECT_EQ(itemTexts(py->lstXz), (QStringList{"地(di 4)", "人(ren 2)"}));

    // English: Amy's two mistakes, by their meanings (run(跑) but not run(奔跑)).
    s.openEnglish();
    EXPECT_EQ(s.panTj->cboXs->currentText(), "Amy");
    const QStringList englishLeft = itemTexts(py->lstKt);
    s.platform.dlg().clear();
    s.platform.dlg().answer(MsgResult::Yes);
    // By its key this time, as the caption offers.
    QTest::keyClick(s.form.get(), Qt::Key_W, Qt::AltModifier);
    QTRY_COMPARE(s.platform.dlg().log.size(), 1u);
    EXPECT_EQ(s.platform.dlg().texts(), QStringList{QStringLiteral("只选中Amy的错题？")});
    EXPECT_EQ(chosenRows(*c, "yydc"), (QStringList{"apple 苹果", "run 跑"}));
    EXPECT_EQ(itemTexts(py->lstXz), (QStringList{"apple(苹果)", "run(跑)"}));
    EXPECT_EQ(itemTexts(py->lstKt), englishLeft);
    // The pinyin choice is not the English one's business.
    EXPECT_EQ(chosenRows(*c, "yepy"), (QStringList{"地 di", "人 ren"}));
    // 乐乐 has no English mistakes.
    chooseFromCombo(s.panTj->cboXs, QStringLiteral("乐乐"));
    s.platform.dlg().clear();
    s.click(py->spbCt);
    EXPECT_EQ(s.platform.dlg().texts(), QStringList{QStringLiteral("乐乐现在没有错题。")});
    EXPECT_EQ(chosenRows(*c, "yydc"), (QStringList{"apple 苹果", "run 跑"}));
}

TEST(Mistakes, ChkCtAsksTheFittingArithmeticMistakesFirstEachOnce) {
    ProgressScreen s;  // one-digit addition, largest digit 8: digits 0 to 7
    const QString db = s.folder.db();
    const int own = childId(db, "小朋友");
    {
        auto c = openDb(db);
        c->exec("INSERT INTO yexs (编号, 姓名) VALUES (5, '乐乐')");
        addAnswer(*c, own, "s", 1, "3+4", 0);
        addAnswer(*c, own, "s", 1, "7+0", 0);
        addAnswer(*c, own, "s", 1, "6+6", 0);
        // Outside the conditions: a digit of 8, another kind, a two-digit operand.
        addAnswer(*c, own, "s", 1, "8+1", 0);
        addAnswer(*c, own, "s", 1, "3-1", 0);
        addAnswer(*c, own, "s", 1, "12+5", 0);
        // No mistake any more, and another child's.
        addAnswer(*c, own, "s", 1, "2+6", 0);
        addAnswer(*c, own, "s", 2, "2+6", 100);
        addAnswer(*c, 5, "s", 1, "1+1", 0);
    }
    s.openConditions();
    ASSERT_TRUE(s.panTj->chkCt->isVisible());
    EXPECT_EQ(s.panTj->chkCt->text(), QStringLiteral("错题优先"));
    EXPECT_FALSE(s.panTj->chkCt->isChecked());

    // Unchecked, a test asks as it always did; 5+2 answered wrong is a mistake from now on.
    s.test();
    s.start({5, 2});
    ASSERT_EQ(s.sum(), "5+2");
    s.answer("8");
    s.back();

    // Checked and stored; the stored value is what the screen shows when it opens.
    s.click(s.panTj->chkCt);
    auto c = openDb(db);
    const QString stored = "SELECT 值 FROM yepz WHERE 名称 = '错题优先'";
    EXPECT_EQ(c->scalar(stored).toString(), "1");
    c->exec("UPDATE yepz SET 值 = '0' WHERE 名称 = '错题优先'");
    s.openConditions();  // closes
    s.openConditions();
    EXPECT_FALSE(s.panTj->chkCt->isChecked());
    s.click(s.panTj->chkCt);
    EXPECT_EQ(c->scalar(stored).toString(), "1");
    s.openConditions();
    s.openConditions();
    EXPECT_TRUE(s.panTj->chkCt->isChecked());
    // Not on the pinyin screen.
    s.openPinyin();
    EXPECT_FALSE(s.panTj->chkCt->isVisible());
    s.openPinyin();
    s.openConditions();

    const QSet<QString> fitting{"3+4", "7+0", "6+6", "5+2"};
    // Each test: the fitting mistakes once each, in the order of the shuffle's draws, all answered
    // wrong so they stay; then an ordinary question from the drawing.
    auto runTest = [&](std::initializer_list<int> shuffle) {
        s.test();
        s.start(shuffle);
        QStringList asked;
        for (int i = 0; i < fitting.size(); ++i) {
            if (i > 0) s.next();
            asked << s.sum();
            EXPECT_EQ(s.pan1->lblSs->text(), QString(asked.last()).replace("+", " + ") + " = ");
            s.answer(QString::number(s.result() + 1));
            EXPECT_EQ(s.pan1->butKs->text(), captions::kNextSum);
        }
        s.next({1, 2});
        EXPECT_EQ(s.sum(), "1+2");
        s.answer("3");
        s.back();
        return asked;
    };
    const QStringList first = runTest({3, 2, 1});
    EXPECT_EQ(QSet<QString>(first.begin(), first.end()), fitting);
    EXPECT_EQ(first.size(), fitting.size());
    // The log holds the test as it was asked.
    const QStringList log = answerRows(db);
    QStringList items;
    for (const QString& row : log.mid(log.size() - 5)) items << row.section('|', 4, 4);
    EXPECT_EQ(items, first + QStringList{"1+2"});

    // Other draws, another order of the same mistakes.
    const QStringList second = runTest({0, 0, 0});
    EXPECT_EQ(QSet<QString>(second.begin(), second.end()), fitting);
    EXPECT_NE(second, first);

    // A review is unchanged: its first sum is drawn.
    s.review();
    s.start({4, 1});
    EXPECT_EQ(s.sum(), "4+1");
    s.back();
    // Another child gets only her own mistake first: one, so no draw is taken for the order.
    chooseFromCombo(s.panTj->cboXs, QStringLiteral("乐乐"));
    s.test();
    s.start({6, 1});
    EXPECT_EQ(s.sum(), "1+1");
    s.answer("2");
    s.next();
    EXPECT_EQ(s.sum(), "6+1");
    EXPECT_TRUE(s.platform.dlg().log.empty()) << s.platform.dlg().texts().join(" / ").toStdString();
}
