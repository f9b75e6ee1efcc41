#pragma once

#include "practice/ItemExercise.h"

namespace kovu {

// The pinyin exercise: the chosen character large and in four typefaces; the child types its
// pinyin and, when tones are marked, its tone; a wrong tone takes the tone deduction off the total.
class PinyinExercise : public ItemExercise {
public:
    using ItemExercise::ItemExercise;

    QString kindLetter() const override { return QStringLiteral("p"); }
    bool checkConditions(bool test) override;
    void start(bool test) override;
    void judge() override;

    void NextPinyinReviewItem(const QString& from) { NextReviewItem(from == QStringLiteral("1")); }
    void NewPinyinQuestion() { NewQuestion(); }
    void CheckPinyinAnswer() { CheckAnswer(); }
    void CheckToneAnswer();

    int ToneDeduction() const { return m_toneDeduction; }

protected:
    QString itemTable() const override { return QStringLiteral("yepy"); }
    QString textbookSetting() const override { return QStringLiteral("课本号"); }
    QString lessonSetting() const override { return QStringLiteral("课题号"); }
    QString titlePicture() const override { return QStringLiteral("py"); }
    QString scoreTitle() const override { return QStringLiteral("拼音练习成绩"); }
    QString askCaption() const override { return QStringLiteral("请填拼音"); }
    QString reviewCaption() const override { return QStringLiteral("拼音复习"); }
    QString rightCaption() const override { return QStringLiteral("拼对了！"); }
    void showReviewRow() override;
    void showQuestionRow() override;
    bool isRightAnswer(const QString& typed) override;
    QStringList rightAnswers() override;
    QList<Utterance> spokenAnswers() override;
    bool afterRightAnswer() override;
    void prepareNextQuestion() override;

private:
    void showCharacter(const QString& c);
    // The tones of the rows of the character with the given pinyin, in row order.
    QStringList tonesOf(const QString& character, const QString& pinyin);

    int m_toneDeduction = 0;
};

}  // namespace kovu
