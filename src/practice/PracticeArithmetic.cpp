// The arithmetic exercise of the practice screen: questions of the seven types, counting
// pictures, the column form with its carry mark, the multiplication table and the judging.
#include "data/Settings.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ConditionsPanel.h"
#include "practice/PracticePanel.h"

namespace kovu {

namespace {

const QString kConfirmCaption = QStringLiteral("确定或回车");
const QString kNextCaption = QStringLiteral("下题或回车");
const QColor kLime(0, 255, 0);
const QColor kAqua(0, 255, 255);
const QColor kYellow(255, 255, 0);

}  // namespace

void PracticePanel::startArithmeticSession(bool test) {
    ArithmeticChoices* panSs = m_conditions->panSs;
    const int type = std::max(0, panSs->rgp1->itemIndex());
    m_arith.TypeCode = TypeCode(type);
    m_arith.TypeName = TypeName(type);
    // The carry mark beside the column.
    const CarryMarkPlace c = carryMarkPlace(m_ctx.state.LayoutWidth, m_ctx.state.LayoutScale);
    lblJ1->move(c.left, c.top);
    QFont f = lblJ1->font();
    f.setFamily(QStringLiteral("宋体"));
    f.setPointSize(std::max(1, c.fontSize));
    lblJ1->setFont(f);
    lblJ1->adjustSize();
    lblJ1->hide();
    lblYd->hide();
    m_arith.MaxDigit = MaxDigit(m_arith.TypeCode, panSs->rgp2->itemIndex());
    showScreenPicture(imgTx, "ss");
    setVerdictColour(kLime);
    if (test) {
        // A multiplication review hides the answer box; a test needs it back.
        edtJg->show();
        m_ctx.db.con1.exec("DELETE FROM sscj");
        lblLc->setText(QStringLiteral("算术练习成绩"));
        NewTestQuestion();
        lblJg->setText(QStringLiteral("开始计算"));
    } else {
        lbl1->hide();
        lbl2->hide();
        lbl3->hide();
        lblJg->setText(QStringLiteral("算术复习"));
        m_arith.MnemonicIndex = 0;
        NextReviewQuestion();
    }
    storeSettings(m_ctx.db.aquFz, {{"算术类型", panSs->rgp1->itemIndex()},
                                   {"最大数字", panSs->rgp2->itemIndex() + 1},
                                   {"图例图片", panSs->rgp3->itemIndex()}});
}

void PracticePanel::setVerdictColour(const QColor& c) { setBackground(lblJg, c); }

void PracticePanel::HideCountPictures() {
    for (TImage* i : countingPictures()) i->hide();
    shpT1->hide();
    shpT2->hide();
    shpT3->hide();
}

void PracticePanel::drawQuestion() {
    const Operands o =
        DrawOperands(m_arith.TypeCode, m_arith.MaxDigit, [this](int n) { return m_ctx.platform.random(n); });
    m_arith.FirstOperand = o.a;
    m_arith.SecondOperand = o.b;
    m_arith.OperatorSign = operatorSign(m_arith.TypeCode);
    lblSs->setText(questionText(m_arith.TypeCode, o));
    fitQuestionText();
}

void PracticePanel::showColumnForm(bool withResult) {
    lbl1->setText(QString::number(m_arith.FirstOperand));
    lbl2->setText(m_arith.OperatorSign + QString::number(m_arith.SecondOperand));
    lbl1->show();
    lbl2->show();
    lbl3->show();
    lbl3->raise();
    if (withResult) lbl4->show();
}

void PracticePanel::layOutCountPictures() {
    const int s = m_ctx.state.LayoutScale;
    const bool subtract = m_arith.TypeCode == QStringLiteral("111");
    const CountFrames fr = countFrames({m_arith.FirstOperand, m_arith.SecondOperand}, subtract);
    for (int k = 1; k <= 9; ++k) {
        imgT.at(k - 1)->setVisible(fr.firstShown >= k);
        imgP.at(k - 1)->setVisible(!subtract && fr.secondShown >= k);
    }
    // The frames are kept as design values too, so a later layout leaves them where they belong.
    auto place = [&](TShape* shape, const QRect& design) {
        m_ctx.state.Design.insert(shape->objectName(), design);
        shape->setGeometry(scaledRect(design, s));
        shape->show();
        shape->raise();
    };
    place(shpT1, fr.shpT1);
    if (subtract) {
        shpT2->hide();
        place(shpT3, fr.shpT3);
    } else {
        place(shpT2, fr.shpT2);
        shpT3->hide();
    }
}

void PracticePanel::NewTestQuestion() {
    const int s = m_ctx.state.LayoutScale;
    drawQuestion();
    if (m_arith.TypeCode == QStringLiteral("112")) {
        imgCh->setGeometry(testCrossOverQuestion(lblSs->pos(), s));
        imgC1->setGeometry(crossOverColumn(lbl2->pos(), s));
        imgCh->show();
        imgCh->raise();
        imgC1->show();
        imgC1->raise();
    }
    edtJg->clear();
    if (!usesCountingPictures(m_arith.TypeCode)) {
        showColumnForm(false);
        lbl4->clear();
        lblJ1->hide();
        shpT1->hide();
        shpT2->hide();
    } else {
        for (QLabel* l : {lbl1, lbl2, lbl3, lbl4}) l->hide();
        if (!m_conditions->chkLt->isChecked()) layOutCountPictures();
    }
}

void PracticePanel::NextReviewQuestion() {
    HideCountPictures();
    if (m_arith.TypeCode == QStringLiteral("112")) {
        const int k = m_arith.MnemonicIndex;
        m_arith.MnemonicIndex = k + 1;
        if (k == kMnemonicLines) {
            const MsgResult r = m_ctx.platform.dialogs().message(
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
        lblYd->show();
        edtJg->hide();
        lbl4->hide();
        butKs->setEnabled(true);
        return;
    }
    lblYd->hide();
    edtJg->show();
    drawQuestion();
    const Operands o{m_arith.FirstOperand, m_arith.SecondOperand};
    const int result = resultOf(m_arith.TypeCode, o);
    edtJg->setText(QString::number(result));
    // Writing the same answer as before changes nothing in the box, so the button is enabled here too.
    butKs->setEnabled(true);
    if (!usesCountingPictures(m_arith.TypeCode)) {
        showColumnForm(true);
        lbl4->setText(QString::number(result));
        lblJ1->setVisible(needsCarryMark(m_arith.TypeCode, o));
        lblJ1->raise();
        shpT1->hide();
        shpT2->hide();
    } else {
        for (QLabel* l : {lbl1, lbl2, lbl3, lbl4}) l->hide();
        // The review always shows the pictures, whatever 不显示例图 says.
        layOutCountPictures();
    }
    fitQuestionText();
}

void PracticePanel::ShowMnemonic(int k) {
    const int s = m_ctx.state.LayoutScale;
    lblSs->setText(mnemonicLine(k));
    fitQuestionText();
    imgCh->setGeometry(reviewCrossOverQuestion(lblSs->pos(), s));
    imgCh->show();
    imgCh->raise();
    lblYd->setText(QStringLiteral("口诀：") + mnemonicRhyme(k));
}

void PracticePanel::CheckArithmeticAnswer() {
    const int s = m_ctx.state.LayoutScale;
    // 1.
    lblBc->clear();
    imgYd->hide();
    edtYd->hide();
    if (m_conditions->chkPm->isChecked()) imgTx->resize(scaled(400, s), scaled(300, s));

    // 2. The next question.
    if (butKs->text() == kNextCaption) {
        lbl4->clear();
        lblYd->hide();
        HideCountPictures();
        NewTestQuestion();
        edtJg->setFocus();
        imgDh->hide();
        lblJg->setText(QStringLiteral("开始计算"));
        setVerdictColour(kLime);
        showScreenPicture(imgTx, "ss");
        butKs->setText(kConfirmCaption);
        butKs->setEnabled(false);
        lblT0->setText(QStringLiteral("用键盘输入答案后回车或确定"));
        return;
    }
    // 3. Only a given answer is judged.
    if (butKs->text() != kConfirmCaption) return;
    const QString typed = edtJg->text();
    if (typed.isEmpty()) return;

    // The answer must be a whole number before anything of the question changes: a bad answer
    // leaves the question open, without showing its result.
    const std::optional<int> answer = parseWholeNumber(typed);
    if (!answer) fail(QStringLiteral("“%1”不是一个整数。请用数字键输入答案，再按回车或确定。").arg(typed));

    // 4.-6. The result, the column form's carry mark and the question number.
    const Operands o{m_arith.FirstOperand, m_arith.SecondOperand};
    m_arith.CorrectResult = resultOf(m_arith.TypeCode, o);
    lbl4->setText(QString::number(m_arith.CorrectResult));
    if (!usesCountingPictures(m_arith.TypeCode)) {
        lbl4->show();
        lblJ1->setVisible(needsCarryMark(m_arith.TypeCode, o));
        lblJ1->raise();
    }
    lblTh->setText(QStringLiteral("第%1次").arg(m_answered + 1));

    // 7.-9. The verdict.
    QString record;
    int points = 0;
    if (*answer == m_arith.CorrectResult) {
        lblJg->setText(QStringLiteral("算对了！"));
        setVerdictColour(kAqua);
        m_scoreTotal += 100;
        ++m_answered;
        lblBc->setText("100");
        setTextColor(lblBc, Qt::red);
        lblCj->setText(QString::number(m_scoreTotal / m_answered));
        setTextColor(lblCj, Qt::red);
        showScreenPicture(imgTx, "zq");
        record = recordText(m_arith.TypeCode, o, QString::number(m_arith.CorrectResult));
        butKs->setText(kNextCaption);
        showScreenPicture(imgDh, "dh");
        points = 100;
    } else {
        HideCountPictures();
        lblJg->setText(QStringLiteral("算错了！"));
        setVerdictColour(kYellow);
        lblYd->setText(QStringLiteral("应 = ") + QString::number(m_arith.CorrectResult));
        lblYd->show();
        ++m_answered;
        lblBc->setText("0");
        setTextColor(lblBc, Qt::black);
        lblCj->setText(QString::number(m_scoreTotal / m_answered));
        setTextColor(lblCj, Qt::black);
        record = recordText(m_arith.TypeCode, o, typed);
        showScreenPicture(imgTx, "cw");
        butKs->setText(kNextCaption);
        showScreenPicture(imgDh, "ch");
        points = 0;
    }
    imgDh->raise();
    // 10.-11.
    RecordScore(QStringLiteral("s"), record, points);
    lblT0->setText(QStringLiteral("请按回车或确定显示下题"));
}

}  // namespace kovu
