#pragma once

#include "practice/ItemExercise.h"

namespace kovu {

// The English exercise: the chosen word's Chinese meaning large, with the word's own picture;
// the child types the English word. Any word entered for the meaning is right.
class EnglishExercise : public ItemExercise {
public:
    using ItemExercise::ItemExercise;

    QString kindLetter() const override { return QStringLiteral("y"); }
    void judge() override { CheckEnglishAnswer(); }

    void NextEnglishReviewItem(const QString& from) { NextReviewItem(from == QStringLiteral("1")); }
    void NewEnglishQuestion() { NewQuestion(); }
    void CheckEnglishAnswer() { CheckAnswer(); }

protected:
    QString itemTable() const override { return QStringLiteral("yydc"); }
    QString textbookSetting() const override { return QStringLiteral("英课本"); }
    QString lessonSetting() const override { return QStringLiteral("英课题"); }
    QString titlePicture() const override { return QStringLiteral("yy"); }
    QString scoreTitle() const override { return QStringLiteral("英语练习成绩"); }
    QString askCaption() const override { return QStringLiteral("请填单词"); }
    QString reviewCaption() const override { return QStringLiteral("英语复习"); }
    QString rightCaption() const override { return QStringLiteral("答对了！"); }
    void showReviewRow() override;
    void showQuestionRow() override;
    bool isRightAnswer(const QString& typed) override;
    QStringList rightAnswers() override;
    QList<Utterance> spokenAnswers() override;

private:
    // The word's own picture, or the screen picture "yy" when it has none or pictures are off.
    void showWordPicture();
};

}  // namespace kovu
