#pragma once

#include <QFrame>
#include <QPushButton>

#include "data/Shared.h"
#include "platform/Controls.h"

namespace kovu {

// pan1: the practice screen, which lies over the whole main screen while a practice runs.
class PracticePanel : public QFrame {
    Q_OBJECT
public:
    PracticePanel(FormContext& ctx, QWidget* parent);

    // Stores the design rectangles of the practice-screen controls in the shared state.
    void RecordDesignGeometry();
    // Places every practice-screen control at its design rectangle times LayoutScale / 100.
    void LayoutPracticePanel();

    TImage* imgTx;
    QPushButton* butKs;

private:
    FormContext& m_ctx;
};

}  // namespace kovu
