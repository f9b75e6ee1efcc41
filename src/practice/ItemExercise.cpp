#include "practice/ItemExercise.h"

#include "data/Query.h"
#include "data/Settings.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "practice/Captions.h"
#include "practice/ConditionsPanel.h"
#include "practice/ItemRules.h"
#include "practice/PracticePanel.h"
#include "speech/SpeechRules.h"

namespace kovu {

Query& ItemExercise::rows() { return m_frame.context().db.aquSb; }

QStringList ItemExercise::lookUp(const QString& sql, const QVariantList& binds, int field) {
    Query& q = m_frame.context().db.aquCx;
    q.setSql(sql, binds);
    q.open();
    QStringList out;
    for (; !q.eof(); q.next()) out << q.text(field);
    q.close();
    return out;
}

bool ItemExercise::checkConditions(bool) { return true; }

void ItemExercise::storeSessionStart(bool) {
    const ConditionsPanel& c = m_frame.conditions();
    storeSettings(m_frame.context().db.aquFz,
                  {{textbookSetting(), c.textbookIndex() + 1}, {lessonSetting(), c.lessonIndex() + 1}});
}

void ItemExercise::start(bool test) {
    PracticePanel& f = m_frame;
    // The chosen rows stay open for the whole session; the current row is the question.
    Query& q = rows();
    q.setSql("SELECT * FROM " + itemTable() + " WHERE 选中 = 1");
    q.open();
    f.showScreenPicture(f.imgTx, titlePicture());
    if (test) {
        NewQuestion();
        f.lblLc->setText(scoreTitle());
        f.setVerdict(askCaption(), captions::kAskColour);
        f.lblYd->hide();
    } else {
        f.setVerdict(reviewCaption(), captions::kAskColour);
        NextReviewItem(false);
    }
}

QString ItemExercise::summary(const QString& conditionsTitle, bool test) const {
    const ConditionsPanel& c = m_frame.conditions();
    return itemSessionSummary(conditionsTitle, c.textbookText(), c.lessonText(), test);
}

void ItemExercise::NextReviewItem(bool onward) {
    Query& q = rows();
    const std::optional<int> next = nextReviewRow(q.recNo(), q.recordCount(), !onward);
    if (!next) {
        const MsgResult r = m_frame.context().platform.dialogs().message(
            QStringLiteral("操作提示"),
            QStringLiteral("已到最后记录，如果再重新复习一遍，\n\n请按《确定》；否则按《取消》。"),
            MsgIcon::Question, MsgButtons::OkCancel);
        if (r != MsgResult::Ok) return;
        q.first();
    } else {
        q.moveTo(*next);
    }
    showReviewRow();
}

void ItemExercise::NewQuestion() {
    Query& q = rows();
    const int n = q.recordCount();
    const int k = n > 0 ? m_frame.context().platform.random(n) : 0;
    q.first();
    q.moveTo(k);
    showQuestionRow();
}

void ItemExercise::CheckAnswer() {
    PracticePanel& f = m_frame;
    const SharedState& st = f.context().state;
    // 1.
    f.imgYd->hide();
    f.edtYd->hide();
    f.lblYd->hide();
    if (f.conditions().fitsScreen())
        f.imgTx->resize(scaled(400, st.LayoutScale), scaled(300, st.LayoutScale));
    // 2. The answer was judged: the next question.
    if (f.butKs->text() == captions::kNextItem) {
        f.lblYd->clear();
        NewQuestion();
        f.edtJg->setFocus();
        f.imgDh->hide();
        prepareNextQuestion();
        f.askForAnswer(askCaption());
        return;
    }
    // 3. Only a given answer is judged; the typed text as it stands, blanks included.
    if (f.butKs->text() != captions::kConfirm) return;
    const QString typed = f.edtJg->text();
    if (typed.isEmpty()) return;
    const bool right = isRightAnswer(typed);
    const QString alternatives = right ? QString() : joinAlternatives(rightAnswers());
    const int answeredBefore = f.AnsweredCount();
    // The record first: when it cannot be written, the answer stays open to be judged again.
    // The question shown is the item itself: the character or the meaning.
    f.RecordScore(
        kindLetter(), itemRecordText(f.lblSs->text(), typed), right ? 100 : 0,
        {.subject = kindLetter(), .question = f.lblSs->text(), .item = f.lblSs->text(), .typed = typed});

    f.lblTh->setText(QStringLiteral("第%1次").arg(answeredBefore + 1));
    bool toneStep = false;
    if (right) {
        f.setVerdict(rightCaption(), captions::kRightColour);
        f.showScore(QStringLiteral("100"), true);
        f.showScreenPicture(f.imgTx, "zq");
        f.butKs->setText(captions::kNextItem);
        f.showScreenPicture(f.imgDh, "dh");
        toneStep = afterRightAnswer();
    } else {
        f.setVerdict(QStringLiteral("拼错了！"), captions::kWrongColour);
        f.lblYd->move(st.LayoutWidth * 100 / 444, f.lblYd->y());
        f.lblYd->setText(QStringLiteral("应 = ") + alternatives);
        f.lblYd->show();
        f.showScore(QStringLiteral("0"), false);
        f.showScreenPicture(f.imgTx, "cw");
        f.butKs->setText(captions::kNextItem);
        f.showScreenPicture(f.imgDh, "ch");
    }
    f.imgDh->raise();
    f.lblT0->setText(toneStep ? captions::kToneHint : captions::kNextHint);
    // The right answer is said once nothing is left to answer: after the tone step when one follows.
    QList<Utterance> said = {{SpeechVoice::Chinese, right ? kSpokenRight : kSpokenWrong}};
    if (!toneStep && f.speaking()) said << spokenAnswers();
    f.speak(said);
}

}  // namespace kovu
