#pragma once

#include <QString>

namespace kovu {

// One judged test answer as the practice screen saw it.
struct JudgedAnswer {
    QString subject;    // "s", "p" or "y", the kind letter of the score records
    QString question;   // what the child saw: the sum, the character, the meaning
    QString item;       // the item: the sum in its canonical form ("3+4"), the character, the meaning
    QString typed;      // what the child typed; a tone step as pinyin and tone ("zhang 2")
    int points = 0;     // the points of the score record written with it
    qint64 millis = 0;  // from the question shown to the answer
};

// What the practice screen tells of a test: its start and each judged answer. recordAnswer runs in
// the transaction of the score record, so a failure (it raises) leaves neither row.
class AnswerRecorder {
public:
    virtual ~AnswerRecorder() = default;
    virtual void testStarted(const QString& subject) = 0;
    virtual void recordAnswer(const JudgedAnswer& answer) = 0;
};

}  // namespace kovu
