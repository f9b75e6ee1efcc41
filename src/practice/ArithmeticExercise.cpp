// The arithmetic exercise of the practice screen: questions of the seven types, counting
// pictures, the column form with its carry mark, the multiplication table and the judging.
#include "practice/ArithmeticExercise.h"

#include "data/Settings.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "practice/ArithmeticChoices.h"
#include "practice/Captions.h"
#include "practice/ConditionsPanel.h"
#include "practice/PracticePanel.h"
#include "progress/MistakeBook.h"
#include "speech/SpeechRules.h"

namespace kovu {

void ArithmeticExercise::storeSessionStart(bool) {
    const ArithmeticChoices* panSs = m_frame.conditions().panSs;
    storeSettings(m_frame.context().db.aquFz, {{"算术类型", panSs->rgp1->itemIndex()},
                                               {"最大数字", panSs->rgp2->itemIndex() + 1},
                                               {"图例图片", panSs->rgp3->itemIndex()}});
}

void ArithmeticExercise::start(bool test) {
    PracticePanel& f = m_frame;
    const SharedState& st = f.context().state;
    ArithmeticChoices* panSs = f.conditions().panSs;
    const int type = std::max(0, panSs->rgp1->itemIndex());
    m_arith.TypeCode = TypeCode(type);
    m_arith.TypeName = TypeName(type);
    // The carry mark beside the column.
    const CarryMarkPlace c = carryMarkPlace(st.LayoutWidth, st.LayoutScale);
    f.lblJ1->move(c.left, c.top);
    QFont font = f.lblJ1->font();
    font.setFamily(QStringLiteral("宋体"));
    font.setPointSize(std::max(1, c.fontSize));
    f.lblJ1->setFont(font);
    f.lblJ1->adjustSize();
    f.lblJ1->hide();
    f.lblYd->hide();
    m_arith.MaxDigit = MaxDigit(m_arith.TypeCode, panSs->rgp2->itemIndex());
    f.showScreenPicture(f.imgTx, "ss");
    m_mistakesToAsk.clear();
    if (test) {
        f.lblLc->setText(QStringLiteral("算术练习成绩"));
        queueMistakes();
        NewTestQuestion();
        f.setVerdict(QStringLiteral("开始计算"), captions::kAskColour);
    } else {
        f.lbl1->hide();
        f.lbl2->hide();
        f.lbl3->hide();
        f.setVerdict(QStringLiteral("算术复习"), captions::kAskColour);
        m_arith.MnemonicIndex = 0;
        NextReviewQuestion();
    }
}

QString ArithmeticExercise::summary(const QString& conditionsTitle, bool test) const {
    return arithmeticSessionSummary(conditionsTitle, m_arith.TypeName, m_arith.MaxDigit, test);
}

void ArithmeticExercise::queueMistakes() {
    ConditionsPanel& conditions = m_frame.conditions();
    MistakeBook* book = conditions.mistakeBook();
    if (!book || !conditions.mistakesFirst()) return;
    for (const QString& item : book->mistakeItems(kindLetter()))
        if (const std::optional<Operands> o = operandsOfSum(m_arith.TypeCode, m_arith.MaxDigit, item))
            m_mistakesToAsk << *o;
    // Each order equally likely (Fisher-Yates), from the program's random source.
    Platform& platform = m_frame.context().platform;
    for (qsizetype i = m_mistakesToAsk.size() - 1; i > 0; --i)
        m_mistakesToAsk.swapItemsAt(i, platform.random(static_cast<int>(i + 1)));
}

void ArithmeticExercise::drawQuestion(bool test) {
    Platform& platform = m_frame.context().platform;
    const Operands o = test && !m_mistakesToAsk.isEmpty()
                           ? m_mistakesToAsk.takeFirst()
                           : DrawOperands(m_arith.TypeCode, m_arith.MaxDigit,
                                          [&platform](int n) { return platform.random(n); });
    m_arith.FirstOperand = o.a;
    m_arith.SecondOperand = o.b;
    m_arith.OperatorSign = operatorSign(m_arith.TypeCode);
    m_frame.lblSs->setText(questionText(m_arith.TypeCode, o));
    m_frame.fitQuestionText();
}

void ArithmeticExercise::showColumnForm(bool withResult) {
    PracticePanel& f = m_frame;
    f.lbl1->setText(QString::number(m_arith.FirstOperand));
    f.lbl2->setText(m_arith.OperatorSign + QString::number(m_arith.SecondOperand));
    f.lbl1->show();
    f.lbl2->show();
    f.lbl3->show();
    f.lbl3->raise();
    if (withResult) f.lbl4->show();
}

void ArithmeticExercise::layOutCountPictures() {
    PracticePanel& f = m_frame;
    SharedState& st = f.context().state;
    const int s = st.LayoutScale;
    const bool subtract = m_arith.TypeCode == QStringLiteral("111");
    const CountFrames fr = countFrames({m_arith.FirstOperand, m_arith.SecondOperand}, subtract);
    for (int k = 1; k <= 9; ++k) {
        f.imgT.at(k - 1)->setVisible(fr.firstShown >= k);
        f.imgP.at(k - 1)->setVisible(!subtract && fr.secondShown >= k);
    }
    // The frames are kept as design values too, so a later layout leaves them where they belong.
    auto place = [&](TShape* shape, const QRect& design) {
        st.Design.insert(shape->objectName(), design);
        shape->setGeometry(scaledRect(design, s));
        shape->show();
        shape->raise();
    };
    place(f.shpT1, fr.shpT1);
    if (subtract) {
        f.shpT2->hide();
        place(f.shpT3, fr.shpT3);
    } else {
        place(f.shpT2, fr.shpT2);
        f.shpT3->hide();
    }
}

void ArithmeticExercise::NewTestQuestion() {
    PracticePanel& f = m_frame;
    const int s = f.context().state.LayoutScale;
    drawQuestion(true);
    f.speak({{SpeechVoice::Chinese,
              spokenSum(m_arith.FirstOperand, operatorSign(m_arith.TypeCode).at(0), m_arith.SecondOperand)}});
    if (m_arith.TypeCode == QStringLiteral("112")) {
        f.imgCh->setGeometry(testCrossOverQuestion(f.lblSs->pos(), s));
        f.imgC1->setGeometry(crossOverColumn(f.lbl2->pos(), s));
        f.imgCh->show();
        f.imgCh->raise();
        f.imgC1->show();
        f.imgC1->raise();
    }
    f.edtJg->clear();
    if (!usesCountingPictures(m_arith.TypeCode)) {
        showColumnForm(false);
        f.lbl4->clear();
        f.lblJ1->hide();
        f.shpT1->hide();
        f.shpT2->hide();
    } else {
        for (QLabel* l : {f.lbl1, f.lbl2, f.lbl3, f.lbl4}) l->hide();
        if (!f.conditions().noPictures()) layOutCountPictures();
    }
}

void ArithmeticExercise::NextReviewQuestion() {
    PracticePanel& f = m_frame;
    f.HideCountPictures();
    if (m_arith.TypeCode == QStringLiteral("112")) {
        const int k = m_arith.MnemonicIndex;
        m_arith.MnemonicIndex = k + 1;
        if (k == kMnemonicLines) {
            const MsgResult r = f.context().platform.dialogs().message(
                QStringLiteral("操作提示"),
                QStringLiteral(
                    "一位乘法复习已经完成，如果再重新复习一遍，\n\n请按《确定》；否则按《取消》。"),
                MsgIcon::Question, MsgButtons::OkCancel);
            if (r != MsgResult::Ok) {
                m_arith.MnemonicIndex = kMnemonicLines;
                return;
            }
            m_arith.MnemonicIndex = 1;
        }
        ShowMnemonic(m_arith.MnemonicIndex);
        f.lblYd->show();
        f.edtJg->hide();
        f.lbl4->hide();
        f.butKs->setEnabled(true);
        return;
    }
    f.lblYd->hide();
    f.edtJg->show();
    drawQuestion(false);
    const Operands o{m_arith.FirstOperand, m_arith.SecondOperand};
    const int result = resultOf(m_arith.TypeCode, o);
    f.speak({{SpeechVoice::Chinese,
              spokenSumWithResult(o.a, operatorSign(m_arith.TypeCode).at(0), o.b, result)}});
    f.edtJg->setText(QString::number(result));
    // Writing the same answer as before changes nothing in the box, so the button is enabled here too.
    f.butKs->setEnabled(true);
    if (!usesCountingPictures(m_arith.TypeCode)) {
        showColumnForm(true);
        f.lbl4->setText(QString::number(result));
        f.lblJ1->setVisible(needsCarryMark(m_arith.TypeCode, o));
        f.lblJ1->raise();
        f.shpT1->hide();
        f.shpT2->hide();
    } else {
        for (QLabel* l : {f.lbl1, f.lbl2, f.lbl3, f.lbl4}) l->hide();
        // The review always shows the pictures, whatever 不显示例图 says.
        layOutCountPictures();
    }
    f.fitQuestionText();
}

void ArithmeticExercise::ShowMnemonic(int k) {
    PracticePanel& f = m_frame;
    const int s = f.context().state.LayoutScale;
    f.lblSs->setText(mnemonicLine(k));
    f.fitQuestionText();
    f.imgCh->setGeometry(reviewCrossOverQuestion(f.lblSs->pos(), s));
    f.imgCh->show();
    f.imgCh->raise();
    f.lblYd->setText(QStringLiteral("口诀：") + mnemonicRhyme(k));
    f.speak({{SpeechVoice::Chinese, mnemonicRhyme(k)}});
}

void ArithmeticExercise::CheckArithmeticAnswer() {
    PracticePanel& f = m_frame;
    const int s = f.context().state.LayoutScale;
    // 2. The next question.
    if (f.butKs->text() == captions::kNextSum) {
        f.lblBc->clear();
        f.imgYd->hide();
        f.edtYd->hide();
        if (f.conditions().fitsScreen()) f.imgTx->resize(scaled(400, s), scaled(300, s));
        f.lbl4->clear();
        f.lblYd->hide();
        f.HideCountPictures();
        NewTestQuestion();
        f.edtJg->setFocus();
        f.imgDh->hide();
        f.showScreenPicture(f.imgTx, "ss");
        f.askForAnswer(QStringLiteral("开始计算"));
        return;
    }
    // 3. Only a given answer is judged.
    if (f.butKs->text() != captions::kConfirm) return;
    const QString typed = f.edtJg->text();
    if (typed.isEmpty()) return;

    // The answer must be a whole number before anything of the question changes: a bad answer
    // leaves the question open, without showing its result.
    const std::optional<int> answer = parseWholeNumber(typed);
    if (!answer) fail(QStringLiteral("“%1”不是一个整数。请用数字键输入答案，再按回车或确定。").arg(typed));

    // The score record first: when it cannot be written, nothing of the verdict is shown and the
    // answer can be judged again.
    const Operands o{m_arith.FirstOperand, m_arith.SecondOperand};
    m_arith.CorrectResult = resultOf(m_arith.TypeCode, o);
    const bool right = *answer == m_arith.CorrectResult;
    const int answeredBefore = f.AnsweredCount();
    f.RecordScore(kindLetter(),
                  recordText(m_arith.TypeCode, o, right ? QString::number(m_arith.CorrectResult) : typed),
                  right ? 100 : 0,
                  {.subject = kindLetter(),
                   .question = questionText(m_arith.TypeCode, o),
                   .item = sumItem(m_arith.TypeCode, o),
                   .typed = typed});

    // 1.
    f.lblBc->clear();
    f.imgYd->hide();
    f.edtYd->hide();
    if (f.conditions().fitsScreen()) f.imgTx->resize(scaled(400, s), scaled(300, s));
    // 4.-6. The result, the column form's carry mark and the question number.
    f.lbl4->setText(QString::number(m_arith.CorrectResult));
    if (!usesCountingPictures(m_arith.TypeCode)) {
        f.lbl4->show();
        f.lblJ1->setVisible(needsCarryMark(m_arith.TypeCode, o));
        f.lblJ1->raise();
    }
    f.lblTh->setText(QStringLiteral("第%1次").arg(answeredBefore + 1));

    // 7.-9. The verdict.
    if (right) {
        f.setVerdict(QStringLiteral("算对了！"), captions::kRightColour);
        f.showScore("100", true);
        f.showScreenPicture(f.imgTx, "zq");
        f.butKs->setText(captions::kNextSum);
        f.showScreenPicture(f.imgDh, "dh");
    } else {
        f.HideCountPictures();
        f.setVerdict(QStringLiteral("算错了！"), captions::kWrongColour);
        f.lblYd->setText(QStringLiteral("应 = ") + QString::number(m_arith.CorrectResult));
        f.lblYd->show();
        f.showScore("0", false);
        f.showScreenPicture(f.imgTx, "cw");
        f.butKs->setText(captions::kNextSum);
        f.showScreenPicture(f.imgDh, "ch");
    }
    f.imgDh->raise();
    f.lblT0->setText(captions::kNextHint);
    f.speak({{SpeechVoice::Chinese, right ? kSpokenRight : kSpokenWrong}});
}

}  // namespace kovu
