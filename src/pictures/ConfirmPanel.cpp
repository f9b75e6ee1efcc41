#include "pictures/ConfirmPanel.h"

namespace kovu {

ConfirmPanel::ConfirmPanel(FormContext& ctx, QWidget* parent) : QFrame(parent), m_ctx(ctx) {
    setObjectName("panZc");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setGeometry(160, 120, 320, 200);
    hide();
}

}  // namespace kovu
