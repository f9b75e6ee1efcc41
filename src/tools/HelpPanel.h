#pragma once

#include <QFrame>
#include <QTextEdit>

#include "data/Shared.h"

namespace kovu {

// panBz: the help panel with the manual in the read-only rich edit redBz.
class HelpPanel : public QFrame {
    Q_OBJECT
public:
    HelpPanel(FormContext& ctx, QWidget* parent);
    QTextEdit* redBz;

private:
    FormContext& m_ctx;
};

}  // namespace kovu
