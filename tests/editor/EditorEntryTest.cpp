#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <QBuffer>
#include <QFile>
#include <QTest>

#include "EditorFixture.h"
#include "platform/ImageCodec.h"
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
    EXPECT_EQ(lr->lstDy->height(), 2 * (lr->lstDy->fontMetrics().height() + 2) + 12);
    EXPECT_GE(lr->lstDy->viewport()->height(), 2 * lr->lstDy->sizeHintForRow(0));
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

    // While the lesson is modified its own number is no other lesson's: beginning the modification
    // leaves the number box without a message, and so does leaving it again; another lesson's
    // number is still reported.
    click(e.lr->spbXg);
    EXPECT_TRUE(e.messages().isEmpty()) << e.messages().join("|").toStdString();
    EXPECT_EQ(e.form->focusWidget(), e.lr->edtKm);
    e.lr->edtKm->setText("第二十课");
    e.lr->edtKh->setFocus(Qt::TabFocusReason);
    e.lr->edtKm->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(e.messages().isEmpty());
    e.lr->edtKh->setFocus(Qt::TabFocusReason);
    e.lr->edtKh->setText("101");
    e.lr->edtKm->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(e.messages(),
              QStringList({"已录有同一内容，请不要重复录入！\n(可按《撤消》按钮以撤消该录入！)"}));
    EXPECT_EQ(e.form->focusWidget(), e.lr->edtKh);
    e.platform.dlg().clear();

    // Renumbering a lesson carries the number into its items, in one transaction.
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
    // Textbook 2 being modified, its box still "2": leaving the box is no alarm.
    e.lr->edtKm->setText("二年级");
    e.lr->edtKh->setFocus(Qt::TabFocusReason);
    e.lr->edtKm->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(e.messages().isEmpty()) << e.messages().join("|").toStdString();
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

TEST(EditorEntry, WordPicturesAreCheckedPreviewedAndStoredReduced) {
    // The rules first: stored sizes never enlarge, the preview fits 180 x 292.
    EXPECT_EQ(storedPictureSize({1000, 500}), QSize(400, 200));
    EXPECT_EQ(storedPictureSize({600, 900}), QSize(200, 300));
    EXPECT_EQ(storedPictureSize({320, 240}), QSize(320, 240));
    EXPECT_EQ(pendingPicturePlacement({100, 400}), QRect(485, 50, 73, 292));
    EXPECT_EQ(pendingPicturePlacement({400, 300}), QRect(432, 50, 180, 135));
    EXPECT_EQ(pendingPicturePlacement({2000, 1}), QRect(432, 50, 180, 1));
    EXPECT_EQ(storedPictureSize({1, 3000}), QSize(1, 300));

    ActiveEditor e;
    e.enterEditor();
    e.clickTab(1);
    chooseFromCombo(e.lr->cboKt, "1.Book \"A\"'s\\");
    e.clickScope(1);
    clickEntry(e.lr->lstK1, "101.Unit 1");
    e.clickScope(2);
    EditorPage* lr = e.lr;
    // A word with quotes and a backslash is stored as typed, without the blanks around it; the
    // meaning is the third box.
    click(lr->spbTj);
    typeInto(lr->edtKm, " don't \"say\" \\ ");
    QTest::keyClick(lr->edtKm, Qt::Key_Return);
    EXPECT_EQ(e.form->focusWidget(), lr->edtPy);
    click(lr->spbTj);
    EXPECT_EQ(e.messages(), QStringList({"数据录入不全！(汉语)"}));
    e.platform.dlg().clear();
    typeInto(lr->edtPy, "别说");
    typeInto(lr->edtSd, "/dəʊnt/");
    click(lr->spbTj);
    EXPECT_TRUE(e.messages().isEmpty());
    EXPECT_EQ(rows(*e.db(), "SELECT 编号, 英语, 音标, 汉语 FROM yydc WHERE 汉语 = '别说'"),
              QStringList({"101 don't \"say\" \\ /dəʊnt/ 别说"}));
    EXPECT_EQ(e.currentGridText(1), "don't \"say\" \\");
    EXPECT_EQ(lr->edtKm->text(), "don't \"say\" \\");
    // Over-long text cannot be typed.
    click(lr->spbTj);
    typeInto(lr->edtKh, QString(40, '1'));
    EXPECT_EQ(lr->edtKh->text().size(), 30);
    click(lr->spbXg);
    e.clickGridRow(1);
    EXPECT_EQ(lr->edtKm->text(), "it's");

    // A cancelled dialog changes nothing; a file that is no picture, or is cut short, is refused.
    click(lr->spbDy);
    EXPECT_EQ(lr->spbDy->text(), "选择图片(&D)");
    {
        QFile f(e.folder.file("note.jpg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture at all");
    }
    const QString big = writePicture(e.folder, "big.jpg", 1000, 500, "JPG");
    {
        QFile in(big);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        QFile out(e.folder.file("cut.jpg"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.left(bytes.size() / 2));
    }
    {
        // A bitmap header that declares 100 000 x 100 000 pixels.
        QByteArray bmp = encodeBitmap(QImage(4, 4, QImage::Format_RGB888));
        const qint32 huge = 100000;
        memcpy(bmp.data() + 18, &huge, 4);
        memcpy(bmp.data() + 22, &huge, 4);
        QFile out(e.folder.file("huge.bmp"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bmp);
    }
    for (const char* name : {"note.jpg", "cut.jpg", "huge.bmp"}) {
        e.platform.dlg().chooseFile(e.folder.file(name));
        click(lr->spbDy);
        ASSERT_EQ(e.messages().size(), 1) << name;
        EXPECT_EQ(e.messages()[0],
                  QStringLiteral("图片文件“%1”不是完整的BMP或JPG图片，不能选用！").arg(name));
        EXPECT_EQ(lr->spbDy->text(), "选择图片(&D)");
        EXPECT_TRUE(lr->dbgKb->isVisible());
        e.platform.dlg().clear();
    }
    EXPECT_EQ(e.platform.dlg().log.size(), 0u);

    // A tall picture: previewed over the grid, stored reduced when 录入 is clicked.
    e.platform.dlg().chooseFile(writePicture(e.folder, "tall.jpg", 100, 400, "JPG"));
    click(lr->spbDy);
    EXPECT_EQ(lr->imgZ0->geometry(), QRect(485, 50, 73, 292));
    EXPECT_TRUE(lr->imgZ0->isVisible());
    EXPECT_FALSE(lr->dbgKb->isVisible());
    EXPECT_EQ(lr->lblBd->text(), "选择的图片");
    EXPECT_EQ(lr->spbDy->text(), "录入图片(&D)");
    EXPECT_EQ(lr->spbPx->text(), "图片撤消(&P)");
    // 添加 and 修改 only put the grid back; the picture stays pending.
    click(lr->spbTj);
    EXPECT_EQ(lr->spbTj->text(), "添加(&T)");
    EXPECT_FALSE(lr->imgZ0->isVisible());
    EXPECT_TRUE(lr->dbgKb->isVisible());
    EXPECT_EQ(lr->spbDy->text(), "录入图片(&D)");
    click(lr->spbDy);
    EXPECT_EQ(lr->spbDy->text(), "选择图片(&D)");
    EXPECT_EQ(lr->lblBd->text(), "在下表中选择要修改单词");
    EXPECT_EQ(lr->spbPx->text(), "单词排序(&P)");
    auto storedSize = [&e](const QString& word) {
        auto c = e.db();
        sqlite3_stmt* st = c->prepare("SELECT 图片 FROM yydc WHERE 英语 = ?", {word});
        QSize size;
        if (sqlite3_step(st) == SQLITE_ROW) size = jpegSize(columnValue(st, 0).toByteArray());
        sqlite3_finalize(st);
        return size;
    };
    EXPECT_EQ(storedSize("it's"), QSize(75, 300));
    EXPECT_TRUE(lr->imgZ0->isVisible());
    EXPECT_EQ(lr->dbgKb->height(), 148);

    // A wide JPEG, a tall bitmap and a small picture, each on its word.
    const struct {
        int row;
        QString word, file;
        int w, h;
        const char* format;
        QSize stored;
    } cases[] = {{0, "apple", "wide.jpg", 1000, 500, "JPG", {400, 200}},
                 {2, "say \"hi\"", "tall.bmp", 600, 900, "BMP", {200, 300}},
                 {3, "back\\slash", "small.jpg", 320, 240, "JPG", {320, 240}},
                 // thinner than the reduction: one pixel high, still stored
                 {0, "apple", "thin.bmp", 2000, 1, "BMP", {400, 1}}};
    for (const auto& c : cases) {
        e.clickGridRow(c.row);
        EXPECT_EQ(lr->edtKm->text(), c.word);
        e.platform.dlg().chooseFile(writePicture(e.folder, c.file, c.w, c.h, c.format));
        click(lr->spbDy);
        click(lr->spbDy);
        EXPECT_EQ(storedSize(c.word), c.stored) << c.file.toStdString();
    }
    // Another word drops a pending picture.
    e.platform.dlg().chooseFile(writePicture(e.folder, "other.jpg", 50, 50, "JPG"));
    click(lr->spbDy);
    e.clickGridRow(1);
    EXPECT_EQ(lr->spbDy->text(), "选择图片(&D)");
    EXPECT_EQ(lr->spbPx->text(), "单词排序(&P)");
    // 图片撤消 drops a pending picture and stores nothing.
    e.clickGridRow(1);
    e.platform.dlg().chooseFile(writePicture(e.folder, "other.jpg", 50, 50, "JPG"));
    click(lr->spbDy);
    click(lr->spbPx);
    EXPECT_EQ(lr->spbDy->text(), "选择图片(&D)");
    EXPECT_EQ(lr->spbPx->text(), "单词排序(&P)");
    EXPECT_TRUE(lr->dbgKb->isVisible());
    EXPECT_EQ(storedSize("it's"), QSize(75, 300));
    EXPECT_TRUE(e.messages().isEmpty());

    // A picture left pending by a scope change, or by leaving the page, is dropped with its
    // captions: 添加 works again in the scope that follows.
    for (const bool leavePage : {false, true}) {
        e.clickGridRow(1);
        e.platform.dlg().chooseFile(writePicture(e.folder, "other.jpg", 50, 50, "JPG"));
        click(lr->spbDy);
        ASSERT_EQ(lr->spbDy->text(), "录入图片(&D)");
        if (leavePage) {
            e.clickPage(0);
            e.clickPage(1);
        } else {
            e.clickScope(1);
        }
        EXPECT_EQ(lr->spbDy->text(), "选择图片(&D)");
        EXPECT_TRUE(lr->dbgKb->isVisible());
        click(lr->spbTj);
        EXPECT_EQ(lr->spbTj->text(), "保存(&T)");
        click(lr->spbXg);
        EXPECT_EQ(lr->spbTj->text(), "添加(&T)");
        e.clickScope(0);
        chooseFromCombo(lr->cboKt, "1.Book \"A\"'s\\");
        e.clickScope(1);
        clickEntry(lr->lstK1, "101.Unit 1");
        e.clickScope(2);
        click(lr->spbDy);  // a later choice opens the file dialog again
        EXPECT_EQ(lr->spbDy->text(), "选择图片(&D)");
    }
    EXPECT_EQ(storedSize("it's"), QSize(75, 300));
    EXPECT_TRUE(e.messages().isEmpty());
}

TEST(EditorEntry, SortsChoosesInputMethodsAndFollowsTheArrowKeys) {
    ActiveEditor e([](Connection& c) { c.exec("UPDATE yesz SET 输入法 = 1"); }, {"pinyin", "wubi"});
    openLesson(e, "1.一年级上", "101.第一课");
    EditorPage* lr = e.lr;
    EXPECT_EQ(lr->cboSr->currentText(), "wubi");

    // Two clicks sort by character and back to table order.
    const QStringList unsorted = e.gridColumn(1);
    click(lr->spbPx);
    EXPECT_EQ(lr->spbPx->text(), "取消排序(&P)");
    EXPECT_EQ(e.form->db().aquSb.sql(), "SELECT * FROM yepy WHERE instr(编号, ?) % 3 = 1 ORDER BY [文字]");
    QStringList sorted = unsorted;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(e.gridColumn(1), sorted);
    click(lr->spbPx);
    EXPECT_EQ(lr->spbPx->text(), "文字排序(&P)");
    EXPECT_EQ(e.gridColumn(1), unsorted);

    // The name box opens the chosen input method in the pinyin tab; number and tone boxes close it.
    click(lr->spbTj);
    EXPECT_EQ(e.platform.ime().activated, std::vector<int>({1}));
    lr->edtSd->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(e.platform.ime().deactivated, 1);
    EXPECT_FALSE(lr->edtSd->testAttribute(Qt::WA_InputMethodEnabled));
    lr->edtPy->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(e.platform.ime().activated, std::vector<int>({1}));
    click(lr->spbXg);  // 撤消 puts the focus back into the name box
    EXPECT_EQ(e.platform.ime().activated, std::vector<int>({1, 1}));
    // 不设置 stores the number of input methods and opens none.
    lr->cboSr->setCurrentIndex(2);
    Q_EMIT lr->cboSr->activated(2);
    EXPECT_EQ(lr->cboSr->currentText(), "不设置");
    EXPECT_EQ(rows(*e.db(), "SELECT 输入法 FROM yesz"), QStringList({"2"}));
    lr->edtKh->setFocus(Qt::MouseFocusReason);
    lr->edtKm->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(e.platform.ime().activated, std::vector<int>({1, 1}));
    lr->cboSr->setCurrentIndex(0);
    Q_EMIT lr->cboSr->activated(0);
    EXPECT_EQ(rows(*e.db(), "SELECT 输入法 FROM yesz"), QStringList({"0"}));

    // Arrow keys in the grid load the rows as clicks do; in the lesson list they choose the lesson.
    e.clickGridRow(0);
    EXPECT_EQ(lr->edtKm->text(), "天");
    lr->dbgKb->setFocus();
    QTest::keyClick(lr->dbgKb, Qt::Key_Down);
    EXPECT_EQ(lr->edtKm->text(), "行");
    EXPECT_EQ(lr->edtPy->text(), "hang");
    EXPECT_EQ(e.form->db().aquSb.text(2), "hang");
    lr->lstK1->setFocus();
    QTest::keyClick(lr->lstK1, Qt::Key_Up);
    EXPECT_EQ(lr->lstK1->currentItem()->text(), "102.第二课");
    EXPECT_EQ(lr->lblBj->text(), "编辑(102)生字和拼音");
    EXPECT_EQ(e.gridColumn(0), QStringList({"102", "102", "102", "102"}));
    EXPECT_EQ(lr->edtKm->text(), "");
    e.clickScope(0);
    lr->cboKt->setFocus();
    QTest::keyClick(lr->cboKt, Qt::Key_Down);
    EXPECT_EQ(lr->cboKt->currentText(), "1.一年级上");
    EXPECT_EQ(lr->edtKh->text(), "1");
    QTest::keyClick(lr->cboKt, Qt::Key_Down);
    EXPECT_EQ(lr->cboKt->currentText(), "2.二年级\"下'册\\");
    EXPECT_EQ(lr->edtKh->text(), "2");
    EXPECT_EQ(lr->EditKind, "课本名");
    EXPECT_TRUE(e.messages().isEmpty());
}

TEST(EditorEntry, AFullTextbookTakesNoMoreLessonsAndANewEntryIsTheChosenOne) {
    ActiveEditor e([](Connection& c) { addLesson(c, "yekt", "199", "第九十九课"); });
    e.enterEditor();
    chooseFromCombo(e.lr->cboKt, "1.一年级上");
    e.clickScope(1);
    click(e.lr->spbTj);
    EXPECT_EQ(e.messages(), QStringList({"本课本已有99个课题，不能再添加课题！"}));
    EXPECT_EQ(e.lr->spbTj->text(), "添加(&T)");
    e.platform.dlg().clear();

    // A textbook just added is the chosen one: modifying it changes its own entry, and deleting
    // it takes that entry away.
    e.clickScope(0);
    click(e.lr->spbTj);
    typeInto(e.lr->edtKm, "四年级");
    click(e.lr->spbTj);
    EXPECT_EQ(e.lr->cboKt->currentText(), "4.四年级");
    click(e.lr->spbXg);
    e.platform.dlg().clear();
    e.lr->edtKm->setText("四年级上");
    click(e.lr->spbXg);
    EXPECT_EQ(itemTexts(e.lr->cboKt),
              QStringList({"1.一年级上", "2.二年级\"下'册\\", "3.三年级", "4.四年级上"}));
    EXPECT_EQ(rows(*e.db(), "SELECT 课本名称 FROM yekb WHERE 课本号 = '4'"), QStringList({"四年级上"}));
    EXPECT_EQ(e.lr->cboKt->currentText(), "4.四年级上");
    EXPECT_FALSE(e.lr->spbSc->isEnabled());
    chooseFromCombo(e.lr->cboKt, "4.四年级上");
    e.platform.dlg().clear();
    e.platform.dlg().answer(MsgResult::Ok);
    e.platform.dlg().answer(MsgResult::Yes);
    click(e.lr->spbSc);
    EXPECT_EQ(e.messages().size(), 2);
    EXPECT_EQ(itemTexts(e.lr->cboKt), QStringList({"1.一年级上", "2.二年级\"下'册\\", "3.三年级"}));
    EXPECT_EQ(rows(*e.db(), "SELECT count(*) FROM yekb"), QStringList({"3"}));
    // With nothing chosen, 删除 deletes nothing.
    e.platform.dlg().clear();
    click(e.lr->spbTj);
    click(e.lr->spbXg);
    EXPECT_TRUE(e.lr->spbSc->isEnabled());
    click(e.lr->spbSc);
    EXPECT_TRUE(e.messages().isEmpty());
    EXPECT_EQ(rows(*e.db(), "SELECT count(*) FROM yekb"), QStringList({"3"}));
}

TEST(EditorEntry, ModifyAndDeleteActOnTheItemTheBoxesShow) {
    ActiveEditor e([](Connection& c) {
        addLesson(c, "yekt", "301", "三上一");
        addCharacter(c, "301", "人", "ren", "2");
        addCharacter(c, "301", "二", "er", "4");
        addCharacter(c, "301", "一", "yi", "1");
    });
    openLesson(e, "3.三年级", "301.三上一");
    EditorPage* lr = e.lr;
    const QString lesson = "SELECT 文字, 拼音, 音调 FROM yepy WHERE 编号 = '301' ORDER BY rowid";
    auto retypeTone = [lr](const QString& tone) {
        lr->edtSd->setFocus(Qt::TabFocusReason);
        QTest::keyClick(lr->edtSd, Qt::Key_Backspace);
        typeText(lr->edtSd, tone);
    };

    // After 生字排序 the grid stands on the item the boxes show, and 修改 changes that one.
    e.clickGridRow(0);
    click(lr->spbPx);
    EXPECT_EQ(e.gridColumn(1), QStringList({"一", "二", "人"}));
    EXPECT_EQ(e.currentGridText(1), "人");
    click(lr->spbXg);
    retypeTone("3");
    click(lr->spbXg);
    EXPECT_EQ(rows(*e.db(), lesson), QStringList({"人 ren 3", "二 er 4", "一 yi 1"}));

    // A sort while a modification is open keeps the modification on its row.
    e.clickGridRow(1);
    EXPECT_EQ(lr->edtKm->text(), "二");
    click(lr->spbXg);
    click(lr->spbPx);
    EXPECT_EQ(e.gridColumn(1), QStringList({"人", "二", "一"}));
    retypeTone("2");
    click(lr->spbXg);
    EXPECT_EQ(rows(*e.db(), lesson), QStringList({"人 ren 3", "二 er 2", "一 yi 1"}));

    // 删除 after a sort asks about the item the boxes show.
    click(lr->spbPx);
    EXPECT_EQ(e.gridColumn(1), QStringList({"一", "二", "人"}));
    e.clickGridRow(2);
    click(lr->spbPx);
    click(lr->spbPx);
    e.platform.dlg().answer(MsgResult::Cancel);
    click(lr->spbSc);
    EXPECT_EQ(e.messages(),
              QStringList({"删除这条记录吗？ (生字：人)\n\n如果删除，请按《确定》；否则按《取消》。"}));
    e.platform.dlg().clear();

    // Choosing the lesson, cancelling an addition or a modification empty the boxes: 修改 and
    // 删除 wait until a row is chosen.
    auto expectNothingChosen = [&e, lr](const char* after) {
        EXPECT_EQ(lr->edtKm->text(), "") << after;
        EXPECT_FALSE(lr->spbXg->isEnabled()) << after;
        EXPECT_FALSE(lr->spbSc->isEnabled()) << after;
        click(lr->spbXg);
        click(lr->spbSc);
        EXPECT_EQ(lr->spbXg->text(), "修改(&X)") << after;
        EXPECT_TRUE(e.messages().isEmpty()) << after;
    };
    clickEntry(lr->lstK1, "301.三上一");
    expectNothingChosen("choosing the lesson");
    e.clickGridRow(1);
    EXPECT_TRUE(lr->spbXg->isEnabled());
    click(lr->spbTj);
    click(lr->spbXg);  // 撤消(&X)
    expectNothingChosen("cancelling an addition");
    e.clickGridRow(1);
    click(lr->spbXg);
    click(lr->spbTj);  // 撤消(&T)
    expectNothingChosen("cancelling a modification");
    EXPECT_EQ(rows(*e.db(), lesson), QStringList({"人 ren 3", "二 er 2", "一 yi 1"}));

    // A stored addition leaves the grid on the stored item; 修改 then changes it.
    click(lr->spbTj);
    typeInto(lr->edtKm, "三");
    typeInto(lr->edtPy, "san");
    typeInto(lr->edtSd, "1");
    click(lr->spbTj);
    EXPECT_EQ(e.currentGridText(1), "三");
    click(lr->spbXg);
    retypeTone("4");
    click(lr->spbXg);
    EXPECT_EQ(rows(*e.db(), lesson), QStringList({"人 ren 3", "二 er 2", "一 yi 1", "三 san 4"}));
    EXPECT_TRUE(e.messages().isEmpty());
}

TEST(EditorEntry, PinyinToneAndWordsAreStoredWithoutBlanksAndTonesAreZeroToFour) {
    ActiveEditor e;
    openLesson(e, "1.一年级上", "102.第二课");
    EditorPage* lr = e.lr;
    const QString tone = "数据录入不全！(“声调”框中只能输入0到4中的一个数字！请修改。)";
    EXPECT_EQ(missingFieldsText(2, true, "102", "手", "shou", "5"),
              "“声调”框中只能输入0到4中的一个数字！请修改。");
    EXPECT_EQ(missingFieldsText(2, true, "102", "手", "shou", "34"),
              "“声调”框中只能输入0到4中的一个数字！请修改。");
    EXPECT_EQ(missingFieldsText(2, true, "102", "手", "shou", "0"), "");
    EXPECT_EQ(missingFieldsText(2, false, "102", "hand", "手", "9"), "");

    // A tone outside 0 to 4 is refused with the addition left open; blanks around the pinyin
    // and the tone are not stored.
    click(lr->spbTj);
    typeInto(lr->edtKm, "手");
    typeInto(lr->edtPy, "shou ");
    typeInto(lr->edtSd, "9");
    click(lr->spbTj);
    EXPECT_EQ(e.messages(), QStringList({tone}));
    EXPECT_EQ(lr->spbTj->text(), "保存(&T)");
    EXPECT_EQ(rows(*e.db(), "SELECT count(*) FROM yepy WHERE 文字 = '手'"), QStringList({"0"}));
    e.platform.dlg().clear();
    lr->edtSd->setFocus(Qt::TabFocusReason);
    QTest::keyClick(lr->edtSd, Qt::Key_Backspace);
    typeText(lr->edtSd, " 3 ");
    pressEnter(lr->edtSd);
    EXPECT_TRUE(e.messages().isEmpty());
    EXPECT_EQ(rows(*e.db(), "SELECT 编号, 拼音, 音调 FROM yepy WHERE 文字 = '手'"),
              QStringList({"102 shou 3"}));
    EXPECT_EQ(lr->edtPy->text(), "shou");
    EXPECT_EQ(lr->edtSd->text(), "3");
    EXPECT_EQ(e.currentGridText(1), "手");

    // A modification to a tone of 5 stores nothing; blanks typed into the pinyin are dropped.
    click(lr->spbXg);
    lr->edtSd->setText("5");
    click(lr->spbXg);
    EXPECT_EQ(e.messages(), QStringList({tone}));
    EXPECT_EQ(rows(*e.db(), "SELECT 拼音, 音调 FROM yepy WHERE 文字 = '手'"), QStringList({"shou 3"}));
    e.platform.dlg().clear();
    click(lr->spbXg);
    lr->edtPy->setText(" sou");
    lr->edtSd->setText("4 ");
    pressEnter(lr->edtSd);
    EXPECT_TRUE(e.messages().isEmpty());
    EXPECT_EQ(rows(*e.db(), "SELECT 拼音, 音调 FROM yepy WHERE 文字 = '手'"), QStringList({"sou 4"}));
    EXPECT_EQ(rows(*e.db(), "SELECT count(*) FROM yepy WHERE 文字 = '手'"), QStringList({"1"}));
}
