#pragma once

#include <QList>
#include <QString>

#include "practice/Arithmetic.h"
#include "practice/Exercise.h"

namespace kovu {

class PracticePanel;

// The state of one arithmetic session: the type, the bound of the digits, the current question
// and the last shown line of the multiplication table.
struct ArithmeticSession {
    QString TypeCode;
    QString TypeName;
    int MaxDigit = 0;
    int FirstOperand = 0;
    int SecondOperand = 0;
    QString OperatorSign;
    int CorrectResult = 0;
    int MnemonicIndex = 0;
};

// The arithmetic exercise: questions of the seven types, counting pictures, the column form with
// its carry mark, the multiplication table with its rhymes, and the judging of an answer. Its
// rules are the plain functions of Arithmetic.h.
class ArithmeticExercise : public Exercise {
public:
    explicit ArithmeticExercise(PracticePanel& frame) : m_frame(frame) {}

    QString kindLetter() const override { return QStringLiteral("s"); }
    void storeSessionStart(bool test) override;
    void start(bool test) override;
    void judge() override { CheckArithmeticAnswer(); }
    void reviewStep() override { NextReviewQuestion(); }
    QString summary(const QString& conditionsTitle, bool test) const override;

    void NewTestQuestion();
    void NextReviewQuestion();
    void ShowMnemonic(int k);
    void CheckArithmeticAnswer();

    const ArithmeticSession& session() const { return m_arith; }

private:
    // A test's next question: its next waiting mistake, else drawn.
    void drawQuestion(bool test);
    // With 错题优先, the child's mistakes that fit the session's type and digits, shuffled.
    void queueMistakes();
    void showColumnForm(bool withResult);
    void layOutCountPictures();

    PracticePanel& m_frame;
    ArithmeticSession m_arith;
    // The mistakes still to be asked in this test, the next one first.
    QList<Operands> m_mistakesToAsk;
};

}  // namespace kovu
