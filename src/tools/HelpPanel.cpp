#include "tools/HelpPanel.h"

namespace kovu {

HelpPanel::HelpPanel(FormContext& ctx, QWidget* parent) : QFrame(parent), m_ctx(ctx) {
    setObjectName("panBz");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setGeometry(641, 44, 629, 386);
    redBz = new QTextEdit(this);
    redBz->setObjectName("redBz");
    redBz->setReadOnly(true);
    redBz->setGeometry(4, 4, 621, 372);
    hide();
}

}  // namespace kovu
