#pragma once

#include <QDateTime>
#include <functional>

#include "progress/AnswerRecorder.h"

namespace kovu {

class Connection;

// The tone step of a pinyin answer is kept as an answer row of its own; its question names the step.
QString toneStepQuestion(const QString& character);
// The row of a tone step shows "pinyin tone", e.g. "zhang 2".
QString toneStepAnswer(const QString& pinyin, const QString& tone);

// The answer log (yejl) of the current child: each test of a subject gets the child's next test
// number; each judged answer one row.
class AnswerLog : public AnswerRecorder {
public:
    AnswerLog(Connection& c, std::function<QDateTime()> clock) : m_con(c), m_clock(std::move(clock)) {}
    void testStarted(const QString& subject) override;
    void recordAnswer(const JudgedAnswer& answer) override;

private:
    Connection& m_con;
    std::function<QDateTime()> m_clock;
    QString m_subject;
    int m_child = 0;
    int m_test = 0;
};

// The child's next test number in subject (1 for the first).
int nextTestNumber(Connection& c, int child, const QString& subject);

}  // namespace kovu
