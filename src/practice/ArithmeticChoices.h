#pragma once

#include <QFrame>
#include <QList>

#include "data/Shared.h"
#include "platform/Controls.h"

namespace kovu {

class ConditionsPanel;

// panSs: the arithmetic choices inside the conditions panel: the type of sum (rgp1), the largest
// digit (rgp2) and the example picture used for counting (rgp3).
class ArithmeticChoices : public QFrame {
    Q_OBJECT
public:
    ArithmeticChoices(FormContext& ctx, ConditionsPanel* conditions, QWidget* parent);

    // The eighteen counting pictures of the practice screen that rgp3 fills.
    void setCountingPictures(const QList<TImage*>& pictures) { m_countingPictures = pictures; }

    // Lists the usable example pictures and restores the stored choices, running the same
    // handlers a click runs where a choice changes.
    void OpenArithmeticConditions();

    void rgp1Click();
    void rgp2Click();
    void rgp3Click();

    TRadioGroup* rgp1;
    TRadioGroup* rgp2;
    TRadioGroup* rgp3;

private:
    FormContext& m_ctx;
    ConditionsPanel* m_conditions;
    QList<TImage*> m_countingPictures;
};

// Sets a radio group as the program restores a choice: a different valid item runs its click
// handler; an index outside the items clears the choice and runs nothing.
void restoreChoice(TRadioGroup* group, int index);

}  // namespace kovu
