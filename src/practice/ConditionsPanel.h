#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "data/Shared.h"
#include "platform/Controls.h"

namespace kovu {

// panTj: the conditions panel shared by arithmetic, pinyin and English. Its left strip holds the
// title, the review/test choice, the check boxes and the start button; panSs (arithmetic) and
// panPy (pinyin and English item selection) stand at left 138 inside it.
class ConditionsPanel : public QFrame {
    Q_OBJECT
public:
    ConditionsPanel(FormContext& ctx, QWidget* parent);

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
    QFrame* panSs;
    QFrame* panPy;

private:
    FormContext& m_ctx;
};

}  // namespace kovu
