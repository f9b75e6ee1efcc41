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

    TShape* shpNr;
    QLabel* lblNr;
    TRadioGroup* rgpNr;
    QCheckBox* chkPm;
    QCheckBox* chkLt;
    QCheckBox* chkSd;
    QCheckBox* chkPx;
    QLabel* lbl03;
    QComboBox* cboKf;
    QPushButton* bitQd;
    ArithmeticChoices* panSs;
    ItemSelection* panPy;

private:
    FormContext& m_ctx;
    QPointer<QAbstractButton> m_butKs;
};

}  // namespace kovu
