#include "practice/EnglishExercise.h"

#include "data/PictureStore.h"
#include "data/Query.h"
#include "practice/ConditionsPanel.h"
#include "practice/PracticePanel.h"

namespace kovu {

void EnglishExercise::showWordPicture() {
    PracticePanel& f = m_frame;
    const Query& q = rows();
    if (!f.conditions().noPictures() && q.recNo() >= 0 && !q.isNull("图片") && !q.blob("图片").isEmpty())
        ShowWordPicture(rows(), f.pictureArea());
    else
        f.showScreenPicture(f.imgTx, "yy");
}

void EnglishExercise::showReviewRow() {
    const Query& q = rows();
    m_frame.lblSs->setText(q.text(1));
    m_frame.edtJg->setText(q.text(3));
    m_frame.fitQuestionText();
    showWordPicture();
}

void EnglishExercise::showQuestionRow() {
    m_frame.lblSs->setText(rows().text("汉语"));
    m_frame.edtJg->clear();
    m_frame.fitQuestionText();
    showWordPicture();
}

bool EnglishExercise::isRightAnswer(const QString& typed) {
    return !lookUp("SELECT * FROM yydc WHERE (汉语 = ?) And (英语 = ?)", {m_frame.lblSs->text(), typed}, 1)
                .isEmpty();
}

QStringList EnglishExercise::rightAnswers() {
    return lookUp("SELECT * FROM yydc WHERE 汉语 = ?", {m_frame.lblSs->text()}, 1);
}

}  // namespace kovu
