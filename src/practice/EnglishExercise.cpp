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
    Query& q = m_frame.context().db.aquCx;
    q.setSql("SELECT * FROM yydc WHERE (汉语 = ?) And (英语 = ?)", {m_frame.lblSs->text(), typed});
    q.open();
    const bool found = !q.eof();
    q.close();
    return found;
}

QStringList EnglishExercise::rightAnswers() {
    Query& q = m_frame.context().db.aquCx;
    q.setSql("SELECT * FROM yydc WHERE 汉语 = ?", {m_frame.lblSs->text()});
    q.open();
    QStringList out;
    for (; !q.eof(); q.next()) out << q.text(1);
    q.close();
    return out;
}

}  // namespace kovu
