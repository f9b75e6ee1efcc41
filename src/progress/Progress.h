#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace kovu {

class Connection;

// What the answer log (yejl) tells of one child in one subject ("s", "p" or "y").

// A judged answer is wrong when it scored below full points; a tone step, which is worth 0 when
// right and a deduction when wrong, is wrong below 0. Its row is told by its question, the
// character followed by " 声调". An SQL condition over yejl's columns.
inline const QString kWrongAnswer =
    QStringLiteral("(CASE WHEN 科目 = 'p' AND 题目 = 条目 || ' 声调' THEN 得分 < 0 ELSE 得分 < 100 END)");

// One test of the chart: its number, its day (of its first answer) and its average as the score
// box showed it at the end (points div answers; a tone step is no answer of its own).
struct TestAverage {
    int test = 0;
    QDate day;
    int average = 0;
};

inline constexpr int kChartTests = 30;

// The child's last count tests in subject, oldest first.
QList<TestAverage> lastTests(Connection& c, int child, const QString& subject, int count = kChartTests);
// The mean of the averages (0 for none), rounded.
int meanAverage(const QList<TestAverage>& tests);

// A mistake: an item whose latest judged test answer by the child in the subject was wrong.
// Answering it right in a later test removes it.
struct Mistake {
    QString item;          // the item: the canonical sum, the character, the meaning
    QString question;      // the question of the last wrong answer, as the child saw it
    QString lastAnswer;    // what the child typed then
    QString rightAnswers;  // the right answer(s) as the content has them now, "或" between
    int wrongCount = 0;    // how often the item was answered wrong in tests
    QString lastTime;      // when the last wrong answer was given (local time, ISO 8601)
};

// The child's current mistakes in subject, the latest first.
QList<Mistake> mistakes(Connection& c, int child, const QString& subject);
// Only the items of the child's current mistakes, in no particular order.
QStringList mistakeItems(Connection& c, int child, const QString& subject);

// The right answer(s) of an item as the content has them now: the sum's result, the character's
// readings ("zhang 3"), the meaning's words; empty when the content no longer holds it.
QString rightAnswersOf(Connection& c, const QString& subject, const QString& item);

// The choice of the selection screen's rows (选中) set to exactly the rows of the child's current
// mistakes in subject ("p": yepy by 文字, "y": yydc by 汉语), every other row unchosen, in one
// transaction. Returns the number of mistakes; with none, nothing is changed.
int chooseMistakes(Connection& c, int child, const QString& subject);

}  // namespace kovu
