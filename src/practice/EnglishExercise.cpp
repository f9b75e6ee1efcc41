#include "practice/EnglishExercise.h"

#include <algorithm>

#include "data/PictureStore.h"
#include "data/Query.h"
#include "platform/Errors.h"
#include "practice/ConditionsPanel.h"
#include "practice/ItemRules.h"
#include "practice/PracticePanel.h"

namespace kovu {

void EnglishExercise::showWordPicture() {
    PracticePanel& f = m_frame;
    const Query& q = rows();
    if (!f.conditions().noPictures() && q.recNo() >= 0 && !q.isNull("图片") && !q.blob("图片").isEmpty()) {
        try {
            ShowWordPicture(rows(), f.pictureArea());
            return;
        } catch (const KovuError&) {
            // A stored picture that no longer decodes: the word is shown as one without a picture,
            // and the practice goes on.
        }
    }
    f.showScreenPicture(f.imgTx, "yy");
}

void EnglishExercise::showReviewRow() {
    const Query& q = rows();
    m_frame.lblSs->setText(q.text(1));
    m_frame.edtJg->setText(q.text(3));
    m_frame.fitQuestionText();
    showWordPicture();
    m_frame.speak({{SpeechVoice::English, q.text(1)}});
}

void EnglishExercise::showQuestionRow() {
    m_frame.lblSs->setText(rows().text("汉语"));
    m_frame.edtJg->clear();
    m_frame.fitQuestionText();
    showWordPicture();
    // The meaning is asked; the word is said only after the verdict.
    m_frame.speak({{SpeechVoice::Chinese, rows().text("汉语")}});
}

bool EnglishExercise::isRightAnswer(const QString& typed) {
    // Letter case is compared in full Unicode folding, which the database's own comparison (ASCII
    // only) cannot do: every word of the meaning is read and compared here.
    const QStringList words = rightAnswers();
    return std::any_of(words.begin(), words.end(),
                       [&typed](const QString& w) { return sameWordIgnoringCase(w, typed); });
}

QStringList EnglishExercise::rightAnswers() {
    return lookUp("SELECT * FROM yydc WHERE 汉语 = ?", {m_frame.lblSs->text()}, 1);
}

QList<Utterance> EnglishExercise::spokenAnswers() {
    QList<Utterance> out;
    for (const QString& w : rightAnswers()) out << Utterance{SpeechVoice::English, w};
    return out;
}

}  // namespace kovu
