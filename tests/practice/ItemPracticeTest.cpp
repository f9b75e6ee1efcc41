// Pinyin and English practice driven as a child and a parent would: the conditions screen, the
// start button, typed answers and Enter, with a scripted random source.
#include <gtest/gtest.h>

#include "LessonRows.h"
#include "PracticeFixture.h"
#include "practice/EnglishExercise.h"
#include "practice/ItemRules.h"
#include "practice/PinyinExercise.h"

using namespace kovu;
using namespace kovu::test;

namespace {

QColor background(QWidget* w) { return w->palette().color(QPalette::Window); }
QColor textColour(QWidget* w) { return w->palette().color(QPalette::WindowText); }
const QColor kLime(0, 255, 0), kAqua(0, 255, 255), kYellow(255, 255, 0);

// The practice screen over the sample lessons, with the chosen rows given as SQL conditions.
struct Items : PracticeScreen {
    explicit Items(const QString& pinyinChosen, const QString& englishChosen = "0",
                   const QString& settings = "标注声调 = 1, 声调去分 = '15'") {
        auto c = openDb(folder.db());
        writeSampleLessons(*c);
        addCharacter(*c, "101", "长", "chang", "2");
        addCharacter(*c, "101", "长", "zhang", "3");
        addWord(*c, "101", "apples", "苹果");
        c->exec("UPDATE yydc SET 图片 = ? WHERE 英语 = 'apple'", {solidJpeg(Qt::red, 200, 150)});
        c->exec("UPDATE yepy SET 选中 = 1 WHERE " + pinyinChosen);
        c->exec("UPDATE yydc SET 选中 = 1 WHERE " + englishChosen);
        c->exec("UPDATE yesz SET 课本号 = 1, 课题号 = 2, 英课本 = 1, 英课题 = 1, " + settings);
    }
    void openPinyin() { QTest::mouseClick(form->imgPy, Qt::LeftButton); }
    void openEnglish() { QTest::mouseClick(form->imgYy, Qt::LeftButton); }
    // The tone box: the digit typed, then Enter there.
    void tone(const QString& t) {
        typeText(pan1->edtYd, t);
        pressEnter(pan1->edtYd);
    }
    QImage screenPicture(const QString& code) {
        return decodeJpeg(
            openDb(folder.db())->scalar("SELECT 图片 FROM yetp WHERE 图号 = ?", {code}).toByteArray());
    }
    bool showsPicture(TImage* img, const QString& code) {
        const QImage want = screenPicture(code);
        return img->picture().size() == want.size() &&
               img->picture().pixel(want.width() / 2, want.height() / 2) ==
                   want.pixel(want.width() / 2, want.height() / 2);
    }
};

}  // namespace

TEST(PinyinPractice, ATestWalksEveryStateOfAQuestion) {
    Items s("文字 IN ('行', '长')");
    PracticePanel* p = s.pan1;
    openDb(s.folder.db())->exec("INSERT INTO pycj (序号, 题目, 得分, 平均分) VALUES (9, '旧', 0, 0)");
    s.openPinyin();
    s.test();
    // Rows in table order: 行 hang, 行 xing, 长 chang, 长 zhang. The first draw takes 行 (hang).
    s.start({0});
    ASSERT_TRUE(p->isVisible());
    EXPECT_EQ(s.form->statusText(1), "拼音练习：《一年级上-第一课》 (测验)");
    EXPECT_EQ(p->lblJg->text(), "请填拼音");
    EXPECT_EQ(background(p->lblJg), kLime);
    EXPECT_EQ(p->lblLc->text(), "拼音练习成绩");
    EXPECT_FALSE(p->lblYd->isVisible());
    EXPECT_TRUE(s.rows("pycj").isEmpty());
    EXPECT_EQ(s.setting("课本号").toInt(), 1);
    EXPECT_EQ(s.setting("课题号").toInt(), 2);
    EXPECT_TRUE(s.showsPicture(p->imgTx, "py"));
    // The character large and bold, again in four typefaces under the font line.
    EXPECT_EQ(p->lblSs->text(), "行");
    EXPECT_TRUE(p->lblSs->font().bold());
    const QStringList faces = {"宋体", "楷体_GB2312", "黑体", "仿宋_GB2312"};
    const QList<QColor> colours = {QColor(255, 0, 255), QColor(0, 128, 128), kGradientCaption,
                                   QColor(128, 0, 128)};
    const QList<QLabel*> copies = {p->lbl1, p->lbl2, p->lbl3, p->lbl4};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(copies[i]->isVisible());
        EXPECT_EQ(copies[i]->text(), "行");
        EXPECT_EQ(copies[i]->font().family(), faces[i]);
        EXPECT_TRUE(copies[i]->font().bold());
        EXPECT_EQ(textColour(copies[i]), colours[i]);
    }
    EXPECT_EQ(p->lbl1->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    // Places at 800: the copies from the window width, the character at 246, a wide answer box.
    EXPECT_EQ(p->lbl2->x(), 67);
    EXPECT_EQ(p->lbl4->x(), 163);
    EXPECT_EQ(p->lblSs->x(), 246);
    EXPECT_EQ(p->edtJg->width(), 345);
    EXPECT_FALSE(p->lbl3->autoFillBackground());
    EXPECT_TRUE(p->lbl5->isVisible());
    EXPECT_EQ(p->lbl5->text(), "宋体  楷体  黑体  仿宋 ");

    // Right in capitals: the tone step follows.
    s.answer("HANG");
    EXPECT_EQ(p->lblJg->text(), "拼对了！");
    EXPECT_EQ(background(p->lblJg), kAqua);
    EXPECT_EQ(p->lblBc->text(), "100");
    EXPECT_EQ(textColour(p->lblCj), QColor(Qt::red));
    EXPECT_EQ(p->butKs->text(), "下字或回车");
    EXPECT_TRUE(p->imgYd->isVisible());
    EXPECT_TRUE(p->edtYd->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), p->edtYd);
    EXPECT_EQ(p->lblT0->text(), "用键盘输入声调后回车或确定");
    // The tone box takes one digit from 0 to 4 only.
    typeText(p->edtYd, "9x");
    EXPECT_EQ(p->edtYd->text(), "");
    // A wrong tone takes the deduction off the total without counting an answer.
    s.tone("4");
    EXPECT_EQ(p->lblJg->text(), "声调错！");
    EXPECT_EQ(background(p->lblJg), kYellow);
    EXPECT_EQ(p->lblYd->text(), "应 = 2");
    EXPECT_EQ(p->lblYd->x(), 800 * 100 / 233);
    EXPECT_EQ(p->lblBc->text(), "-15");
    EXPECT_EQ(textColour(p->lblBc), QColor(Qt::black));
    EXPECT_EQ(p->lblCj->text(), "85");
    EXPECT_EQ(p->lblT0->text(), "请按回车或确定显示下题");
    EXPECT_EQ(s.rows("pycj"), QStringList({"1|行 = HANG|100|100", "1|行 = 4|-15|85"}));
    // Enter once more: the next character (长), asking again.
    s.platform.draws = {3};
    pressEnter(p->edtYd);
    EXPECT_EQ(p->lblSs->text(), "长");
    EXPECT_EQ(p->lblJg->text(), "请填拼音");
    EXPECT_EQ(background(p->lblJg), kLime);
    EXPECT_FALSE(p->imgYd->isVisible());
    EXPECT_FALSE(p->butKs->isEnabled());
    EXPECT_EQ(p->butKs->text(), "确定或回车");
    EXPECT_TRUE(s.showsPicture(p->imgTx, "py"));
    EXPECT_EQ(QApplication::focusWidget(), p->edtJg);

    // The other reading is right too; its own tone is the one that counts: zhang is 3, not 2.
    s.answer("zhang");
    s.tone("2");
    EXPECT_EQ(p->lblYd->text(), "应 = 3");
    s.platform.draws = {3};
    pressEnter(p->edtYd);
    s.answer("zhang");
    s.tone("3");
    EXPECT_EQ(p->lblJg->text(), "声调对！");
    EXPECT_EQ(p->lblBc->text(), "0");
    EXPECT_EQ(textColour(p->lblBc), QColor(Qt::red));
    EXPECT_TRUE(s.showsPicture(p->imgTx, "zq"));

    // Wrong: every reading in row order; odd texts are judged like any other.
    for (const QString& typed : {QString("xin"), QString("hang "), QString("\"'\\"), QString("行")}) {
        s.platform.draws = {0};
        pressEnter(p->edtJg);
        ASSERT_EQ(p->lblSs->text(), "行");
        s.answer(typed);
        EXPECT_EQ(p->lblJg->text(), "拼错了！") << typed.toStdString();
        EXPECT_EQ(background(p->lblJg), kYellow);
        EXPECT_EQ(p->lblYd->text(), "应 = hang或xing");
        EXPECT_EQ(p->lblYd->x(), 800 * 100 / 444);
        EXPECT_TRUE(p->lblYd->isVisible());
        EXPECT_EQ(p->lblBc->text(), "0");
        EXPECT_FALSE(p->imgYd->isVisible());
        EXPECT_EQ(p->lblT0->text(), "请按回车或确定显示下题");
    }
    EXPECT_TRUE(s.platform.dlg().log.empty()) << s.platform.dlg().texts().join("\n").toStdString();
    // Three pinyin answers right, four wrong; two wrong tones of 15 and one right.
    EXPECT_EQ(p->AnsweredCount(), 7);
    EXPECT_EQ(p->ScoreTotal(), 300 - 30);
    EXPECT_EQ(s.rows("pycj").size(), 7 + 3);
    EXPECT_EQ(s.rows("pycj").last(), "7|行 = 行|0|38");
}

TEST(PinyinPractice, ToneMarkingOffADeductionOfZeroAndABadDeduction) {
    Items s("文字 = '天'", "0", "标注声调 = 0, 声调去分 = '0'");
    PracticePanel* p = s.pan1;
    // A multiplication review hides the answer box; the pinyin test after it has it back.
    s.openConditions();
    s.choose(s.panSs->rgp1, 6);
    s.review();
    s.start();
    pressEnter(p->butKs);
    EXPECT_FALSE(p->edtJg->isVisible());
    s.click(p->butFh);
    s.openPinyin();
    s.test();
    s.start();
    EXPECT_TRUE(p->edtJg->isVisible());
    s.answer("tian");
    EXPECT_FALSE(p->imgYd->isVisible());
    EXPECT_EQ(p->lblT0->text(), "请按回车或确定显示下题");
    pressEnter(p->edtJg);
    EXPECT_EQ(p->lblJg->text(), "请填拼音");
    s.click(p->butFh);

    // With a deduction of 0 a wrong tone shows "-0" and leaves the total.
    s.panTj->chkSd->setChecked(true);
    s.start();
    s.answer("tian");
    s.tone("2");
    EXPECT_EQ(p->lblBc->text(), "-0");
    EXPECT_EQ(p->lblCj->text(), "100");
    s.click(p->butFh);

    // A deduction that is not a whole number from 0 to 100 refuses the test.
    for (const QString& bad : {QString("abc"), QString("101"), QString("-5"), QString("1.5")}) {
        s.panTj->cboKf->setEditText(bad);
        s.platform.dlg().clear();
        s.start();
        ASSERT_EQ(s.platform.dlg().log.size(), 1u) << bad.toStdString();
        EXPECT_EQ(s.platform.dlg().log.front().title, "操作提示");
        EXPECT_TRUE(s.platform.dlg().log.front().text.contains(bad));
        EXPECT_FALSE(p->isVisible());
    }
    // A review does not use it.
    s.review();
    s.platform.dlg().clear();
    s.start();
    EXPECT_TRUE(p->isVisible());
}

TEST(PinyinPractice, ReviewStepsThroughTheChosenRowsAndOffersToStartAgain) {
    Items s("文字 IN ('天', '行')");
    PracticePanel* p = s.pan1;
    s.openPinyin();
    s.review();
    s.start();
    EXPECT_EQ(s.form->statusText(1), "拼音练习：《一年级上-第一课》 (复习)");
    EXPECT_EQ(p->lblJg->text(), "拼音复习");
    const auto shows = [p](const QString& c, const QString& py, const QString& tone) {
        EXPECT_EQ(p->lblSs->text(), c);
        EXPECT_EQ(p->lbl4->text(), c);
        EXPECT_EQ(p->edtJg->text(), py);
        EXPECT_EQ(p->lblYd->text(), " 声调：" + tone);
        EXPECT_TRUE(p->lblYd->isVisible());
    };
    shows("天", "tian", "1");
    pressEnter(p->butKs);
    shows("行", "hang", "2");
    pressEnter(p->butKs);
    shows("行", "xing", "2");
    // After the last: Cancel leaves it, and the next press asks again; OK starts from the first.
    s.platform.dlg().answer(MsgResult::Cancel);
    pressEnter(p->butKs);
    ASSERT_EQ(s.platform.dlg().log.size(), 1u);
    EXPECT_EQ(s.platform.dlg().log.front().text,
              "已到最后记录，如果再重新复习一遍，\n\n请按《确定》；否则按《取消》。");
    EXPECT_EQ(s.platform.dlg().log.front().icon, MsgIcon::Question);
    shows("行", "xing", "2");
    s.platform.dlg().answer(MsgResult::Ok);
    pressEnter(p->butKs);
    EXPECT_EQ(s.platform.dlg().log.size(), 2u);
    shows("天", "tian", "1");
    EXPECT_TRUE(s.rows("pycj").isEmpty());
    s.click(p->butFh);

    // Nothing chosen: a review asks at once and then shows nothing; a test shows an empty
    // character and every answer is wrong with "应 = " alone.
    openDb(s.folder.db())->exec("UPDATE yepy SET 选中 = 0");
    s.platform.dlg().clear();
    s.platform.dlg().answer(MsgResult::Ok);
    s.start();
    EXPECT_EQ(s.platform.dlg().log.size(), 1u);
    EXPECT_EQ(p->lblSs->text(), "");
    EXPECT_EQ(p->edtJg->text(), "");
    s.click(p->butFh);
    s.test();
    s.start();
    EXPECT_EQ(p->lblSs->text(), "");
    s.answer("a");
    EXPECT_EQ(p->lblJg->text(), "拼错了！");
    EXPECT_EQ(p->lblYd->text(), "应 = ");
    EXPECT_EQ(s.rows("pycj"), QStringList({"1| = a|0|0"}));
}

TEST(EnglishPractice, WordsWithTheirPicturesEveryAlternativeAndLetterCase) {
    Items s("0", "汉语 IN ('苹果', '它是')");
    PracticePanel* p = s.pan1;
    s.openEnglish();
    s.test();
    // Rows in table order: apple (with its picture), 它是 it's, apples.
    s.start({0});
    ASSERT_TRUE(p->isVisible());
    EXPECT_EQ(s.form->statusText(1), "英语练习：《Book \"A\"'s\\-Unit 1》 (测验)");
    EXPECT_EQ(p->lblJg->text(), "请填单词");
    EXPECT_EQ(p->lblLc->text(), "英语练习成绩");
    EXPECT_EQ(s.setting("英课本").toInt(), 1);
    EXPECT_EQ(s.setting("英课题").toInt(), 1);
    EXPECT_FALSE(p->lbl1->isVisible());
    EXPECT_FALSE(p->lbl5->isVisible());
    EXPECT_EQ(p->lblSs->x(), 20);
    EXPECT_EQ(p->edtJg->width(), 345);
    EXPECT_EQ(p->lblSs->text(), "苹果");
    EXPECT_EQ(p->edtJg->x(), p->lblSs->x() + p->lblSs->width() + 8);
    // The word's own picture at its natural size, centred in the picture area.
    EXPECT_EQ(p->imgTx->picture().size(), QSize(200, 150));
    EXPECT_EQ(p->imgTx->x(), (400 - 200) / 2 + 15);
    s.answer("APPLES");
    EXPECT_EQ(p->lblJg->text(), "答对了！");
    EXPECT_EQ(background(p->lblJg), kAqua);
    EXPECT_TRUE(s.showsPicture(p->imgTx, "zq"));
    EXPECT_EQ(p->imgTx->x(), 15);
    EXPECT_EQ(p->butKs->text(), "下字或回车");
    // A word without a picture shows "yy".
    s.next({1});
    EXPECT_EQ(p->lblSs->text(), "它是");
    EXPECT_TRUE(s.showsPicture(p->imgTx, "yy"));
    s.answer("its");
    EXPECT_EQ(p->lblJg->text(), "拼错了！");
    EXPECT_EQ(p->lblYd->text(), "应 = it's");
    s.next({2});
    s.answer("pear");
    EXPECT_EQ(p->lblYd->text(), "应 = apple或apples");
    EXPECT_EQ(p->lblYd->x(), 800 * 100 / 444);
    EXPECT_EQ(s.rows("yycj"),
              QStringList({"1|苹果 = APPLES|100|100", "2|它是 = its|0|50", "3|苹果 = pear|0|33"}));

    // 不显示图片: "yy" for every word.
    s.click(p->butFh);
    s.panTj->chkLt->setChecked(true);
    s.start({0});
    EXPECT_TRUE(s.showsPicture(p->imgTx, "yy"));
    s.click(p->butFh);
    s.panTj->chkLt->setChecked(false);

    // A meaning too long for the line: the answer box stays whole inside the question area.
    openDb(s.folder.db())->exec("UPDATE yydc SET 汉语 = '一种又红又圆又甜的水果' WHERE 英语 = 'apple'");
    s.start({0});
    EXPECT_GT(p->lblSs->width(), p->pan2->width() - p->edtJg->width());
    EXPECT_LE(p->edtJg->x() + p->edtJg->width(), p->pan2->width());
    s.click(p->butFh);

    // Review: the word large, its meaning in the box, and the question after the last.
    s.review();
    s.start();
    EXPECT_EQ(p->lblJg->text(), "英语复习");
    EXPECT_EQ(p->lblSs->text(), "apple");
    EXPECT_EQ(p->edtJg->text(), "一种又红又圆又甜的水果");
    EXPECT_EQ(p->imgTx->picture().size(), QSize(200, 150));
    pressEnter(p->butKs);
    pressEnter(p->butKs);
    EXPECT_EQ(p->lblSs->text(), "apples");
    EXPECT_TRUE(s.showsPicture(p->imgTx, "yy"));
    s.platform.dlg().answer(MsgResult::Ok);
    pressEnter(p->butKs);
    EXPECT_EQ(p->lblSs->text(), "apple");
    EXPECT_EQ(s.platform.dlg().log.size(), 1u);
    s.click(p->butFh);

    // A stored picture that no longer decodes is shown as "yy", without a box, and the test goes
    // on; letter case is folded the Unicode way, beyond ASCII.
    openDb(s.folder.db())
        ->exec(
            "UPDATE yydc SET 英语 = 'Straße', 图片 = x'ffd8ffe000104a46' WHERE 汉语 = "
            "'一种又红又圆又甜的水果'");
    openDb(s.folder.db())->exec("UPDATE yydc SET 英语 = 'café' WHERE 英语 = 'apples'");
    s.platform.dlg().clear();
    s.test();
    s.start({0});
    ASSERT_TRUE(p->isVisible());
    EXPECT_TRUE(s.platform.dlg().log.empty());
    EXPECT_TRUE(s.showsPicture(p->imgTx, "yy"));
    s.answer("STRASSE");
    EXPECT_EQ(p->lblJg->text(), "答对了！");
    s.next({2});
    EXPECT_EQ(p->lblSs->text(), "苹果");
    s.answer(QStringLiteral("CAFÉ"));
    EXPECT_EQ(p->lblJg->text(), "答对了！");
    EXPECT_TRUE(s.platform.dlg().log.empty());
    EXPECT_EQ(s.rows("yycj"),
              QStringList({"1|一种又红又圆又甜的水果 = STRASSE|100|100", "2|苹果 = CAFÉ|100|100"}));
}

TEST(ItemRules, JudgingTextsDeductionsReviewOrderAndPlaces) {
    EXPECT_EQ(joinAlternatives({"hang", "xing"}), "hang或xing");
    EXPECT_EQ(joinAlternatives({}), "");
    EXPECT_EQ(itemRecordText("好", "hao"), "好 = hao");
    for (const auto& [text, want] : std::vector<std::pair<QString, std::optional<int>>>{{"0", 0},
                                                                                        {"15", 15},
                                                                                        {" 50 ", 50},
                                                                                        {"100", 100},
                                                                                        {"101", {}},
                                                                                        {"-5", {}},
                                                                                        {"1.5", {}},
                                                                                        {"", {}},
                                                                                        {"十", {}}})
        EXPECT_EQ(parseToneDeduction(text), want) << text.toStdString();
    EXPECT_EQ(toneDeductionText(0), "-0");
    EXPECT_TRUE(isToneDigit("0") && isToneDigit("4"));
    EXPECT_FALSE(isToneDigit("5") || isToneDigit("") || isToneDigit("12"));
    EXPECT_EQ(nextReviewRow(-1, 3, true), 0);
    EXPECT_EQ(nextReviewRow(1, 3, false), 2);
    EXPECT_EQ(nextReviewRow(2, 3, false), std::nullopt);
    EXPECT_EQ(nextReviewRow(-1, 0, true), std::nullopt);
    EXPECT_EQ(answerBoxLeft(300, 345, 752), 308);
    EXPECT_EQ(answerBoxLeft(700, 345, 752), 752 - 345 - 2);
    // Filling the screen: 4:3 screens as they are, wide screens at the largest 4:3 that fits.
    EXPECT_EQ(practiceSize(true, 1024, 768).scale, 128);
    EXPECT_EQ(practiceSize(true, 1024, 768).width, 1024);
    EXPECT_EQ(practiceSize(true, 1920, 1080).scale, 180);
    EXPECT_EQ(practiceSize(true, 1920, 1080).width, 1440);
    EXPECT_EQ(practiceSize(true, 640, 480).width, 640);
    EXPECT_EQ(practiceSize(false, 1920, 1080).width, 800);
}

TEST(PracticeWindow, EveryControlShowsWholeOnWideAndSmallScreens) {
    for (const QSize screen : {QSize(1920, 1080), QSize(640, 480), QSize(1024, 768)}) {
        Items s("文字 = '天'", "0", "自动适应屏幕 = 1");
        s.platform.screen = screen;
        s.openPinyin();
        s.panTj->chkPm->setChecked(true);
        s.test();
        s.start();
        PracticePanel* p = s.pan1;
        ASSERT_TRUE(p->isVisible());
        EXPECT_LE(s.form->formWidth(), screen.width());
        EXPECT_LE(s.form->formHeight(), screen.height());
        EXPECT_GE(s.form->y(), 0);
        const QWidget* status = s.form->sta1;
        EXPECT_LE(p->geometry().bottom(), status->y()) << screen.width();
        for (QWidget* w : {static_cast<QWidget*>(p->butKs), static_cast<QWidget*>(p->butCj),
                           static_cast<QWidget*>(p->pan3), static_cast<QWidget*>(p->pan2),
                           static_cast<QWidget*>(p->lblT0)})
            EXPECT_TRUE(p->rect().contains(w->geometry()))
                << w->objectName().toStdString() << " at " << screen.width();
    }
}
