// The children's page: the children added, renamed and deleted; each child's chart and mistakes.
#include <gtest/gtest.h>

#include <QTabBar>
#include <QTabWidget>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <map>

#include "AnswerHistory.h"
#include "ProgressFixture.h"
#include "progress/ProgressPage.h"

using namespace kovu;
using namespace kovu::test;

namespace {

struct ChartShown {
    QStringList days;
    QList<int> averages;
    QList<double> line;
};

// What the page's chart draws: the bars with the dates under them and the mean line.
ChartShown chartOf(ProgressPage* page) {
    ChartShown out;
    auto* view = page->findChild<QChartView*>("chtCj");
    if (!view || !view->isVisible()) return out;
    for (QAbstractSeries* s : view->chart()->series()) {
        if (auto* bars = qobject_cast<QBarSeries*>(s))
            for (int i = 0; i < bars->barSets().value(0)->count(); ++i)
                out.averages << static_cast<int>(bars->barSets().value(0)->at(i));
        if (auto* line = qobject_cast<QLineSeries*>(s))
            for (const QPointF& p : line->points()) out.line << p.y();
    }
    for (QAbstractAxis* a : view->chart()->axes(Qt::Horizontal))
        if (auto* x = qobject_cast<QBarCategoryAxis*>(a))
            for (const QString& d : x->categories()) out.days << QString(d).remove(QChar(0x200B));
    return out;
}

QStringList gridRows(QTableView* grid) {
    QStringList out;
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
        QStringList cells;
        for (int col = 0; col < grid->model()->columnCount(); ++col)
            cells << grid->model()->index(r, col).data().toString();
        out << cells.join('|');
    }
    return out;
}

}  // namespace

TEST(ProgressPage, ChildrenAreKeptAndEachChildsTestsAndMistakesShown) {
    ProgressScreen s;
    // A test in each subject through the window: a right and a wrong sum, 长 with the right
    // reading and a wrong tone, a wrong English word.
    s.openConditions();
    s.test();
    s.start();
    s.answer(QString::number(s.result()));
    s.next();
    const QString sum = s.sum();
    const QString wrongSum = QString::number(s.result() + 2);
    s.answer(wrongSum);
    s.back();
    s.pinyinTestOfZhang("2");
    s.back();
    const QString meaning = s.englishTestAnswered("aple");
    s.back();
    const QString right =
        openDb(s.folder.db())->scalar("SELECT 英语 FROM yydc WHERE 汉语 = ?", {meaning}).toString();

    QTest::mouseClick(s.form->imgSz, Qt::LeftButton);
    QTabBar* tabs = s.form->pagSz->tabBar();
    ASSERT_EQ(tabs->tabText(2), QStringLiteral("练习者与成绩"));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    ProgressPage* page = s.form->tasXs;
    ASSERT_TRUE(page->isVisible());
    EXPECT_EQ(itemTexts(page->lstXs), QStringList{QStringLiteral("小朋友")});
    EXPECT_EQ(page->edtXs->text(), QStringLiteral("小朋友"));
    EXPECT_FALSE(page->spbXs->isEnabled());

    // Arithmetic: one test of 100 and 0; the wrong sum with its right result.
    ChartShown chart = chartOf(page);
    EXPECT_EQ(chart.days, QStringList{"03-09"});
    EXPECT_EQ(chart.averages, QList<int>{50});
    EXPECT_EQ(chart.line, (QList<double>{50, 50}));
    const QStringList sumRow = {QString(sum).replace("+", " + ") + " = ", wrongSum,
                                QString::number(s.result()), "1", "2024-03-09 08:05"};
    EXPECT_EQ(gridRows(page->dbgCt), QStringList{sumRow.join('|')});
    // Pinyin: 100 for the reading, 15 off for the tone: 85; the mistake is the tone step.
    chooseFromCombo(page->cboKm, QStringLiteral("拼音"));
    EXPECT_EQ(chartOf(page).averages, QList<int>{85});
    EXPECT_EQ(gridRows(page->dbgCt),
              QStringList{QStringLiteral("长 声调|zhang 2|chang 2或zhang 3|1|2024-03-09 08:05")});
    chooseFromCombo(page->cboKm, QStringLiteral("英语"));
    EXPECT_EQ(gridRows(page->dbgCt), QStringList{meaning + "|aple|" + right + "|1|2024-03-09 08:05"});
    // Answered right in a later test, a mistake is gone; answered wrong again, it counts twice.
    {
        auto c = openDb(s.folder.db());
        c->exec(
            "INSERT INTO yejl (学生, 科目, 场次, 题目, 条目, 回答, 得分, 时间) VALUES "
            "(1, 'y', 2, ?1, ?1, ?2, 100, '2024-03-10T08:00:00'), "
            "(1, 'p', 2, '长', '长', 'zhang', 100, '2024-03-10T08:00:00'), "
            "(1, 'p', 2, '长 声调', '长', 'zhang 1', -15, '2024-03-10T08:00:09')",
            {meaning, right});
    }
    chooseFromCombo(page->cboKm, QStringLiteral("英语"));
    EXPECT_TRUE(gridRows(page->dbgCt).isEmpty());
    EXPECT_EQ(chartOf(page).averages, (QList<int>{0, 100}));
    chooseFromCombo(page->cboKm, QStringLiteral("拼音"));
    EXPECT_EQ(gridRows(page->dbgCt),
              QStringList{QStringLiteral("长 声调|zhang 1|chang 2或zhang 3|2|2024-03-10 08:00")});
    EXPECT_TRUE(s.platform.dlg().log.empty());

    // Names: empty, too long, another child's: a message each and nothing stored.
    auto c = openDb(s.folder.db());
    const QStringList before = fileRows(*c, {"yexs", "yejl"});
    for (const QString& name : {QString("  "), QString(21, QChar(u'乐')), QStringLiteral("小朋友")}) {
        page->edtXs->setText(name);
        s.click(page->spbXt);
    }
    EXPECT_EQ(s.platform.dlg().texts(),
              (QStringList{QStringLiteral("请先在名字框里输入练习者的名字。"),
                           QStringLiteral("名字“%1”太长了：名字最多20个字。").arg(QString(21, QChar(u'乐'))),
                           QStringLiteral("已经有叫“小朋友”的练习者了，请换一个名字。")}));
    EXPECT_EQ(fileRows(*c, {"yexs", "yejl"}), before);

    // A new child has no tests yet; with 40 tests the chart shows the last 30 and their mean.
    s.platform.dlg().clear();
    page->edtXs->setText(QStringLiteral("小红"));
    s.click(page->spbXt);
    EXPECT_EQ(itemTexts(page->lstXs), (QStringList{QStringLiteral("小朋友"), QStringLiteral("小红")}));
    EXPECT_EQ(page->lstXs->currentItem()->text(), QStringLiteral("小红"));
    EXPECT_EQ(rows(*c, "SELECT 姓名, 建立 FROM yexs WHERE 编号 = 2"),
              QStringList{QStringLiteral("小红 2024-03-09T08:05:12")});
    EXPECT_TRUE(page->lblMy->isVisible());
    EXPECT_EQ(page->lblMy->text(), QStringLiteral("还没有测验成绩"));
    EXPECT_TRUE(chartOf(page).averages.isEmpty());
    writeAnswerHistory(*c, {2}, 3500, QDate(2024, 1, 1));
    struct Test {
        int points = 0, answers = 0;
        QString day;
    };
    std::map<int, Test> tests;  // by test number
    for (const QString& r : rows(
             *c,
             "SELECT 场次, 得分, 题目 <> 条目, 时间 FROM yejl WHERE 学生 = 2 AND 科目 = 'p' ORDER BY 编号")) {
        const QStringList f = r.split(' ');
        Test& t = tests[f[0].toInt()];
        t.points += f[1].toInt();
        t.answers += f[2] == "1" ? 0 : 1;
        if (t.day.isEmpty()) t.day = f[3].mid(5, 5);
    }
    ASSERT_GT(tests.size(), 40u);
    QList<int> expected;
    QStringList days;
    int sumOfAverages = 0;
    for (const auto& [n, t] : tests)
        if (n > static_cast<int>(tests.size()) - 30) {
            expected << t.points / t.answers;
            days << t.day;
            sumOfAverages += expected.back();
        }
    clickEntry(page->lstXs, QStringLiteral("小朋友"));
    clickEntry(page->lstXs, QStringLiteral("小红"));
    chart = chartOf(page);
    EXPECT_FALSE(page->lblMy->isVisible());
    EXPECT_EQ(chart.averages, expected);
    EXPECT_EQ(chart.days, days);
    EXPECT_EQ(chart.line.value(0), qRound(sumOfAverages / 30.0));

    // Renamed; then deleted with every answer of theirs, after a No that changes nothing.
    page->edtXs->setText(QStringLiteral("小朋友"));
    s.click(page->spbGm);
    EXPECT_EQ(s.platform.dlg().texts(),
              QStringList{QStringLiteral("已经有叫“小朋友”的练习者了，请换一个名字。")});
    page->edtXs->setText(QStringLiteral("红红"));
    s.click(page->spbGm);
    EXPECT_EQ(itemTexts(page->lstXs), (QStringList{QStringLiteral("小朋友"), QStringLiteral("红红")}));
    s.platform.dlg().clear();
    const QStringList kept = fileRows(*c, {"yexs", "yejl"});
    s.platform.dlg().answer(MsgResult::No);
    s.click(page->spbXs);
    EXPECT_EQ(s.platform.dlg().texts(), QStringList{QStringLiteral("删除红红及其全部成绩记录？")});
    EXPECT_EQ(fileRows(*c, {"yexs", "yejl"}), kept);
    s.platform.dlg().answer(MsgResult::Yes);
    s.click(page->spbXs);
    EXPECT_EQ(rows(*c, "SELECT 姓名 FROM yexs"), QStringList{QStringLiteral("小朋友")});
    EXPECT_EQ(c->scalar("SELECT count(*) FROM yejl WHERE 学生 = 2").toInt(), 0);
    EXPECT_EQ(c->scalar("SELECT count(*) FROM yejl WHERE 学生 = 1").toInt(), 8);
    EXPECT_EQ(itemTexts(page->lstXs), QStringList{QStringLiteral("小朋友")});
    EXPECT_FALSE(page->spbXs->isEnabled());
}
