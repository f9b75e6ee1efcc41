#include "progress/AnswerLog.h"

#include "data/Connection.h"
#include "progress/Children.h"

namespace kovu {

QString toneStepQuestion(const QString& character) { return character + QStringLiteral(" 声调"); }

QString toneStepAnswer(const QString& pinyin, const QString& tone) { return pinyin + " " + tone; }

int nextTestNumber(Connection& c, int child, const QString& subject) {
    return c
        .scalar("SELECT coalesce(max(场次), 0) + 1 FROM yejl WHERE 学生 = ? AND 科目 = ?", {child, subject})
        .toInt();
}

void AnswerLog::testStarted(const QString& subject) {
    m_subject = subject;
    m_child = currentChild(m_con);
    m_test = nextTestNumber(m_con, m_child, subject);
}

void AnswerLog::recordAnswer(const JudgedAnswer& a) {
    // A test that started before the log knew of it (or of another subject) gets its number now.
    if (m_subject != a.subject || m_child == 0) testStarted(a.subject);
    m_con.exec(
        "INSERT INTO yejl (学生, 科目, 场次, 题目, 条目, 回答, 得分, 用时, 时间) VALUES (?, ?, ?, ?, ?, ?, "
        "?, ?, ?)",
        {m_child, a.subject, m_test, a.question, a.item, a.typed, a.points, a.millis,
         m_clock().toString(Qt::ISODate)});
}

}  // namespace kovu
