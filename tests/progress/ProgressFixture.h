#pragma once

#include <QStringList>

#include "../practice/PracticeFixture.h"
#include "LessonRows.h"

namespace kovu::test {

// The rows of the answer log as "child|subject|test|question|item|answer|points", in order.
inline QStringList answerRows(const QString& db) {
    auto c = openDb(db);
    QStringList out;
    const int n = c->scalar("SELECT count(*) FROM yejl").toInt();
    for (int i = 0; i < n; ++i) {
        QStringList cells;
        for (const char* col : {"学生", "科目", "场次", "题目", "条目", "回答", "得分"})
            cells << c->scalar(QString("SELECT %1 FROM yejl ORDER BY 编号 LIMIT 1 OFFSET ?").arg(col), {i})
                         .toString();
        out << cells.join('|');
    }
    return out;
}

// An answer row of a child's test written straight into the log; the question is the item.
inline void addAnswer(Connection& c, int child, const QString& subject, int test, const QString& item,
                      int points, const QString& typed = QStringLiteral("?")) {
    c.exec(
        "INSERT INTO yejl (学生, 科目, 场次, 题目, 条目, 回答, 得分, 用时, 时间) VALUES (?, ?, ?, ?, ?, ?, "
        "?, "
        "900, '2024-03-01T09:00:00')",
        {child, subject, test, item, item, typed, points});
}

// The practice screen over the sample lessons: 天 and 长 (chang 2, zhang 3) chosen for pinyin,
// apple and book for English; tone marking on with a deduction of 15.
struct ProgressScreen : PracticeScreen {
    ProgressScreen() : PracticeScreen(StoredChoices{.type = 0, .maxDigit = 8}) {
        auto c = openDb(folder.db());
        writeSampleLessons(*c);
        addCharacter(*c, "101", "长", "chang", "2");
        addCharacter(*c, "101", "长", "zhang", "3");
        c->exec("UPDATE yepy SET 选中 = 1 WHERE 文字 IN ('天', '长')");
        c->exec("UPDATE yydc SET 选中 = 1 WHERE 英语 IN ('apple', 'book')");
        c->exec(
            "UPDATE yesz SET 课本号 = 1, 课题号 = 2, 英课本 = 1, 英课题 = 1, 标注声调 = 1, 声调去分 = '15'");
    }
    void openPinyin() { QTest::mouseClick(form->imgPy, Qt::LeftButton); }
    void openEnglish() { QTest::mouseClick(form->imgYy, Qt::LeftButton); }
    void tone(const QString& t) {
        typeText(pan1->edtYd, t);
        pressEnter(pan1->edtYd);
    }
    // The sum on the screen in the log's form.
    QString sum() const {
        return QStringLiteral("%1+%2")
            .arg(pan1->arithmetic().FirstOperand)
            .arg(pan1->arithmetic().SecondOperand);
    }
    int result() const { return pan1->arithmetic().FirstOperand + pan1->arithmetic().SecondOperand; }
    void back() { click(pan1->butFh); }
    // A pinyin test of 长 answered with the right reading "zhang" and then the tone given.
    void pinyinTestOfZhang(const QString& toneTyped) {
        openPinyin();
        test();
        start({1});
        ASSERT_EQ(pan1->lblSs->text(), QStringLiteral("长"));
        answer("zhang");
        tone(toneTyped);
    }
    // An English test whose first meaning is answered with typed; the meaning asked.
    QString englishTestAnswered(const QString& typed) {
        openEnglish();
        test();
        start({0});
        const QString meaning = pan1->lblSs->text();
        answer(typed);
        return meaning;
    }
};

}  // namespace kovu::test
