#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "practice/Exercise.h"
#include "speech/Speech.h"

namespace kovu {

class PracticePanel;
class Query;

// What the pinyin and the English exercise share: the chosen rows held on aquSb for the whole
// session, the review that steps through them and offers to start again, the random question,
// and the judging cycle of a typed answer (ask, judge and record, next). Each kind says what a
// row shows and how an answer is looked up.
class ItemExercise : public Exercise {
public:
    explicit ItemExercise(PracticePanel& frame) : m_frame(frame) {}

    bool checkConditions(bool test) override;
    void storeSessionStart(bool test) override;
    void start(bool test) override;
    void reviewStep() override { NextReviewItem(true); }
    QString summary(const QString& conditionsTitle, bool test) const override;

    // The review: from the first row (onward false) or the next one; after the last row (or with
    // none) the question whether to start again.
    void NextReviewItem(bool onward);
    // A random chosen row becomes the question.
    void NewQuestion();
    // The answer button in a test, for the typed answer.
    void CheckAnswer();

    // The session rows (aquSb).
    Query& rows();

protected:
    // The chosen items, the settings fields of the textbook and lesson, the title picture, the
    // message line's captions.
    virtual QString itemTable() const = 0;
    virtual QString textbookSetting() const = 0;
    virtual QString lessonSetting() const = 0;
    virtual QString titlePicture() const = 0;
    virtual QString scoreTitle() const = 0;
    virtual QString askCaption() const = 0;
    virtual QString reviewCaption() const = 0;
    virtual QString rightCaption() const = 0;
    // Shows the current row as a review item, or as a question.
    virtual void showReviewRow() = 0;
    virtual void showQuestionRow() = 0;
    // The question as lblSs shows it and the answers a typed text is right for.
    virtual bool isRightAnswer(const QString& typed) = 0;
    virtual QStringList rightAnswers() = 0;
    // The right answer(s) as they are said after a verdict: the readings, the words.
    virtual QList<Utterance> spokenAnswers() = 0;
    // After a right answer (the tone step of pinyin); returns whether the question goes on.
    virtual bool afterRightAnswer() { return false; }
    // What the next question shows beside the question itself.
    virtual void prepareNextQuestion() {}
    // A look-up on the scratch query: one field of every row it finds, in row order.
    QStringList lookUp(const QString& sql, const QVariantList& binds, int field);

    PracticePanel& m_frame;
};

}  // namespace kovu
