#include "practice/PinyinExercise.h"

#include "data/Query.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "practice/Captions.h"
#include "practice/ConditionsPanel.h"
#include "practice/ItemRules.h"
#include "practice/PracticePanel.h"
#include "practice/StrokeOrder.h"
#include "progress/AnswerLog.h"
#include "speech/SpeechRules.h"

namespace kovu {

bool PinyinExercise::checkConditions(bool test) {
    if (!test) return true;
    const QString text = m_frame.conditions().toneDeductionText();
    const std::optional<int> d = parseToneDeduction(text);
    if (!d) {
        m_frame.context().platform.dialogs().message(
            QStringLiteral("操作提示"),
            QStringLiteral("声调错误扣分“%1”不是 0 到 100 之间的整数。\n\n"
                           "请在“声调标注  错误扣分：”框中选择或输入一个整数，再开始测验。")
                .arg(text),
            MsgIcon::Information);
        return false;
    }
    m_toneDeduction = *d;
    return true;
}

void PinyinExercise::start(bool test) {
    ItemExercise::start(test);
    // The tone of a review item stands under the character.
    if (!test) m_frame.lblYd->show();
}

void PinyinExercise::judge() {
    if (m_frame.imgYd->isVisible())
        CheckToneAnswer();
    else
        CheckPinyinAnswer();
}

void PinyinExercise::showCharacter(const QString& c) {
    PracticePanel& f = m_frame;
    for (QLabel* l : {f.lblSs, f.lbl1, f.lbl2, f.lbl3, f.lbl4}) l->setText(c);
    for (QLabel* l : {f.lbl1, f.lbl2, f.lbl3, f.lbl4}) l->show();
    f.fitQuestionText();
    f.strokeOrder().itemShown(c);
}

void PinyinExercise::showReviewRow() {
    const Query& q = rows();
    showCharacter(q.text(1));
    m_frame.edtJg->setText(q.text(2));
    m_frame.lblYd->setText(QStringLiteral(" 声调：") + q.text(3));
    m_frame.speak({{SpeechVoice::Chinese, spokenReading(q.text(2), q.text(3))}});
}

void PinyinExercise::showQuestionRow() {
    showCharacter(rows().text(1));
    m_frame.edtJg->clear();
}

bool PinyinExercise::isRightAnswer(const QString& typed) {
    return !tonesOf(m_frame.lblSs->text(), typed).isEmpty();
}

QStringList PinyinExercise::tonesOf(const QString& character, const QString& pinyin) {
    return lookUp("SELECT * FROM yepy WHERE (文字 = ?) And (拼音 = ?)", {character, pinyin}, 3);
}

QStringList PinyinExercise::rightAnswers() {
    return lookUp("SELECT * FROM yepy WHERE 文字 = ?", {m_frame.lblSs->text()}, 2);
}

QList<Utterance> PinyinExercise::spokenAnswers() {
    // Each reading of the character in turn, as its rows have them.
    Query& q = m_frame.context().db.aquCx;
    q.setSql("SELECT * FROM yepy WHERE 文字 = ?", {m_frame.lblSs->text()});
    q.open();
    QList<Utterance> out;
    for (; !q.eof(); q.next()) {
        const Utterance u{SpeechVoice::Chinese, spokenReading(q.text(2), q.text(3))};
        if (!out.contains(u)) out << u;
    }
    q.close();
    return out;
}

bool PinyinExercise::afterRightAnswer() {
    if (!m_frame.conditions().marksTone()) return false;
    m_frame.edtYd->clear();
    m_frame.imgYd->show();
    m_frame.edtYd->show();
    m_frame.edtYd->raise();
    m_frame.edtYd->setFocus();
    return true;
}

void PinyinExercise::prepareNextQuestion() { m_frame.showScreenPicture(m_frame.imgTx, "py"); }

void PinyinExercise::CheckToneAnswer() {
    PracticePanel& f = m_frame;
    // 1.
    const QString tone = f.edtYd->text();
    if (tone.isEmpty()) return;
    // 2. This question's tone is judged: the next character.
    if (f.lblJg->text() == captions::kToneRight || f.lblJg->text() == captions::kToneWrong) {
        f.edtJg->setFocus();
        CheckPinyinAnswer();
        return;
    }
    if (!isToneDigit(tone)) return;
    // 3. The tone of the reading the child typed: a character with two readings has a tone for
    // each, and the typed reading's own is the one that counts.
    const QString character = f.lblSs->text();
    const QStringList tones = tonesOf(character, f.edtJg->text());
    const bool right = tones.contains(tone);
    f.RecordScore(kindLetter(), itemRecordText(character, tone), right ? 0 : -m_toneDeduction,
                  {.subject = kindLetter(),
                   .question = toneStepQuestion(character),
                   .item = character,
                   .typed = toneStepAnswer(f.edtJg->text(), tone)},
                  false);
    if (right) {
        f.setVerdict(captions::kToneRight, captions::kRightColour);
        f.showScore(QStringLiteral("0"), true);
        f.showScreenPicture(f.imgTx, "zq");
    } else {
        f.setVerdict(captions::kToneWrong, captions::kWrongColour);
        f.lblYd->move(f.context().state.LayoutWidth * 100 / 233, f.lblYd->y());
        f.lblYd->setText(QStringLiteral("应 = ") + joinAlternatives(tones));
        f.lblYd->show();
        f.showScore(toneDeductionText(m_toneDeduction), false);
        f.showScreenPicture(f.imgTx, "cw");
    }
    f.lblT0->setText(captions::kNextHint);
    QList<Utterance> said = {{SpeechVoice::Chinese, right ? kSpokenRight : kSpokenWrong}};
    if (f.speaking()) f.speak(said << spokenAnswers());
}

}  // namespace kovu
