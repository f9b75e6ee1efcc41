#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "LessonRows.h"
#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "data/Settings.h"
#include "practice/ConditionsPanel.h"
#include "practice/ItemSelection.h"

using namespace kovu;
using namespace kovu::test;

namespace {

// The form over a small database with the sample curriculum; extra writes what a case needs.
struct Screen {
    FakePlatform platform;
    TestFolder folder;
    std::unique_ptr<TfrmKovu> form;
    ItemSelection* py = nullptr;
    ConditionsPanel* tj = nullptr;

    explicit Screen(const std::function<void(Connection&)>& extra = {}) {
        folder.writeSmallDb();
        {
            auto c = openDb(folder.db());
            writeSampleLessons(*c);
            if (extra) extra(*c);
        }
        form = makeForm(platform, folder);
        form->show();
        tj = form->panTj;
        py = tj->panPy;
    }
    std::unique_ptr<Connection> db() const { return openDb(folder.db()); }
    QStringList chosen(const QString& table = "yepy") const { return chosenRows(*db(), table); }
    QVariant setting(const QString& field) const { return db()->scalar("SELECT " + field + " FROM yesz"); }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    // A check box takes the click on its box, a button anywhere.
    void clickButton(QAbstractButton* b) {
        const QPoint at = qobject_cast<QCheckBox*>(b) ? QPoint(8, b->height() / 2) : b->rect().center();
        QTest::mouseClick(b, Qt::LeftButton, {}, at);
    }
};

void choose(Connection& c, const QString& table, const QString& where) {
    c.exec("UPDATE " + table + " SET 选中 = 1 WHERE " + where);
}

}  // namespace

TEST(ItemSelection, OpeningShowsTheStoredLessonAndEveryChosenItem) {
    Screen s([](Connection& c) {
        c.exec("UPDATE yesz SET 课本号 = 1, 课题号 = 2");
        choose(c, "yepy", "文字 = '人'");
        choose(c, "yydc", "英语 = 'cat'");
    });
    s.click(s.form->imgPy);
    EXPECT_EQ(s.form->state().CurrentPanel, 2);
    EXPECT_EQ(s.form->statusText(1), " 《拼音练习条件设置》");
    EXPECT_TRUE(s.py->isVisible());
    EXPECT_EQ(s.py->x(), 138);
    EXPECT_EQ(itemTexts(s.py->cboKb), QStringList({"1.一年级上", "2.二年级\"下'册\\", "3.三年级"}));
    EXPECT_EQ(s.py->cboKb->currentText(), "1.一年级上");
    // Lessons of textbook 1 in table order; the stored position 2 is lesson 101.
    EXPECT_EQ(itemTexts(s.py->cboK1), QStringList({"102.第二课", "101.第一课", "103.空课", "110.第十课"}));
    EXPECT_EQ(s.py->cboK1->currentText(), "101.第一课");
    // 110101 is not in lesson 101: its 101 starts at position 4 only after 110 at position 1,
    // but the first occurrence of 101 is at position 2.
    EXPECT_EQ(itemTexts(s.py->lstKt), QStringList({"天(tian 1)", "行(hang 2)", "行(xing 2)", "人(ren 2)"}));
    EXPECT_EQ(s.py->lbl04->text(), "课本中包含的文字(共4个)");
    // Only pinyin rows: the chosen English word is not listed.
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"人(ren 2)"}));
    EXPECT_EQ(s.py->lbl02->text(), "课本中选中的文字(共1个)");
    EXPECT_FALSE(s.py->spbXq->isEnabled());
    EXPECT_TRUE(s.py->spbXc->isEnabled());
    EXPECT_TRUE(s.tj->bitQd->isEnabled());
    EXPECT_TRUE(s.tj->chkSd->isVisible());
    EXPECT_TRUE(s.tj->cboKf->isVisible());
    EXPECT_FALSE(s.tj->chkLt->isVisible());

    // Lesson 110 holds the item numbered 110101.
    chooseFromCombo(s.py->cboK1, "110.第十课");
    EXPECT_EQ(itemTexts(s.py->lstKt), QStringList({"地(di 4)"}));
    // A textbook choice lists its lessons, chooses none and keeps the left-hand list.
    chooseFromCombo(s.py->cboKb, "2.二年级\"下'册\\");
    EXPECT_FALSE(s.tj->bitQd->isEnabled());
    EXPECT_EQ(itemTexts(s.py->cboK1), QStringList({"201.二上一", "205.二上五"}));
    EXPECT_EQ(s.py->cboK1->currentText(), "");
    EXPECT_EQ(itemTexts(s.py->lstKt), QStringList({"地(di 4)"}));
    // 全添 without a lesson chooses and adds nothing; the entries still pick their own rows.
    ASSERT_TRUE(s.py->spbXq->isEnabled());
    s.clickButton(s.py->spbXq);
    EXPECT_EQ(s.chosen(), QStringList({"人 ren"}));
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"人(ren 2)"}));
    clickEntry(s.py->lstKt, "地(di 4)");
    EXPECT_EQ(s.chosen(), QStringList({"地 di", "人 ren"}));
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"人(ren 2)", "地(di 4)"}));
    clickEntry(s.py->lstXz, "地(di 4)");
    // 101205 is listed under 205 as well, and can be picked there.
    chooseFromCombo(s.py->cboK1, "205.二上五");
    EXPECT_TRUE(s.tj->bitQd->isEnabled());
    EXPECT_EQ(itemTexts(s.py->lstKt), QStringList({"人(ren 2)", "小(xiao 3)"}));
    clickEntry(s.py->lstKt, "小(xiao 3)");
    EXPECT_EQ(s.chosen(), QStringList({"人 ren", "小 xiao"}));

    // The second click closes the screen.
    s.click(s.form->imgPy);
    EXPECT_EQ(s.form->state().CurrentPanel, 0);
    EXPECT_FALSE(s.py->isVisible());
    EXPECT_FALSE(s.tj->isVisible());
}

TEST(ItemSelection, PickAndDropActOnTheEntryThatWasClicked) {
    Screen s;
    s.click(s.form->imgPy);
    chooseFromCombo(s.py->cboK1, "101.第一课");
    // The row of this reading, not the first row of the character (which is hang).
    clickEntry(s.py->lstKt, "行(xing 2)");
    EXPECT_EQ(s.chosen(), QStringList({"行 xing"}));
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"行(xing 2)"}));
    EXPECT_EQ(s.py->lbl02->text(), "课本中选中的文字(共1个)");
    EXPECT_TRUE(s.py->spbXq->isEnabled());
    EXPECT_TRUE(s.py->spbXc->isEnabled());
    // An entry already on the right changes nothing.
    clickEntry(s.py->lstKt, "行(xing 2)");
    EXPECT_EQ(s.chosen(), QStringList({"行 xing"}));
    EXPECT_EQ(s.py->lstXz->count(), 1);
    clickEntry(s.py->lstKt, "行(hang 2)");
    EXPECT_EQ(s.chosen(), QStringList({"行 hang", "行 xing"}));
    // A new opening lists what was picked.
    s.click(s.form->imgPy);
    s.click(s.form->imgPy);
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"行(hang 2)", "行(xing 2)"}));
    clickEntry(s.py->lstXz, "行(xing 2)");
    EXPECT_EQ(s.chosen(), QStringList({"行 hang"}));
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"行(hang 2)"}));
    EXPECT_EQ(s.py->lbl02->text(), "课本中选中的文字(共1个)");

    // Dropping an entry that was picked under another lesson clears its flag too.
    chooseFromCombo(s.py->cboK1, "101.第一课");
    clickEntry(s.py->lstKt, "天(tian 1)");
    chooseFromCombo(s.py->cboK1, "102.第二课");
    clickEntry(s.py->lstXz, "天(tian 1)");
    clickEntry(s.py->lstXz, "行(hang 2)");
    EXPECT_TRUE(s.chosen().isEmpty());
    EXPECT_EQ(s.py->lstXz->count(), 0);
    EXPECT_FALSE(s.py->spbXc->isEnabled());
    EXPECT_TRUE(s.py->spbXq->isEnabled());

    // A double quote, an apostrophe and a backslash are characters like any other.
    EXPECT_EQ(itemTexts(s.py->lstKt), QStringList({"口(kou 3)", "\"(yin 3)", "'(pie 3)", "\\(xie 2)"}));
    for (const QString& e : {"\"(yin 3)", "'(pie 3)", "\\(xie 2)"}) clickEntry(s.py->lstKt, e);
    EXPECT_EQ(s.chosen(), QStringList({"\" yin", "' pie", "\\ xie"}));
    clickEntry(s.py->lstXz, "'(pie 3)");
    EXPECT_EQ(s.chosen(), QStringList({"\" yin", "\\ xie"}));
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"\"(yin 3)", "\\(xie 2)"}));
    EXPECT_TRUE(s.platform.dlg().log.empty());
}

TEST(ItemSelection, ChooseAllDropAllAndReplaceWriteTheFlagsOfTheLesson) {
    Screen s([](Connection& c) { choose(c, "yydc", "英语 = 'cat'"); });
    s.click(s.form->imgPy);
    chooseFromCombo(s.py->cboK1, "101.第一课");
    s.clickButton(s.py->spbXq);
    EXPECT_EQ(s.chosen(), QStringList({"天 tian", "行 hang", "行 xing", "人 ren"}));
    EXPECT_EQ(itemTexts(s.py->lstXz), itemTexts(s.py->lstKt));
    EXPECT_FALSE(s.py->spbXq->isEnabled());
    EXPECT_TRUE(s.py->spbXc->isEnabled());
    EXPECT_FALSE(s.py->prg1->isVisible());
    EXPECT_EQ(s.py->prg1->value(), 100);
    EXPECT_EQ(s.py->lbl02->text(), "课本中选中的文字(共4个)");

    chooseFromCombo(s.py->cboK1, "102.第二课");
    EXPECT_TRUE(s.py->spbXq->isEnabled());
    s.clickButton(s.py->spbXq);
    chooseFromCombo(s.py->cboK1, "101.第一课");
    s.clickButton(s.py->spbXq);
    // Both lessons, each entry once.
    const QStringList both = {"天(tian 1)", "行(hang 2)", "行(xing 2)", "人(ren 2)",
                              "口(kou 3)",  "\"(yin 3)",  "'(pie 3)",   "\\(xie 2)"};
    EXPECT_EQ(itemTexts(s.py->lstXz), both);
    EXPECT_EQ(s.chosen().size(), 8);
    EXPECT_EQ(s.py->lbl02->text(), "课本中选中的文字(共8个)");

    // 全撤 clears every pinyin flag of every lesson; the English words keep theirs.
    s.clickButton(s.py->spbXc);
    EXPECT_TRUE(s.chosen().isEmpty());
    EXPECT_EQ(s.chosen("yydc"), QStringList({"cat 猫"}));
    EXPECT_EQ(s.py->lstXz->count(), 0);
    EXPECT_EQ(s.py->lbl02->text(), "课本中选中的文字(共0个)");
    EXPECT_FALSE(s.py->spbXc->isEnabled());
    EXPECT_TRUE(s.py->spbXq->isEnabled());
    s.click(s.form->imgPy);
    s.click(s.form->imgPy);
    EXPECT_EQ(s.py->lstXz->count(), 0);

    // 更换 leaves exactly the current lesson chosen.
    chooseFromCombo(s.py->cboK1, "101.第一课");
    clickEntry(s.py->lstKt, "天(tian 1)");
    clickEntry(s.py->lstKt, "人(ren 2)");
    chooseFromCombo(s.py->cboKb, "2.二年级\"下'册\\");
    chooseFromCombo(s.py->cboK1, "201.二上一");
    clickEntry(s.py->lstKt, "大(da 4)");
    chooseFromCombo(s.py->cboKb, "1.一年级上");
    chooseFromCombo(s.py->cboK1, "102.第二课");
    s.clickButton(s.py->spbGh);
    EXPECT_EQ(s.chosen(), QStringList({"口 kou", "\" yin", "' pie", "\\ xie"}));
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"口(kou 3)", "\"(yin 3)", "'(pie 3)", "\\(xie 2)"}));
    EXPECT_EQ(s.chosen("yydc"), QStringList({"cat 猫"}));
    EXPECT_TRUE(s.platform.dlg().log.empty());
}

TEST(ItemSelection, EmptyLessonsNothingChosenAndStoredPlacesPastTheEnd) {
    {
        Screen s;
        s.click(s.form->imgPy);
        // Nothing chosen: 全添 on, 全撤 off.
        EXPECT_EQ(s.py->lstXz->count(), 0);
        EXPECT_EQ(s.py->lbl02->text(), "课本中选中的文字(共0个)");
        EXPECT_TRUE(s.py->spbXq->isEnabled());
        EXPECT_FALSE(s.py->spbXc->isEnabled());
        chooseFromCombo(s.py->cboK1, "103.空课");
        EXPECT_EQ(s.py->lstKt->count(), 0);
        EXPECT_EQ(s.py->lbl04->text(), "课本中包含的文字(共0个)");
        EXPECT_FALSE(s.py->spbXq->isEnabled());
        // Text typed into a box that names no entry changes nothing.
        const QStringList lessons = itemTexts(s.py->cboK1);
        s.py->cboKb->lineEdit()->setFocus();
        s.py->cboKb->lineEdit()->selectAll();
        typeText(s.py->cboKb->lineEdit(), "9.没有");
        pressEnter(s.py->cboKb->lineEdit());
        s.py->cboK1->setFocus();
        EXPECT_EQ(s.py->cboKb->currentText(), "1.一年级上");
        EXPECT_EQ(itemTexts(s.py->cboK1), lessons);
        EXPECT_EQ(s.py->cboK1->currentText(), "103.空课");
        EXPECT_TRUE(s.tj->bitQd->isEnabled());
        EXPECT_EQ(s.py->cboKb->count(), 3);
    }
    {
        // A stored textbook past the end: no textbook, no lessons, an empty left-hand list, and
        // 全添 chooses nothing.
        Screen s([](Connection& c) { c.exec("UPDATE yesz SET 课本号 = 7, 课题号 = 1"); });
        s.click(s.form->imgPy);
        EXPECT_EQ(s.py->cboKb->currentIndex(), -1);
        EXPECT_EQ(s.py->cboKb->currentText(), "");
        EXPECT_EQ(s.py->cboK1->count(), 0);
        EXPECT_EQ(s.py->lstKt->count(), 0);
        ASSERT_TRUE(s.py->spbXq->isEnabled());
        s.clickButton(s.py->spbXq);
        EXPECT_TRUE(s.chosen().isEmpty());
        EXPECT_EQ(s.py->lstXz->count(), 0);
        EXPECT_FALSE(s.py->spbXc->isEnabled());
    }
    {
        Screen s([](Connection& c) { c.exec("UPDATE yesz SET 课本号 = 1, 课题号 = 5"); });
        s.click(s.form->imgPy);
        EXPECT_EQ(s.py->cboK1->count(), 4);
        EXPECT_EQ(s.py->cboK1->currentIndex(), -1);
        EXPECT_EQ(s.py->lstKt->count(), 0);
        EXPECT_EQ(s.py->lbl04->text(), "课本中包含的文字(共0个)");
    }
}

TEST(ItemSelection, SortBoxOrdersBothListsAndBackToTableOrder) {
    Screen s([](Connection& c) { choose(c, "yepy", "文字 IN ('小', '口', '天')"); });
    s.click(s.form->imgPy);
    const QStringList tableOrder = {"口(kou 3)", "\"(yin 3)", "'(pie 3)", "\\(xie 2)"};
    EXPECT_EQ(itemTexts(s.py->lstKt), tableOrder);
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"天(tian 1)", "口(kou 3)", "小(xiao 3)"}));
    s.clickButton(s.tj->chkPx);
    EXPECT_EQ(s.setting("拼音排序").toInt(), 1);
    QStringList sorted = tableOrder;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(itemTexts(s.py->lstKt), sorted);
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"口(kou 3)", "天(tian 1)", "小(xiao 3)"}));
    // Sorted lists keep their order as entries come.
    clickEntry(s.py->lstKt, "\"(yin 3)");
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"\"(yin 3)", "口(kou 3)", "天(tian 1)", "小(xiao 3)"}));
    // The setting holds at the next opening.
    s.click(s.form->imgPy);
    s.click(s.form->imgPy);
    EXPECT_TRUE(s.tj->chkPx->isChecked());
    EXPECT_EQ(itemTexts(s.py->lstKt), sorted);
    s.clickButton(s.tj->chkPx);
    EXPECT_EQ(s.setting("拼音排序").toInt(), 0);
    EXPECT_EQ(itemTexts(s.py->lstKt), tableOrder);
    EXPECT_EQ(itemTexts(s.py->lstXz), QStringList({"天(tian 1)", "口(kou 3)", "\"(yin 3)", "小(xiao 3)"}));
}

TEST(ItemSelection, ToneBoxAndToneDeductionAreStoredAsTheyChange) {
    Screen s;
    s.click(s.form->imgPy);
    EXPECT_FALSE(s.tj->chkSd->isChecked());
    EXPECT_FALSE(s.tj->cboKf->isEnabled());
    EXPECT_FALSE(s.tj->lbl03->isEnabled());
    s.clickButton(s.tj->chkSd);
    EXPECT_EQ(s.setting("标注声调").toInt(), 1);
    EXPECT_TRUE(s.tj->cboKf->isEnabled());
    EXPECT_TRUE(s.tj->lbl03->isEnabled());
    EXPECT_EQ(itemTexts(s.tj->cboKf),
              QStringList({"0", "5", "15", "20", "25", "30", "35", "40", "45", "50"}));
    chooseFromCombo(s.tj->cboKf, "25");
    EXPECT_EQ(s.setting("声调去分").toString(), "25");
    // Closing and opening again shows what was stored.
    s.click(s.form->imgPy);
    s.click(s.form->imgPy);
    EXPECT_EQ(s.tj->cboKf->currentText(), "25");
    EXPECT_TRUE(s.tj->chkSd->isChecked());
    chooseFromCombo(s.tj->cboKf, "0");
    EXPECT_EQ(s.setting("声调去分").toString(), "0");
    // A typed deduction is stored as text.
    s.tj->cboKf->lineEdit()->selectAll();
    typeText(s.tj->cboKf->lineEdit(), "12");
    EXPECT_EQ(s.setting("声调去分").toString(), "12");
    EXPECT_EQ(s.db()->scalar("SELECT typeof(声调去分) FROM yesz").toString(), "text");
    s.clickButton(s.tj->chkSd);
    EXPECT_EQ(s.setting("标注声调").toInt(), 0);
    EXPECT_FALSE(s.tj->cboKf->isEnabled());
}

TEST(ItemSelection, EnglishScreenChoosesWordsByTheirMeaning) {
    Screen s([](Connection& c) {
        c.exec("UPDATE yesz SET 英课本 = 1, 英课题 = 1");
        choose(c, "yepy", "文字 = '天'");
    });
    s.tj->chkLt->setChecked(true);
    s.click(s.form->imgYy);
    EXPECT_EQ(s.form->state().CurrentPanel, 3);
    EXPECT_EQ(s.form->statusText(1), " 《英语练习条件设置》");
    EXPECT_EQ(s.tj->lblNr->text(), "英语练习条件设置");
    EXPECT_FALSE(s.tj->chkSd->isVisible());
    EXPECT_FALSE(s.tj->cboKf->isVisible());
    EXPECT_FALSE(s.tj->lbl03->isVisible());
    EXPECT_TRUE(s.tj->chkPx->isVisible());
    EXPECT_TRUE(s.tj->chkLt->isVisible());
    EXPECT_EQ(s.tj->chkLt->text(), "不显示图片");
    // The English screen does not load the picture box: it keeps its state.
    EXPECT_TRUE(s.tj->chkLt->isChecked());
    EXPECT_EQ(itemTexts(s.py->cboKb), QStringList({"1.Book \"A\"'s\\", "2.Book B"}));
    EXPECT_EQ(itemTexts(s.py->cboK1), QStringList({"101.Unit 1", "102.Unit \"2\"'s\\"}));
    EXPECT_EQ(itemTexts(s.py->lstKt),
              QStringList({"apple(苹果)", "it's(它是)", "say \"hi\"(说\"嗨\")", "back\\slash(反斜杠)"}));
    EXPECT_EQ(s.py->lstXz->count(), 0);
    clickEntry(s.py->lstKt, "say \"hi\"(说\"嗨\")");
    clickEntry(s.py->lstKt, "back\\slash(反斜杠)");
    clickEntry(s.py->lstKt, "it's(它是)");
    EXPECT_EQ(s.chosen("yydc"), QStringList({"it's 它是", "say \"hi\" 说\"嗨\"", "back\\slash 反斜杠"}));
    clickEntry(s.py->lstXz, "say \"hi\"(说\"嗨\")");
    EXPECT_EQ(s.chosen("yydc"), QStringList({"it's 它是", "back\\slash 反斜杠"}));
    // Two meanings of one word are two entries; a pick chooses that meaning's row.
    chooseFromCombo(s.py->cboK1, "102.Unit \"2\"'s\\");
    EXPECT_EQ(itemTexts(s.py->lstKt), QStringList({"book(书)", "run(跑)", "run(奔跑)"}));
    clickEntry(s.py->lstKt, "run(奔跑)");
    EXPECT_EQ(s.chosen("yydc"), QStringList({"it's 它是", "back\\slash 反斜杠", "run 奔跑"}));
    // 全撤 here leaves the pinyin choice alone.
    s.clickButton(s.py->spbXc);
    EXPECT_TRUE(s.chosen("yydc").isEmpty());
    EXPECT_EQ(s.chosen("yepy"), QStringList({"天 tian"}));
    // The sort box is stored from this screen as well.
    s.clickButton(s.tj->chkPx);
    EXPECT_EQ(s.setting("拼音排序").toInt(), 1);
    s.click(s.form->imgYy);
    s.clickButton(s.tj->chkLt);
    s.click(s.form->imgYy);
    EXPECT_FALSE(s.tj->chkLt->isChecked());
    EXPECT_TRUE(s.tj->chkPx->isChecked());
    EXPECT_TRUE(s.platform.dlg().log.empty());
}

TEST(ItemSelection, AFailedWriteLeavesEveryChosenFlagAsItWas) {
    Screen s([](Connection& c) {
        choose(c, "yepy", "文字 IN ('口', '小')");
        // The disk "fails" when 人 is chosen or 小 is dropped.
        c.exec(
            "CREATE TRIGGER fail_choose BEFORE UPDATE OF 选中 ON yepy WHEN NEW.文字 = '人' AND NEW.选中 = 1 "
            "BEGIN SELECT RAISE(ABORT, '磁盘写入失败'); END");
        c.exec(
            "CREATE TRIGGER fail_drop BEFORE UPDATE OF 选中 ON yepy WHEN NEW.文字 = '小' AND NEW.选中 = 0 "
            "BEGIN SELECT RAISE(ABORT, '磁盘写入失败'); END");
    });
    s.click(s.form->imgPy);
    chooseFromCombo(s.py->cboK1, "101.第一课");
    const QStringList before = {"口 kou", "小 xiao"};
    const QStringList shown = {"口(kou 3)", "小(xiao 3)"};
    ASSERT_EQ(s.chosen(), before);
    ASSERT_EQ(itemTexts(s.py->lstXz), shown);
    auto failedOnce = [&s](const char* what) {
        ASSERT_EQ(s.platform.dlg().log.size(), 1u) << what;
        EXPECT_TRUE(s.platform.dlg().log.front().text.contains("磁盘写入失败")) << what;
        s.platform.dlg().clear();
    };

    // 全添 fails at its fourth row: the three rows before it are not left chosen.
    s.clickButton(s.py->spbXq);
    failedOnce("全添");
    EXPECT_EQ(s.chosen(), before);
    EXPECT_EQ(itemTexts(s.py->lstXz), shown);
    EXPECT_FALSE(s.py->prg1->isVisible());
    EXPECT_EQ(s.py->lbl02->text(), "课本中选中的文字(共2个)");

    // 更换 fails in its second half: the dropped flags come back too.
    s.clickButton(s.py->spbGh);
    failedOnce("更换");
    EXPECT_EQ(s.chosen(), before);
    EXPECT_EQ(itemTexts(s.py->lstXz), shown);

    // 全撤 fails at 小: 口 stays chosen as well.
    s.clickButton(s.py->spbXc);
    failedOnce("全撤");
    EXPECT_EQ(s.chosen(), before);
    EXPECT_EQ(itemTexts(s.py->lstXz), shown);
    EXPECT_TRUE(s.py->spbXc->isEnabled());

    // A failed pick adds no entry.
    clickEntry(s.py->lstKt, "人(ren 2)");
    failedOnce("pick");
    EXPECT_EQ(itemTexts(s.py->lstXz), shown);
    EXPECT_EQ(s.chosen(), before);

    // The screen goes on working afterwards.
    clickEntry(s.py->lstKt, "天(tian 1)");
    EXPECT_EQ(s.chosen(), QStringList({"天 tian", "口 kou", "小 xiao"}));
    clickEntry(s.py->lstXz, "口(kou 3)");
    EXPECT_EQ(s.chosen(), QStringList({"天 tian", "小 xiao"}));
    EXPECT_TRUE(s.platform.dlg().log.empty());
}
