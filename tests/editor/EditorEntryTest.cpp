#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <QBuffer>
#include <QFile>
#include <QTest>

#include "EditorFixture.h"
#include "data/ImageCodec.h"
#include "editor/EditorRules.h"

using namespace kovu;
using namespace kovu::test;

namespace {

// A small dictionary: one reading, two readings, a reading without a tone digit.
void addDictionary(Connection& c) {
    for (const auto& [ch, reading] : std::initializer_list<std::pair<const char*, const char*>>{
             {"好", "hao3"}, {"行", "xing2"}, {"行", "hang2"}, {"吗", "ma"}, {"小", "xiao3"}})
        c.exec("INSERT INTO yefc (汉字, 拼音) VALUES (?, ?)",
               {QString::fromUtf8(ch), QString::fromUtf8(reading)});
}

void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

// Focuses a box as a click does and types into it.
void typeInto(QLineEdit* box, const QString& text) {
    box->setFocus(Qt::MouseFocusReason);
    typeText(box, text);
}

QStringList rows(Connection& c, const QString& sql) {
    QStringList out;
    sqlite3_stmt* st = c.prepare(sql, {});
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList cols;
        for (int i = 0; i < sqlite3_column_count(st); ++i) cols << columnValue(st, i).toString();
        out << cols.join(' ');
    }
    sqlite3_finalize(st);
    return out;
}

QString writePicture(const TestFolder& f, const QString& name, int w, int h, const char* format) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(QColor(30, 140, 200));
    const QString path = f.file(name);
    EXPECT_TRUE(img.save(path, format, 95));
    return path;
}

struct ActiveEditor : Editor {
    explicit ActiveEditor(const std::function<void(Connection&)>& extra = {}, const QStringList& ims = {})
        : Editor(
              [extra](Connection& c) {
                  addDictionary(c);
                  if (extra) extra(c);
              },
              ims) {
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    std::unique_ptr<Connection> db() const { return openDb(folder.db()); }
    QString currentGridText(int col) const {
        return lr->dbgKb->model()->index(lr->dbgKb->currentIndex().row(), col).data().toString();
    }
};

}  // namespace

TEST(EditorEntry, AddsCharactersWithTheDictionarysHelpAndSharesEqualItems) {
    ActiveEditor e;
    openLesson(e, "1.一年级上", "101.第一课");
    EditorPage* lr = e.lr;

    // An addition proposes the lesson's number; every box empty gives the whole missing list.
    click(lr->spbTj);
    EXPECT_EQ(lr->spbTj->text(), "保存(&T)");
    EXPECT_EQ(lr->spbXg->text(), "撤消(&X)");
    EXPECT_FALSE(lr->spbSc->isEnabled());
    EXPECT_FALSE(lr->edtKm->isReadOnly());
    EXPECT_EQ(lr->edtKh->text(), "101");
    lr->edtKh->clear();
    click(lr->spbTj);
    EXPECT_EQ(e.messages(), QStringList({"数据录入不全！(编号;文字;拼音;声调;)"}));
    EXPECT_EQ(lr->spbTj->text(), "保存(&T)");
    e.platform.dlg().clear();
    EXPECT_EQ(missingFieldsText(2, true, "101", "ab", "hǎo", "3"),
              "“文字”框中只能输入一位汉字！请修改。“拼音”文字框中只能输入拼音字母！请修改。");
    EXPECT_EQ(missingFieldsText(2, false, "101", "", "", ""), "单词;汉语");
    EXPECT_EQ(missingFieldsText(0, true, "", "", "", ""), "课本号;课本名称;");

    // 好 has one reading: hao and 3, and the tone box gets the focus.
    typeInto(lr->edtKh, "101");
    typeInto(lr->edtKm, "好");
    EXPECT_EQ(lr->edtPy->text(), "hao");
    EXPECT_EQ(lr->edtSd->text(), "3");
    EXPECT_EQ(e.form->focusWidget(), lr->edtSd);
    EXPECT_TRUE(lr->lblTz->isHidden());
    // Enter in the tone box saves; the grid then stands on the stored item.
    pressEnter(lr->edtSd);
    EXPECT_TRUE(e.messages().isEmpty());
    EXPECT_EQ(lr->spbTj->text(), "添加(&T)");
    EXPECT_EQ(lr->spbXg->text(), "修改(&X)");
    EXPECT_TRUE(lr->edtKm->isReadOnly());
    EXPECT_EQ(rows(*e.db(), "SELECT 编号, 拼音, 音调 FROM yepy WHERE 文字 = '好'"),
              QStringList({"101 hao 3"}));
    EXPECT_EQ(e.currentGridText(1), "好");
    EXPECT_EQ(e.form->db().aquSb.text(1), "好");
    EXPECT_EQ(lr->lblBd->text(), "选择要修改生字(共5个)");

    // A modification then changes that very row.
    click(lr->spbXg);
    EXPECT_EQ(lr->spbXg->text(), "确定(&X)");
    EXPECT_EQ(lr->spbTj->text(), "撤消(&T)");
    lr->edtSd->setText("4");
    click(lr->spbXg);
    EXPECT_EQ(rows(*e.db(), "SELECT 音调 FROM yepy WHERE 文字 = '好'"), QStringList({"4"}));
    EXPECT_EQ(lr->spbXg->text(), "修改(&X)");

    // 行 stands twice in this lesson: the earlier entries, the two readings, the duplicate warning.
    click(lr->spbTj);
    typeInto(lr->edtKm, "行");
    EXPECT_EQ(lr->lblTz->text(), "原已录入：\n[101]行hang 2\n[101]行xing 2");
    EXPECT_TRUE(lr->lblTz->isVisible());
    ASSERT_TRUE(lr->lstDy->isVisible());
    EXPECT_EQ(itemTexts(lr->lstDy), QStringList({"xing2", "hang2"}));
    EXPECT_EQ(lr->lstDy->height(), 36);
    clickEntry(lr->lstDy, "xing2");
    EXPECT_FALSE(lr->lstDy->isVisible());
    EXPECT_EQ(lr->edtPy->text(), "xing");
    EXPECT_EQ(lr->edtSd->text(), "2");
    EXPECT_EQ(e.messages(),
              QStringList({"      已录入同一字，请不要重复录入！\n    （可按《撤消》按钮以撤消该录入！）"}));
    EXPECT_FALSE(lr->spbTj->isEnabled());
    e.platform.dlg().clear();
    click(lr->spbXg);  // 撤消
    EXPECT_EQ(lr->spbTj->text(), "添加(&T)");
    EXPECT_EQ(lr->edtKm->text(), "");

    // 小 stands only in 205: adding it here makes it 205101, no second row.
    click(lr->spbTj);
    typeInto(lr->edtKm, "小");
    EXPECT_EQ(lr->edtSd->text(), "3");
    click(lr->spbTj);
    EXPECT_EQ(rows(*e.db(), "SELECT 编号 FROM yepy WHERE 文字 = '小'"), QStringList({"205101"}));
    EXPECT_EQ(e.currentGridText(0), "205101");
    EXPECT_FALSE(lr->spbXg->isEnabled());
    // The same item again in this lesson: the warning while typing, and a save stores nothing.
    click(lr->spbTj);
    typeInto(lr->edtKm, "小");
    EXPECT_EQ(e.messages(),
              QStringList({"      已录入同一字，请不要重复录入！\n    （可按《撤消》按钮以撤消该录入！）"}));
    EXPECT_FALSE(lr->spbTj->isEnabled());
    e.platform.dlg().clear();
    lr->edtKh->clear();
    typeInto(lr->edtKh, "101");
    click(lr->spbTj);
    EXPECT_TRUE(e.messages().isEmpty());
    EXPECT_EQ(lr->spbTj->text(), "添加(&T)");
    EXPECT_EQ(rows(*e.db(), "SELECT count(*) FROM yepy WHERE 文字 = '小'"), QStringList({"1"}));

    // Continuous entry: each 下个 stores and keeps the lesson number; a reading without a digit is tone 0.
    lr->chkLx->setChecked(true);
    click(lr->spbTj);
    EXPECT_EQ(lr->spbTj->text(), "下个(&T)");
    typeInto(lr->edtKm, "吗");
    EXPECT_EQ(lr->edtPy->text(), "ma");
    EXPECT_EQ(lr->edtSd->text(), "0");
    pressEnter(lr->edtSd);
    EXPECT_EQ(lr->spbTj->text(), "下个(&T)");
    EXPECT_EQ(lr->edtKh->text(), "101");
    EXPECT_EQ(lr->edtKm->text(), "");
    EXPECT_EQ(e.form->focusWidget(), lr->edtKm);
    // Letters and keys: Down from the name goes to the pinyin box, quotes are stored as typed.
    typeInto(lr->edtKm, "口");
    QTest::keyClick(lr->edtKm, Qt::Key_Down);
    EXPECT_EQ(e.form->focusWidget(), lr->edtPy);
    typeText(lr->edtPy, "k\"ou'\\");
    QTest::keyClick(lr->edtPy, Qt::Key_Down);
    EXPECT_EQ(e.form->focusWidget(), lr->edtSd);
    typeText(lr->edtSd, "3");
    QTest::keyClick(lr->edtSd, Qt::Key_Down);
    EXPECT_EQ(e.form->focusWidget(), lr->edtKh);
    QTest::keyClick(lr->edtKh, Qt::Key_Up);
    EXPECT_EQ(e.form->focusWidget(), lr->edtSd);
    click(lr->spbTj);
    EXPECT_EQ(rows(*e.db(), "SELECT 编号, 拼音, 音调 FROM yepy WHERE 文字 IN ('吗', '口') ORDER BY rowid"),
              QStringList({"102 kou 3", "101 ma 0", "101 k\"ou'\\ 3"}));
    click(lr->spbXg);  // 撤消 ends the continuous addition; nothing half-entered is stored
    EXPECT_EQ(rows(*e.db(), "SELECT count(*) FROM yepy WHERE 编号 = '' OR 编号 IS NULL"), QStringList({"0"}));
    EXPECT_TRUE(e.messages().isEmpty());
}

TEST(EditorEntry, DeletesItemsLessonsAndTextbooksTogetherOrNotAtAll) {
    ActiveEditor e([](Connection& c) { addCharacter(c, "101103", "山", "shan", "1"); });
    // The item 101205 deleted while lesson 205 is chosen keeps 101.
    e.enterEditor();
    chooseFromCombo(e.lr->cboKt, "2.二年级\"下'册\\");
    e.clickScope(1);
    clickEntry(e.lr->lstK1, "205.二上五");
    e.clickScope(2);
    EXPECT_EQ(e.gridColumn(1), QStringList({"人", "小"}));
    e.clickGridRow(0);
    e.platform.dlg().answer(MsgResult::Ok);
    click(e.lr->spbSc);
    ASSERT_EQ(e.platform.dlg().log.size(), 1u);
    EXPECT_EQ(e.platform.dlg().log[0].title, "删除记录");
    EXPECT_EQ(e.platform.dlg().log[0].icon, MsgIcon::Question);
    EXPECT_EQ(e.platform.dlg().log[0].text,
              "删除这条记录吗？ (生字：人)\n\n如果删除，请按《确定》；否则按《取消》。");
    EXPECT_EQ(rows(*e.db(), "SELECT 编号 FROM yepy WHERE 文字 = '人'"), QStringList({"101"}));
    EXPECT_EQ(e.gridColumn(1), QStringList({"小"}));
    e.platform.dlg().clear();

    // A failure half-way through a lesson's deletion leaves every row and the list as they were.
    e.db()->exec(
        "CREATE TRIGGER fail_second BEFORE UPDATE ON yepy BEGIN SELECT RAISE(ABORT, 'injected'); END");
    e.clickScope(0);
    chooseFromCombo(e.lr->cboKt, "1.一年级上");
    e.clickScope(1);
    clickEntry(e.lr->lstK1, "101.第一课");
    const QStringList before = rows(*e.db(), "SELECT * FROM yepy ORDER BY rowid");
    e.platform.dlg().answer(MsgResult::Ok);
    e.platform.dlg().answer(MsgResult::Yes);
    click(e.lr->spbSc);
    ASSERT_EQ(e.messages().size(), 3);
    EXPECT_EQ(e.messages()[0],
              "删除这条记录吗？ (课题名：第一课)\n\n如果删除，请按《确定》；否则按《取消》。");
    EXPECT_EQ(e.messages()[1], "是否同时删除本课题中的所有生字？\n\n   请注意！如果删除后将无法恢复！");
    EXPECT_TRUE(e.messages()[2].contains("injected"));
    EXPECT_EQ(rows(*e.db(), "SELECT * FROM yepy ORDER BY rowid"), before);
    EXPECT_EQ(rows(*e.db(), "SELECT count(*) FROM yekt WHERE 编号 = '101'"), QStringList({"1"}));
    EXPECT_EQ(e.lr->lstK1->count(), 4);
    EXPECT_EQ(e.gridColumn(0), QStringList({"101"}));
    e.platform.dlg().clear();

    // Without the fault: lesson 101 with its single-lesson items; shared ones lose the group.
    e.db()->exec("DROP TRIGGER fail_second");
    e.platform.dlg().answer(MsgResult::Ok);
    e.platform.dlg().answer(MsgResult::Yes);
    click(e.lr->spbSc);
    EXPECT_EQ(e.messages().size(), 2);
    EXPECT_EQ(rows(*e.db(),
                   "SELECT 编号, 文字 FROM yepy WHERE 文字 IN ('天', '行', '人', '地', '山') ORDER BY rowid"),
              QStringList({"110 地", "103 山"}));
    EXPECT_EQ(itemTexts(e.lr->lstK1), QStringList({"102.第二课", "103.空课", "110.第十课"}));
    EXPECT_FALSE(e.lr->spbSc->isEnabled());
    e.platform.dlg().clear();

    // Textbook 1 with No keeps its lessons; then textbook 2 with Yes takes all of its own.
    e.clickScope(0);
    chooseFromCombo(e.lr->cboKt, "1.一年级上");
    e.platform.dlg().answer(MsgResult::Ok);
    e.platform.dlg().answer(MsgResult::No);
    click(e.lr->spbSc);
    EXPECT_EQ(e.messages()[1], "是否同时删除本课本中的所有课题和生字？\n\n   请注意！如果删除后将无法恢复！");
    EXPECT_EQ(rows(*e.db(), "SELECT count(*) FROM yekt WHERE 编号 LIKE '1%'"), QStringList({"3"}));
    EXPECT_EQ(itemTexts(e.lr->cboKt), QStringList({"2.二年级\"下'册\\", "3.三年级"}));
    EXPECT_EQ(e.lr->cboKt->currentText(), "");
    chooseFromCombo(e.lr->cboKt, "2.二年级\"下'册\\");
    e.platform.dlg().answer(MsgResult::Ok);
    e.platform.dlg().answer(MsgResult::Yes);
    click(e.lr->spbSc);
    EXPECT_EQ(rows(*e.db(), "SELECT count(*) FROM yekt WHERE 编号 LIKE '2%'"), QStringList({"0"}));
    EXPECT_EQ(rows(*e.db(), "SELECT count(*) FROM yepy WHERE 文字 IN ('大', '小')"), QStringList({"0"}));
    EXPECT_EQ(rows(*e.db(), "SELECT count(*) FROM yekb"), QStringList({"1"}));
    // The cascade as a rule: textbook 1 removes the shared item 101103 whole.
    {
        auto c = e.db();
        addCharacter(*c, "101103", "水", "shui", "3");
        addCharacter(*c, "301102", "火", "huo", "3");
        Transaction t(*c);
        removeGroupFromItems(*c, "yepy", "1");
        t.commit();
        EXPECT_EQ(rows(*c, "SELECT 编号 FROM yepy WHERE 文字 IN ('水', '火')"), QStringList({"301"}));
    }
}

TEST(EditorEntry, TextbooksAndLessonsAreNumberedAndRenamedSafely) {
    ActiveEditor e([](Connection& c) {
        c.exec("DELETE FROM yykb");
        c.exec("DELETE FROM yykt");
    });
    e.enterEditor();
    // A new textbook gets the next number; its name is stored as typed, blanks and quotes included.
    click(e.lr->spbTj);
    EXPECT_EQ(e.lr->edtKh->text(), "4");
    typeInto(e.lr->edtKm, " 四\"年'级\\ ");
    click(e.lr->spbTj);
    EXPECT_TRUE(e.messages().isEmpty());
    EXPECT_EQ(rows(*e.db(), "SELECT 课本名称 FROM yekb WHERE 课本号 = '4'"), QStringList({" 四\"年'级\\ "}));
    EXPECT_EQ(itemTexts(e.lr->cboKt).last(), "4. 四\"年'级\\ ");
    // A number taken by another textbook is refused and the addition stays open.
    click(e.lr->spbTj);
    e.lr->edtKh->setText("2");
    typeInto(e.lr->edtKm, "重号");
    click(e.lr->spbTj);
    EXPECT_EQ(e.messages(),
              QStringList({"已录有同一内容，请不要重复录入！\n(可按《撤消》按钮以撤消该录入！)"}));
    EXPECT_EQ(e.lr->spbTj->text(), "保存(&T)");
    e.platform.dlg().clear();
    for (int n = 5; n <= 9; ++n) {
        e.lr->edtKh->setText(QString::number(n));
        e.lr->edtKm->setText(QStringLiteral("第%1册").arg(n));
        click(e.lr->spbTj);
        click(e.lr->spbTj);
    }
    click(e.lr->spbXg);
    EXPECT_EQ(e.lr->cboKt->count(), 9);
    click(e.lr->spbTj);
    EXPECT_EQ(e.messages(), QStringList({"已有九本课本，不能再添加课本！"}));
    EXPECT_EQ(e.lr->spbTj->text(), "添加(&T)");
    e.platform.dlg().clear();

    // An unchanged name cannot be saved: it is found in the list.
    chooseFromCombo(e.lr->cboKt, "1.一年级上");
    click(e.lr->spbXg);
    click(e.lr->spbXg);
    EXPECT_EQ(e.messages(),
              QStringList({"已录有同一内容，请不要重复录入！\n(可按《撤消》按钮以撤消该录入！)"}));
    EXPECT_FALSE(e.lr->spbTj->isEnabled());
    e.platform.dlg().clear();

    // Leaving the number box in scope 1 reports the chosen lesson's own number.
    e.clickScope(1);
    clickEntry(e.lr->lstK1, "102.第二课");
    e.lr->edtKh->setFocus(Qt::MouseFocusReason);
    e.lr->edtKm->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(e.messages(),
              QStringList({"已录有同一内容，请不要重复录入！\n(可按《撤消》按钮以撤消该录入！)"}));
    EXPECT_EQ(e.form->focusWidget(), e.lr->edtKh);
    e.platform.dlg().clear();

    // Renumbering a lesson carries the number into its items, in one transaction. (Beginning the
    // modification leaves the number box, which reports the lesson's own number once more.)
    click(e.lr->spbXg);
    EXPECT_EQ(e.messages().size(), 1);
    e.platform.dlg().clear();
    e.lr->edtKh->setText("120");
    e.lr->edtKm->setText("第二十课");
    e.db()->exec(
        "CREATE TRIGGER fail_items BEFORE UPDATE ON yepy BEGIN SELECT RAISE(ABORT, 'injected'); END");
    click(e.lr->spbXg);
    ASSERT_EQ(e.messages().size(), 1) << e.messages().join("|").toStdString();
    EXPECT_TRUE(e.messages()[0].contains("injected"));
    EXPECT_EQ(rows(*e.db(), "SELECT 编号, 课题 FROM yekt WHERE 编号 LIKE '1%' ORDER BY rowid"),
              QStringList({"102 第二课", "101 第一课", "103 空课", "110 第十课"}));
    EXPECT_EQ(itemTexts(e.lr->lstK1), QStringList({"102.第二课", "101.第一课", "103.空课", "110.第十课"}));
    e.db()->exec("DROP TRIGGER fail_items");
    e.platform.dlg().clear();
    clickEntry(e.lr->lstK1, "102.第二课");
    click(e.lr->spbXg);
    e.lr->edtKh->setText("1020");
    e.lr->edtKm->setText("第二十课");
    click(e.lr->spbXg);
    EXPECT_EQ(e.messages(), QStringList({"课题编号应是课本号1加两位序号(01到99)！请修改。"}));
    e.platform.dlg().clear();
    clickEntry(e.lr->lstK1, "102.第二课");
    click(e.lr->spbXg);
    e.lr->edtKh->setText("120");
    e.lr->edtKm->setText("第二十课");
    click(e.lr->spbXg);
    EXPECT_TRUE(e.messages().isEmpty());
    EXPECT_EQ(itemTexts(e.lr->lstK1), QStringList({"101.第一课", "103.空课", "110.第十课", "120.第二十课"}));
    EXPECT_EQ(e.lr->lstK1->currentItem()->text(), "120.第二十课");
    EXPECT_EQ(rows(*e.db(), "SELECT 编号 FROM yepy WHERE 文字 IN ('口', '\"') ORDER BY rowid"),
              QStringList({"120", "120"}));

    // Renumbering a textbook carries the digit into its lessons and their items.
    e.clickScope(0);
    chooseFromCombo(e.lr->cboKt, "2.二年级\"下'册\\");
    click(e.lr->spbXg);
    e.platform.dlg().clear();  // the exit check of the number box the focus came from
    e.lr->edtKh->setText("3");
    e.lr->edtKm->setText("二年级");
    click(e.lr->spbXg);
    EXPECT_EQ(e.messages(),
              QStringList({"已录有同一内容，请不要重复录入！\n(可按《撤消》按钮以撤消该录入！)"}));
    e.platform.dlg().clear();
    chooseFromCombo(e.lr->cboKt, "2.二年级\"下'册\\");
    click(e.lr->spbXg);
    e.platform.dlg().clear();  // the exit check of the number box the focus came from
    e.lr->edtKh->setText("0");
    e.lr->edtKm->setText("二年级");
    click(e.lr->spbXg);
    EXPECT_EQ(e.messages(), QStringList({"课本号只能是1到9中的一个数字！请修改。"}));
    e.platform.dlg().clear();
    e.db()->exec("DELETE FROM yekb WHERE 课本号 = '9'");
    chooseFromCombo(e.lr->cboKt, "2.二年级\"下'册\\");
    click(e.lr->spbXg);
    e.platform.dlg().clear();  // the exit check of the number box the focus came from
    e.lr->edtKh->setText("9");
    e.lr->edtKm->setText("二年级");
    click(e.lr->spbXg);
    EXPECT_TRUE(e.messages().isEmpty());
    EXPECT_EQ(rows(*e.db(), "SELECT 编号 FROM yekt WHERE 编号 LIKE '9%' ORDER BY rowid"),
              QStringList({"901", "905"}));
    EXPECT_EQ(rows(*e.db(), "SELECT 编号 FROM yepy WHERE 文字 IN ('人', '大', '小') ORDER BY rowid"),
              QStringList({"101905", "901", "905"}));
    EXPECT_EQ(e.lr->cboKt->currentText(), "9.二年级");

    // The first textbook of an empty tab is 1.
    e.clickTab(1);
    click(e.lr->spbTj);
    EXPECT_EQ(e.lr->edtKh->text(), "1");
    EXPECT_TRUE(e.messages().isEmpty());
}
