#include "pictures/PicturePage.h"

namespace kovu {

PicturePage::PicturePage(FormContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName("tasTp");
}

}  // namespace kovu
