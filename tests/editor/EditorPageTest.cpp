#include <gtest/gtest.h>

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "EditorFixture.h"

using namespace kovu;
using namespace kovu::test;

TEST(EditorPage, BrowsesTextbooksLessonsAndItemsOfThePinyinTab) {
    Editor e;
    QTest::mouseClick(e.form->imgSz, Qt::LeftButton);
    EXPECT_TRUE(e.form->pagSz->isVisible());
    EXPECT_EQ(e.form->pagSz->currentWidget()->objectName(), "tasTp");
    EXPECT_EQ(e.form->statusText(1), " 屏幕图片设置及压缩数据库");
    e.clickPage(1);
    EXPECT_EQ(e.form->pagSz->tabText(1), "录入生字单词");
    EXPECT_EQ(e.form->statusText(1), " 录入生字或英语单词");
    EXPECT_EQ(e.lr->lblTs->text(), "[拼音生字录入或编辑修改] 请编辑课本或先选择课本");
    EXPECT_EQ(e.lr->EditTable, "yekb");
    EXPECT_EQ(e.lr->rgpFw->items(), QStringList({"课本", "课题", "生字"}));
    EXPECT_EQ(itemTexts(e.lr->cboKt), QStringList({"1.一年级上", "2.二年级\"下'册\\", "3.三年级"}));
    EXPECT_EQ(e.lr->cboKt->currentText(), "");
    // Scope 0: the textbooks by number, read-only boxes, only 添加 usable.
    EXPECT_EQ(e.headers(), QStringList({"课本号", "课本名称"}));
    EXPECT_EQ(e.gridColumn(0), QStringList({"1", "2", "3"}));
    EXPECT_FALSE(e.lr->dbgKb->isEnabled());
    EXPECT_TRUE(e.lr->edtKh->isReadOnly());
    EXPECT_EQ(e.lr->spbTj->text(), "添加(&T)");
    EXPECT_TRUE(e.lr->spbTj->isEnabled());
    EXPECT_FALSE(e.lr->spbXg->isEnabled());
    EXPECT_FALSE(e.lr->spbSc->isEnabled());
    EXPECT_FALSE(e.lr->edtPy->isVisible());
    EXPECT_FALSE(e.lr->chkLx->isVisible());
    EXPECT_FALSE(e.lr->lstK1->isEnabled());

    chooseFromCombo(e.lr->cboKt, "1.一年级上");
    EXPECT_EQ(e.gridColumn(1), QStringList({"一年级上"}));
    EXPECT_EQ(e.lr->edtKh->text(), "1");
    EXPECT_EQ(e.lr->edtKm->text(), "一年级上");
    EXPECT_EQ(e.gridText(), QColor(Qt::red));
    EXPECT_TRUE(e.lr->spbXg->isEnabled());
    EXPECT_TRUE(e.lr->spbSc->isEnabled());
    EXPECT_EQ(e.lr->EditKind, "课本名");

    // Scope 1: the textbook's lessons, in the list in table order and in the grid by number.
    e.clickScope(1);
    EXPECT_EQ(e.lr->EditTable, "yekt");
    EXPECT_TRUE(e.lr->lstK1->isEnabled());
    EXPECT_FALSE(e.lr->cboKt->isEnabled());
    EXPECT_EQ(itemTexts(e.lr->lstK1), QStringList({"102.第二课", "101.第一课", "103.空课", "110.第十课"}));
    EXPECT_EQ(e.gridColumn(0), QStringList({"101", "102", "103", "110"}));
    EXPECT_EQ(e.lr->lblBj->text(), "编辑课题名称和编号");
    EXPECT_EQ(e.lr->lblKh->text(), "编号：");
    EXPECT_EQ(e.lr->lblKm->text(), "课题名：");
    EXPECT_EQ(e.lr->lblTs->text(), "[拼音生字录入或编辑修改] 请先选择课题");
    EXPECT_EQ(e.lr->lblTs->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(e.lr->lblKm->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(e.lr->edtKh->text(), "");
    clickEntry(e.lr->lstK1, "101.第一课");
    EXPECT_EQ(e.lr->edtKh->text(), "101");
    EXPECT_EQ(e.lr->edtKm->text(), "第一课");
    EXPECT_EQ(e.gridColumn(1), QStringList({"第一课"}));
    EXPECT_EQ(e.lr->EditKind, "课题名");

    // Scope 2: the lesson's items by number; 110101 is not one of them.
    e.clickScope(2);
    EXPECT_EQ(e.lr->EditTable, "yepy");
    EXPECT_EQ(e.headers(), QStringList({"编号", "文字", "拼音", "音调", "选中"}));
    EXPECT_EQ(e.gridColumn(1), QStringList({"天", "行", "行", "人"}));
    EXPECT_EQ(e.lr->lblBd->text(), "选择要修改生字(共4个)");
    EXPECT_EQ(e.lr->lblBj->text(), "编辑(101)生字和拼音");
    EXPECT_EQ(e.lr->lblKm->text(), "生字：");
    EXPECT_EQ(e.lr->lbl05->text(), "拼音：");
    EXPECT_EQ(e.lr->lbl06->text(), "声调：");
    EXPECT_EQ(e.lr->lblTs->text(), "[拼音生字录入或编辑修改] 请在右表中选择要修改生字");
    EXPECT_EQ(e.lr->edtKh->width(), 96);
    EXPECT_EQ(e.lr->edtKm->width(), 20);
    EXPECT_EQ(e.lr->edtPy->width(), 67);
    EXPECT_EQ(e.lr->edtSd->width(), 22);
    EXPECT_TRUE(e.lr->edtPy->isVisible());
    EXPECT_TRUE(e.lr->chkLx->isVisible());
    EXPECT_TRUE(e.lr->spbPx->isVisible());
    EXPECT_EQ(e.lr->spbPx->x(), 257);
    EXPECT_EQ(e.lr->spbPx->text(), "生字排序(&P)");
    EXPECT_FALSE(e.lr->spbDy->isVisible());
    EXPECT_TRUE(e.lr->dbgKb->isEnabled());
    EXPECT_EQ(e.gridText(), QColor(Qt::black));

    // A shared item can be deleted but not modified.
    e.clickGridRow(3);
    EXPECT_EQ(e.lr->edtKh->text(), "101205");
    EXPECT_EQ(e.lr->edtKm->text(), "人");
    EXPECT_EQ(e.lr->edtPy->text(), "ren");
    EXPECT_EQ(e.lr->edtSd->text(), "2");
    EXPECT_FALSE(e.lr->spbXg->isEnabled());
    EXPECT_TRUE(e.lr->spbSc->isEnabled());
    EXPECT_EQ(e.lr->EditKind, "生字");
    EXPECT_EQ(e.form->db().aquSb.text("文字"), "人");
    e.clickGridRow(2);
    EXPECT_EQ(e.lr->edtPy->text(), "xing");
    EXPECT_TRUE(e.lr->spbXg->isEnabled());
    EXPECT_EQ(e.form->db().aquSb.text("拼音"), "xing");

    // Another lesson straight from the list.
    clickEntry(e.lr->lstK1, "110.第十课");
    EXPECT_EQ(e.gridColumn(0), QStringList({"110101"}));
    EXPECT_EQ(e.lr->lblBj->text(), "编辑(110)生字和拼音");
    EXPECT_EQ(e.lr->lblBd->text(), "选择要修改生字(共1个)");
    EXPECT_EQ(e.lr->edtKh->text(), "");
    EXPECT_TRUE(e.messages().isEmpty());
}

TEST(EditorPage, ScopesFallBackWhenTheirChoiceIsMissing) {
    Editor e;
    e.enterEditor();
    e.clickScope(1);
    EXPECT_EQ(e.messages(), QStringList({"请先选择课本！"}));
    EXPECT_EQ(e.platform.dlg().log.front().title, "操作提示");
    EXPECT_EQ(e.platform.dlg().log.front().icon, MsgIcon::Information);
    EXPECT_EQ(e.lr->scope(), 0);
    EXPECT_EQ(e.lr->EditTable, "yekb");
    EXPECT_FALSE(e.lr->lstK1->isEnabled());
    e.platform.dlg().clear();

    // Items without a lesson fall back to lessons, and without a textbook on to textbooks.
    e.clickScope(2);
    EXPECT_EQ(e.messages(), QStringList({"请先在左边列表框中选择课题！", "请先选择课本！"}));
    EXPECT_EQ(e.lr->scope(), 0);
    e.platform.dlg().clear();
    chooseFromCombo(e.lr->cboKt, "1.一年级上");
    e.clickScope(2);
    EXPECT_EQ(e.messages(), QStringList({"请先在左边列表框中选择课题！"}));
    EXPECT_EQ(e.lr->scope(), 1);
    EXPECT_EQ(e.lr->EditTable, "yekt");
    EXPECT_EQ(e.lr->lstK1->count(), 4);
    EXPECT_EQ(e.gridColumn(0), QStringList({"101", "102", "103", "110"}));
    e.platform.dlg().clear();

    // Coming back to the page with scope 1 chosen: the refilled combo has no textbook.
    e.clickPage(0);
    EXPECT_EQ(e.form->statusText(1), " 屏幕图片设置及压缩数据库");
    EXPECT_TRUE(e.messages().isEmpty());
    e.clickPage(1);
    EXPECT_EQ(e.messages(), QStringList({"请先选择课本！"}));
    EXPECT_EQ(e.lr->scope(), 0);
    EXPECT_EQ(e.lr->cboKt->currentText(), "");
    EXPECT_EQ(e.lr->cboKt->count(), 3);
    EXPECT_TRUE(e.lr->cboKt->isEnabled());
    EXPECT_EQ(e.gridColumn(0), QStringList({"1", "2", "3"}));
}

TEST(EditorPage, EnglishTabShowsWordsAndTheirPictures) {
    Editor e;
    e.enterEditor();
    chooseFromCombo(e.lr->cboKt, "1.一年级上");
    e.clickScope(1);
    // A tab change returns to scope 0 with the other tab's textbooks.
    e.clickTab(1);
    EXPECT_EQ(e.lr->scope(), 0);
    EXPECT_EQ(e.lr->EditTable, "yykb");
    EXPECT_EQ(e.lr->rgpFw->items(), QStringList({"课本", "课题", "单词"}));
    EXPECT_EQ(itemTexts(e.lr->cboKt), QStringList({"1.Book \"A\"'s\\", "2.Book B"}));
    EXPECT_EQ(e.gridColumn(1), QStringList({"Book \"A\"'s\\", "Book B"}));
    EXPECT_EQ(e.lr->lblTs->text(), "[英语单词录入或编辑修改] 请编辑课本或先选择课本");
    EXPECT_EQ(e.lr->lblTs->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(e.lr->lblBj->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_FALSE(e.lr->lstK1->isEnabled());
    EXPECT_EQ(e.lr->lstK1->count(), 0);

    chooseFromCombo(e.lr->cboKt, "1.Book \"A\"'s\\");
    e.clickScope(1);
    EXPECT_EQ(itemTexts(e.lr->lstK1), QStringList({"101.Unit 1", "102.Unit \"2\"'s\\"}));
    clickEntry(e.lr->lstK1, "101.Unit 1");
    e.clickScope(2);
    EXPECT_EQ(e.lr->EditTable, "yydc");
    EXPECT_EQ(e.headers(), QStringList({"编号", "英语", "音标", "汉语", "图片", "选中"}));
    EXPECT_EQ(e.gridColumn(1), QStringList({"apple", "it's", "say \"hi\"", "back\\slash"}));
    EXPECT_EQ(e.lr->lblBd->text(), "选择要修改单词(共4个)");
    EXPECT_EQ(e.lr->lblBj->text(), "编辑(101)英语单词");
    EXPECT_EQ(e.lr->lblKm->text(), "单词：");
    EXPECT_EQ(e.lr->lbl05->text(), "汉语：");
    EXPECT_EQ(e.lr->lbl06->text(), "音标：");
    EXPECT_EQ(e.lr->edtKm->width(), 100);
    EXPECT_EQ(e.lr->edtPy->width(), 120);
    EXPECT_EQ(e.lr->edtSd->width(), 120);
    EXPECT_TRUE(e.lr->spbDy->isVisible());
    EXPECT_EQ(e.lr->spbDy->text(), "选择图片(&D)");
    EXPECT_EQ(e.lr->spbPx->x(), 314);
    EXPECT_EQ(e.lr->spbPx->text(), "单词排序(&P)");

    // The meaning goes to the third box, the transcription to the fourth; a word's picture
    // shrinks the grid.
    e.clickGridRow(0);
    EXPECT_EQ(e.lr->edtKm->text(), "apple");
    EXPECT_EQ(e.lr->edtPy->text(), "苹果");
    EXPECT_EQ(e.lr->edtSd->text(), "");
    EXPECT_TRUE(e.lr->imgZ0->isVisible());
    EXPECT_EQ(e.lr->imgZ0->picture().size(), QSize(200, 100));
    EXPECT_EQ(e.lr->dbgKb->height(), 148);
    EXPECT_TRUE(e.lr->spbDy->isEnabled());
    e.clickGridRow(2);
    EXPECT_EQ(e.lr->edtKm->text(), "say \"hi\"");
    EXPECT_EQ(e.lr->edtPy->text(), "说\"嗨\"");
    EXPECT_FALSE(e.lr->imgZ0->isVisible());
    EXPECT_EQ(e.lr->dbgKb->height(), 292);

    e.clickGridRow(0);
    e.clickTab(0);
    EXPECT_EQ(e.lr->scope(), 0);
    EXPECT_EQ(e.lr->EditTable, "yekb");
    EXPECT_FALSE(e.lr->imgZ0->isVisible());
    EXPECT_EQ(e.lr->dbgKb->height(), 292);
    EXPECT_FALSE(e.lr->spbPx->isVisible());
    EXPECT_EQ(e.lr->rgpFw->button(2)->text(), "生字");
    EXPECT_EQ(e.lr->lblTs->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(e.messages().isEmpty());
}

TEST(EditorPage, ProposesTheNextNumberOfEachScope) {
    Editor e([](Connection& c) {
        c.exec("DELETE FROM yekt WHERE 编号 = '110'");
        addLesson(c, "yekt", "109", "第九课");
    });
    e.enterEditor();
    EXPECT_EQ(e.lr->navigation().ProposeNumber(), "4");
    chooseFromCombo(e.lr->cboKt, "1.一年级上");
    e.clickScope(1);
    // The last lesson by number is 109, whatever the table order.
    EXPECT_EQ(e.lr->navigation().ProposeNumber(), "110");
    e.clickScope(0);
    chooseFromCombo(e.lr->cboKt, "3.三年级");
    e.clickScope(1);
    EXPECT_EQ(e.lr->lstK1->count(), 0);
    EXPECT_EQ(e.lr->navigation().ProposeNumber(), "301");
    e.clickScope(0);
    chooseFromCombo(e.lr->cboKt, "1.一年级上");
    e.clickScope(1);
    clickEntry(e.lr->lstK1, "102.第二课");
    e.clickScope(2);
    EXPECT_EQ(e.lr->navigation().ProposeNumber(), "102");
    // The grid's record set keeps its place while the proposal is made.
    e.clickGridRow(2);
    const QString current = e.form->db().aquSb.text(1);
    e.lr->navigation().ProposeNumber();
    EXPECT_EQ(e.form->db().aquSb.text(1), current);
}

TEST(EditorPage, ItemNumberCheckReportsMalformedNumbers) {
    Editor e;
    openLesson(e, "1.一年级上", "101.第一课");
    // Without an open addition or modification nothing is checked.
    e.lr->edtKh->setText("1011");
    EXPECT_TRUE(e.lr->navigation().CheckItemNumber());
    EXPECT_TRUE(e.messages().isEmpty());

    // The modification of a row is open (its button reads 确定 while it is).
    e.clickGridRow(0);
    e.lr->spbXg->setText("确定(&X)");
    auto check = [&e](const QString& number) {
        e.platform.dlg().clear();
        e.lr->edtKh->setText(number);
        const bool ok = e.lr->navigation().CheckItemNumber();
        EXPECT_EQ(ok, e.messages().isEmpty()) << number.toStdString();
        return e.messages().isEmpty() ? QString() : e.messages().front();
    };
    const QString head = "编号输入格式错误！请修改。\n\n";
    EXPECT_EQ(check("101101"), head + "(编号有重复！101 = 101)");
    EXPECT_EQ(e.platform.dlg().log.front().title, "操作提示");
    EXPECT_EQ(e.form->focusWidget(), e.lr->edtKh);
    EXPECT_EQ(check("1011"), head + "(字数不对，应等于3的倍数)");
    EXPECT_EQ(check("101999"), head + "(编号[999]不存在！)");
    EXPECT_EQ(check("9991"), head + "(字数不对，应等于3的倍数)\n(编号[999]不存在！)");
    EXPECT_EQ(check("101888102102"), head + "(编号[888]不存在！)\n(编号有重复！102 = 102)");
    // Only neighbours are compared.
    EXPECT_EQ(check("101102101"), "");
    EXPECT_EQ(check("110"), "");
    // The row's own number is not checked at all.
    EXPECT_EQ(e.lr->edtKm->text(), "天");
    EXPECT_EQ(check("101"), "");
    e.clickGridRow(3);
    EXPECT_EQ(check("101205"), "");
    // The check changes no row.
    EXPECT_EQ(openDb(e.folder.db())->scalar("SELECT count(*) FROM yepy WHERE 编号 = '101'").toInt(), 3);
}

TEST(EditorPage, InputMethodBoxListsTheSystemsMethods) {
    {
        Editor e([](Connection& c) { c.exec("UPDATE yesz SET 输入法 = 1"); }, {"中文 - 拼音", "五笔字型"});
        e.enterEditor();
        EXPECT_EQ(itemTexts(e.lr->cboSr), QStringList({"中文 - 拼音", "五笔字型", "不设置"}));
        EXPECT_EQ(e.lr->cboSr->currentText(), "五笔字型");
    }
    {
        // A stored place beyond the list shows the neutral entry.
        Editor e([](Connection& c) { c.exec("UPDATE yesz SET 输入法 = 5"); }, {"中文 - 拼音"});
        e.enterEditor();
        EXPECT_EQ(e.lr->cboSr->currentText(), "不设置");
    }
    {
        Editor e;
        e.enterEditor();
        EXPECT_EQ(itemTexts(e.lr->cboSr), QStringList({"不设置"}));
        EXPECT_EQ(e.lr->cboSr->currentText(), "不设置");
        // The dictionary stays open on the picture query.
        EXPECT_EQ(e.form->db().aquTp.sql(), "SELECT * FROM yefc");
        EXPECT_TRUE(e.form->db().aquTp.isOpen());
    }
}
