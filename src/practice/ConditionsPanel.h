#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "data/Shared.h"
#include "platform/Controls.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ItemSelection.h"

namespace kovu {

// panTj: the conditions panel shared by arithmetic, pinyin and English. Its left strip holds the
// title, the review/test choice, the check boxes and the start button; panSs (arithmetic) and
// panPy (pinyin and English item selection) stand at left 138 inside it.
class ConditionsPanel : public QFrame {
    Q_OBJECT
public:
    ConditionsPanel(FormContext& ctx, QWidget* parent);

    // The practice screen's answer button, which the review/test choice enables for test only.
    void setAnswerButton(QAbstractButton* butKs) { m_butKs = butKs; }

    void chkLtClick();
    void rgpNrClick();
    // The children by number, the current one chosen; run when a conditions screen opens.
    void ListChildren();
    // Choosing a child makes it the current one at once.
    void cboXsClick();

    // What a session reads of the conditions.
    bool isTest() const { return rgpNr->itemIndex() == 1; }
    bool fitsScreen() const { return chkPm->isChecked(); }
    bool noPictures() const { return chkLt->isChecked(); }
    bool marksTone() const { return chkSd->isChecked(); }
    QString toneDeductionText() const { return cboKf->currentText(); }
    QString title() const { return lblNr->text(); }
    // The chosen textbook and lesson of the item selection, as shown and as 0-based positions.
    QString textbookText() const { return panPy->cboKb->currentText(); }
    int textbookIndex() const { return panPy->cboKb->currentIndex(); }
    QString lessonText() const { return panPy->cboK1->currentText(); }
    int lessonIndex() const { return panPy->cboK1->currentIndex(); }

    TShape* shpNr;
    QLabel* lblNr;
    TRadioGroup* rgpNr;
    QCheckBox* chkPm;
    QCheckBox* chkLt;
    QCheckBox* chkSd;
    QCheckBox* chkPx;
    QLabel* lbl03;
    QComboBox* cboKf;
    QLabel* lblXs;
    QComboBox* cboXs;
    QPushButton* bitQd;
    ArithmeticChoices* panSs;
    ItemSelection* panPy;

private:
    FormContext& m_ctx;
    QPointer<QAbstractButton> m_butKs;
};

}  // namespace kovu
